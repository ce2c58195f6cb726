#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>

#include "DrawTestSupport.h"
#include "PlainWindow.h"
#include "base/ErrorLog.h"
#include "ui/DrawingModule.h"
#include "ui/cUxTheme.h"

using draw_test::Surface;

namespace {

const COLORREF kBack = RGB(255, 0, 255);

cUxTheme CheckBoxPart(HWND window, HDC dc) {
  cUxTheme t;
  t.hWnd = window;
  t.hdc = dc;
  t.Class = L"Button";
  t.Part = 3;   // check box
  t.State = 5;  // checked
  t.Left = 2, t.Top = 2, t.Width = 16, t.Height = 16;
  return t;
}

// Whether the window's own procedure was asked to paint its background.
bool AskedForBackground(const PlainWindow& w) {
  return w.Saw(WM_ERASEBKGND) || w.Saw(WM_PRINTCLIENT) || w.Saw(WM_PAINT);
}

}  // namespace

TEST(Unthemed, ThemePainterPaintsNothingAndFailsAndAnUnknownClassSetsTheError) {
  if (!draw_test::ThemeRun(false)) GTEST_SKIP() << "only in the unthemed child process";
  PlainWindow w;
  Surface s(20, 20, kBack);
  cUxTheme t = CheckBoxPart(w.h, s.Dc());
  EXPECT_FALSE(t.Draw());
  EXPECT_FALSE(s.AnyOtherThan({0, 0, 20, 20}, kBack));
  EXPECT_EQ(t.PartWidth(TS_TRUE), 0);
  EXPECT_FALSE(DrawThemePart(s.Dc(), w.h, {0, 0, 16, 16}, L"Button", 3, 1));

  ClearError();
  t.Class = L"NoSuchClass";
  t.RaiseErrors = true;
  EXPECT_FALSE(t.Draw());
  EXPECT_EQ(CurrentError().Number, cUxTheme::ThemeErrorNumber);
  EXPECT_EQ(CurrentError().Description.rfind(L"No theme data for class 'NoSuchClass'\r\n", 0), 0u);
  const std::wstring& source = CurrentError().Source;
  EXPECT_EQ(source.substr(source.size() - 9), L".cUxTheme");
  ClearError();
}

TEST(Themed, ThemePainterDrawsThePartAndSkipsTheBackgroundOfATopLevelWindow) {
  if (!draw_test::ThemeRun(true)) GTEST_SKIP() << "only in the themed child process";
  PlainWindow top;
  Surface s(20, 20, kBack);
  cUxTheme t = CheckBoxPart(top.h, s.Dc());
  top.seen.clear();
  EXPECT_TRUE(t.Draw());
  EXPECT_TRUE(s.AnyOtherThan({2, 2, 18, 18}, kBack));
  EXPECT_FALSE(s.AnyOtherThan({0, 0, 20, 2}, kBack));  // nothing outside the part
  EXPECT_FALSE(AskedForBackground(top));
  EXPECT_GT(t.PartWidth(TS_TRUE), 0);

  // A child window's part shows its parent's background first.
  PlainWindow child(L"child", WS_CHILD | WS_VISIBLE, top.h, {0, 0, 40, 40});
  Surface s2(20, 20, kBack);
  top.seen.clear();
  cUxTheme c = CheckBoxPart(child.h, s2.Dc());
  EXPECT_TRUE(c.Draw());
  EXPECT_TRUE(top.Saw(WM_ERASEBKGND) || top.Saw(WM_PRINTCLIENT));

  // With a caption sized by the theme.
  Surface s3(120, 30, kBack);
  cUxTheme button;
  button.hWnd = top.h;
  button.hdc = s3.Dc();
  button.Part = 1;  // push button
  button.Width = 100, button.Height = 24;
  button.Text = L"OK";
  button.TextAlign = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  EXPECT_TRUE(button.Draw());

  ClearError();
  cUxTheme unknown = CheckBoxPart(top.h, s.Dc());
  unknown.Class = L"NoSuchClass";
  unknown.RaiseErrors = true;
  EXPECT_FALSE(unknown.Draw());
  EXPECT_EQ(CurrentError().Number, cUxTheme::ThemeErrorNumber);
  ClearError();
}
