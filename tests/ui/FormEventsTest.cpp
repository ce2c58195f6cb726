#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <stdexcept>
#include <tuple>

#include "PlainWindow.h"
#include "platform/forms/FormTypes.h"
#include "services/Services.h"
#include "ui/CFormEvents.h"
#include "ui/HookEvents.h"

namespace {

LRESULT SendCopyData(HWND to, const void* data, DWORD bytes) {
  COPYDATASTRUCT cds{0, bytes, const_cast<void*>(data)};
  return SendMessageW(to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

// A drop handle as the shell makes it: wide paths, each NUL-terminated, then one more NUL.
HDROP MakeDrop(const std::vector<std::wstring>& files, POINT pt) {
  size_t chars = 1;
  for (const auto& f : files) chars += f.size() + 1;
  HGLOBAL g = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  auto* df = static_cast<DROPFILES*>(GlobalLock(g));
  df->pFiles = sizeof(DROPFILES);
  df->pt = pt;
  df->fWide = TRUE;
  auto* p = reinterpret_cast<wchar_t*>(reinterpret_cast<BYTE*>(df) + sizeof(DROPFILES));
  for (const auto& f : files) {
    memcpy(p, f.c_str(), f.size() * sizeof(wchar_t));
    p += f.size() + 1;
  }
  GlobalUnlock(g);
  return static_cast<HDROP>(g);
}

// A plain window hooked by a CFormEvents for the length of a test.
class FormEvents : public ::testing::Test {
 protected:
  PlainWindow w;
  CFormEvents events;
  void SetUp() override { ASSERT_TRUE(events.HookWindow(w.h)); }
  LRESULT Send(UINT msg, WPARAM wParam, const void* data) {
    return SendMessageW(w.h, msg, wParam, reinterpret_cast<LPARAM>(data));
  }
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(w.h, msg, wParam, lParam); }
};

}  // namespace

TEST(SubclassTable, TenSlotsThenError999AndTheOthersKeepWorking) {
  struct Hooked {
    PlainWindow w;
    CFormEvents events;
    int compacted = 0;
  };
  std::vector<std::unique_ptr<Hooked>> h;
  for (int i = 0; i < 11; ++i) {
    h.push_back(std::make_unique<Hooked>());
    h[i]->events.CompactingMemory = [&n = h[i]->compacted] { n++; };
  }
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(h[i]->events.HookWindow(h[i]->w.h));
    EXPECT_EQ(h[i]->events.Slot(), i + 1);
  }
  ClearError();
  EXPECT_FALSE(h[10]->events.HookWindow(h[10]->w.h));
  EXPECT_EQ(CurrentError().Number, 999);
  EXPECT_EQ(CurrentError().Source, L"CFormEvents class");
  EXPECT_EQ(CurrentError().Description, L"Too many subclassed windows");
  EXPECT_EQ(h[10]->events.Slot(), 0);
  EXPECT_EQ(h[10]->events.hWnd(), h[10]->w.h);  // keeps the window, without a slot
  for (int i = 0; i < 11; ++i) {
    SendMessageW(h[i]->w.h, WM_COMPACTING, 0, 0);
    EXPECT_EQ(h[i]->compacted, i < 10 ? 1 : 0) << i;
    EXPECT_TRUE(h[i]->w.Saw(WM_COMPACTING)) << i;
  }

  // Hooking the same window again keeps the slot; letting go frees it for the 11th.
  EXPECT_TRUE(h[3]->events.HookWindow(h[3]->w.h));
  EXPECT_EQ(h[3]->events.Slot(), 4);
  EXPECT_TRUE(h[3]->events.HookWindow(nullptr));
  EXPECT_EQ(h[3]->events.Slot(), 0);
  EXPECT_EQ(h[3]->events.hWnd(), nullptr);
  EXPECT_TRUE(h[10]->events.HookWindow(h[10]->w.h));
  EXPECT_EQ(h[10]->events.Slot(), 4);
}

