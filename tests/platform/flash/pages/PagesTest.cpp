// The program's own helper movies run as native pages: the shipped movies
// are real movies, the video page's clock and variables, the text pages'
// markup and links; and the stage placement by scale and align mode.
#include <gtest/gtest.h>

#include "FlashTestSupport.h"
#include "moviefiles/SWFModule.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/pages/TextPage.h"
#include "platform/flash/pages/VideoPage.h"

using namespace flashtest;
using flash::FlashControl;

namespace {

std::wstring FlashData(const std::wstring& name) { return testing_support::ProgramDir() + L"Media\\Flash\\" + name; }

TEST(HelperMoviesTest, ShippedMoviesAreReadableAndRecognised) {
  HostWindow host;
  FlashControl control(host.get(), 0, 0, 100, 100);
  for (const wchar_t* name : {L"browse.swf", L"video.swf", L"intro.swf", L"about_pro.swf", L"sound.swf"}) {
    SWFInfo info;
    EXPECT_EQ(GetSWFInfo(FlashData(name), info, false), L"") << name;
    EXPECT_EQ(info.BackColor.size(), 6u);
    EXPECT_NE(info.BackColor, std::wstring(6, L'\0')) << name;
    control.LoadMovie(0, FlashData(name));
    EXPECT_EQ(control.FrameNum(), 0) << name;
    EXPECT_NE(control.Page(), nullptr) << name;
  }
  PumpMessages();
}

class VideoPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    control.SetClock(clock.Fn());
    std::wstring xml = dir.File(L"video.xml");
    testing_support::WriteText(xml,
                               "<?xml version=\"1.0\"?><VIDEO>\r\n<SOURCE>C:\\v\\a.flv</SOURCE>\r\n<WIDTH>320</WIDTH>\r\n"
                               "<HEIGHT>240</HEIGHT>\r\n<TIME>20000</TIME>\r\n</VIDEO>");
    control.LoadMovie(0, FlashData(L"video.swf") + L"?myXML=" + xml + L"&time=10:00:00");
    page = dynamic_cast<flash::VideoPage*>(control.Page());
  }
  void TearDown() override { PumpMessages(); }
  void Advance(double seconds) {
    clock.now += seconds;
    control.Pump();
  }

  testing_support::TempDir dir;
  HostWindow host;
  FakeClock clock;
  FlashControl control{host.get(), 0, 0, 320, 240};
  flash::VideoPage* page = nullptr;
};

TEST_F(VideoPageTest, ClockRunsWhilePlayingAndStopsAtTheEnd) {
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Source(), L"C:\\v\\a.flv");
  EXPECT_GE(control.TotalFrames(), 1000);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"0");
  Advance(1.0);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"0");  // not playing yet
  control.SetVariable(L"playing", L"1");
  Advance(12.5);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"12.5");
  control.GotoFrame(10);  // a progress proxy only: the clock stays
  EXPECT_EQ(control.CurrentFrame(), 10);
  Advance(0.25);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"12.75");
  Advance(30);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"20");
  EXPECT_EQ(control.GetVariable(L"playing"), L"0");
}

TEST_F(VideoPageTest, SeekingActsEveryTimeItIsWritten) {
  control.SetVariable(L"playing", L"1");
  control.SetVariable(L"seeking", L"500");
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"10");
  Advance(2);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"12");
  control.SetVariable(L"seeking", L"500");  // the same value again moves back
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"10");
  control.SetVariable(L"seeking", L"5000");
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"20");
  control.SetVariable(L"seeking", L"-4");
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"0");
}

TEST(SecondsTextTest, DotDecimalPoint) {
  EXPECT_EQ(flash::SecondsText(12.5), L"12.5");
  EXPECT_EQ(flash::SecondsText(0), L"0");
  EXPECT_EQ(flash::SecondsText(3.25), L"3.25");
  EXPECT_EQ(flash::SecondsText(61.0004), L"61");
}

