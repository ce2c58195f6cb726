// How a text with advanced anti-aliasing (CSMTextSettings) is drawn as
// close to its settings as the rasteriser allows: with grid fitting, each
// glyph's alignment zones are moved onto the pixel grid (whole pixels; with
// sub-pixel fitting, thirds of a pixel across), each stem at least that
// wide; thickness and sharpness reshape the edges' coverage.
#pragma once
#include <array>
#include <cstdint>

#include "platform/flash/parse/FontHints.h"
#include "platform/flash/render/PixelCanvas.h"
#include "platform/flash/render/ShapeRenderer.h"

namespace flash {

// Whether the settings change the edges' coverage.
bool ReshapesCoverage(const TextSettings& settings);
// Coverage in, coverage out: above 0 thickness moves every edge outward (up
// to half a pixel at 200), sharpness steepens it (flattens below 0); none
// and full coverage stay.
std::array<uint8_t, 256> CoverageCurve(const TextSettings& settings);
// The snap for a glyph drawn by toDevice (glyph units to device pixels)
// whose zones are in units of emSize / 1024 glyph units; false when nothing
// is snapped (no grid fitting, no zones, or a turned or skewed glyph).
bool GlyphSnap(const GlyphZones& zones, double emSize, const Xform& toDevice, uint8_t gridFit, PixelSnap& snap);

}  // namespace flash
