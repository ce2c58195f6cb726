#include "ui/OwnerDrawn.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "images/cPNG.h"
#include "platform/forms/Form.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/HookEvents.h"

namespace {

// The menu-bar item drawn last, to close the gap at the end of a wrapped bar line.
struct {
  RECT rect{};
  UINT id = 0;
} PrevMenuBarItem;

COLORREF Sys(int index) { return GetSysColor(index); }

std::wstring Lookup(const std::map<std::wstring, std::wstring>& table, const std::wstring& key) {
  auto it = table.find(key);
  return it == table.end() ? std::wstring() : it->second;
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  ScopedBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

SIZE TextSize(HDC dc, const std::wstring& text) {
  SIZE s{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &s);
  return s;
}

// Text with "&" underlining the next letter, embossed when disabled.
void DrawPrefixText(HDC dc, const std::wstring& text, long x, long y, bool disabled) {
  DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(text.size()), x, y,
             0, 0, DST_PREFIXTEXT | (disabled ? DSS_DISABLED : 0));
}

// Text as it stands: an "&" is drawn, not taken as the next letter's underline.
void DrawPlainText(HDC dc, const std::wstring& text, long x, long y, bool disabled) {
  DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(text.size()), x, y,
             0, 0, DST_TEXT | (disabled ? DSS_DISABLED : 0));
}

// A memory surface of the item's size, compatible with the target.
struct ItemSurface {
  ScopedMemoryDC dc;
  ScopedBitmap bitmap;
  std::optional<ScopedSelect> select;
  ItemSurface(HDC target, int w, int h) : dc(target), bitmap(CreateCompatibleBitmap(target, w, h)) {
    select.emplace(dc.get(), bitmap.get());
  }
};

// The menus' pictures, read once each (a picture that cannot be read is
// logged once and drawn as nothing); emptied with the caption cache.
std::map<std::wstring, std::unique_ptr<cPNG>>& MenuPictures() {
  static std::map<std::wstring, std::unique_ptr<cPNG>> pictures;
  return pictures;
}

void DrawMenuPicture(const std::wstring& name, HDC dc, long x, long y, bool grayScale) {
  auto [it, added] = MenuPictures().try_emplace(name);
  if (added) {
    auto png = std::make_unique<cPNG>();
    if (png->LoadPNGFile(name + L".png") == 0)
      it->second = std::move(png);
    else
      WriteLog(L"Failed to draw " + name + L".png", true);
  }
  if (it->second) it->second->DrawToDC(dc, x, y, grayScale);
}

// The text of a form's menu item as it shows it: caption, and the shortcut
// after a tab. Empty when the menu is not the form's (the caller keeps what
// the native menu says).
std::wstring FormItemText(forms::Form* form, HMENU menu, int position) {
  forms::Menu* item = form ? form->MenuAt(menu, position) : nullptr;
  if (!item) return L"";
  return item->Shortcut().empty() ? item->Caption() : item->Caption() + L"\t" + item->Shortcut();
}

// What painting the menus keeps between paints: the menu font (normal and
// bold, made again when the language's font or the resolution changes), the
// measured sizes of the captions in it, and the finished pictures of the
// pop-up menus' items by everything that makes them (text, icon, state,
// size, style), so that a menu opened again is copied rather than drawn.
// Emptied with the caption cache.
struct PaintCache {
  std::wstring fontKey;
  ScopedFont fonts[2];
  std::map<std::wstring, SIZE> sizes;
  std::map<std::wstring, ScopedBitmap> pictures;
  bool noMarkTheme = false;  // the visual style has no button parts: the marks are pictures
  ScopedBitmap surface;
  SIZE surfaceSize{0, 0};
  // Last, so that they go first and leave nothing of ours selected.
  ScopedMemoryDC pictureDc, surfaceDc;
};
constexpr size_t kMaxItemPictures = 512;

PaintCache& Cache() {
  static PaintCache cache;
  return cache;
}

