// The movie control's renderer: draws a frame's display list with our own
// scanline rasteriser into a 32-bit off-screen surface taken from the DC,
// then puts it back in one blit. Shapes, morph shapes at their ratio, texts
// in their embedded fonts, edit texts (embedded glyphs, else a system font
// through GDI), buttons in their current state and sprites; clip layers mask
// the depths above them; colour transforms and matrices compose down the
// tree; embedded video frames are drawn like bitmaps. Parsed characters and
// decoded bitmaps are kept per movie.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "base/Handles.h"
#include "platform/flash/BitmapDecoder.h"
#include "platform/flash/ButtonRecords.h"
#include "platform/flash/FlashRenderer.h"
#include "platform/flash/MorphShape.h"
#include "platform/flash/MovieVideos.h"
#include "platform/flash/ShapeCache.h"
#include "platform/flash/ShapeRenderer.h"
#include "platform/flash/TextRecords.h"

namespace flash {

class SoftwareRenderer : public FlashRenderer {
 public:
  // Surfaces larger than this many pixels are not drawn.
  static constexpr uint64_t kMaxSurfacePixels = 1u << 26;
  // Decoded bitmaps kept for one movie, in pixels; past it further bitmaps draw nothing.
  static constexpr uint64_t kBitmapBudget = 1u << 26;

  SoftwareRenderer() = default;
  void DrawObject(HDC dc, const MovieDefinition& movie, const DisplayObject& object, const Matrix& world,
                  const ColorTransform& color, const StageView& view, int quality) override;
  void DrawFrame(HDC dc, const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                 const FrameView& frame) override;
  // The state buttons the pointer is not on are drawn in (kButtonUp, kButtonOver
  // or kButtonDown); a display-list entry's own state wins when it is not up.
  void SetButtonState(uint8_t state) { buttonState_ = state; }

 private:
  struct FontEntry {
    Font font;
    std::vector<std::unique_ptr<ShapeData>> glyphs;  // read on first use
  };

  bool Begin(HDC dc, const MovieDefinition& movie, const FrameView& frame);
  void End(HDC dc);
  void Forget();
  void DrawList(const Clip& clip, const Matrix& m, const ColorTransform& cx, int nesting);
  void DrawCharacter(uint16_t id, uint16_t ratio, const Matrix& world, const ColorTransform& cx, const Clip* clip,
                     uint8_t buttonState, int nesting);
  uint8_t StateOf(const DisplayObject& object) const;
  void DrawGlyphText(const Character& ch, const Xform& toDevice, const ColorTransform& cx);
  void DrawEditText(const Character& ch, const Xform& toDevice, const ColorTransform& cx);
  void DrawSystemText(const EditTextData& e, const Xform& toDevice, const ColorTransform& cx);
  void DrawStaticSprite(const Character& ch, const Matrix& world, const ColorTransform& cx, int nesting);
  void DrawVideo(uint16_t id, uint16_t frame, const Matrix& world, const ColorTransform& cx);
  const Bitmap* BitmapOf(uint16_t id);
  FontEntry* FontOf(uint16_t id);
  const ShapeData* GlyphOf(FontEntry& font, uint32_t index);
  Xform ToDevice(const Matrix& world) const;

  // The surface.
  ScopedMemoryDC surfaceDC_;
  ScopedBitmap surface_;
  std::unique_ptr<ScopedSelect> selected_;
  int surfaceW_ = 0, surfaceH_ = 0;
  Canvas canvas_;
  Rasterizer raster_;
  DrawTarget target_;
  StageView view_;
  const MovieDefinition* movie_ = nullptr;
  uint8_t buttonState_ = kButtonUp;
  int masksInForce_ = 0;

  // What was read from the current movie.
  uint64_t serial_ = 0;
  ShapeCache shapes_{256};
  std::map<uint16_t, std::unique_ptr<Bitmap>> bitmaps_;
  uint64_t bitmapPixels_ = 0;
  std::map<uint16_t, FontEntry> fonts_;
  std::map<uint16_t, TextData> texts_;
  std::map<uint16_t, EditTextData> editTexts_;
  std::map<uint16_t, std::vector<ButtonPart>> buttons_;
  std::unique_ptr<MovieVideos> videos_;  // made when the first video is drawn
};

}  // namespace flash