TEST(SubclassTable, HooksReleasedInAnyOrderKeepTheWindowsProcedureAndADestroyedWindowGivesItsSlotBack) {
  const wchar_t* orders[] = {L"first in, first out", L"last in, first out"};
  for (bool firstOutFirst : {true, false}) {
    PlainWindow w;
    const LONG_PTR ownProc = GetWindowLongPtrW(w.h, GWLP_WNDPROC);
    auto a = std::make_unique<CFormEvents>(), b = std::make_unique<CFormEvents>();
    int compactedB = 0;
    b->CompactingMemory = [&] { compactedB++; };
    ASSERT_TRUE(a->HookWindow(w.h));
    ASSERT_TRUE(b->HookWindow(w.h));
    (firstOutFirst ? a : b).reset();
    // The hook left standing still raises its events, and text and everything
    // else still reach the window's own procedure.
    SendMessageW(w.h, WM_COMPACTING, 0, 0);
    EXPECT_EQ(compactedB, firstOutFirst ? 1 : 0) << orders[!firstOutFirst];
    EXPECT_TRUE(SetWindowTextW(w.h, L"still here"));
    wchar_t text[32] = {};
    GetWindowTextW(w.h, text, 32);
    EXPECT_STREQ(text, L"still here") << orders[!firstOutFirst];
    w.seen.clear();
    SendMessageW(w.h, WM_APP + 7, 0, 0);
    EXPECT_TRUE(w.Saw(WM_APP + 7)) << orders[!firstOutFirst];
    a.reset();
    b.reset();
    EXPECT_EQ(GetWindowLongPtrW(w.h, GWLP_WNDPROC), ownProc);
  }

  CFormEvents events;
  {
    PlainWindow gone;
    ASSERT_TRUE(events.HookWindow(gone.h));
    EXPECT_NE(events.Slot(), 0);
  }
  EXPECT_EQ(events.Slot(), 0);
  for (int i = 1; i <= SubclassSlotCount; ++i) EXPECT_EQ(SubclassTable[i].hWnd, nullptr) << i;
}

TEST_F(FormEvents, CopyDataIsBoundedByItsByteCount) {
  std::wstring got;
  HWND sender = w.h;
  events.CopyData = [&](std::wstring& text, HWND& from) {
    got = text;
    sender = from;
  };
  const wchar_t abcdef[] = {L'a', L'b', L'c', L'd', L'e', L'f'};  // no terminator
  const wchar_t withNul[] = L"C:\\a.swf\0garbage";
  for (const auto& [data, bytes, text] : std::vector<std::tuple<const void*, DWORD, std::wstring>>{
           {abcdef, 0, L""}, {abcdef, 7, L"abc"}, {abcdef, 12, L"abcdef"},
           {withNul, sizeof(withNul), L"C:\\a.swf"}, {nullptr, 40, L""}}) {
    got = L"not raised";
    SendCopyData(w.h, data, bytes);
    EXPECT_EQ(got, text) << bytes;
  }
  EXPECT_EQ(sender, nullptr);
  EXPECT_TRUE(w.Saw(WM_COPYDATA));  // not consumed
}

TEST_F(FormEvents, AppCommandDecodingAndHandled) {
  long cmd = -1, dev = -1, keys = -1;
  bool handle = true;
  events.AppCommand = [&](long c, long d, long k, bool& handled) {
    cmd = c, dev = d, keys = k;
    handled = handle;
  };
  // Play/pause from a mouse button with Ctrl held.
  EXPECT_EQ(Send(WM_APPCOMMAND, 0, MAKELPARAM(MK_CONTROL, APPCOMMAND_MEDIA_PLAY_PAUSE | FAPPCOMMAND_MOUSE)), TRUE);
  EXPECT_EQ(cmd, APPCOMMAND_MEDIA_PLAY_PAUSE);
  EXPECT_EQ(dev, 0x8000);
  EXPECT_EQ(keys, MK_CONTROL);
  EXPECT_FALSE(w.Saw(WM_APPCOMMAND));

  handle = false;
  Send(WM_APPCOMMAND, 0, MAKELPARAM(0, APPCOMMAND_VOLUME_MUTE | FAPPCOMMAND_OEM));
  EXPECT_EQ(cmd, APPCOMMAND_VOLUME_MUTE);
  EXPECT_EQ(dev, 0x1000);
  EXPECT_TRUE(w.Saw(WM_APPCOMMAND));
}

