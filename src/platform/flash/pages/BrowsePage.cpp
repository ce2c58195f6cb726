#include "platform/flash/pages/BrowsePage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <functional>

#include "base/Handles.h"
#include "base/MappedFile.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "base/TextConv.h"

namespace flash {
namespace {

std::wstring DropTags(const std::wstring& text) {
  std::wstring out;
  bool inTag = false;
  for (wchar_t c : text) {
    if (c == L'<') inTag = true;
    else if (c == L'>' && inTag) inTag = false;
    else if (!inTag) out += c;
  }
  return out;
}

// HTML text as shown: tags dropped, character references read; an "&" that
// begins none stays as written.
std::wstring HtmlAsText(const std::wstring& html) {
  const std::wstring text = DropTags(html);
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const size_t n = ReadXmlReference(text, i, out, XmlReferences::kNamedAndNumeric);
    if (n == 0) out += text[i];
    else i += n - 1;
  }
  return out;
}

ScopedFont MakeFont(const std::wstring& face, int pixels, bool bold) {
  return ScopedFont(CreateFontW(-pixels, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str()));
}

void Text(HDC dc, const std::wstring& text, RECT r, UINT flags) {
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}

}  // namespace

void SplitBrowseTitle(const std::wstring& title, std::wstring& name, std::wstring& sizeLine) {
  const std::wstring upper = UpperInvariant(title);
  const size_t br = upper.find(L"<BR>");
  name = HtmlAsText(title.substr(0, br));
  sizeLine = br == std::wstring::npos ? L"" : HtmlAsText(title.substr(br + 4));
}

namespace {

// The document is flat: a declaration, BROWSE, and elements holding text
// only. A strict reader of that form, so a damaged file is refused whole.
class FlatReader {
 public:
  explicit FlatReader(const std::wstring& text) : t_(text) {}

  bool Read(const std::function<void(const std::wstring&, const std::wstring&)>& element) {
    SkipSpace();
    if (t_.compare(i_, 5, L"<?xml") == 0) {
      const size_t end = t_.find(L"?>", i_);
      if (end == std::wstring::npos) return false;
      i_ = end + 2;
    }
    SkipSpace();
    if (t_.compare(i_, 8, L"<BROWSE>") != 0) return false;
    i_ += 8;
    for (;;) {
      SkipSpace();
      if (t_.compare(i_, 9, L"</BROWSE>") == 0) return true;
      if (i_ >= t_.size() || t_[i_] != L'<') return false;
      const size_t close = t_.find(L'>', i_);
      if (close == std::wstring::npos) return false;
      std::wstring name = t_.substr(i_ + 1, close - i_ - 1);
      i_ = close + 1;
      if (!name.empty() && name.back() == L'/') {  // an empty element
        name.pop_back();
        if (!IsName(name)) return false;
        element(name, L"");
        continue;
      }
      if (!IsName(name)) return false;
      const size_t end = t_.find(L'<', i_);
      if (end == std::wstring::npos || t_.compare(end, name.size() + 3, L"</" + name + L">") != 0) return false;
      std::wstring text;
      if (!Decode(t_.substr(i_, end - i_), text)) return false;
      element(name, text);
      i_ = end + name.size() + 3;
    }
  }

 private:
  void SkipSpace() {
    while (i_ < t_.size() && iswspace(t_[i_])) ++i_;
  }
  static bool IsName(const std::wstring& n) {
    if (n.empty() || n.size() > 32) return false;
    for (wchar_t c : n)
      if (!iswalnum(c) && c != L'_') return false;
    return true;
  }
  static bool Decode(const std::wstring& s, std::wstring& out) {
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] != L'&') {
        out += s[i];
      } else if (const size_t n = ReadXmlReference(s, i, out, XmlReferences::kNamedAndNumeric)) {
        i += n - 1;
      } else {
        return false;
      }
    }
    return true;
  }

  const std::wstring& t_;
  size_t i_ = 0;
};

}  // namespace

