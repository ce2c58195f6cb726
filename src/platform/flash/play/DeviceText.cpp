#include "platform/flash/play/DeviceText.h"

#include <algorithm>

#include "base/Handles.h"

namespace flash {

const wchar_t* DeviceFontName(const std::wstring& name) {
  if (name == L"_serif") return L"Times New Roman";
  if (name == L"_typewriter") return L"Courier New";
  if (name.empty() || name == L"_sans") return L"Arial";
  return name.c_str();
}

HFONT CreateDeviceFont(const std::wstring& name, bool bold, bool italic, int pixelHeight) {
  return CreateFontW(-std::clamp(pixelHeight, 1, 2000), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, FALSE, FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                     DeviceFontName(name));
}

bool MeasureDeviceText(const std::wstring& text, const std::wstring& name, bool bold, bool italic, int pixelHeight,
                       int wrapWidth, SIZE& size) {
  ScopedFont font(CreateDeviceFont(name, bold, italic, pixelHeight));
  ScopedMemoryDC dc(nullptr);
  if (!font || !dc) return false;
  ScopedSelect use(dc.get(), font.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  RECT box{0, 0, std::max(wrapWidth, 0), 0};
  const UINT format = DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : 0);
  if (!text.empty()) DrawTextW(dc.get(), text.c_str(), static_cast<int>(std::min<size_t>(text.size(), INT_MAX)), &box, format);
  size.cx = text.empty() ? 0 : box.right - box.left;
  size.cy = std::max<LONG>(box.bottom - box.top, metrics.tmHeight);
  return true;
}

}  // namespace flash