TEST_F(FormEvents, SizingAndMinMaxInfoWriteBack) {
  bool change = false;
  int edge = 0;
  events.Resizing = [&](long& left, long& top, long& right, long& bottom, int e) {
    edge = e;
    if (change) right = left + 300, bottom = top + 200;
  };
  RECT rc{10, 20, 110, 220};
  EXPECT_EQ(Send(WM_SIZING, WMSZ_BOTTOMRIGHT, &rc), 0);
  EXPECT_EQ(edge, WMSZ_BOTTOMRIGHT);
  EXPECT_EQ(rc.right, 110);
  w.sizingResult = TRUE;  // the previous procedure's answer stands when nothing changed
  EXPECT_EQ(Send(WM_SIZING, WMSZ_LEFT, &rc), TRUE);
  change = true;
  w.sizingResult = 0;
  EXPECT_EQ(Send(WM_SIZING, WMSZ_RIGHT, &rc), -1);
  EXPECT_EQ(rc.left, 10);
  EXPECT_EQ(rc.right, 310);
  EXPECT_EQ(rc.bottom, 220);

  events.GetMinMaxInfo = [](long&, long&, long&, long&, long& minX, long& minY, long&, long&) {
    minX = 333, minY = 222;
  };
  MINMAXINFO mmi{};
  mmi.ptMaxSize = {1, 2};
  mmi.ptMaxTrackSize = {7, 8};
  Send(WM_GETMINMAXINFO, 0, &mmi);
  EXPECT_EQ(mmi.ptMinTrackSize.x, 333);
  EXPECT_EQ(mmi.ptMinTrackSize.y, 222);
  EXPECT_EQ(mmi.ptMaxTrackSize.y, 8);
}

TEST_F(FormEvents, ThreeDroppedFilesInOrderAtFullLength) {
  events.SetDragDrop(true);
  EXPECT_TRUE(GetWindowLongPtrW(w.h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  std::vector<std::wstring> got;
  long x = -1, y = -1;
  events.FileDropped = [&](std::vector<std::wstring>& files, long& px, long& py) {
    got = files;
    x = px, y = py;
  };
  const std::wstring longPath = L"\\\\?\\C:\\" + std::wstring(1500, L'd') + L"\\movie.swf";
  const std::vector<std::wstring> files = {L"C:\\one.swf", longPath, L"D:\\three.flv"};
  PostMessageW(w.h, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files, {12, 34})), 0);
  PumpMessages();
  EXPECT_EQ(got, files);
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
}

TEST_F(FormEvents, HotKeysAndTheirFailure) {
  PlainWindow other;
  std::vector<std::wstring> log;
  SetLogSink([&](const std::wstring& text, bool) { log.push_back(text); });
  ASSERT_TRUE(RegisterHotKey(other.h, 1, MOD_CONTROL | MOD_ALT, VK_F9));
  events.AddHotKey(5, MOD_CONTROL | MOD_ALT, VK_F9);  // taken by the other window
  events.AddHotKey(6, MOD_CONTROL | MOD_ALT, VK_F10);
  SetLogSink(nullptr);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], L"Failed to Register a HotKey, ID 5");
  EXPECT_FALSE(UnregisterHotKey(w.h, 5));
  EXPECT_TRUE(RegisterHotKey(w.h, 6, MOD_CONTROL | MOD_ALT, VK_F10) == FALSE);  // still ours
  events.DelHotKey(6);
  EXPECT_TRUE(RegisterHotKey(w.h, 6, MOD_CONTROL | MOD_ALT, VK_F10));
  UnregisterHotKey(w.h, 6);
  UnregisterHotKey(other.h, 1);

  long seenId = 0;
  events.HotKey = [&](long& id, LPARAM& keyData) {
    seenId = id;
    keyData = 0x00770002;
  };
  Send(WM_HOTKEY, 3, MAKELPARAM(MOD_ALT, VK_F2));
  EXPECT_EQ(seenId, 3);
  ASSERT_TRUE(w.Saw(WM_HOTKEY));
  EXPECT_EQ(w.Last(WM_HOTKEY)->lParam, 0x00770002);  // the change reached the previous procedure
}

