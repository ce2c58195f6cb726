#include "ui/FitText.h"

#include <cwctype>

#include "base/Handles.h"
#include "platform/forms/Control.h"
#include "services/ShellMod.h"

namespace {

// A screen DC with the control's font selected.
class FontDC {
 public:
  explicit FontDC(const forms::Control& control)
      : screen_(nullptr), font_(forms::CreateFontFromSpec(control.Font())), select_(screen_.get(), font_.get()) {}
  HDC get() const { return screen_.get(); }

 private:
  ScopedWindowDC screen_;
  ScopedFont font_;
  ScopedSelect select_;
};

int Width(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// Where a full path begins in the line, or npos.
size_t PathStart(const std::wstring& line) {
  for (size_t i = 0; i + 2 < line.size(); ++i) {
    const bool afterBreak = i == 0 || line[i - 1] == L' ' || line[i - 1] == L'"' || line[i - 1] == L'(';
    if (!afterBreak) continue;
    if (line[i] < 128 && std::iswalpha(line[i]) && line[i + 1] == L':' && line[i + 2] == L'\\') return i;
    if (line[i] == L'\\' && line[i + 1] == L'\\') return i;
  }
  return std::wstring::npos;
}

}  // namespace

SIZE TextSizeIn(const forms::Control& control, const std::wstring& text) {
  FontDC dc(control);
  SIZE size{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

int WrappedHeightIn(const forms::Control& control, const std::wstring& text, int width) {
  FontDC dc(control);
  RECT r{0, 0, width, 0};
  DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return r.bottom - r.top;
}

std::wstring FitPathIn(const forms::Control& control, const std::wstring& path, int width) {
  FontDC dc(control);
  return Width(dc.get(), path) <= width ? path : CompactPath(path, width, dc.get());
}

std::wstring FitPathLines(const forms::Control& control, const std::wstring& text, int width, bool* shortened) {
  FontDC dc(control);
  std::wstring out;
  bool changed = false;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(L'\n', at);
    if (end == std::wstring::npos) end = text.size();
    const size_t lineEnd = end > at && text[end - 1] == L'\r' ? end - 1 : end;
    std::wstring line = text.substr(at, lineEnd - at);
    const size_t start = PathStart(line);
    if (start != std::wstring::npos && Width(dc.get(), line) > width) {
      std::wstring lead = line.substr(0, start);
      const std::wstring path = line.substr(start);
      const int leadWidth = Width(dc.get(), lead);
      if (leadWidth > width / 2) {
        while (!lead.empty() && lead.back() == L' ') lead.pop_back();
        line = lead + L"\r\n" + CompactPath(path, width, dc.get());
      } else {
        line = lead + CompactPath(path, width - leadWidth, dc.get());
      }
      changed = true;
    }
    out += line;
    out.append(text, lineEnd, end - lineEnd);  // the line's own "\r"
    if (end == text.size()) break;
    out += L'\n';
    at = end + 1;
  }
  if (shortened) *shortened = changed;
  return out;
}