TEST(TextPageTest, MarkupBecomesRuns) {
  auto runs = flash::ParsePageHtml(
      L"<B><FONT size=\"14\">SWF.zel 1.0</FONT></B> | Tools<BR>"
      L"<A href=\"mailto:help@example.com\">Support: help@example.com</A> &amp; more");
  ASSERT_EQ(runs.size(), 4u);
  EXPECT_TRUE(runs[0].bold);
  EXPECT_EQ(runs[0].size, 14);
  EXPECT_EQ(runs[1].text, L" | Tools");
  EXPECT_FALSE(runs[1].bold);
  EXPECT_TRUE(runs[1].newline);
  EXPECT_EQ(runs[2].href, L"mailto:help@example.com");
  EXPECT_EQ(runs[2].size, 12);
  EXPECT_EQ(runs[3].text, L" & more");
}

TEST(TextPageTest, LinksActOnlyWhenClicked) {
  testing_support::TempDir dir;
  std::wstring xml = dir.File(L"about.xml");
  std::string site = "http://" + std::string(SWFZEL_WEB_HOST, SWFZEL_WEB_HOST + wcslen(SWFZEL_WEB_HOST)) + "/";
  testing_support::WriteText(xml, "<?xml version=\"1.0\"?><ABOUT><FONT>Arial</FONT><INFO>Info</INFO><SUPPORT>"
                                  "&lt;A href=\"" + site + "\"&gt;Web Site&lt;/A&gt;&lt;BR&gt;"
                                  "&lt;A href=\"mailto:a@b.c\"&gt;Mail&lt;/A&gt;</SUPPORT></ABOUT>");
  HostWindow host(400, 300);
  FlashControl control(host.get(), 0, 0, 400, 260);
  std::vector<std::wstring> opened, commands;
  control.SetLinkOpener([&](const std::wstring& url) { opened.push_back(url); });
  control.OnFSCommand = [&](const std::wstring& c, const std::wstring&) { commands.push_back(c); };
  control.LoadMovie(0, FlashData(L"about_pro.swf") + L"?myXML=" + xml);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 400, 260);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
  PumpMessages();
  EXPECT_TRUE(opened.empty());  // painting opens nothing
  int lastHit = 1000;
  // Click along the lines where the links are laid out until both have acted.
  for (int y = 0; y < 120; y += 2) {
    if (commands.empty() || (opened.empty() && y > lastHit + 24)) {
      const size_t before = commands.size() + opened.size();
      SendMessageW(control.hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, y));
      PumpMessages();
      if (commands.size() + opened.size() > before) lastHit = y;
    }
  }
  EXPECT_EQ(commands, std::vector<std::wstring>{L"GOWEB"});
  EXPECT_EQ(opened, std::vector<std::wstring>{L"mailto:a@b.c"});
}

TEST(StagePlacementTest, ScaleAndAlignModes) {
  const RECT stage{0, 0, 100 * 20, 50 * 20};  // 100 x 50 pixels
  struct Case {
    int scale, align;
    RECT expect;  // in a 300 x 100 client
  } cases[] = {
      {flash::kShowAll, 0, {50, 0, 250, 100}},
      {flash::kShowAll, flash::kAlignLeft, {0, 0, 200, 100}},
      {flash::kShowAll, flash::kAlignRight, {100, 0, 300, 100}},
      {flash::kNoBorder, 0, {0, -25, 300, 125}},
      {flash::kNoBorder, flash::kAlignTop, {0, 0, 300, 150}},
      {flash::kExactFit, 0, {0, 0, 300, 100}},
      {flash::kNoScale, 0, {100, 25, 200, 75}},
      {flash::kNoScale, flash::kAlignLeft | flash::kAlignBottom, {0, 50, 100, 100}},
  };
  for (const Case& c : cases) {
    RECT r = flash::PlaceStage(stage, 300, 100, c.scale, c.align).Rect(stage);
    EXPECT_TRUE(EqualRect(&r, &c.expect)) << c.scale << "/" << c.align << ": " << r.left << "," << r.top << ","
                                          << r.right << "," << r.bottom;
  }
}

}  // namespace