// A 32-bit picture of w x h (the format the system copies fastest).
HBITMAP NewPicture(int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// The menu font, owned by the cache.
HFONT MenuFont(HDC dc, bool bold) {
  PaintCache& c = Cache();
  const std::wstring key = LangFont.Name + L"|" + std::to_wstring(LangFont.Size) + L"|" +
                           std::to_wstring(LangFont.Charset) + L"|" + std::to_wstring(GetDeviceCaps(dc, LOGPIXELSY));
  if (key != c.fontKey) {
    c.fonts[0] = ScopedFont(CreateMenuFont(dc, false));
    c.fonts[1] = ScopedFont(CreateMenuFont(dc, true));
    c.sizes.clear();
    c.fontKey = key;
  }
  return c.fonts[bold ? 1 : 0].get();
}

// A memory surface of at least w x h, kept for the next item.
HDC ItemSurfaceDc(int w, int h) {
  PaintCache& c = Cache();
  if (!c.surfaceDc || w > c.surfaceSize.cx || h > c.surfaceSize.cy) {
    ScopedWindowDC screen(nullptr);
    if (!c.surfaceDc) c.surfaceDc = ScopedMemoryDC(screen.get());
    const SIZE size{std::max<LONG>(w, c.surfaceSize.cx), std::max<LONG>(h, c.surfaceSize.cy)};
    ScopedBitmap bigger(NewPicture(size.cx, size.cy));
    if (!c.surfaceDc || !bigger) return nullptr;
    SelectObject(c.surfaceDc.get(), bigger.get());  // the smaller one is freed below, no longer selected
    c.surface = std::move(bigger);
    c.surfaceSize = size;
  }
  return c.surfaceDc.get();
}

// Copies a finished item picture to the target; false when none is kept.
bool CopyItemPicture(const std::wstring& key, HDC target, int x, int y, int w, int h) {
  PaintCache& c = Cache();
  auto it = c.pictures.find(key);
  if (it == c.pictures.end() || !c.pictureDc) return false;
  ScopedSelect select(c.pictureDc.get(), it->second.get());
  return BitBlt(target, x, y, w, h, c.pictureDc.get(), 0, 0, SRCCOPY) != FALSE;
}

void KeepItemPicture(const std::wstring& key, HDC from, int w, int h) {
  PaintCache& c = Cache();
  if (c.pictures.size() >= kMaxItemPictures) c.pictures.clear();
  ScopedWindowDC screen(nullptr);
  if (!c.pictureDc) c.pictureDc = ScopedMemoryDC(screen.get());
  ScopedBitmap picture(NewPicture(w, h));
  if (!c.pictureDc || !picture) return;
  {
    ScopedSelect select(c.pictureDc.get(), picture.get());
    BitBlt(c.pictureDc.get(), 0, 0, w, h, from, 0, 0, SRCCOPY);
  }
  c.pictures[key] = std::move(picture);
}

}  // namespace

std::wstring MenuCaptionKey(UINT id, HWND window) {
  return L"M" + std::to_wstring(id) + L"-" + std::to_wstring(reinterpret_cast<UINT_PTR>(window));
}

void InitMenuCaptionCache() {
  MenuPictures().clear();
  PaintCache& c = Cache();
  c.fontKey.clear();
  c.sizes.clear();
  c.pictures.clear();
  c.noMarkTheme = false;
}

void MakeMenuBarOwnerDrawn(MenuTexts& texts, forms::Form& form) {
  HWND window = form.hWnd();
  HMENU bar = GetMenu(window);
  if (!bar) return;
  const int count = GetMenuItemCount(bar);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_STRING | MIIM_FTYPE;
    mii.dwTypeData = text;
    mii.cch = 127;
    if (!GetMenuItemInfoW(bar, static_cast<UINT>(i), TRUE, &mii)) continue;
    const UINT id = FirstMenuBarId + static_cast<UINT>(i);
    std::wstring caption = FormItemText(&form, bar, i);
    if (caption.empty() && !(mii.fType & MFT_OWNERDRAW)) caption = text;
    if (!caption.empty()) texts.Captions[MenuCaptionKey(id, window)] = caption;
    // The item keeps its state and submenu; only type, number and data change.
    MENUITEMINFOW set{sizeof(set)};
    set.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    set.fType = mii.fType | MFT_OWNERDRAW;
    set.wID = id;
    set.dwItemData = MenuBarItemData;
    SetMenuItemInfoW(bar, static_cast<UINT>(i), TRUE, &set);
  }
  DrawMenuBar(window);
}

