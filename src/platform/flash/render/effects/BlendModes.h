// Lays a drawn layer (premultiplied pixels) onto the canvas below it in one
// of the fourteen blend modes. With Cs, Cd the source and backdrop colours
// (unpremultiplied, 0..1) and as, ad their alphas, the separable modes give
// cs(1 - ad) + cd(1 - as) + as ad B(Cs, Cd), alpha as + ad - as ad, where B is
// Cs Cd (multiply), Cs + Cd - Cs Cd (screen), the larger or the smaller
// (lighten, darken), |Cs - Cd| (difference), min(1, Cs + Cd) (add),
// max(0, Cd - Cs) (subtract), the hard light of the backdrop (overlay) or of
// the source (hard light). Normal and layer lay the source over; invert
// turns the backdrop over by the source's alpha; alpha keeps and erase takes
// away the backdrop by the source's alpha (they need a layer below them:
// on the stage itself they draw nothing). The layer's colour transform and
// the canvas's mask apply to the source first.
#pragma once
#include <windows.h>

#include <cstdint>

#include "platform/flash/parse/FilterRecords.h"
#include "platform/flash/render/PixelCanvas.h"

namespace flash {

struct LayerPixels {
  const uint32_t* pixels = nullptr;
  int width = 0, height = 0;  // row length and rows
  int left = 0, top = 0;      // where its (0, 0) lies on the canvas
};

// Composites the layer's pixels of part (layer coordinates) inside clip
// (canvas coordinates). onLayer: the canvas is itself a layer (alpha and
// erase apply).
void CompositeLayer(PixelCanvas& canvas, const RECT& clip, const LayerPixels& layer, const RECT& part, BlendMode mode,
                    const ColorTransform& cx, bool onLayer);

// One pixel of a blend mode (premultiplied 0xAARRGGBB in and out).
uint32_t BlendPixel(BlendMode mode, uint32_t src, uint32_t dst);

}  // namespace flash
