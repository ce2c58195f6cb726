// The movie control's renderer: draws a frame's display list with our own
// scanline rasteriser into a 32-bit off-screen surface taken from the DC,
// then puts it back in one blit. Shapes, morph shapes at their ratio, texts
// in their embedded fonts, edit texts (embedded glyphs, else a system font
// through GDI), buttons in their current state and sprites; clip layers mask
// the depths above them; colour transforms and matrices compose down the
// tree; embedded video frames, and the pictures of videos scripts attach,
// are drawn like bitmaps, as are scripts' bitmaps (attachBitmap and bitmap
// fills, as their pixels are at the paint); a clip's scroll rectangle
// shows only that part of it. The shapes a sprite or button with a scaling
// grid shows directly keep the grid's corners at their size as it is scaled
// (in its own space when it is turned or skewed: ScalingGrid).
// Characters are drawn as defined at the frame of
// their movie's main timeline; a clip showing a loaded movie draws from that
// movie's dictionary. A
// button or sprite inside itself (directly or through others) is not drawn
// again, and one paint draws at most kDrawBudget characters (and applies at
// most a few hundred clip layers). A frame larger
// than the surface limit is drawn in bands. A large filled region is painted
// in row bands on the renderer's pool of threads (BandedFill), with the
// pixels one thread would give; on the surface itself the colour fills of
// the whole frame are held and painted in row bands at once (FrameBands),
// until anything else (a mask, a layer, GDI's text, the blit) needs the
// pixels. Gradients' colour ramps are kept from paint to paint (RampCache).
// Parsed characters and decoded
// bitmaps are kept until a movie never drawn before is drawn.
//
// An object with filters, a blend mode other than normal, a background or
// bitmap caching is drawn on a layer of its own (SoftwareRendererLayers.cpp):
// its device bounds are measured by walking it without drawing, grown by its
// filters' reach and cut to what can show; the layer is drawn, filtered and
// laid on what lies below in its blend mode. A layer larger than 2880 pixels
// a side, or one beyond the paint's filter budget, is drawn plainly. A
// cached object keeps its finished layer while its content, scale and
// sub-pixel place stay the same, from the second paint that finds them so.
#pragma once
#include <windows.h>

#include <cstdint>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "base/Handles.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "platform/flash/parse/ButtonRecords.h"
#include "platform/flash/render/effects/CachedSurface.h"
#include "platform/flash/render/FlashRenderer.h"
#include "platform/flash/render/FrameBands.h"
#include "platform/flash/parse/MorphShape.h"
#include "platform/flash/play/MovieVideos.h"
#include "platform/flash/render/RampCache.h"
#include "platform/flash/render/ShapeCache.h"
#include "platform/flash/render/ShapeRenderer.h"
#include "platform/flash/play/TextFieldState.h"
#include "platform/flash/parse/TextRecords.h"

namespace flash {

class SoftwareRenderer : public FlashRenderer {
 public:
  // The largest surface, in pixels; a larger frame is drawn in bands of it.
  static constexpr uint64_t kMaxSurfacePixels = 1u << 26;
  // Decoded bitmaps kept for one movie, in pixels; past it further bitmaps draw nothing.
  static constexpr uint64_t kBitmapBudget = 1u << 26;
  // Characters one paint (of one band) draws; past it the rest is left out.
  static constexpr int kDrawBudget = 20000;
  // The largest side of a layer, in pixels; larger objects are drawn without their effects.
  static constexpr int kMaxLayerSide = 2880;
  // Filter work one paint does (see FilterWork); past it objects are drawn without their effects.
  static constexpr uint64_t kEffectBudget = uint64_t{1} << 29;
  // Pixels of finished layers kept for cached objects, over all of them.
  static constexpr uint64_t kCacheBudget = uint64_t{1} << 25;

