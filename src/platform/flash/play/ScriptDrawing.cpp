#include "platform/flash/play/ScriptDrawing.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/render/BitmapSurface.h"

namespace flash {
namespace {

float Twips(double pixels) { return static_cast<float>(std::clamp(pixels * 20, -1e8, 1e8)); }

}  // namespace

void ScriptDrawing::Clear() {
  shape_ = ShapeData{};
  fill_ = line_ = 0;
  hasLine_ = false;
  x_ = y_ = startX_ = startY_ = 0;
  pathOpen_ = false;
  segments_ = 0;
  bitmaps_.clear();
  ++version_;
}

uint16_t ScriptDrawing::AddBitmap(std::shared_ptr<BitmapSurface> bitmap) {
  for (size_t i = 0; i < bitmaps_.size(); ++i)
    if (bitmaps_[i] == bitmap) return static_cast<uint16_t>(i + 1);
  if (!bitmap || bitmaps_.size() >= 1024) return 0;
  bitmaps_.push_back(std::move(bitmap));
  return static_cast<uint16_t>(bitmaps_.size());
}

const Bitmap* ScriptDrawing::BitmapOf(uint16_t id) const {
  if (!id || id > bitmaps_.size() || bitmaps_[id - 1u]->Disposed()) return nullptr;
  return &bitmaps_[id - 1u]->Shown();
}

void ScriptDrawing::StartPath() {
  if (shape_.paths.empty() || !shape_.paths.back().segments.empty()) shape_.paths.emplace_back();
  ShapePath& p = shape_.paths.back();
  p.fill0 = 0, p.fill1 = fill_, p.line = line_;
  pathOpen_ = true;
}

void ScriptDrawing::LineStyle(double thickness, Rgba color, const std::wstring& scaleMode) {
  if (shape_.lines.empty()) shape_.lines.emplace_back();  // index 0 is none
  if (thickness < 0 || !std::isfinite(thickness) || shape_.lines.size() >= kMaxStyles) {
    hasLine_ = false;
    line_ = 0;
  } else {
    lineStyle_ = flash::LineStyle{};
    lineStyle_.width = static_cast<uint16_t>(std::clamp(thickness, 0.0, 255.0) * 20);
    lineStyle_.color = color;
    lineStyle_.noHScale = scaleMode == L"none" || scaleMode == L"vertical";
    lineStyle_.noVScale = scaleMode == L"none" || scaleMode == L"horizontal";
    lineStyle_.group = shape_.groups - 1;
    shape_.lines.push_back(lineStyle_);
    hasLine_ = true;
    line_ = static_cast<uint32_t>(shape_.lines.size() - 1);
  }
  pathOpen_ = false;
  ++version_;
}

void ScriptDrawing::BeginFill(const FillStyle& fill) {
  if (fill_) EndFill();
  if (shape_.fills.empty()) shape_.fills.emplace_back();
  if (shape_.fills.size() >= kMaxStyles) return;
  // A new group, so this fill lies over what came before; the line in force goes along.
  ++shape_.groups;
  FillStyle f = fill;
  f.group = shape_.groups - 1;
  shape_.fills.push_back(f);
  fill_ = static_cast<uint32_t>(shape_.fills.size() - 1);
  if (hasLine_) {
    if (shape_.lines.empty()) shape_.lines.emplace_back();
    lineStyle_.group = shape_.groups - 1;
    shape_.lines.push_back(lineStyle_);
    line_ = static_cast<uint32_t>(shape_.lines.size() - 1);
  }
  startX_ = x_, startY_ = y_;
  pathOpen_ = false;
  ++version_;
}

void ScriptDrawing::Close() {
  if (fill_ && (x_ != startX_ || y_ != startY_)) {
    if (!pathOpen_) StartPath();
    Add(Segment{x_, y_, 0, 0, startX_, startY_, false});
    x_ = startX_, y_ = startY_;
  }
}

void ScriptDrawing::EndFill() {
  if (!fill_) return;
  Close();
  fill_ = 0;
  pathOpen_ = false;
  ++version_;
}

void ScriptDrawing::Add(const Segment& s) {
  if (segments_ >= kMaxShapeEdges) return;
  ++segments_;
  shape_.paths.back().segments.push_back(s);
  ++version_;
}

void ScriptDrawing::MoveTo(double x, double y) {
  Close();
  x_ = Twips(x), y_ = Twips(y);
  startX_ = x_, startY_ = y_;
  pathOpen_ = false;
}

void ScriptDrawing::LineTo(double x, double y) {
  if (!pathOpen_) StartPath();
  const float nx = Twips(x), ny = Twips(y);
  Add(Segment{x_, y_, 0, 0, nx, ny, false});
  x_ = nx, y_ = ny;
}

void ScriptDrawing::CurveTo(double cx, double cy, double x, double y) {
  if (!pathOpen_) StartPath();
  const float nx = Twips(x), ny = Twips(y);
  Add(Segment{x_, y_, Twips(cx), Twips(cy), nx, ny, true});
  x_ = nx, y_ = ny;
}

bool ScriptDrawing::Bounds(double& left, double& top, double& right, double& bottom) const {
  bool any = false;
  for (const ShapePath& p : shape_.paths) {
    const double half = p.line && p.line < shape_.lines.size() ? shape_.lines[p.line].width / 2.0 : 0;
    for (const Segment& s : p.segments) {
      double xs[3] = {s.x0, s.x1, s.curve ? s.cx : s.x1}, ys[3] = {s.y0, s.y1, s.curve ? s.cy : s.y1};
      for (int i = 0; i < 3; ++i) {
        if (!any) left = right = xs[i], top = bottom = ys[i], any = true;
        left = std::min(left, xs[i] - half), right = std::max(right, xs[i] + half);
        top = std::min(top, ys[i] - half), bottom = std::max(bottom, ys[i] + half);
      }
    }
  }
  return any;
}

Xform GradientBox(double x, double y, double width, double height, double rotation) {
  const double w = width * 20, h = height * 20;
  const double c = std::cos(rotation), s = std::sin(rotation);
  return Xform{c * w / 32768, s * w / 32768, -s * h / 32768, c * h / 32768, x * 20 + w / 2, y * 20 + h / 2};
}

Xform GradientMatrix(double a, double b, double d, double e, double g, double h) {
  const double k = 20.0 / 32768;
  return Xform{a * k, b * k, d * k, e * k, g * 20, h * 20};
}

}  // namespace flash
