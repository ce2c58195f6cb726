#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "PlainWindow.h"
#include "ui/ToolTips.h"

namespace {

HWND Button(HWND parent, int x) {
  return CreateWindowExW(0, L"BUTTON", L"b", WS_CHILD | WS_VISIBLE, x, 10, 60, 24, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

std::wstring ToolText(HWND tip, HWND control) {
  wchar_t buf[256] = {};
  TOOLINFOW ti{};
  ti.cbSize = sizeof(ti);
  ti.hwnd = control;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = buf;
  SendMessageW(tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
  return buf;
}

class ToolTipsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitControls(ICC_BAR_CLASSES));
    DestroyToolTips();
  }
  void TearDown() override { DestroyToolTips(); }
};

}  // namespace

TEST_F(ToolTipsTest, BalloonStyleDelaysWidthColoursAndOneWindowPerControl) {
  PlainWindow form;
  HWND a = Button(form.h, 10), b = Button(form.h, 80);
  SetToolTip(a, L"Play the movie");
  HWND tip = ToolTipOf(a);
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip, LastToolTip());
  wchar_t cls[64];
  GetClassNameW(tip, cls, 64);
  EXPECT_STREQ(cls, TOOLTIPS_CLASSW);
  EXPECT_EQ(GetWindowLongPtrW(tip, GWL_STYLE) & 0xFF, TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON);
  EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 1000);
  EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 5000);
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tip, TTM_GETTIPTEXTCOLOR, 0, 0)), GetSysColor(COLOR_INFOTEXT));
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(ToolText(tip, a), L"Play the movie");

  SetToolTip(b, L"");  // an empty text still gets its (silent) tooltip
  ASSERT_EQ(ToolTipWindows().size(), 2u);
  EXPECT_NE(tip, ToolTipOf(b));
  EXPECT_EQ(ToolText(ToolTipOf(b), b), L"");
  SetToolTip(a, L"second");  // a second call updates the same window
  EXPECT_EQ(ToolTipOf(a), tip);
  EXPECT_EQ(ToolTipWindows().size(), 2u);
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(ToolText(tip, a), L"second");
}

TEST_F(ToolTipsTest, AControlThatGoesTakesItsTooltipAlongAndDestroyToolTipsForgetsTheRest) {
  DestroyToolTips();  // nothing recorded: nothing happens
  PlainWindow form;
  HWND a = Button(form.h, 10), b = Button(form.h, 80), c = Button(form.h, 150);
  for (HWND control : {a, b, c}) SetToolTip(control, L"tip");
  HWND tipA = ToolTipOf(a), tipB = ToolTipOf(b), tipC = ToolTipOf(c);
  DestroyWindow(a);
  EXPECT_FALSE(IsWindow(tipA));
  EXPECT_EQ(ToolTipOf(a), nullptr);
  EXPECT_EQ(ToolTipWindows(), (std::vector<HWND>{tipB, tipC}));

  DestroyWindow(tipC);  // already gone when the record is destroyed
  DestroyToolTips();
  EXPECT_FALSE(IsWindow(tipB));
  EXPECT_TRUE(ToolTipWindows().empty());
  EXPECT_EQ(LastToolTip(), nullptr);
  EXPECT_TRUE(IsWindow(b) && IsWindow(c));
  // A control can get a new tooltip afterwards.
  SetToolTip(b, L"again");
  EXPECT_NE(ToolTipOf(b), nullptr);
}

namespace {

BOOL CALLBACK CountToolTip(HWND h, LPARAM count) {
  wchar_t cls[64] = {};
  GetClassNameW(h, cls, 64);
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// Tooltip windows of this thread (they are top-level windows).
int LiveToolTips() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountToolTip, reinterpret_cast<LPARAM>(&count));
  return count;
}

int GuiObjects(DWORD kind) { return static_cast<int>(GetGuiResources(GetCurrentProcess(), kind)); }

}  // namespace

TEST_F(ToolTipsTest, ACallAgainUpdatesTheOneWindowAndManyCyclesLeakNothing) {
  PlainWindow form;
  auto cycle = [&form] {
    HWND a = Button(form.h, 10);
    SetToolTip(a, L"first");
    const HWND tip = ToolTipOf(a);
    // Asked again through the lower-level calls and once more through SetToolTip.
    COLORREF back = 0, fore = 0;
    EXPECT_EQ(CreateToolTipWindow(a, true), tip);
    AddToolTip(a, L"second", back, fore, 300, 1000, 5000, false);
    SetToolTip(a, L"third");
    EXPECT_EQ(ToolTipWindows(), std::vector<HWND>{tip});
    EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(ToolText(tip, a), L"third");
    DestroyWindow(a);
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_TRUE(ToolTipWindows().empty());
  };
  cycle();  // the first round makes what is made once (classes, caches)
  const int tips = LiveToolTips(), gdi = GuiObjects(GR_GDIOBJECTS), user = GuiObjects(GR_USEROBJECTS);
  for (int i = 0; i < 100; ++i) cycle();
  EXPECT_EQ(LiveToolTips(), tips);
  // A leak of one object per round shows as 100; a few cached by the system do not.
  EXPECT_LT(GuiObjects(GR_GDIOBJECTS) - gdi, 10);
  EXPECT_LT(GuiObjects(GR_USEROBJECTS) - user, 10);
}

TEST_F(ToolTipsTest, AWindowIsMadeWhenFirstNeededAndAWaitingOneLeavesNothingBehind) {
  PlainWindow form;
  const int before = LiveToolTips();
  HWND a = Button(form.h, 10), b = Button(form.h, 80), c = Button(form.h, 150), d = Button(form.h, 220);
  SetToolTip(a, L"first");
  SetToolTip(a, L"Play");  // still waiting: the text is replaced
  EXPECT_EQ(LiveToolTips(), before);

  SendMessageW(a, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // the mouse over it makes the window
  EXPECT_EQ(LiveToolTips(), before + 1);
  HWND tip = ToolTipOf(a);
  ASSERT_TRUE(IsWindow(tip));
  EXPECT_EQ(GetWindowLongPtrW(tip, GWL_STYLE) & 0xFF, TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON);
  EXPECT_EQ(ToolText(tip, a), L"Play");
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 300);
  EXPECT_EQ(LiveToolTips(), before + 1);  // asking again makes no second one

  SetToolTip(b, L"gone");  // a control that goes while its tooltip waits
  DestroyWindow(b);
  EXPECT_EQ(ToolTipOf(b), nullptr);
  EXPECT_EQ(ToolTipWindows(), std::vector<HWND>{tip});

  SetToolTip(c, L"last");  // the last one is made when asked for, once
  HWND last = LastToolTip();
  EXPECT_EQ(ToolTipOf(c), last);
  EXPECT_EQ(ToolText(last, c), L"last");
  EXPECT_EQ(LiveToolTips(), before + 2);

  SetToolTip(d, L"never");
  DestroyToolTips();
  EXPECT_EQ(LiveToolTips(), before);
  SendMessageW(d, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));  // forgotten: nothing is made
  EXPECT_EQ(LiveToolTips(), before);
  EXPECT_TRUE(ToolTipWindows().empty());
}
