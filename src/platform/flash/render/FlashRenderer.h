// The drawing seam of the movie control: where the stage lands in the
// control, and the interface that draws one display-list entry. The control
// paints the background and walks the display list; a renderer draws the
// characters (the default one draws nothing).
#pragma once
#include <windows.h>

#include "platform/flash/play/MoviePlayer.h"

namespace flash {

// The stage rectangle in the control's pixels and the twips-to-pixels scale.
struct StageView {
  double left = 0, top = 0;        // where the stage's (0, 0) lands, pixels
  double scaleX = 0, scaleY = 0;   // pixels per twip
  RECT Rect(const RECT& frameTwips) const;
};

enum ScaleModes { kShowAll = 0, kNoBorder = 1, kExactFit = 2, kNoScale = 3 };
enum AlignFlags { kAlignLeft = 1, kAlignRight = 2, kAlignTop = 4, kAlignBottom = 8 };

// How finely a frame is drawn: Low draws hard edges and unsmoothed bitmaps,
// Medium anti-aliases edges, High also smooths bitmaps.
enum RenderQuality { kQualityLow = 0, kQualityMedium = 1, kQualityHigh = 2 };

// One frame's drawing area: the DC's size in pixels, the part of it content
// may cover, where the stage lands, and the quality.
struct FrameView {
  int width = 0, height = 0;
  RECT clip{};
  StageView view;
  int quality = kQualityHigh;
};

// Places a stage of frameTwips in a client area of width x height pixels.
StageView PlaceStage(const RECT& frameTwips, int width, int height, int scaleMode, int alignMode);

class FlashRenderer {
 public:
  virtual ~FlashRenderer() = default;
  // Draws one entry; world maps the character's twips to the stage's twips,
  // view maps those to the DC's pixels.
  virtual void DrawObject(HDC dc, const MovieDefinition& movie, const DisplayObject& object, const Matrix& world,
                          const ColorTransform& color, const StageView& view, int quality) = 0;
  // Draws a whole display list over what the DC holds; origin maps the stage
  // to its own twips. By default each entry goes to DrawObject in depth
  // order, sprites after their own entry. False when the frame, or a part of
  // it, could not be drawn.
  virtual bool DrawFrame(HDC dc, const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                         const FrameView& frame);

 private:
  void DrawList(HDC dc, const MovieDefinition& movie, const Clip& clip, const Matrix& m, const ColorTransform& cx,
                const FrameView& frame);
};

class NullRenderer : public FlashRenderer {
 public:
  void DrawObject(HDC, const MovieDefinition&, const DisplayObject&, const Matrix&, const ColorTransform&,
                  const StageView&, int) override {}
};

// Composes a parent's transform with a child's.
Matrix Concat(const Matrix& parent, const Matrix& child);
ColorTransform Concat(const ColorTransform& parent, const ColorTransform& child);

}  // namespace flash