  explicit SoftwareRenderer(uint64_t maxSurfacePixels = kMaxSurfacePixels) : maxSurfacePixels_(maxSurfacePixels) {}
  // Draws with the characters as defined at the movie's first frame; nothing
  // when the DC's clip box is larger than the surface limit.
  void DrawObject(HDC dc, const MovieDefinition& movie, const DisplayObject& object, const Matrix& world,
                  const ColorTransform& color, const StageView& view, int quality) override;
  // False when a band's surface could not be made (that band is not drawn).
  bool DrawFrame(HDC dc, const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                 const FrameView& frame) override;
  // The state buttons the pointer is not on are drawn in (kButtonUp, kButtonOver
  // or kButtonDown); a display-list entry's own state wins when it is not up.
  void SetButtonState(uint8_t state) { buttonState_ = state; }
  // Layers drawn and layers taken from caches since the renderer was made (for tests and benchmarks).
  uint64_t LayersDrawn() const { return layersDrawn_; }
  uint64_t LayersReused() const { return layersReused_; }
  // Pixels the kept layers of this renderer's objects hold now.
  uint64_t KeptPixels() const { return ledger_->pixels; }

 private:
  struct FontEntry {
    Font font;
    std::vector<std::unique_ptr<ShapeData>> glyphs;  // read on first use
  };

  // Starts drawing the band of the DC whose top left is (left, top); frame
  // describes the band in the band's own pixels.
  bool Begin(HDC dc, const MovieDefinition& movie, const FrameView& frame, int left, int top);
  void End(HDC dc);
  void DropSurface();
  // Paints the fills held for the frame's bands (before the pixels are read or drawn otherwise).
  void Settle();
  void Forget();
  void Use(const MovieDefinition& movie);
  const Character* Lookup(uint16_t id) const { return movie_->Find(id, frame_); }
  void DrawList(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting);
  void DrawListOf(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting);
  void DrawEntry(const DisplayObject& obj, const Matrix& world, const ColorTransform& cx, int nesting);
  bool PushClipMask(const Clip& target, const ColorTransform& cx, int nesting);
  bool PushScrollMask(const Clip& clip, const Matrix& world);
  void CollectMasks(const Clip& clip, std::vector<const Clip*>& out, int nesting);
  void DrawField(const TextFieldState& field, const Xform& toDevice, const ColorTransform& cx,
                 const TextSettings* settings);
  // own: the matrix placing the character in its parent (a button's scaling grid takes its scales).
  void DrawCharacter(uint16_t id, uint16_t ratio, const Matrix& world, const ColorTransform& cx, const Clip* clip,
                     uint8_t buttonState, int nesting, const Matrix* own = nullptr);
  void DrawButton(const Character& ch, const Matrix& world, const ColorTransform& cx, uint8_t buttonState,
                  int nesting, const Matrix* own);
  // Every shape the renderer draws goes through here: drawn, or measured.
  void Paint(const ShapeData& shape, const Xform& toDevice, const ColorTransform& cx, const Rgba* textColor = nullptr,
             DrawTarget* target = nullptr);

  // ---- Layers (SoftwareRendererLayers.cpp) ----
  using DrawFn = std::function<void(const ColorTransform&)>;
  // Draws what draw draws with the effects; device is the object's own
  // transform (for the cache); cache and entry are null for what has none.
  void DrawLayered(const SurfaceEffects& effects, const ColorTransform& cx, const Xform& device,
                   const DisplayObject* entry, const DrawFn& draw);
  // The device box of what draw would draw; false when it draws nothing.
  bool Measure(const DrawFn& draw, double box[4]);
  void MeasureBox(double x0, double y0, double x1, double y1);
  void DrawTextOnLayer(const uint32_t* sheet, const RECT& box, Rgba color);
  uint64_t Signature(const DisplayObject& entry, int& nodes, int nesting) const;
  uint64_t ClipSignature(const Clip& clip, int& nodes, int nesting) const;
  double FilterScale() const { return target_.stageScale * 20; }
  uint8_t StateOf(const DisplayObject& object) const;
  void DrawGlyphText(const Character& ch, const Xform& toDevice, const ColorTransform& cx);
  void DrawEditText(const Character& ch, const Xform& toDevice, const ColorTransform& cx);
  void DrawEditData(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx,
                    const TextFieldState* field = nullptr, const TextSettings* settings = nullptr);
  // A text's anti-aliasing settings (CSMTextSettings), null for none.
  const TextSettings* SettingsOf(uint16_t text) const;
  // Glyphs of a font in a text with settings: put the coverage curve in
  // force (curve holds it) and give the font's zones when they are fitted.
  const FontZones* BeginHints(const TextSettings* settings, uint16_t font, std::array<uint8_t, 256>& curve);
  void PaintGlyph(const ShapeData& glyph, const Xform& toDevice, const ColorTransform& cx, const Rgba* color,
                  const FontZones* zones, uint32_t index, double emSize, uint8_t gridFit);
  void DrawSystemText(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx,
                      const TextFieldState* field = nullptr);
  // The scaling grid of sprite id showing clip under world; false when it has none.
  bool GridOf(uint16_t id, const Clip& clip, const Matrix& world, GridWarp& warp) const;
  void DrawStaticSprite(const Character& ch, const Matrix& world, const ColorTransform& cx, int nesting);
  void DrawVideo(uint16_t id, uint16_t frame, const Matrix& world, const ColorTransform& cx);
  void DrawPicture(const Bitmap& picture, float width, float height, bool smooth, const Matrix& world,
                   const ColorTransform& cx);
  const Bitmap* BitmapOf(uint16_t id);
  void DropSupersededBitmaps();
  FontEntry* FontOf(uint16_t id);
  const ShapeData* GlyphOf(FontEntry& font, uint32_t index);
  Xform ToDevice(const Matrix& world) const;

