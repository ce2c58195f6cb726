#include "platform/flash/script/builtins/CssText.h"
#include "base/TextConv.h"

#include <cmath>
#include <cwchar>
#include <cwctype>

namespace flash::script {
namespace {

constexpr size_t kMaxNesting = 256;
constexpr size_t kMaxRules = 4096;

std::wstring Trim(std::wstring_view s) {
  size_t a = 0, b = s.size();
  while (a < b && std::iswspace(s[a])) ++a;
  while (b > a && std::iswspace(s[b - 1])) --b;
  return std::wstring(s.substr(a, b - a));
}

std::wstring Lower(const std::wstring& s) { return LowerInvariant(s); }

// The text without /* comments */; false when one is left open.
bool StripComments(std::wstring_view in, std::wstring& out) {
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == L'/' && i + 1 < in.size() && in[i + 1] == L'*') {
      const size_t end = in.find(L"*/", i + 2);
      if (end == std::wstring_view::npos) return false;
      i = end + 1;
      out += L' ';
      continue;
    }
    out += in[i];
  }
  return true;
}

bool ParseDeclarations(std::wstring_view body, CssDeclarations& out) {
  size_t start = 0;
  while (start < body.size()) {
    size_t end = body.find(L';', start);
    if (end == std::wstring_view::npos) end = body.size();
    const std::wstring part = Trim(body.substr(start, end - start));
    start = end + 1;
    if (part.empty()) continue;
    const size_t colon = part.find(L':');
    if (colon == std::wstring::npos) return false;
    const std::wstring name = CamelCase(Trim(std::wstring_view(part).substr(0, colon)));
    if (name.empty()) return false;
    const std::wstring value = Trim(std::wstring_view(part).substr(colon + 1));
    bool replaced = false;
    for (auto& [n, v] : out)
      if (n == name) v = value, replaced = true;
    if (!replaced) out.emplace_back(name, value);
  }
  return true;
}

}  // namespace

std::wstring CamelCase(std::wstring_view name) {
  std::wstring out;
  bool upper = false;
  for (wchar_t c : name) {
    if (c == L'-') {
      upper = !out.empty();
      continue;
    }
    out += upper ? UpperAscii(c) : c;
    upper = false;
  }
  return out;
}

bool ParseCss(std::wstring_view text, std::vector<CssRule>& rules) {
  std::wstring css;
  if (!StripComments(text, css)) return false;
  size_t at = 0;
  for (;;) {
    const size_t open = css.find(L'{', at);
    if (open == std::wstring::npos) return Trim(std::wstring_view(css).substr(at)).empty();
    const size_t close = css.find(L'}', open);
    if (close == std::wstring::npos) return false;
    const std::wstring selectors = Trim(std::wstring_view(css).substr(at, open - at));
    if (selectors.empty() || selectors.find(L'}') != std::wstring::npos) return false;
    CssDeclarations declarations;
    if (!ParseDeclarations(std::wstring_view(css).substr(open + 1, close - open - 1), declarations)) return false;
    size_t s = 0;
    while (s <= selectors.size()) {
      size_t comma = selectors.find(L',', s);
      if (comma == std::wstring::npos) comma = selectors.size();
      const std::wstring name = Trim(std::wstring_view(selectors).substr(s, comma - s));
      s = comma + 1;
      if (name.empty() || rules.size() >= kMaxRules) continue;
      rules.push_back(CssRule{name, declarations});
    }
    at = close + 1;
  }
}

double CssNumber(std::wstring_view text) {
  const std::wstring t = Trim(text);
  wchar_t* end = nullptr;
  const double d = std::wcstod(t.c_str(), &end);
  return end == t.c_str() ? NAN : d;
}

int32_t CssColor(std::wstring_view text) {
  const std::wstring t = Trim(text);
  if (t.size() < 2 || t[0] != L'#') return -1;
  std::wstring hex = t.substr(1);
  for (wchar_t c : hex)
    if (!std::iswxdigit(c)) return -1;
  if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
  if (hex.size() != 6) return -1;
  return static_cast<int32_t>(std::wcstol(hex.c_str(), nullptr, 16));
}

