#include "ui/cUxTheme.h"

#include "base/ErrorLog.h"
#include "images/DibCommon.h"

namespace {

// The system's message for an error code, "" when it has none.
std::wstring ApiErrorText(DWORD code) {
  wchar_t buffer[256] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                           256, nullptr);
  return std::wstring(buffer, n);
}

// Theme data for one call, closed on leaving.
class OpenTheme {
 public:
  OpenTheme(HWND window, const std::wstring& cls) : h_(OpenThemeData(window, cls.c_str())) {}
  ~OpenTheme() {
    if (h_) CloseThemeData(h_);
  }
  OpenTheme(const OpenTheme&) = delete;
  OpenTheme& operator=(const OpenTheme&) = delete;
  HTHEME get() const { return h_; }

 private:
  HTHEME h_;
};

// Only a child window has a parent whose background can show through its part;
// a top-level window (the main window, whose menus are drawn) keeps its client area.
bool HasParentBackground(HWND window) {
  return window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) && GetParent(window);
}

}  // namespace

std::wstring cUxTheme::StepText(const wchar_t* what) const {
  return std::wstring(what) + L" for class '" + Class + L"', partId=" + std::to_wstring(Part) +
         L", stateId=" + std::to_wstring(State);
}

bool cUxTheme::Report(const std::wstring& message, DWORD code) {
  if (!RaiseErrors) return true;
  SetError(ThemeErrorNumber, dib::ErrorSource(L".cUxTheme"), message + L"\r\n" + ApiErrorText(code));
  return false;
}

bool cUxTheme::PartSize(THEMESIZE size, SIZE& out) {
  OpenTheme theme(hWnd, Class);
  if (!theme.get()) {
    Report(L"No theme data for class '" + Class + L"'", GetLastError());
    return false;
  }
  out = {};
  HRESULT hr = GetThemePartSize(theme.get(), hdc, Part, State, nullptr, size, &out);
  if (FAILED(hr)) {
    Report(StepText(L"Failed to read part size"), static_cast<DWORD>(hr));
    return false;
  }
  return true;
}

long cUxTheme::PartWidth(THEMESIZE size) {
  SIZE s;
  return PartSize(size, s) ? s.cx : 0;
}

long cUxTheme::PartHeight(THEMESIZE size) {
  SIZE s;
  return PartSize(size, s) ? s.cy : 0;
}

RECT cUxTheme::PartRect(HTHEME theme, int iconWidth, int iconHeight) {
  RECT r{Left, Top, Left + Width, Top + Height};
  if (!UseThemeSize) return r;
  SIZE size{};
  if (SUCCEEDED(GetThemePartSize(theme, hdc, Part, State, &r, TS_TRUE, &size))) {
    r.right = Left + size.cx;
    r.bottom = Top + size.cy;
  }
  RECT content{};
  GetThemeBackgroundContentRect(theme, hdc, Part, State, &r, &content);
  if (IconIndex >= 0 && hIml) {
    const int ch = content.bottom - content.top, cw = content.right - content.left;
    if (ch < iconHeight + 4) r.bottom += iconHeight - ch + 4;
    if (cw < iconWidth) r.right += iconWidth - cw;  // iconWidth is the image's width + 4
  }
  if (!Text.empty()) {
    GetThemeBackgroundContentRect(theme, hdc, Part, State, &r, &content);
    RECT extent{};
    GetThemeTextExtent(theme, hdc, Part, State, Text.c_str(), -1, TextAlign, &r, &extent);
    const int ch = content.bottom - content.top, cw = content.right - content.left;
    const int eh = extent.bottom - extent.top, ew = extent.right - extent.left;
    if (ch < eh) r.bottom += eh - ch;
    if (cw - iconWidth < ew + 8) r.right += ew - cw + iconWidth + 8;
  }
  return r;
}

bool cUxTheme::Draw() {
  bool result = true;
  OpenTheme theme(hWnd, Class);
  if (!theme.get()) {
    Report(L"No theme data for class '" + Class + L"'", GetLastError());
    return false;
  }
  // iconWidth includes the 4-pixel gap the caption keeps from the icon.
  int iconWidth = 0, iconHeight = 0;
  IMAGEINFO image{};
  if (IconIndex >= 0 && hIml && ImageList_GetImageInfo(hIml, IconIndex, &image)) {
    iconWidth = image.rcImage.right - image.rcImage.left + 4;
    iconHeight = image.rcImage.bottom - image.rcImage.top;
  }
  RECT r = PartRect(theme.get(), iconWidth, iconHeight);

  auto fail = [&](const wchar_t* what, HRESULT hr) {
    result = false;
    return Report(StepText(what), static_cast<DWORD>(hr));
  };
  if (HasParentBackground(hWnd)) {
    HRESULT hr = DrawThemeParentBackground(hWnd, hdc, &r);
    if (FAILED(hr) && !fail(L"Failed to parent draw background", hr)) return false;
  }
  HRESULT hr = DrawThemeBackground(theme.get(), hdc, Part, State, &r, &r);
  if (FAILED(hr) && !fail(L"Failed to draw background", hr)) return false;

  if (!Text.empty()) {
    RECT textRect{};
    hr = GetThemeBackgroundContentRect(theme.get(), hdc, Part, State, &r, &textRect);
    if (FAILED(hr) && !fail(L"Failed to retrieve background content rectangle", hr)) return false;
    textRect.left += iconWidth;
    hr = DrawThemeText(theme.get(), hdc, Part, State, Text.c_str(), -1, TextAlign, 0, &textRect);
    if (FAILED(hr) && !fail(L"Failed to draw theme text", hr)) return false;
  }
  if (IconIndex > -1) {
    RECT iconRect{};
    GetThemeBackgroundContentRect(theme.get(), hdc, Part, State, &r, &iconRect);
    IMAGEINFO info{};
    ImageList_GetImageInfo(hIml, IconIndex, &info);
    iconRect.left += 2;
    iconRect.top += 2;
    iconRect.right = iconRect.left + (info.rcImage.right - info.rcImage.left);
    iconRect.bottom = iconRect.top + (info.rcImage.bottom - info.rcImage.top);
    hr = DrawThemeIcon(theme.get(), hdc, Part, State, &iconRect, hIml, IconIndex);
    if (FAILED(hr) && !fail(L"Failed to draw theme icon", hr)) return false;
  }
  return result;
}