void MakePopupOwnerDrawn(MenuTexts& texts, HMENU menu, HWND window, int position) {
  forms::Form* form = forms::FormFromHwnd(window);
  const int count = GetMenuItemCount(menu);
  const int first = position < 1 ? 0 : position, last = position < 1 ? count - 1 : position;
  for (int i = first; i <= last && i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW mii{sizeof(mii)};
    mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = 127;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    UINT type = mii.fType | MFT_OWNERDRAW;
    // A form's item gives its caption as it is now (one changed since the
    // menu was last opened included); another item already owner-drawn has
    // no text of its own, and its caption is kept.
    std::wstring caption = (mii.fType & MFT_SEPARATOR) ? std::wstring() : FormItemText(form, menu, i);
    if (caption.empty() && !(mii.fType & MFT_OWNERDRAW)) caption = text;
    if (!caption.empty() && caption[0] == L'|') {
      caption.erase(0, 1);
      type |= MFT_MENUBREAK;
    }
    const std::wstring key = MenuCaptionKey(mii.wID, window);
    if (mii.fType & MFT_SEPARATOR) texts.Separators.insert(key);
    MENUITEMINFOW set{sizeof(set)};
    set.fMask = MIIM_FTYPE;
    set.fType = type;
    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &set);
    if (!caption.empty()) texts.Captions[key] = caption;
  }
}

HFONT CreateMenuFont(HDC dc, bool bold) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW lf = metrics.lfMenuFont;
  if (!LangFont.Name.empty()) {
    lf.lfHeight = -RoundEven(LangFont.Size * GetDeviceCaps(dc, LOGPIXELSY) / 72.0);
    lf.lfWidth = 0;
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = FALSE;
    lf.lfCharSet = static_cast<BYTE>(LangFont.Charset);
    lstrcpynW(lf.lfFaceName, LangFont.Name.c_str(), LF_FACESIZE);
  }
  if (bold) lf.lfWeight = (lf.lfWeight ? lf.lfWeight : FW_NORMAL) * 2;
  return CreateFontIndirectW(&lf);
}

void MeasureMenuItem(const MenuTexts& texts, HWND window, UINT itemID, ULONG_PTR itemData, SIZE& size, bool bold) {
  const std::wstring key = MenuCaptionKey(itemID, window);
  std::wstring text = Lookup(texts.Captions, key);
  long extra = 0;
  const size_t tab = text.find(L'\t');
  if (tab != std::wstring::npos)
    text = text.substr(0, tab) + L" " + text.substr(tab + 1);  // caption, a gap, the accelerator
  else if (text.size() > 2)
    extra = 30;
  extra += 20;
  const std::wstring sizeKey = (bold ? L"1" : L"0") + text;
  auto& sizes = Cache().sizes;
  auto known = sizes.find(sizeKey);
  if (known == sizes.end() || Cache().fontKey.empty()) {
    ScopedWindowDC dc(window);
    HFONT font = MenuFont(dc.get(), bold);
    SIZE measured{};
    {
      ScopedSelect select(dc.get(), font);
      measured = TextSize(dc.get(), text);
      TEXTMETRICW tm{};
      if (GetTextMetricsW(dc.get(), &tm) && measured.cy < tm.tmHeight) measured.cy = tm.tmHeight;  // no caption
    }
    known = sizes.insert_or_assign(sizeKey, measured).first;
  }
  const SIZE measured = known->second;
  size.cx = measured.cx + 6 + (itemData == MenuBarItemData ? 0 : extra);
  size.cy = texts.Separators.count(key) ? static_cast<LONG>(MenuSeparatorHeight) : measured.cy + 6;
}