StyledHtml ApplyStyles(std::wstring_view html,
                       const std::function<const CssDeclarations*(const std::wstring& selector)>& lookup) {
  struct Element {
    std::wstring tag;
    CssDeclarations style;  // merged, outer first
    bool block = false, hidden = false;
  };
  StyledHtml out;
  std::vector<Element> open;
  bool styled = false;
  auto merged = [&](const CssDeclarations& base, const CssDeclarations* add, CssDeclarations& into) {
    into = base;
    if (!add) return;
    for (const auto& [n, v] : *add) {
      bool replaced = false;
      for (auto& [bn, bv] : into)
        if (bn == n) bv = v, replaced = true;
      if (!replaced) into.emplace_back(n, v);
    }
  };
  auto hidden = [&] { return !open.empty() && open.back().hidden; };
  auto lineBreak = [&] {
    if (!hidden() && !out.text.empty() && out.text.back() != L'\r') out.text += L'\r';
  };
  auto visible = [&](wchar_t c) {
    if (hidden()) return;
    if (!styled) {
      out.style = open.empty() ? CssDeclarations{} : open.back().style;
      styled = true;
    }
    out.text += c;
  };
  for (size_t i = 0; i < html.size(); ++i) {
    const wchar_t c = html[i];
    if (c == L'<') {
      const size_t end = html.find(L'>', i);
      if (end == std::wstring_view::npos) break;
      std::wstring inside = Trim(html.substr(i + 1, end - i - 1));
      i = end;
      const bool closing = !inside.empty() && inside[0] == L'/';
      if (closing) inside.erase(0, 1);
      size_t nameEnd = 0;
      while (nameEnd < inside.size() && !std::iswspace(inside[nameEnd]) && inside[nameEnd] != L'/') ++nameEnd;
      const std::wstring tag = Lower(inside.substr(0, nameEnd));
      if (tag == L"br") {
        if (!hidden()) out.text += L'\r';
        continue;
      }
      if (closing) {
        for (size_t k = open.size(); k-- > 0;) {
          if (open[k].tag != tag) continue;
          const bool block = open[k].block;
          open.resize(k);
          if (block) lineBreak();
          break;
        }
        continue;
      }
      if (open.size() >= kMaxNesting || tag.empty()) continue;
      Element e;
      e.tag = tag;
      merged(open.empty() ? CssDeclarations{} : open.back().style, lookup(tag), e.style);
      // class="name" (quoted or not) adds the class's style.
      const std::wstring attributes = Lower(inside.substr(nameEnd));
      const size_t at = attributes.find(L"class");
      if (at != std::wstring::npos) {
        size_t v = attributes.find(L'=', at);
        if (v != std::wstring::npos) {
          ++v;
          while (v < attributes.size() && std::iswspace(attributes[v])) ++v;
          const wchar_t quote = v < attributes.size() && (attributes[v] == L'"' || attributes[v] == L'\'') ? attributes[v] : 0;
          if (quote) ++v;
          size_t stop = v;
          while (stop < attributes.size() && (quote ? attributes[stop] != quote : !std::iswspace(attributes[stop]))) ++stop;
          const std::wstring cls = inside.substr(nameEnd).substr(v, stop - v);
          CssDeclarations with;
          merged(e.style, lookup(L"." + cls), with);
          e.style = std::move(with);
        }
      }
      std::wstring display = tag == L"p" || tag == L"li" ? L"block" : L"inline";
      for (const auto& [n, v] : e.style)
        if (n == L"display") display = Lower(Trim(v));
      e.hidden = hidden() || display == L"none";
      e.block = display == L"block";
      const bool selfClosing = !inside.empty() && inside.back() == L'/';
      if (e.block) lineBreak();
      if (!selfClosing) open.push_back(std::move(e));
      continue;
    }
    if (c == L'&') {
      std::wstring decoded;
      const size_t n = ReadXmlReference(html, i, decoded, XmlReferences::kNamed);
      if (n == 0) visible(L'&');
      for (wchar_t ch : decoded) visible(ch);
      if (n != 0) i += n - 1;
      continue;
    }
    visible(c);
  }
  while (!out.text.empty() && out.text.back() == L'\r') out.text.pop_back();
  if (!styled) out.style = open.empty() ? CssDeclarations{} : open.back().style;
  return out;
}

}  // namespace flash::script
