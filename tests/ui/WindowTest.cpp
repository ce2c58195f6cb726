#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "PlainWindow.h"
#include "ui/Window.h"

namespace {

// A bitmap selected into its own memory DC: a 24-bit DIB section filled with one colour,
// or a device-dependent copy of another DC's pixels (read one pixel at a time).
class Picture {
 public:
  Picture(int w, int h, COLORREF fill) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    void* bits = nullptr;
    Select(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, fill);
  }
  Picture(HDC from, int w, int h) {
    HDC screen = GetDC(nullptr);
    Select(CreateCompatibleBitmap(screen, w, h));
    ReleaseDC(nullptr, screen);
    BitBlt(dc_, 0, 0, w, h, from, 0, 0, SRCCOPY);
  }
  ~Picture() {
    SelectObject(dc_, old_);
    DeleteObject(bmp_);
    DeleteDC(dc_);
  }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
  void Set(int x, int y, COLORREF c) { SetPixelV(dc_, x, y, c); }
  HDC Dc() const { return dc_; }

 private:
  void Select(HBITMAP bmp) {
    dc_ = CreateCompatibleDC(nullptr);
    bmp_ = bmp;
    old_ = SelectObject(dc_, bmp);
  }
  HDC dc_ = nullptr;
  HBITMAP bmp_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

RegionPtr RectsRegion(const std::vector<RECT>& rects) {
  RegionPtr r(CreateRectRgn(0, 0, 0, 0));
  for (const RECT& rc : rects) {
    HRGN t = CreateRectRgnIndirect(&rc);
    CombineRgn(r.get(), r.get(), t, RGN_OR);
    DeleteObject(t);
  }
  return r;
}

bool SameRegion(const RegionPtr& a, const RegionPtr& b) { return EqualRgn(a.get(), b.get()) != FALSE; }

bool IsEmpty(const RegionPtr& r) {
  RECT box;
  return GetRgnBox(r.get(), &box) == NULLREGION;
}

const COLORREF kMagenta = RGB(255, 0, 255);

std::wstring Caption(HWND w) {
  wchar_t text[64] = {};
  GetWindowTextW(w, text, 64);
  return text;
}

}  // namespace

TEST(Regions, AllMaskSinglePixelAndRunsToTheLastColumn) {
  Picture mask(5, 3, kMagenta);
  EXPECT_TRUE(IsEmpty(RegionFromMaskColor(mask.Dc(), 5, 3, kMagenta)));
  EXPECT_TRUE(SameRegion(RegionOfColor(mask.Dc(), 5, 3, kMagenta), RectsRegion({{0, 0, 5, 3}})));

  Picture one(1, 1, RGB(1, 2, 3));
  EXPECT_TRUE(SameRegion(RegionFromMaskColor(one.Dc(), 1, 1, kMagenta), RectsRegion({{0, 0, 1, 1}})));

  Picture pic(6, 2, kMagenta);
  pic.Set(4, 0, RGB(0, 0, 0));
  pic.Set(5, 0, RGB(0, 0, 0));  // a run that ends at the last column
  pic.Set(0, 1, RGB(9, 9, 9));
  pic.Set(2, 1, RGB(9, 9, 9));
  const auto expected = RectsRegion({{4, 0, 6, 1}, {0, 1, 1, 2}, {2, 1, 3, 2}});
  EXPECT_TRUE(SameRegion(RegionFromMaskColor(pic.Dc(), 6, 2, kMagenta), expected));
  EXPECT_TRUE(SameRegion(RegionOfColor(pic.Dc(), 6, 2, RGB(9, 9, 9)), RectsRegion({{0, 1, 1, 2}, {2, 1, 3, 2}})));
}

TEST(Regions, BitmapKindsAgreeAndPixelsBeyondTheBitmapMatchNoColour) {
  Picture pic(37, 11, kMagenta);
  std::vector<RECT> expected;
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 37; ++x)
      if ((x * 7 + y * 3) % 5 < 2) {
        pic.Set(x, y, RGB(x, y, 0));
        expected.push_back({x, y, x + 1, y + 1});
      }
  const auto fromDib = RegionFromMaskColor(pic.Dc(), 37, 11, kMagenta);
  EXPECT_TRUE(SameRegion(fromDib, RectsRegion(expected)));
  Picture ddb(pic.Dc(), 37, 11);
  EXPECT_TRUE(SameRegion(RegionFromMaskColor(ddb.Dc(), 37, 11, kMagenta), fromDib));

  // Asked for more than the bitmap holds: the extra pixels are never the mask colour
  // and never the wanted colour.
  Picture small(2, 2, kMagenta);
  EXPECT_TRUE(SameRegion(RegionFromMaskColor(small.Dc(), 3, 2, kMagenta), RectsRegion({{2, 0, 3, 2}})));
  EXPECT_TRUE(SameRegion(RegionOfColor(small.Dc(), 3, 3, kMagenta), RectsRegion({{0, 0, 2, 2}})));
}

TEST(TitleBar, HidingKeepsTheOuterRectangleAndTheCaption) {
  PlainWindow w(L"SWF.zel - movie");
  RECT before, clientBefore;
  GetWindowRect(w.h, &before);
  GetClientRect(w.h, &clientBefore);
  ShowTitleBar(w.h, false, true, true, true);
  RECT after, clientAfter;
  GetWindowRect(w.h, &after);
  GetClientRect(w.h, &clientAfter);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_GT(clientAfter.bottom, clientBefore.bottom);
  EXPECT_EQ(GetWindowLongPtrW(w.h, GWL_STYLE) & 0x00CF0000, 0);
  EXPECT_EQ(Caption(w.h), L"SWF.zel - movie");  // still found by a second start

  ShowTitleBar(w.h, false, true, true, true);  // twice hidden keeps the first text
  ShowTitleBar(w.h, true, true, false, true);
  const LONG_PTR style = GetWindowLongPtrW(w.h, GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  GetWindowRect(w.h, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(Caption(w.h), L"SWF.zel - movie");
}

TEST(TitleBar, ShowingWithNothingSavedLeavesTheCaptionAlone) {
  PlainWindow titled(L"Player");
  ShowTitleBar(titled.h, true, true, true, true);  // never hidden: nothing to restore
  EXPECT_EQ(Caption(titled.h), L"Player");

  PlainWindow untitled(L"");
  ShowTitleBar(untitled.h, false, true, true, true);
  ShowTitleBar(untitled.h, true, true, true, true);
  EXPECT_NE(GetWindowLongPtrW(untitled.h, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
}

namespace {

// A clock for Wait that moves 100 ms at each reading and posts a message each
// time, so the wait wakes at once instead of sleeping.
HWND clockWindow = nullptr;
int clockReads = 0;
ULONGLONG SteppingClock() {
  PostMessageW(clockWindow, WM_APP + 1, 0, 0);
  return 5000 + 100 * static_cast<ULONGLONG>(clockReads++);
}

}  // namespace

TEST(WindowHelpers, WaitProcessesMessagesUntilItsClockPassesTheTime) {
  PlainWindow w;
  clockWindow = w.h;
  clockReads = 0;
  SetWaitClock(SteppingClock);
  Wait(300);
  SetWaitClock(nullptr);
  // The start, then 100, 200 and 300 ms later; each message but the last was processed.
  EXPECT_EQ(clockReads, 4);
  int processed = 0;
  for (const SeenMessage& m : w.seen) processed += m.msg == WM_APP + 1;
  EXPECT_EQ(processed, 3);
  PumpMessages();

  // A quit request ends the wait and stays for the loop that owns it.
  PostQuitMessage(3);
  Wait(60000);
  MSG m;
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
}
