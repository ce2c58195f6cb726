#include "platform/flash/control/HitTester.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/render/ShapeRenderer.h"
#include "platform/flash/parse/TextRecords.h"
#include "platform/flash/render/ScalingGrid.h"

namespace flash {
namespace {

constexpr int kMaxNesting = 32;  // sprites and buttons inside one another

bool IsText(SwfTag t) { return t == SwfTag::DefineText || t == SwfTag::DefineText2 || t == SwfTag::DefineEditText; }
bool IsButton(SwfTag t) { return t == SwfTag::DefineButton || t == SwfTag::DefineButton2; }

}  // namespace

void HitTester::Use(const MovieDefinition& movie) {
  movie_ = &movie;
  if (movie.serial != 0 && seen_.count(movie.serial)) return;
  seen_.insert(movie.serial);
  shapes_.Clear(), parts_.clear(), actions_.clear(), textBounds_.clear();
}

HitTester::InMovieOf::InMovieOf(HitTester& t, const Clip& clip) : t_(t), movie_(t.movie_), frame_(t.frame_) {
  if (clip.movie && clip.movie != t.movie_) t.Use(*clip.movie);
  if (clip.home) t.frame_ = clip.home->frame;
}

HitTester::InMovieOf::~InMovieOf() {
  t_.movie_ = movie_;
  t_.frame_ = frame_;
}

void HitTester::Aim(const FrameView& frame, int x, int y) {
  const Xform view{frame.view.scaleX, 0, 0, frame.view.scaleY, frame.view.left, frame.view.top};
  toPixel_ = Xform{1, 0, 0, 1, -double(x), -double(y)} * view;
  budget_ = kTestBudget;
  chain_.clear();
}

std::optional<ButtonPath> HitTester::ButtonAt(const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                                              const FrameView& frame, int x, int y,
                                              const std::function<bool(const Clip&)>& isButton) {
  const POINT pt{x, y};
  if (!PtInRect(&frame.clip, pt)) return std::nullopt;
  Use(movie);
  Aim(frame, x, y);
  frame_ = root.frame;
  isButton_ = isButton;
  std::vector<int32_t> path;
  ButtonPath found;
  const bool hit = Find(root, origin, 0, path, found);
  movie_ = nullptr;
  isButton_ = nullptr;
  if (!hit) return std::nullopt;
  return found;
}

std::optional<ButtonPath> HitTester::FieldAt(const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                                             const FrameView& frame, int x, int y) {
  const POINT pt{x, y};
  if (!PtInRect(&frame.clip, pt)) return std::nullopt;
  Use(movie);
  Aim(frame, x, y);
  frame_ = root.frame;
  std::vector<int32_t> path;
  ButtonPath found;
  const bool hit = FindField(root, origin, 0, path, found);
  movie_ = nullptr;
  if (!hit) return std::nullopt;
  return found;
}

bool HitTester::FindField(const Clip& clip, const Matrix& m, int nesting, std::vector<int32_t>& path,
                          ButtonPath& found) {
  if (nesting > kMaxNesting) return false;
  InMovieOf in(*this, clip);
  for (auto it = clip.objects.rbegin(); it != clip.objects.rend(); ++it) {
    const auto& [depth, obj] = *it;
    if (!obj.visible || obj.clipDepth > 0) continue;
    const Matrix world = Concat(m, obj.matrix);
    path.push_back(depth);
    if (obj.clip && FindField(*obj.clip, world, nesting + 1, path, found)) return true;
    if (obj.text && obj.text->input && BoxCovers(obj.text->data.bounds, world)) {
      found = ButtonPath{path, obj.character};
      return true;
    }
    path.pop_back();
  }
  return false;
}

const std::vector<ButtonAction>& HitTester::ActionsOf(const MovieDefinition& movie, uint16_t id, int frame) {
  Use(movie);
  const Character* ch = movie.Find(id, frame);
  auto it = actions_.find(ch);
  if (it == actions_.end())
    it = actions_.emplace(ch, ch ? ReadButtonActions(*ch, movie.version) : std::vector<ButtonAction>{}).first;
  return it->second;
}

// Top-most first: a sprite's buttons lie above everything below the sprite.
bool HitTester::Find(const Clip& clip, const Matrix& m, int nesting, std::vector<int32_t>& path, ButtonPath& found) {
  if (nesting > kMaxNesting) return false;
  InMovieOf in(*this, clip);
  // Whether every clip layer masking depth covers the pixel.
  auto unmasked = [&](int32_t depth) {
    for (const auto& [d, mask] : clip.objects) {
      if (d >= depth) break;
      if (mask.clipDepth >= depth &&
          !Covers(mask.character, mask.ratio, Concat(m, mask.matrix), mask.clip.get(), nesting + 1))
        return false;
    }
    return true;
  };
  for (auto it = clip.objects.rbegin(); it != clip.objects.rend(); ++it) {
    const auto& [depth, obj] = *it;
    if (obj.clipDepth > 0 || !obj.visible) continue;  // a clip layer masks; it takes no pointer itself
    const Matrix world = Concat(m, obj.matrix);
    if (obj.clip) {
      if (!unmasked(depth)) continue;
      path.push_back(depth);
      // A clip acting as a button takes the pointer for all it holds.
      if (isButton_ && isButton_(*obj.clip) && EntryCovers(obj, world, nesting + 1)) {
        found = ButtonPath{path, obj.character};
        return true;
      }
      if (Find(*obj.clip, world, nesting + 1, path, found)) return true;
      path.pop_back();
      continue;
    }
    const Character* ch = movie_->Find(obj.character, frame_);
    if (!ch || !IsButton(ch->tagCode)) continue;
    if (!Covers(obj.character, 0, world, nullptr, nesting + 1, &obj.matrix) || !unmasked(depth)) continue;
    path.push_back(depth);
    found = ButtonPath{path, obj.character};
    return true;
  }
  return false;
}

// Whether a character drawn at world covers the pixel: a button through its
// hit state, a sprite through its running timeline (else its first frame).
bool HitTester::Covers(uint16_t id, uint16_t ratio, const Matrix& world, const Clip* running, int nesting,
                       const Matrix* own) {
  if (nesting > kMaxNesting || budget_ <= 0) return false;
  --budget_;
  const Character* ch = movie_->Find(id, frame_);
  if (!ch) return false;
  const SwfTag tag = ch->tagCode;
  if (IsShape(tag) || IsMorph(tag)) {
    const ShapeData* shape = shapes_.ShapeOf(*ch, ratio);
    return shape && ShapeCovers(*shape, world);
  }
  if (IsText(tag)) {
    auto it = textBounds_.find(ch);
    if (it == textBounds_.end()) {
      RECT bounds{};
      if (!ReadTextBounds(*ch, bounds)) bounds = RECT{};
      it = textBounds_.emplace(ch, bounds).first;
    }
    return BoxCovers(it->second, world);
  }
  if (!IsButton(tag) && tag != SwfTag::DefineSprite) return false;
  if (std::find(chain_.begin(), chain_.end(), ch) != chain_.end()) return false;  // inside itself
  chain_.push_back(ch);
  bool covers = false;
  if (IsButton(tag)) {
    covers = ButtonCovers(*ch, world, nesting, own);
  } else if (running) {
    GridWarp warp;
    const bool warped = ClipGrid(id, *running, world, warp);
    covers = ListCovers(*running, world, nesting + 1, warped ? &warp : nullptr);
  } else {
    for (const auto& [depth, cmd] : FirstFramePlacements(*movie_, *ch))
      if (Covers(*cmd->character, cmd->ratio.value_or(0), Concat(world, cmd->matrix.value_or(Matrix{})), nullptr,
                 nesting + 1)) {
        covers = true;
        break;
      }
  }
  chain_.pop_back();
  return covers;
}

// A button through its hit state; with a scaling grid, its shapes warped
// as they are drawn (the grid spans the shapes of all its states).
bool HitTester::ButtonCovers(const Character& ch, const Matrix& world, int nesting, const Matrix* own) {
  const std::vector<ButtonPart>& parts = PartsOf(ch);
  GridWarp warp;
  bool grid = false;
  const auto defined = movie_->scalingGrids.find(ch.id);
  if (own && defined != movie_->scalingGrids.end()) {
    GridBounds content;
    for (const ButtonPart& part : parts)
      if (const Character* shape = movie_->Find(part.character, frame_)) content.AddShape(*shape, part.matrix);
    grid = MakeGridWarp(defined->second, content, *own, toPixel_ * Xform::From(world), warp);
  }
  for (const ButtonPart& part : parts) {
    if (!(part.states & kButtonHit)) continue;
    const ShapeData* shape = grid ? ShapeOf(part.character) : nullptr;
    if (shape) warp.inner = Xform::From(part.matrix);
    if (shape ? ShapeCovers(*shape, world, &warp)
              : Covers(part.character, 0, Concat(world, part.matrix), nullptr, nesting + 1, &part.matrix))
      return true;
  }
  return false;
}

// The scaling grid of sprite id running as clip, as drawn; false for none.
bool HitTester::ClipGrid(uint16_t id, const Clip& clip, const Matrix& world, GridWarp& warp) {
  const auto defined = movie_->scalingGrids.find(id);
  if (!clip.entry || (!clip.entry->scale9Grid && defined == movie_->scalingGrids.end())) return false;
  const RECT& grid = clip.entry->scale9Grid ? *clip.entry->scale9Grid : defined->second;
  GridBounds content;
  for (const auto& [depth, obj] : clip.objects)
    if (const Character* ch = obj.clip || obj.text ? nullptr : movie_->Find(obj.character, frame_))
      content.AddShape(*ch, obj.matrix);
  return MakeGridWarp(grid, content, clip.entry->matrix, toPixel_ * Xform::From(world), warp);
}

const ShapeData* HitTester::ShapeOf(uint16_t id) {
  const Character* ch = movie_->Find(id, frame_);
  return ch && IsShape(ch->tagCode) ? shapes_.ShapeOf(*ch, 0) : nullptr;
}

bool HitTester::ListCovers(const Clip& clip, const Matrix& m, int nesting, GridWarp* grid) {
  InMovieOf in(*this, clip);
  if (clip.drawing && !clip.drawing->Empty() && ShapeCovers(clip.drawing->Shape(), m)) return true;
  for (const auto& [depth, obj] : clip.objects) {
    if (obj.clipDepth || !obj.visible) continue;
    const ShapeData* shape = grid && !obj.clip && !obj.text ? ShapeOf(obj.character) : nullptr;
    if (shape) grid->inner = Xform::From(obj.matrix);
    if (shape ? ShapeCovers(*shape, m, grid) : EntryCovers(obj, Concat(m, obj.matrix), nesting)) return true;
  }
  return false;
}

// An entry as it stands: a text field by its own bounds, a clip by its list
// (and drawing), anything else by its character.
bool HitTester::EntryCovers(const DisplayObject& obj, const Matrix& world, int nesting) {
  if (obj.text) return BoxCovers(obj.text->data.bounds, world);
  if (obj.clip && obj.clip->timeline < 0) return ListCovers(*obj.clip, world, nesting + 1);
  return Covers(obj.character, obj.ratio, world, obj.clip.get(), nesting);
}

bool HitTester::BoxCovers(const RECT& b, const Matrix& world) {
  if (b.right <= b.left || b.bottom <= b.top) return false;
  ShapeData box;
  box.fills.resize(2);
  ShapePath edge;
  edge.fill1 = 1;
  const float l = float(b.left), t = float(b.top), r = float(b.right), bo = float(b.bottom);
  edge.segments = {{l, t, 0, 0, r, t, false}, {r, t, 0, 0, r, bo, false}, {r, bo, 0, 0, l, bo, false},
                   {l, bo, 0, 0, l, t, false}};
  box.paths.push_back(std::move(edge));
  return ShapeCovers(box, world);
}

// Draws the shape into a one-pixel mask at the tested pixel, hard-edged.
bool HitTester::ShapeCovers(const ShapeData& shape, const Matrix& world, const GridWarp* warp) {
  uint32_t pixel = 0;
  uint8_t covered = 0;
  PixelCanvas canvas{1, 1, &pixel, nullptr};
  DrawTarget target;
  target.canvas = &canvas;
  target.raster = &raster_;
  target.clip = RECT{0, 0, 1, 1};
  target.antialias = false;
  target.maskOut = &covered;
  target.warp = warp;
  target.stageScale = (std::hypot(toPixel_.a, toPixel_.b) + std::hypot(toPixel_.c, toPixel_.d)) / 2;
  DrawShape(target, shape, toPixel_ * Xform::From(world), ColorTransform{});
  return covered > 0;
}

const std::vector<ButtonPart>& HitTester::PartsOf(const Character& ch) {
  auto it = parts_.find(&ch);
  if (it == parts_.end()) it = parts_.emplace(&ch, ReadButtonParts(ch)).first;
  return it->second;
}

}  // namespace flash
