#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "DrawTestSupport.h"
#include "platform/forms/Forms.h"
#include "ui/DrawingModule.h"
#include "ui/SlideBar.h"
#include "ui/SmoothProgress.h"

namespace {

// A hidden form to carry the controls under test.
class Host : public forms::Form {
 public:
  Host() : Form(L"frmHost", Design()) {}

 private:
  static forms::FormArgs Design() {
    forms::FormArgs d;
    d.ClientWidth = 500;
    d.ClientHeight = 200;
    return d;
  }
};

struct Loaded {
  Host form;
  Loaded() { form.Load(); }
  ~Loaded() { form.Unload(); }
};

}  // namespace

TEST(SmoothProgress, StatusClampsAndRoundsHalfToEven) {
  Loaded host;
  draw_test::StyleScope flat(0);
  SmoothProgress bar(host.form, {L"prg", nullptr, 10, 10, 202, 20});
  ASSERT_EQ(bar.TrackWidth(), 200);
  EXPECT_EQ(bar.FillWidth(), 200);  // full until the first SetStatus
  struct Case {
    float fraction;
    int fill;
  } cases[] = {{-0.2f, 0}, {0.5f, 100}, {1.5f, 200}, {1.0f, 200}, {0.0f, 0}};
  for (const Case& c : cases) {
    bar.SetStatus(c.fraction);
    EXPECT_EQ(bar.FillWidth(), c.fill) << c.fraction;
  }
  SmoothProgress narrow(host.form, {L"prgNarrow", nullptr, 10, 40, 4, 20});  // a 2-pixel track
  narrow.SetStatus(0.25f);  // 0.5 pixel: to the even 0
  EXPECT_EQ(narrow.FillWidth(), 0);
  narrow.SetStatus(0.75f);  // 1.5 pixels: to the even 2
  EXPECT_EQ(narrow.FillWidth(), 2);

  bar.SetStatus(0.5f);
  forms::PictureBox& box = bar.Surface();
  EXPECT_EQ(box.Point(1 + 99, 3), GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(box.Point(1 + 100, 3), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(box.Point(0, 0), GetSysColor(COLOR_3DDKSHADOW));  // the frame's top edge
  bar.Move(10, 10, 102, 20);  // resizing fills the bar again
  EXPECT_EQ(bar.FillWidth(), 100);
}

TEST(SmoothProgress, ALongCaptionIsShortenedWithAnEllipsis) {
  Loaded host;
  SmoothProgress bar(host.form, {L"prg", nullptr, 10, 10, 102, 20});
  bar.SetCaption(L"Short");
  EXPECT_EQ(bar.Caption(), L"Short");
  bar.SetCaption(std::wstring(60, L'W') + L" extracting");
  const std::wstring shown = bar.Caption();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 3), L"...");
  HDC dc = bar.Surface().hDC();
  SIZE extent{};
  GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
  EXPECT_LT(extent.cx, 140);
}

namespace {

// A slide bar of count cells in a control width pixels wide, created.
struct Bar {
  Loaded host;
  std::unique_ptr<SlideBar> bar;
  std::vector<long> clicks;
  draw_test::PictureFolders pictures;
  Bar(int count, int width) {
    bar = std::make_unique<SlideBar>(host.form, SlideBarArgs{L"sld", nullptr, 0, 0, width, 84});
    const wchar_t* keys[] = {L"swf", L"info", L"system", L"image", L"folder"};
    for (int i = 0; i < count; ++i) bar->AddPanel(L"Page " + std::to_wstring(i), keys[i % 5]);
    bar->OnClick = [this](long& index) { clicks.push_back(index); };
    bar->Create();
    Settle();
  }
  ~Bar() { bar.reset(); }
  // Runs both animations to their end; false when one does not end.
  bool Settle() {
    for (int i = 0; i < 1000 && (bar->Animating() || bar->Sliding()); ++i) {
      if (bar->Animating()) bar->StateTick();
      if (bar->Sliding()) bar->SlideTick();
    }
    return !bar->Animating() && !bar->Sliding();
  }
};

}  // namespace

TEST(SlideBar, SelectionFramesZoomInAndDarken) {
  struct Case {
    int step;
    BYTE alpha;
    long w, h;
  } cases[] = {{0, 48, 168, 105}, {1, 58, 151, 101}, {2, 69, 134, 97}, {3, 79, 118, 92}};
  for (const Case& c : cases) {
    SlideBar::Frame f = SlideBar::SelectionFrame(c.step, 5, 84, 84);
    EXPECT_EQ(f.Alpha, c.alpha) << c.step;
    EXPECT_EQ(f.Width, c.w) << c.step;
    EXPECT_EQ(f.Height, c.h) << c.step;
  }
}

