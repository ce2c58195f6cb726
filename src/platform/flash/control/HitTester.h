// Finds the button under a pixel of the control: the display list is walked
// top-most first, down through sprites, and each button is tested through
// the characters of its hit state with the composed matrices; clip layers
// hide what they mask wherever they do not cover the pixel. A shape covers a
// pixel when, drawn without anti-aliasing, it covers the pixel's centre;
// a text covers its bounds; the shapes of a sprite or button with a scaling
// grid cover what they draw warped by it. Only buttons, and clips that say they act as
// buttons, take the pointer: shapes drawn above a button do not hide it;
// hidden entries take nothing. As in drawing, a button or sprite inside itself
// (directly or through others) is not followed again, and one test follows at
// most kTestBudget characters. A clip showing a loaded movie is tested
// through that movie's characters. Characters read for testing, and each
// button's actions, are kept until a movie never tested before is tested.
#pragma once
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "platform/flash/parse/ButtonRecords.h"
#include "platform/flash/render/FlashRenderer.h"
#include "platform/flash/parse/MorphShape.h"
#include "platform/flash/render/ShapeCache.h"
#include "platform/flash/render/Rasterizer.h"
#include "platform/flash/render/ShapeRenderer.h"
#include "platform/flash/parse/ShapeRecords.h"

namespace flash {

// A button on the display list: the depths from the main timeline down
// through sprites to the button's own, and its character.
struct ButtonPath {
  std::vector<int32_t> depths;
  uint16_t character = 0;
  bool operator==(const ButtonPath&) const = default;
};

class HitTester {
 public:
  static constexpr int kTestBudget = 20000;

  // The top-most button covering pixel (x, y) of a frame drawn as frame
  // describes (origin as for FlashRenderer::DrawFrame); a clip for which
  // isButton holds takes the pointer itself when its content covers the pixel.
  std::optional<ButtonPath> ButtonAt(const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                                     const FrameView& frame, int x, int y,
                                     const std::function<bool(const Clip&)>& isButton = {});
  // The top-most input text field whose bounds hold the pixel.
  std::optional<ButtonPath> FieldAt(const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                                    const FrameView& frame, int x, int y);
  // The actions of a button character as defined at a main-timeline frame
  // (empty for anything else).
  const std::vector<ButtonAction>& ActionsOf(const MovieDefinition& movie, uint16_t id, int frame);

 private:
  void Use(const MovieDefinition& movie);
  // Looks up characters in the movie a clip shows while it is walked.
  class InMovieOf {
   public:
    InMovieOf(HitTester& t, const Clip& clip);
    ~InMovieOf();

   private:
    HitTester& t_;
    const MovieDefinition* movie_;
    int frame_;
  };
  bool Find(const Clip& clip, const Matrix& m, int nesting, std::vector<int32_t>& path, ButtonPath& found);
  bool FindField(const Clip& clip, const Matrix& m, int nesting, std::vector<int32_t>& path, ButtonPath& found);
  void Aim(const FrameView& frame, int x, int y);
  // own: the matrix placing the character in its parent (for a button's scaling grid).
  bool Covers(uint16_t id, uint16_t ratio, const Matrix& world, const Clip* running, int nesting,
              const Matrix* own = nullptr);
  bool ButtonCovers(const Character& ch, const Matrix& world, int nesting, const Matrix* own);
  bool ClipGrid(uint16_t id, const Clip& clip, const Matrix& world, GridWarp& warp);
  bool EntryCovers(const DisplayObject& obj, const Matrix& world, int nesting);
  bool BoxCovers(const RECT& b, const Matrix& world);
  // grid: the warp of the clip's scaling grid, for the shapes it shows directly.
  bool ListCovers(const Clip& clip, const Matrix& m, int nesting, GridWarp* grid = nullptr);
  bool ShapeCovers(const ShapeData& shape, const Matrix& world, const GridWarp* warp = nullptr);
  // The shape a character is, null for anything else.
  const ShapeData* ShapeOf(uint16_t id);
  const std::vector<ButtonPart>& PartsOf(const Character& ch);

  const MovieDefinition* movie_ = nullptr;
  std::function<bool(const Clip&)> isButton_;
  int frame_ = 0;                        // the main timeline's, for the definitions in force
  int budget_ = 0;                       // characters the running test may still follow
  std::vector<const Character*> chain_;  // the buttons and sprites being followed, outermost first
  std::set<uint64_t> seen_;
  Xform toPixel_;  // stage twips -> the tested pixel's own space, its centre at (0.5, 0.5)
  Rasterizer raster_;
  ShapeCache shapes_{64};
  std::map<const Character*, std::vector<ButtonPart>> parts_;
  std::map<const Character*, std::vector<ButtonAction>> actions_;
  std::map<const Character*, RECT> textBounds_;
};

}  // namespace flash
