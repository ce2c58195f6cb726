// The control's drawing: the window's paint messages and the frame drawn
// into a DC, the stage placed in the client area by the scale and alignment.
#include "platform/flash/control/FlashControl.h"

#include "base/Handles.h"

namespace flash {

bool FlashControl::OnPaintMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  result = msg == WM_ERASEBKGND ? 1 : 0;
  if (msg == WM_ERASEBKGND) return true;
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (wp) {
    result = Paint(reinterpret_cast<HDC>(wp), client.right, client.bottom) ? 0 : 1;
    return true;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (client.right > 0 && client.bottom > 0) {
    ScopedMemoryDC memory(dc);
    ScopedBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (memory && bitmap) {
      ScopedSelect use(memory.get(), bitmap.get());
      Paint(memory.get(), client.right, client.bottom);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(hwnd_, &ps);
  return true;
}

// ---- Painting ---------------------------------------------------------------------

int FlashControl::RenderQualityLevel() const {
  if (quality2_ == L"Low" || quality2_ == L"AutoLow") return kQualityLow;
  return quality2_ == L"Medium" ? kQualityMedium : kQualityHigh;
}

FrameView FlashControl::ViewOf(int width, int height) const {
  FrameView frame{width, height, RECT{0, 0, width, height}, StageView{}, RenderQualityLevel()};
  if (!movie_) return frame;
  frame.view = PlaceStage(movie_->frame, width, height, scaleMode_, alignMode_);
  // Show all and no border show nothing outside the stage.
  if (scaleMode_ == kShowAll || scaleMode_ == kNoBorder) {
    const RECT all = frame.clip, stage = frame.view.Rect(movie_->frame);
    IntersectRect(&frame.clip, &all, &stage);
  }
  return frame;
}

Matrix FlashControl::Origin() const {
  Matrix origin;
  if (movie_) origin.tx = -movie_->frame.left, origin.ty = -movie_->frame.top;
  return origin;
}

bool FlashControl::Paint(HDC dc, int width, int height) {
  if (!dc || width <= 0 || height <= 0) return false;
  RECT all{0, 0, width, height};
  ScopedBrush back(CreateSolidBrush(BackgroundColor()));
  FillRect(dc, &all, back.get());
  if (!movie_) return true;
  const FrameView frame = ViewOf(width, height);
  const StageView& view = frame.view;
  if (alpha_ <= 0) return true;
  // Below full opacity the content is drawn on a copy of the background and blended back.
  ScopedMemoryDC layer(alpha_ < 100 ? dc : nullptr);
  ScopedBitmap layerBitmap(alpha_ < 100 ? CreateCompatibleBitmap(dc, width, height) : nullptr);
  const bool blended = layer && layerBitmap;
  std::unique_ptr<ScopedSelect> use;
  HDC target = dc;
  if (blended) {
    use = std::make_unique<ScopedSelect>(layer.get(), layerBitmap.get());
    BitBlt(layer.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    target = layer.get();
  }
  bool drawn = true;
  if (page_ && page_->FillsControl()) {
    page_->Paint(target, RECT{0, 0, width, height}, 1.0);
  } else if (page_) {
    page_->Paint(target, view.Rect(movie_->frame), view.scaleX * 20);
  } else if (player_) {
    drawn = renderer_->DrawFrame(target, *movie_, player_->Root(), Origin(), frame);
    // Movies loaded into levels above, lowest first.
    for (const auto& [n, level] : player_->Levels())
      drawn = renderer_->DrawFrame(target, *level->movie, *level, Origin(), frame) && drawn;
  }
  if (blended) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha_ * 255 / 100), 0};
    AlphaBlend(dc, 0, 0, width, height, layer.get(), 0, 0, width, height, blend);
  }
  return drawn;
}

}  // namespace flash