namespace {

void DrawMenuBarBookkeeping(HWND window, const DRAWITEMSTRUCT& dis) {
  RECT win{};
  GetWindowRect(window, &win);
  const long barRight = (win.right - win.left) - 2 * GetSystemMetrics(SM_CXBORDER) - 2;
  const RECT& r = dis.rcItem;
  if (PrevMenuBarItem.rect.top < r.top && dis.itemID > FirstMenuBarId && dis.itemID == PrevMenuBarItem.id + 1 &&
      PrevMenuBarItem.rect.right != 0)
    Fill(dis.hDC, {PrevMenuBarItem.rect.right, PrevMenuBarItem.rect.top, barRight, PrevMenuBarItem.rect.bottom},
         Sys(COLOR_MENU));
  PrevMenuBarItem.rect = r;
  PrevMenuBarItem.id = dis.itemID;
  if (static_cast<long>(dis.itemID) == LastMenuBarId(window))
    DrawGradient(dis.hDC, {r.right, r.top, barRight, r.bottom}, Sys(COLOR_MENU), Sys(COLOR_BTNFACE), true);
}

void DrawSeparator(HDC dc, long w, long h) {
  DrawStyledGradient(dc, {0, 0, 20, h}, BlendColors(Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), 192), false);
  const long y = RoundEven(h / 2.0 + 1), half = RoundEven(w / 2.0);
  DrawGradient(dc, {20, y, half, y + 1}, Sys(COLOR_MENU), Sys(COLOR_3DHIGHLIGHT), false);
  DrawGradient(dc, {half, y, w, y + 1}, Sys(COLOR_3DHIGHLIGHT), Sys(COLOR_MENU), false);
  DrawGradient(dc, {20, y - 1, half, y}, Sys(COLOR_MENU), Sys(COLOR_BTNSHADOW), false);
  DrawGradient(dc, {half, y - 1, w, y}, Sys(COLOR_BTNSHADOW), Sys(COLOR_MENU), false);
}

// The check or radio mark of an item: the visual style's, or its picture.
void DrawMark(HDC dc, const std::wstring& icon, long boxTop, UINT state) {
  const bool checked = state & ODS_CHECKED, selected = state & ODS_SELECTED, disabled = state & ODS_DISABLED;
  int sum = (checked ? 4 : 0) + (selected ? 1 : 0);
  if (disabled) sum |= 3;
  HWND themeWindow = MainForm ? MainForm : GetDesktopWindow();
  const int part = icon == L"check" ? 3 : 2;  // check box, radio button
  bool& noTheme = Cache().noMarkTheme;
  if (!noTheme && DrawThemePart(dc, themeWindow, {2, boxTop, 18, boxTop + 16}, L"Button", part, 1 + sum)) return;
  noTheme = true;
  DrawMenuPicture(MenusFolder + icon + (checked ? L"1" : L"0"), dc, 2, boxTop, disabled);
}

}  // namespace

long LastMenuBarId(HWND window) {
  HMENU bar = window ? GetMenu(window) : nullptr;
  const int count = bar ? GetMenuItemCount(bar) : 0;
  return static_cast<long>(FirstMenuBarId) + std::max(count, 0) - 1;
}