TEST(SlideBar, ASlideAlwaysEndsExactlyOnItsTarget) {
  struct Case {
    long from, to;
  } cases[] = {{0, 37}, {0, 1}, {0, 2}, {304, 0}, {100, 98}, {5, 5}};
  for (const Case& c : cases) {
    long offset = c.from;
    int ticks = 0;
    while (offset != c.to && ticks < 100) {
      const long step = SlideBar::SlideStep(offset, c.to);
      ASSERT_NE(step, 0);
      offset += step;
      ASSERT_TRUE(c.from <= c.to ? offset <= c.to : offset >= c.to) << "overshoot from " << c.from;
      ++ticks;
    }
    EXPECT_EQ(offset, c.to) << c.from << " to " << c.to;
  }
}

TEST(SlideBar, AFittingStripNeverSlidesAndMouseOutsideItDoesNothing) {
  Bar b(3, 400);
  EXPECT_TRUE(b.bar->StripFits());
  forms::PictureBox& box = b.bar->Surface();
  EXPECT_EQ(box.Point(300, 0), GetSysColor(COLOR_3DHIGHLIGHT));
  b.bar->ClickItem(2);
  EXPECT_FALSE(b.bar->Sliding());
  EXPECT_TRUE(b.Settle());
  EXPECT_EQ(b.bar->Offset(), 0);
  b.bar->MouseDown(1, 300);  // right of the strip
  b.bar->MouseDown(1, -4);   // left of it
  EXPECT_EQ(b.bar->Selected(), 2);
  b.bar->MouseDown(1, 100);
  EXPECT_EQ(b.bar->Selected(), 1);
  EXPECT_EQ(b.clicks, (std::vector<long>{2, 1}));
}

TEST(SlideBar, CtrlTabWrapsBothWaysAndAPlainTabDoesNothing) {
  Bar b(3, 400);
  b.bar->KeyUp(VK_TAB, 0);  // the Tab that brought the focus in
  b.bar->KeyUp(VK_TAB, 1);  // Shift+Tab
  EXPECT_EQ(b.bar->Selected(), 0);
  EXPECT_TRUE(b.clicks.empty());
  b.bar->KeyUp(VK_TAB, 3);  // Ctrl+Shift+Tab on the first cell: the last
  EXPECT_EQ(b.bar->Selected(), 2);
  b.bar->KeyUp(VK_TAB, 2);  // Ctrl+Tab on the last: the first
  EXPECT_EQ(b.bar->Selected(), 0);
  int key = VK_TAB;
  b.bar->Surface().OnKeyUp(key, 2);  // as the control's key event
  EXPECT_EQ(b.bar->Selected(), 1);
  EXPECT_EQ(b.clicks, (std::vector<long>{2, 0, 1}));
}

TEST(SlideBar, NoClickForTheSelectedCellAndTheHandlerMayChooseAnother) {
  Bar b(4, 400);
  b.bar->ClickItem(0);
  EXPECT_TRUE(b.clicks.empty());
  b.bar->OnClick = [](long& index) { index = 3; };
  b.bar->ClickItem(1);
  EXPECT_EQ(b.bar->Selected(), 3);
}

TEST(SlideBar, SelectionAnimatesIntoTheDarkLookAndSlidesItIntoView) {
  Bar b(8, 200);  // 672 pixels of strip in a 200-pixel control
  EXPECT_FALSE(b.bar->StripFits());
  b.bar->ClickItem(5);
  EXPECT_TRUE(b.bar->Animating());
  EXPECT_EQ(b.bar->TargetOffset(), 6 * 84 - 200);
  int ticks = 0;
  while (b.bar->Animating() && ticks < 10) {
    b.bar->StateTick();
    ++ticks;
  }
  EXPECT_EQ(ticks, SlideBar::AnimationSteps);
  EXPECT_EQ(GetPixel(b.bar->Strip().hdc(), 5 * 84 + 2, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_TRUE(b.Settle());
  EXPECT_EQ(b.bar->Offset(), 304);
  // The view shows the strip from the offset, opaque.
  EXPECT_EQ(b.bar->Surface().Point(199, 0), GetPixel(b.bar->Strip().hdc(), 304 + 199, 0));
  b.bar->ClickItem(0);  // back to the start: the cell's left edge at the control's
  EXPECT_TRUE(b.Settle());
  EXPECT_EQ(b.bar->Offset(), 0);
}
