#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

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

TEST_F(ToolTipsTest, BalloonStyleDelaysWidthAndColours) {
  PlainWindow form;
  HWND b = Button(form.h, 10);
  SetToolTip(b, L"Play the movie");
  HWND tip = ToolTipOf(b);
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
  EXPECT_EQ(ToolText(tip, b), L"Play the movie");
}

TEST_F(ToolTipsTest, OneWindowPerControlAndASecondCallUpdatesIt) {
  PlainWindow form;
  HWND a = Button(form.h, 10), b = Button(form.h, 80);
  SetToolTip(a, L"first");
  SetToolTip(b, L"");  // an empty text still gets its (silent) tooltip
  HWND tipA = ToolTipOf(a);
  ASSERT_EQ(ToolTipWindows().size(), 2u);
  EXPECT_NE(tipA, ToolTipOf(b));
  EXPECT_EQ(ToolText(ToolTipOf(b), b), L"");

  SetToolTip(a, L"second");
  EXPECT_EQ(ToolTipOf(a), tipA);
  EXPECT_EQ(ToolTipWindows().size(), 2u);
  EXPECT_EQ(SendMessageW(tipA, TTM_GETTOOLCOUNT, 0, 0), 1);
  EXPECT_EQ(ToolText(tipA, a), L"second");
}

TEST_F(ToolTipsTest, AControlThatGoesTakesItsTooltipAlong) {
  PlainWindow form;
  HWND a = Button(form.h, 10), b = Button(form.h, 80);
  SetToolTip(a, L"a");
  SetToolTip(b, L"b");
  HWND tipA = ToolTipOf(a);
  DestroyWindow(a);
  EXPECT_FALSE(IsWindow(tipA));
  EXPECT_EQ(ToolTipOf(a), nullptr);
  ASSERT_EQ(ToolTipWindows().size(), 1u);
  EXPECT_EQ(ToolTipWindows()[0], ToolTipOf(b));
}

TEST_F(ToolTipsTest, DestroyToolTipsDestroysWhatLivesThenForgets) {
  DestroyToolTips();  // nothing recorded: nothing happens
  PlainWindow form;
  HWND a = Button(form.h, 10), b = Button(form.h, 80);
  SetToolTip(a, L"a");
  SetToolTip(b, L"b");
  HWND tipA = ToolTipOf(a), tipB = ToolTipOf(b);
  DestroyWindow(tipB);  // already gone when the record is destroyed
  DestroyToolTips();
  EXPECT_FALSE(IsWindow(tipA));
  EXPECT_TRUE(ToolTipWindows().empty());
  EXPECT_EQ(LastToolTip(), nullptr);
  EXPECT_TRUE(IsWindow(a));
  EXPECT_TRUE(IsWindow(b));
  // A control can get a new tooltip afterwards.
  SetToolTip(a, L"again");
  EXPECT_NE(ToolTipOf(a), nullptr);
}
