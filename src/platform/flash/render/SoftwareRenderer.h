// The movie control's renderer: draws a frame's display list with our own
// scanline rasteriser into a 32-bit off-screen surface taken from the DC,
// then puts it back in one blit. Shapes, morph shapes at their ratio, texts
// in their embedded fonts, edit texts (embedded glyphs, else a system font
// through GDI), buttons in their current state and sprites; clip layers mask
// the depths above them; colour transforms and matrices compose down the
// tree; embedded video frames, and the pictures of videos scripts attach,
// are drawn like bitmaps, as are scripts' bitmaps (attachBitmap and bitmap
// fills, as their pixels are at the paint); a clip's scroll rectangle
// shows only that part of it. Characters are drawn as defined at the frame of
// their movie's main timeline; a clip showing a loaded movie draws from that
// movie's dictionary. A
// button or sprite inside itself (directly or through others) is not drawn
// again, and one paint draws at most kDrawBudget characters (and applies at
// most a few hundred clip layers). A frame larger
// than the surface limit is drawn in bands. Parsed characters and decoded
// bitmaps are kept until a movie never drawn before is drawn.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "base/Handles.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "platform/flash/parse/ButtonRecords.h"
#include "platform/flash/render/FlashRenderer.h"
#include "platform/flash/parse/MorphShape.h"
#include "platform/flash/play/MovieVideos.h"
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
  void Forget();
  void Use(const MovieDefinition& movie);
  const Character* Lookup(uint16_t id) const { return movie_->Find(id, frame_); }
  void DrawList(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting);
  void DrawListOf(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting);
  void DrawEntry(const DisplayObject& obj, const Matrix& world, const ColorTransform& cx, int nesting);
  bool PushClipMask(const Clip& target, const ColorTransform& cx, int nesting);
  bool PushScrollMask(const Clip& clip, const Matrix& world);
  void CollectMasks(const Clip& clip, std::vector<const Clip*>& out, int nesting);
  void DrawField(const TextFieldState& field, const Xform& toDevice, const ColorTransform& cx);
  void DrawCharacter(uint16_t id, uint16_t ratio, const Matrix& world, const ColorTransform& cx, const Clip* clip,
                     uint8_t buttonState, int nesting);
  uint8_t StateOf(const DisplayObject& object) const;
  void DrawGlyphText(const Character& ch, const Xform& toDevice, const ColorTransform& cx);
  void DrawEditText(const Character& ch, const Xform& toDevice, const ColorTransform& cx);
  void DrawEditData(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx,
                    const TextFieldState* field = nullptr);
  void DrawSystemText(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx,
                      const TextFieldState* field = nullptr);
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
  Canvas canvas_;
  Rasterizer raster_;
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
