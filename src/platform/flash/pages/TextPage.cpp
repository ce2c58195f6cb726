#include "platform/flash/pages/TextPage.h"

#include <cwctype>

#include "base/Handles.h"
#include "base/TextConv.h"
#include "services/XmlDocument.h"

namespace flash {
namespace {

std::wstring DecodeEntities(const std::wstring& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    size_t semi = s[i] == L'&' ? s.find(L';', i) : std::wstring::npos;
    if (semi == std::wstring::npos || semi - i > 10) {
      out += s[i];
      continue;
    }
    std::wstring name = s.substr(i + 1, semi - i - 1);
    wchar_t c = 0;
    if (name == L"amp") c = L'&';
    else if (name == L"lt") c = L'<';
    else if (name == L"gt") c = L'>';
    else if (name == L"quot") c = L'"';
    else if (name == L"apos") c = L'\'';
    else if (name.size() > 1 && name[0] == L'#')
      c = static_cast<wchar_t>(name[1] == L'x' ? wcstol(name.c_str() + 2, nullptr, 16) : wcstol(name.c_str() + 1, nullptr, 10));
    if (c) {
      out += c;
      i = semi;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::wstring AttributeOf(const std::wstring& tag, const std::wstring& name) {
  std::wstring lower = LowerInvariant(tag);
  size_t at = lower.find(name + L"=");
  if (at == std::wstring::npos) return L"";
  size_t start = at + name.size() + 1;
  wchar_t quote = start < tag.size() && (tag[start] == L'"' || tag[start] == L'\'') ? tag[start] : 0;
  if (quote) ++start;
  size_t end = quote ? tag.find(quote, start) : tag.find_first_of(L" >", start);
  if (end == std::wstring::npos) end = tag.size();
  return DecodeEntities(tag.substr(start, end - start));
}

bool IsSiteLink(const std::wstring& href) {
  std::wstring host = LowerInvariant(SWFZEL_WEB_HOST);
  std::wstring h = LowerInvariant(href);
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    std::wstring site = std::wstring(scheme) + host;
    if (h.compare(0, site.size(), site) == 0 && (h.size() == site.size() || h[site.size()] == L'/')) return true;
  }
  return false;
}

}  // namespace

std::vector<TextRun> ParsePageHtml(const std::wstring& html) {
  std::vector<TextRun> runs;
  int bold = 0;
  std::vector<int> sizes{12};
  std::wstring href;
  std::wstring text;
  auto flush = [&](bool newline) {
    if (!text.empty() || newline) runs.push_back({DecodeEntities(text), bold > 0, sizes.back(), href, newline});
    text.clear();
  };
  for (size_t i = 0; i < html.size(); ++i) {
    if (html[i] != L'<') {
      text += html[i];
      continue;
    }
    size_t close = html.find(L'>', i);
    if (close == std::wstring::npos) {
      text += html.substr(i);
      break;
    }
    std::wstring tag = html.substr(i + 1, close - i - 1);
    std::wstring name = LowerInvariant(tag.substr(0, tag.find(L' ')));
    i = close;
    if (name == L"br" || name == L"br/" || name == L"p" || name == L"/p") {
      flush(true);
    } else if (name == L"b") {
      flush(false), ++bold;
    } else if (name == L"/b") {
      flush(false), bold = bold > 0 ? bold - 1 : 0;
    } else if (name == L"font") {
      flush(false);
      long size = TextToLong(AttributeOf(tag, L"size"));
      sizes.push_back(size > 0 && size < 200 ? static_cast<int>(size) : sizes.back());
    } else if (name == L"/font") {
      flush(false);
      if (sizes.size() > 1) sizes.pop_back();
    } else if (name == L"a") {
      flush(false), href = AttributeOf(tag, L"href");
    } else if (name == L"/a") {
      flush(false), href.clear();
    }
  }
  flush(false);
  return runs;
}

void TextPage::Start(PageHost& host) {
  XmlDocument page;
  if (!page.Load(host.Variable(L"myXML"))) return;
  XmlNode root = page.Root();
  std::wstring font = root.SelectSingleNode(L"FONT").Text();
  if (!font.empty()) font_ = font;
  std::wstring html = root.SelectSingleNode(L"INFO").Text();
  std::wstring support = root.SelectSingleNode(L"SUPPORT").Text();
  if (!html.empty() && !support.empty()) html += L"<BR><BR>";
  runs_ = ParsePageHtml(html + support);
}

void TextPage::Paint(HDC dc, const RECT& stage, double scale) {
  links_.clear();
  const int margin = static_cast<int>(12 * scale);
  int x = stage.left + margin, y = stage.top + margin, lineHeight = 0;
  SetBkMode(dc, TRANSPARENT);
  for (const TextRun& run : runs_) {
    ScopedFont font(CreateFontW(-static_cast<int>(run.size * scale * 96 / 72 + 0.5), 0, 0, 0,
                                run.bold ? FW_BOLD : FW_NORMAL, FALSE, !run.href.empty(), FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                                font_.c_str()));
    ScopedSelect use(dc, font.get());
    SetTextColor(dc, run.href.empty() ? RGB(0x20, 0x20, 0x20) : RGB(0x00, 0x40, 0xC0));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    lineHeight = std::max<int>(lineHeight, tm.tmHeight);
    // Word by word, wrapping at the stage's right margin.
    size_t pos = 0;
    while (pos < run.text.size()) {
      size_t end = run.text.find(L' ', pos);
      end = end == std::wstring::npos ? run.text.size() : end + 1;
      std::wstring word = run.text.substr(pos, end - pos);
      SIZE ext{};
      GetTextExtentPoint32W(dc, word.c_str(), static_cast<int>(word.size()), &ext);
      if (x + ext.cx > stage.right - margin && x > stage.left + margin) {
        x = stage.left + margin;
        y += lineHeight;
      }
      TextOutW(dc, x, y, word.c_str(), static_cast<int>(word.size()));
      if (!run.href.empty()) links_.push_back({RECT{x, y, x + ext.cx, y + ext.cy}, run.href});
      x += ext.cx;
      pos = end;
    }
    if (run.newline) {
      x = stage.left + margin;
      y += lineHeight;
      lineHeight = 0;
    }
  }
}

void TextPage::Click(PageHost& host, int x, int y) {
  for (const LinkArea& link : links_) {
    if (!PtInRect(&link.rect, POINT{x, y})) continue;
    std::wstring h = LowerInvariant(link.href);
    if (IsSiteLink(link.href))
      host.RaiseCommand(L"GOWEB", L"");
    else if (h.rfind(L"mailto:", 0) == 0 || h.rfind(L"http://", 0) == 0 || h.rfind(L"https://", 0) == 0)
      host.OpenLink(link.href);
    return;
  }
}

}  // namespace flash