bool ReadBrowseDocument(const std::wstring& path, BrowseDocument& doc) {
  // UTF-8 (with or without its mark), or UTF-16 with its mark, turned into
  // text straight from the mapped file (a folder of thousands of movies makes megabytes).
  std::wstring text;
  {
    MappedFile file;
    if (!file.Open(path, kMaxBrowseDocument)) return false;
    const std::span<const uint8_t> bytes = file.Bytes();
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
      text.resize((bytes.size() - 2) / 2);
      std::memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
    } else {
      const size_t skip = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF ? 3 : 0;
      text = Utf8ToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()) + skip, bytes.size() - skip));
    }
  }
  BrowseDocument out;
  BrowseEntry* entry = nullptr;
  FlatReader reader(text);
  const bool ok = reader.Read([&](const std::wstring& name, const std::wstring& value) {
    if (name == L"JPEG") {
      out.entries.emplace_back();
      entry = &out.entries.back();
      entry->jpeg = value;
    } else if (name == L"TITLE") {
      if (entry) SplitBrowseTitle(value, entry->name, entry->sizeLine);
    } else if (name == L"TYPE") {
      if (entry) entry->kind = static_cast<int>(std::clamp(wcstol(value.c_str(), nullptr, 10), 0L, 4L));
    } else if (name == L"FONT") {
      out.font = value;
    } else if (name == L"FOUND") {
      out.found = value;
    } else if (name == L"SCROLL") {
      out.scroll = static_cast<int>(std::clamp(wcstol(value.c_str(), nullptr, 10), 0L, 1L << 30));
    } else if (name == L"FOLDER") {
      out.folder = value;
    } else if (name == L"CACHE") {
      out.cache = value;
    } else if (name == L"WAIT") {
      out.wait = value;
    } else if (name == L"ERROR") {
      out.error = value;
      while (!out.error.empty() && (out.error.back() == L'\n' || out.error.back() == L'\r')) out.error.pop_back();
    }
  });
  if (!ok) return false;
  doc = std::move(out);
  return true;
}

void BrowsePage::Start(PageHost& host) {
  const std::wstring path = host.Variable(L"myXML");
  loaded_ = !path.empty() && ReadBrowseDocument(path, doc_);
  if (!loaded_) doc_.error = LangText(L"BrowseMedia/strNoPage", L"The page could not be read") + L": " + path;
  if (!doc_.font.empty()) view_.SetFont(doc_.font);
  view_.SetItems(doc_.entries, doc_.cache);
  buttons_ = {
      {L"MEOWUP", L"", LangText(L"BrowseMedia/strUp", L"Up"), L"browse_up.png"},
      {L"MEOWBROWSE", L"", LangText(L"BrowseMedia/strGoTo", L"Go To..."), L"browse_goto.png"},
      {L"MEOWSEARCH", L"", LangText(L"BrowseMedia/strRefresh", L"Refresh"), L"browse_refresh.png"},
      {L"MEOWOPEN", L"", LangText(L"BrowseMedia/strOpen", L"Open"), L"browse_open.png"},
      {L"MEOWHELP", L"", LangText(L"BrowseMedia/strHelp", L"Help"), L"browse_help.png"},
      {L"GOWEB", L"", LangText(L"BrowseMedia/strWeb", L"Web Site"), L"browse_web.png"},
  };
}

int BrowsePage::HeaderHeight() const { return kButtonBar + 2 * kLine + (doc_.error.empty() ? 0 : kLine) + 6; }

void BrowsePage::Layout(int width, int height) {
  width_ = width;
  height_ = height;
  int x = 6;
  for (Button& b : buttons_) {
    b.rect = RECT{x, 3, x + 92, kButtonBar - 3};
    x += 96;
  }
  const int top = std::min(HeaderHeight(), height);
  const int scroll = view_.Scroll();
  view_.SetBounds(RECT{0, top, width, height});
  // The position the document asked for, once the grid has its size.
  view_.SetScroll(doc_.scroll ? std::exchange(doc_.scroll, 0) : scroll);
}