void DrawMenuItem(const MenuTexts& texts, HWND window, const DRAWITEMSTRUCT& dis, bool appInactive) {
  const long w = dis.rcItem.right - dis.rcItem.left, h = dis.rcItem.bottom - dis.rcItem.top;
  if (w <= 0 || h <= 0) return;
  const bool barItem = dis.itemData == MenuBarItemData;
  const std::wstring key = MenuCaptionKey(dis.itemID, window);
  MENUITEMINFOW mii{sizeof(mii)};
  mii.fMask = MIIM_FTYPE | MIIM_STATE;
  const bool known = GetMenuItemInfoW(reinterpret_cast<HMENU>(dis.hwndItem), dis.itemID, FALSE, &mii) != FALSE;
  const bool separator = texts.Separators.count(key) || (known && (mii.fType & MFT_SEPARATOR));
  // The menu's default item is drawn bold (the system does not always say so in the drawing state).
  const UINT state = dis.itemState | (known && !barItem && (mii.fState & MFS_DEFAULT) ? ODS_DEFAULT : 0);
  const bool selected = state & ODS_SELECTED, disabled = state & ODS_DISABLED, checked = state & ODS_CHECKED;

  std::wstring caption = separator && !barItem ? std::wstring() : Lookup(texts.Captions, key), accelerator;
  const size_t tab = caption.find(L'\t');
  if (tab != std::wstring::npos) {
    accelerator = caption.substr(tab + 1);
    caption.erase(tab);
  }
  std::wstring icon;
  if (!(separator && !barItem)) {
    auto found = texts.Icons.find(caption);
    if (found != texts.Icons.end()) icon = found->second;
    else if (checked) icon = L"check";  // a checked item without an icon of its own shows its check
  }
  const bool noIcon = icon.empty();

  // A pop-up item drawn before in the same way is copied.
  std::wstring pictureKey;
  if (!barItem) {
    const UINT look = state & (ODS_SELECTED | ODS_DISABLED | ODS_GRAYED | ODS_CHECKED | ODS_DEFAULT);
    pictureKey = (separator ? L"-" : caption + L"\t" + accelerator) + L"\x1" + icon + L"\x1" + std::to_wstring(look) +
                 L"," + std::to_wstring(w) + L"," + std::to_wstring(h) + L"," + std::to_wstring(VisualStyle);
    if (CopyItemPicture(pictureKey, dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h)) return;
  }

  HDC dc = ItemSurfaceDc(w, h);
  if (!dc) return;
  Fill(dc, {0, 0, w, h}, Sys(COLOR_MENU));
  if (barItem) DrawMenuBarBookkeeping(window, dis);
  if (separator && !barItem) {
    DrawSeparator(dc, w, h);
  } else {
    const bool bold = dis.itemID == FirstMenuBarId || (state & ODS_DEFAULT);
    ScopedSelect selectFont(dc, MenuFont(dc, bold));
    SetBkMode(dc, TRANSPARENT);
    const SIZE text = TextSize(dc, caption);
    if (!barItem) {
      const COLORREF highlight = Sys(COLOR_HIGHLIGHT), light = Sys(COLOR_3DHIGHLIGHT);
      if (!selected || disabled) {
        DrawStyledGradient(dc, {0, 0, 20, h}, BlendColors(Sys(COLOR_BTNFACE), Sys(COLOR_BTNSHADOW), 192), false);
      } else {
        DrawStyledGradient(dc, {0, 0, w, h}, highlight, true);
        if (VisualStyle == 1)
          DrawGradient(dc, {0, 0, 20, h}, BlendColors(highlight, light, 64), BlendColors(highlight, light, 128), true);
        else
          DrawStyledGradient(dc, {0, 0, 20, h}, BlendColors(light, highlight, 96), true);
      }
      SetTextColor(dc, selected ? light : Sys(COLOR_MENUTEXT));
      DrawPrefixText(dc, caption, 26, RoundEven((h - text.cy) / 2.0 - 1), disabled);
      if (!accelerator.empty()) {
        const SIZE a = TextSize(dc, accelerator);
        DrawPrefixText(dc, accelerator, w - 10 - a.cx, RoundEven((h - a.cy) / 2.0 - 1), disabled);
      }
    } else {
      COLORREF colour;
      if (state & ODS_HOTLIGHT) {
        DrawStyledGradient(dc, {0, 0, w, h}, Sys(COLOR_HIGHLIGHT), true);
        colour = Sys(COLOR_HIGHLIGHTTEXT);
      } else if (!selected || disabled) {
        DrawGradient(dc, {0, 0, w, h}, Sys(COLOR_3DHIGHLIGHT), Sys(COLOR_BTNFACE), true);
        colour = Sys(COLOR_MENUTEXT);
      } else {
        DrawStyledGradient(dc, {0, 0, w, h}, Sys(COLOR_BTNSHADOW), true);
        colour = Sys(COLOR_HIGHLIGHTTEXT);
      }
      SetTextColor(dc, colour);
      DrawPrefixText(dc, caption, RoundEven((w - text.cx + 14) / 2.0), RoundEven((h - text.cy) / 2.0),
                     disabled || appInactive);
    }
    if (!barItem && !noIcon) {
      const long boxTop = RoundEven((h - 16) / 2.0);
      if (icon == L"check" || icon == L"radio")
        DrawMark(dc, icon, boxTop, state);
      else
        DrawMenuPicture(MenusFolder + icon, dc, 2, boxTop - 1, disabled);
    }
  }
  BitBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
  if (!barItem) KeepItemPicture(pictureKey, dc, w, h);
  if (barItem && !noIcon)
    DrawMenuPicture(MenusFolder + icon, dis.hDC, dis.rcItem.left + 4, dis.rcItem.top + RoundEven((h - 16) / 2.0),
                    disabled || selected || appInactive);
}

