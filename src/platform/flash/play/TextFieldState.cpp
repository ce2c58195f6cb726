#include "platform/flash/play/TextFieldState.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "base/TextConv.h"

namespace flash {
namespace {

constexpr size_t kMaxFieldText = size_t(1) << 20;

// The text as htmlText gives it: escaped, each line end as "<br>".
std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  const std::wstring_view view(text);
  for (size_t start = 0;;) {
    const size_t end = view.find_first_of(L"\r\n", start);
    AppendXmlEscaped(out, view.substr(start, end - start), kXmlScriptText);
    if (end == std::wstring_view::npos) break;
    out += L"<br>";
    start = end + 1;
  }
  return out;
}

}  // namespace

TextFieldState TextFieldState::FromCharacter(const EditTextData& e) {
  TextFieldState s;
  s.data = e;
  s.html = e.html ? e.source : L"";
  s.input = !e.readOnly;
  s.selectable = !e.noSelect;
  s.autoSize = e.autoSize ? kLeft : kNone;
  s.caret = e.text.size();
  return s;
}

TextFieldState TextFieldState::Empty(int32_t width, int32_t height) {
  TextFieldState s;
  s.data.bounds = RECT{0, 0, width, height};
  s.data.height = 240;
  s.data.readOnly = true;
  return s;
}

void TextFieldState::SetText(const std::wstring& text) {
  std::wstring t = text.substr(0, kMaxFieldText);
  if (data.maxLength && t.size() > data.maxLength && input) t.resize(data.maxLength);
  if (t == data.text && html.empty()) return;
  data.text = std::move(t);
  html.clear();
  caret = std::min(caret, data.text.size());
  ++version;
}

void TextFieldState::SetHtml(const std::wstring& source) {
  if (!data.html) {
    SetText(source);
    return;
  }
  html = source.substr(0, kMaxFieldText);
  data.text = PlainFromHtml(html);
  caret = std::min(caret, data.text.size());
  ++version;
}

std::wstring TextFieldState::HtmlText() const { return data.html && !html.empty() ? html : Escape(data.text); }

bool TextFieldState::Type(wchar_t ch) {
  if (!input || !focused) return false;
  if (ch == L'\b') return Key(VK_BACK);
  if (ch == L'\r' || ch == L'\n') {
    if (!data.multiline) return false;
    ch = L'\r';
  } else if (ch < 0x20) {
    return false;
  }
  if ((data.maxLength && data.text.size() >= data.maxLength) || data.text.size() >= kMaxFieldText) return false;
  caret = std::min(caret, data.text.size());
  data.text.insert(data.text.begin() + static_cast<ptrdiff_t>(caret), ch);
  html.clear();
  ++caret;
  ++version;
  return true;
}

bool TextFieldState::Key(int virtualKey) {
  if (!input || !focused) return false;
  caret = std::min(caret, data.text.size());
  const size_t before = caret;
  switch (virtualKey) {
    case VK_LEFT: caret = caret ? caret - 1 : 0; break;
    case VK_RIGHT: caret = std::min(caret + 1, data.text.size()); break;
    case VK_HOME: caret = 0; break;
    case VK_END: caret = data.text.size(); break;
    case VK_BACK:
      if (!caret) return false;
      data.text.erase(--caret, 1);
      html.clear();
      ++version;
      return true;
    case VK_DELETE:
      if (caret >= data.text.size()) return false;
      data.text.erase(caret, 1);
      html.clear();
      ++version;
      return true;
    default: return false;
  }
  if (caret != before) ++version;
  return caret != before;
}

void TextFieldState::Fit(int32_t textWidth, int32_t textHeight) {
  if (autoSize == kNone) return;
  const int32_t width = textWidth + 80, height = textHeight + 80;  // the 2-pixel gutters
  RECT& b = data.bounds;
  const int32_t old = b.right - b.left;
  if (autoSize == kCenter) b.left += (old - width) / 2;
  else if (autoSize == kRight) b.left += old - width;
  b.right = b.left + width;
  if (!data.multiline || !data.wordWrap) b.bottom = b.top + height;
  else b.bottom = std::max<LONG>(b.bottom, b.top + height);
  ++version;
}

}  // namespace flash