  // The surface, and where the band it holds lies in the DC.
  uint64_t maxSurfacePixels_;
  ScopedMemoryDC surfaceDC_;
  ScopedBitmap surface_;
  std::unique_ptr<ScopedSelect> selected_;
  int surfaceW_ = 0, surfaceH_ = 0;
  int bandLeft_ = 0, bandTop_ = 0;
  PixelCanvas canvas_;
  Rasterizer raster_;
  std::unique_ptr<BandedFill> banded_;  // the painting threads, made at the first paint
  std::unique_ptr<FrameBands> frameBands_;  // the frame's held fills, on banded_'s threads
  RampCache ramps_;
  DrawTarget target_;
  StageView view_;
  const MovieDefinition* movie_ = nullptr;
  int frame_ = 0;                        // the main timeline's, for the definitions in force
  int budget_ = 0;                       // characters the paint may still draw
  std::vector<const Character*> chain_;  // the buttons and sprites being drawn, outermost first
  Matrix origin_;                         // the stage's own twips to the stage, of this paint
  std::vector<const Clip*> maskClips_;    // clips that mask others (setMask): drawn only as masks
  uint8_t buttonState_ = kButtonUp;
  int masksInForce_ = 0;
  int masksLeft_ = 0;                       // clip layers the paint may still apply
  std::vector<std::vector<uint8_t>> masks_;  // one per level of clip layers in force
  uint32_t* surfacePixels_ = nullptr;        // the DIB's own pixels (GDI draws only there)
  const Clip* gridClip_ = nullptr;           // the sprite whose scaling grid is at work, and its warp
  GridWarp gridWarp_;

  // Layers: measuring instead of drawing, the box measured, the layers being
  // drawn into (a buffer each), and what the paint may still spend on filters.
  bool measuring_ = false;
  bool measuredAny_ = false;
  double measured_[4] = {};
  int layerDepth_ = 0;
  std::vector<std::vector<uint32_t>> layerBuffers_;
  uint64_t effectBudget_ = 0;
  uint64_t layersDrawn_ = 0, layersReused_ = 0;
  bool warnedEffects_ = false;
  std::shared_ptr<CacheLedger> ledger_ = std::make_shared<CacheLedger>();

  // What was read from the movies drawn (a movie never seen before clears it).
  std::set<uint64_t> seen_;
  ShapeCache shapes_{256};
  std::map<const Character*, std::unique_ptr<Bitmap>> bitmaps_;
  uint64_t bitmapPixels_ = 0;
  std::map<const Character*, FontEntry> fonts_;
  std::map<const Character*, TextData> texts_;
  std::map<const Character*, EditTextData> editTexts_;
  std::map<const Character*, std::vector<ButtonPart>> buttons_;
  std::map<const MovieDefinition*, std::unique_ptr<MovieVideos>> videos_;  // made when a movie's first video is drawn
};

}  // namespace flash
