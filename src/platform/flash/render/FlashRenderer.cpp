#include "platform/flash/render/FlashRenderer.h"

#include <algorithm>
#include <cmath>

namespace flash {

RECT StageView::Rect(const RECT& frameTwips) const {
  return RECT{static_cast<LONG>(std::lround(left)), static_cast<LONG>(std::lround(top)),
              static_cast<LONG>(std::lround(left + (frameTwips.right - frameTwips.left) * scaleX)),
              static_cast<LONG>(std::lround(top + (frameTwips.bottom - frameTwips.top) * scaleY))};
}

StageView PlaceStage(const RECT& frameTwips, int width, int height, int scaleMode, int alignMode) {
  StageView v;
  const double stageW = std::max<LONG>(frameTwips.right - frameTwips.left, 1);
  const double stageH = std::max<LONG>(frameTwips.bottom - frameTwips.top, 1);
  const double fitX = width / stageW, fitY = height / stageH;
  switch (scaleMode) {
    case kNoBorder: v.scaleX = v.scaleY = std::max(fitX, fitY); break;
    case kExactFit: v.scaleX = fitX, v.scaleY = fitY; break;
    case kNoScale: v.scaleX = v.scaleY = 1.0 / 20; break;
    default: v.scaleX = v.scaleY = std::min(fitX, fitY); break;
  }
  const double spareX = width - stageW * v.scaleX, spareY = height - stageH * v.scaleY;
  v.left = (alignMode & kAlignLeft) ? 0 : (alignMode & kAlignRight) ? spareX : spareX / 2;
  v.top = (alignMode & kAlignTop) ? 0 : (alignMode & kAlignBottom) ? spareY : spareY / 2;
  return v;
}

bool FlashRenderer::DrawFrame(HDC dc, const MovieDefinition& movie, const Clip& root, const Matrix& origin,
                              const FrameView& frame) {
  DrawList(dc, movie, root, origin, ColorTransform{}, frame);
  return true;
}

void FlashRenderer::DrawList(HDC dc, const MovieDefinition& movie, const Clip& clip, const Matrix& m,
                             const ColorTransform& cx, const FrameView& frame) {
  for (const auto& [depth, obj] : clip.objects) {
    if (!obj.visible) continue;
    const Matrix world = Concat(m, obj.matrix);
    const ColorTransform color = Concat(cx, obj.color);
    DrawObject(dc, movie, obj, world, color, frame.view, frame.quality);
    if (obj.clip) DrawList(dc, obj.clip->movie ? *obj.clip->movie : movie, *obj.clip, world, color, frame);
  }
}

Matrix Concat(const Matrix& p, const Matrix& c) {
  Matrix m;
  m.a = p.a * c.a + p.c * c.b;
  m.b = p.b * c.a + p.d * c.b;
  m.c = p.a * c.c + p.c * c.d;
  m.d = p.b * c.c + p.d * c.d;
  m.tx = static_cast<int32_t>(std::lround(p.a * c.tx + p.c * c.ty + p.tx));
  m.ty = static_cast<int32_t>(std::lround(p.b * c.tx + p.d * c.ty + p.ty));
  return m;
}

ColorTransform Concat(const ColorTransform& p, const ColorTransform& c) {
  ColorTransform r;
  r.mr = p.mr * c.mr / 256, r.mg = p.mg * c.mg / 256, r.mb = p.mb * c.mb / 256, r.ma = p.ma * c.ma / 256;
  r.ar = p.ar + p.mr * c.ar / 256, r.ag = p.ag + p.mg * c.ag / 256;
  r.ab = p.ab + p.mb * c.ab / 256, r.aa = p.aa + p.ma * c.aa / 256;
  return r;
}

}  // namespace flash