void BrowsePage::Paint(HDC dc, const RECT& client, double) {
  if (client.right - client.left != width_ || client.bottom - client.top != height_ || view_.Bounds().right == 0)
    Layout(client.right - client.left, client.bottom - client.top);
  const std::wstring face = doc_.font.empty() ? L"Tahoma" : doc_.font;
  SetBkMode(dc, TRANSPARENT);
  // The header: the buttons, the folder, the count and the error line.
  RECT header{0, 0, width_, view_.Bounds().top};
  ScopedBrush face3d(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
  FillRect(dc, &header, face3d.get());
  ScopedFont normal = MakeFont(face, 12, false), bold = MakeFont(face, 13, true);
  {
    ScopedSelect use(dc, normal.get());
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    for (size_t i = 0; i < buttons_.size(); ++i) {
      const Button& b = buttons_[i];
      RECT r = b.rect;
      DrawEdge(dc, &r, static_cast<int>(i) == pressedButton_ ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
      cPNG picture;
      if (!ImagesFolder.empty() && picture.LoadPNGFile(ImagesFolder + b.picture) == 0)
        picture.DrawToDC(dc, r.left + 3, r.top + (r.bottom - r.top - 16) / 2, false);
      RECT t{r.left + 22, r.top, r.right - 2, r.bottom};
      Text(dc, b.caption, t, DT_LEFT | DT_END_ELLIPSIS);
    }
  }
  int y = kButtonBar;
  {
    ScopedSelect use(dc, bold.get());
    Text(dc, doc_.folder, RECT{8, y, width_ - 8, y + kLine}, DT_LEFT | DT_PATH_ELLIPSIS);
  }
  y += kLine;
  ScopedSelect use(dc, normal.get());
  Text(dc, loaded_ ? doc_.found : doc_.wait, RECT{8, y, width_ - 8, y + kLine}, DT_LEFT | DT_END_ELLIPSIS);
  y += kLine;
  if (!doc_.error.empty()) {
    SetTextColor(dc, RGB(0xC0, 0, 0));
    Text(dc, doc_.error, RECT{8, y, width_ - 8, y + kLine}, DT_LEFT | DT_END_ELLIPSIS);
  }
  view_.Redraw(dc);
}

int BrowsePage::ButtonAt(int x, int y) const {
  for (size_t i = 0; i < buttons_.size(); ++i)
    if (PtInRect(&buttons_[i].rect, POINT{x, y})) return static_cast<int>(i);
  return -1;
}

void BrowsePage::ScrollTo(PageHost& host, int pixels) {
  view_.SetScroll(pixels);
  host.RaiseCommand(L"BROWSESCROLL", std::to_wstring(view_.Scroll()));
  host.Repaint();
}

void BrowsePage::SetHot(PageHost& host, int item) {
  if (item == view_.Hot) return;
  view_.Hot = item;
  host.RaiseCommand(L"SHOTOVER", std::to_wstring(item));
  host.Repaint();
}

void BrowsePage::Select(PageHost& host, int item) {
  if (item == view_.Selected) return;
  view_.Selected = item;
  host.Repaint();
}

void BrowsePage::MouseMove(PageHost& host, int x, int y, bool pressed) {
  const RECT& b = view_.Bounds();
  if (dragging_ && pressed) {
    const RECT bar = view_.BarRect(), thumb = view_.ThumbRect();
    const int travel = (bar.bottom - bar.top) - (thumb.bottom - thumb.top);
    if (travel > 0) {
      const long long to = static_cast<long long>(y - dragOffset_ - bar.top) * view_.MaxScroll() / travel;
      if (view_.SetScroll(static_cast<int>(std::clamp<long long>(to, 0, view_.MaxScroll())))) host.Repaint();
    }
    return;
  }
  dragging_ = false;
  SetHot(host, view_.ItemFromPoint(x - b.left, y - b.top));
}

void BrowsePage::MouseDown(PageHost& host, int x, int y) {
  pressedButton_ = ButtonAt(x, y);
  if (pressedButton_ >= 0) {
    host.Repaint();
    return;
  }
  const RECT bar = view_.BarRect();
  if (PtInRect(&bar, POINT{x, y})) {
    const RECT thumb = view_.ThumbRect();
    if (y < thumb.top) {
      ScrollTo(host, view_.Scroll() - view_.PageHeight());
    } else if (y >= thumb.bottom) {
      ScrollTo(host, view_.Scroll() + view_.PageHeight());
    } else {
      dragging_ = true;
      dragOffset_ = y - thumb.top;
    }
    return;
  }
  const RECT& b = view_.Bounds();
  Select(host, view_.ItemFromPoint(x - b.left, y - b.top));
}

void BrowsePage::Click(PageHost& host, int x, int y) {
  if (dragging_) {
    dragging_ = false;
    host.RaiseCommand(L"BROWSESCROLL", std::to_wstring(view_.Scroll()));
    return;
  }
  const int pressed = std::exchange(pressedButton_, -1);
  if (pressed < 0) return;
  host.Repaint();
  if (ButtonAt(x, y) == pressed) host.RaiseCommand(buttons_[pressed].command, buttons_[pressed].args);
}

void BrowsePage::DoubleClick(PageHost& host, int x, int y) {
  const RECT& b = view_.Bounds();
  const int item = view_.ItemFromPoint(x - b.left, y - b.top);
  if (item < 1) {
    MouseDown(host, x, y);  // the bar and the buttons take a double click as two clicks
    return;
  }
  Select(host, item);
  host.RaiseCommand(L"SHOTCLICK", std::to_wstring(item));
}

bool BrowsePage::Key(PageHost& host, int key) {
  const int page = std::max(MediaBrowserView::kCell, view_.PageHeight() / MediaBrowserView::kCell * MediaBrowserView::kCell);
  switch (key) {
    case VK_RETURN:
      if (view_.Selected >= 1 && view_.Selected <= view_.Count())
        host.RaiseCommand(L"SHOTCLICK", std::to_wstring(view_.Selected));
      return true;
    case VK_PRIOR: ScrollTo(host, view_.Scroll() - page); return true;
    case VK_NEXT: ScrollTo(host, view_.Scroll() + page); return true;
    case VK_HOME: ScrollTo(host, 0); return true;
    case VK_END: ScrollTo(host, view_.MaxScroll()); return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      if (view_.Count() == 0) return true;
      const int step = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : key == VK_UP ? -view_.Columns() : view_.Columns();
      const int to = view_.Selected < 1 ? 1 : std::clamp(view_.Selected + step, 1, view_.Count());
      Select(host, to);
      // Keeps the selected cell in sight.
      const RECT r = view_.GetItemRect(to);
      if (r.top < 0) ScrollTo(host, view_.Scroll() + r.top - MediaBrowserView::kMargin);
      else if (r.bottom > view_.PageHeight())
        ScrollTo(host, view_.Scroll() + r.bottom - view_.PageHeight() + MediaBrowserView::kMargin);
      return true;
    }
    default: return false;
  }
}

void BrowsePage::CallLabel(PageHost& host, const std::wstring& target, const std::wstring& label) {
  if (target != L"vbCall" || label != L"MWH") return;
  const double turn = _wtof(host.Variable(L"mwheel").c_str());
  if (turn == 0 || !std::isfinite(turn)) return;
  ScrollTo(host, view_.Scroll() + (turn > 0 ? -1 : 1) * MediaBrowserView::kCell / 2);
}

}  // namespace flash