void DrawPlaylistItem(const DRAWITEMSTRUCT& dis, const std::vector<std::wstring>& paths, long playing) {
  const long w = dis.rcItem.right - dis.rcItem.left, h = dis.rcItem.bottom - dis.rcItem.top;
  if (w <= 0 || h <= 0) return;
  const UINT state = dis.itemState;
  const bool selected = state & ODS_SELECTED, focused = state & ODS_FOCUS;
  const long index = static_cast<long>(static_cast<int>(dis.itemID));
  const bool isRow = index >= 0 && index < static_cast<long>(paths.size());
  ItemSurface mem(dis.hDC, w, h);
  HDC dc = mem.dc.get();
  Fill(dc, {0, 0, w, h}, Sys(COLOR_WINDOW));
  if (!isRow) {
    // The focus on an empty box, or a row the playlist no longer has.
    if (focused) {
      RECT r{0, 0, w, h};
      DrawFocusRect(dc, &r);
    }
    BitBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
    return;
  }
  const std::wstring& path = paths[static_cast<size_t>(index)];
  const bool odd = index % 2 == 1;
  const COLORREF highlight = Sys(COLOR_HIGHLIGHT);
  if (focused)
    DrawStyledGradient(dc, {0, 0, w, h}, highlight, true);
  else if (selected)
    DrawStyledGradient(dc, {0, 0, w, h}, BlendColors(highlight, Sys(COLOR_3DDKSHADOW), odd ? 128 : 96), true);
  else if (odd)
    DrawStyledGradient(dc, {0, 0, w, h}, BlendColors(highlight, Sys(COLOR_3DHIGHLIGHT), 64), true);

  ScopedFont font(CreateMenuFont(dc, false));
  ScopedSelect selectFont(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, selected || focused ? Sys(COLOR_HIGHLIGHTTEXT) : Sys(COLOR_MENUTEXT));
  const std::wstring title = GetFileTitle(path);
  const SIZE text = TextSize(dc, title);
  // A file name is no caption: "Tom & Jerry.swf" keeps its "&".
  DrawPlainText(dc, title, 22, RoundEven((h - text.cy) / 2.0 - 1), state & ODS_DISABLED);

  const long iconTop = RoundEven((h - 16) / 2.0);
  if (index == playing) {
    DrawMenuPicture(MenusFolder + L"play", dc, 2, iconTop, false);
  } else if (FileExists(path)) {
    // The call may write another file name into its buffer: it gets a copy.
    wchar_t buffer[MAX_PATH] = {};
    if (path.size() < MAX_PATH) {
      path.copy(buffer, MAX_PATH - 1);
      WORD iconIndex = 0;
      ScopedIcon icon(ExtractAssociatedIconW(GetModuleHandleW(nullptr), buffer, &iconIndex));
      if (icon) DrawIconEx(dc, 2, iconTop, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
    }
  }
  BitBlt(dis.hDC, dis.rcItem.left, dis.rcItem.top, w, h, dc, 0, 0, SRCCOPY);
}

void InstallOwnerDrawHooks(OwnerDrawHandlers& handlers, MenuTexts& texts) {
  handlers.DrawMenuItem = [&texts](HWND window, DRAWITEMSTRUCT& item) { DrawMenuItem(texts, window, item); };
  handlers.MeasureMenuItem = [&texts](HWND window, UINT id, ULONG_PTR data, SIZE& size, bool bold) {
    MeasureMenuItem(texts, window, id, data, size, bold);
  };
  handlers.MakePopupOwnerDrawn = [&texts](HMENU popup, HWND window, int position) {
    MakePopupOwnerDrawn(texts, popup, window, position);
  };
}

HWND CreatePlaylistBox(HWND parent, const RECT& bounds, int id, long rows) {
  HWND list = CreateWindowExW(0, L"LISTBOX", nullptr,
                              WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWVARIABLE |
                                  LBS_NOINTEGRALHEIGHT,
                              bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (list) SyncPlaylistBox(list, rows);
  return list;
}

void SyncPlaylistBox(HWND list, long rows) {
  const LRESULT want = std::max(0L, rows);
  LRESULT have = SendMessageW(list, LB_GETCOUNT, 0, 0);
  if (have == LB_ERR) return;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  while (have > want) SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(--have), 0);
  if (want > have) SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(want - have), 0);
  for (; have < want; ++have) SendMessageW(list, LB_ADDSTRING, 0, 0);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}