TEST_F(FormEvents, ActivationDisplayAndErasing) {
  std::vector<bool> active;
  events.ActivateApp = [&](bool& a) {
    active.push_back(a);
    a = !a;  // discarded
  };
  Send(WM_ACTIVATEAPP, FALSE);
  EXPECT_TRUE(events.Inactive());
  Send(WM_ACTIVATEAPP, TRUE);
  EXPECT_FALSE(events.Inactive());
  EXPECT_EQ(active, (std::vector<bool>{false, true}));

  std::vector<unsigned long> colors;
  int width = 0, height = 0;
  events.DisplayChanged = [&](int wd, int ht, unsigned long c) {
    width = wd, height = ht;
    colors.push_back(c);
  };
  Send(WM_DISPLAYCHANGE, 24, MAKELPARAM(1280, 1024));
  Send(WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
  EXPECT_EQ(colors, (std::vector<unsigned long>{16777216ul, 0xFFFFFFFFul}));
  EXPECT_EQ(width, 1920);
  EXPECT_EQ(height, 1080);

  HDC dc = GetDC(w.h);
  w.seen.clear();
  EXPECT_NE(Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), 0);
  EXPECT_FALSE(w.Saw(WM_ERASEBKGND));
  ReleaseDC(w.h, dc);
}

TEST_F(FormEvents, OwnerDrawnItemsAnswerTrueWhenDrawnHere) {
  DRAWITEMSTRUCT di{};
  di.CtlType = ODT_MENU;
  // Without a menu painter the previous procedure gets the item.
  Send(WM_DRAWITEM, 0, &di);
  EXPECT_TRUE(w.Saw(WM_DRAWITEM));

  int drawn = 0;
  events.OwnerDraw.DrawMenuItem = [&](HWND, DRAWITEMSTRUCT&) { drawn++; };
  events.OwnerDraw.MeasureMenuItem = [](HWND, UINT, ULONG_PTR, SIZE& size, bool) { size = {50, 20}; };
  w.seen.clear();
  EXPECT_EQ(Send(WM_DRAWITEM, 0, &di), TRUE);
  EXPECT_EQ(drawn, 1);
  EXPECT_FALSE(w.Saw(WM_DRAWITEM));

  MEASUREITEMSTRUCT mi{};
  mi.CtlType = ODT_MENU;
  mi.itemData = 2;  // a top-level item with an icon gap
  EXPECT_EQ(Send(WM_MEASUREITEM, 0, &mi), TRUE);
  EXPECT_EQ(mi.itemWidth, 66u);
  EXPECT_EQ(mi.itemHeight, 20u);
  mi = MEASUREITEMSTRUCT{};
  mi.CtlType = ODT_LISTBOX;
  EXPECT_EQ(Send(WM_MEASUREITEM, 0, &mi), TRUE);
  EXPECT_EQ(mi.itemHeight, 24u);
  EXPECT_FALSE(w.Saw(WM_MEASUREITEM));

  // Popups turn owner-drawn as they open, except the window menu; the message goes on.
  std::vector<HMENU> made;
  events.OwnerDraw.MakePopupOwnerDrawn = [&](HMENU popup, HWND, int) { made.push_back(popup); };
  HMENU popup = CreatePopupMenu();
  Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
  Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, TRUE));
  EXPECT_EQ(made, std::vector<HMENU>{popup});
  EXPECT_TRUE(w.Saw(WM_INITMENUPOPUP));
  DestroyMenu(popup);

  // Another hooked window has handlers of its own: none here, so its items go on.
  PlainWindow other;
  CFormEvents otherEvents;
  ASSERT_TRUE(otherEvents.HookWindow(other.h));
  other.seen.clear();
  SendMessageW(other.h, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
  EXPECT_TRUE(other.Saw(WM_DRAWITEM));
  EXPECT_EQ(drawn, 1);
}

TEST_F(FormEvents, ThrowingHandlerStaysInsideTheWindowProcedure) {
  events.Move = [] { throw std::runtime_error("handler failed"); };
  std::wstring fault;
  forms::SetFaultSink([&](const std::wstring& where, const std::wstring& what) { fault = where + L": " + what; });
  SetWindowPos(w.h, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  forms::SetFaultSink(nullptr);
  EXPECT_TRUE(w.Saw(WM_MOVE));
  EXPECT_EQ(fault, L"CFormEvents: handler failed");
}
