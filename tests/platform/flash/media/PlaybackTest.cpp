// Playing video files: the video page on the test streams (the frame of a
// time after seeking, the clock moving the picture, H.264 pictures stored out
// of order shown in turn, the end), and the picture of frames 1, 25 and 50 of
// every codec that the test run saves for a look.
#include <gtest/gtest.h>

#include <algorithm>

#include "MediaTestSupport.h"
#include "platform/flash/FlashTestSupport.h"
#include "images/cDIBSection.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/pages/VideoPage.h"

using namespace flash::media;
using namespace mediatest;

namespace {

std::wstring WrapperMovie() { return testing_support::ProgramDir() + L"Media\\Flash\\video.swf"; }

class VideoPlaybackTest : public ::testing::Test {
 protected:
  void Load(const std::wstring& video, long ms) {
    control.SetClock(clock.Fn());
    control.SetAudioMode(flash::FlashControl::AudioMode::None);
    const std::wstring xml = dir.File(L"video.xml");
    std::string path;
    for (wchar_t c : DataPath(video)) path += static_cast<char>(c);
    testing_support::WriteText(xml, "<?xml version=\"1.0\"?><VIDEO><SOURCE>" + path + "</SOURCE><WIDTH>168</WIDTH>"
                                    "<HEIGHT>120</HEIGHT><TIME>" + std::to_string(ms) + "</TIME></VIDEO>");
    control.LoadMovie(0, WrapperMovie() + L"?myXML=" + xml);
    page = dynamic_cast<flash::VideoPage*>(control.Page());
  }
  void TearDown() override { flashtest::PumpMessages(); }
  void Advance(double seconds) {
    clock.now += seconds;
    control.Pump();
  }
  long Shown() const { return page && page->Player() ? page->Player()->Shown() : -2; }

  testing_support::TempDir dir;
  flashtest::HostWindow host;
  flashtest::FakeClock clock;
  flash::FlashControl control{host.get(), 0, 0, 336, 240};
  flash::VideoPage* page = nullptr;
};

}  // namespace

TEST_F(VideoPlaybackTest, PicturesFollowTheClockAndSeeking) {
  Load(L"sorenson.flv", 4000);
  ASSERT_NE(page, nullptr);
  ASSERT_NE(page->Player(), nullptr);
  EXPECT_EQ(Shown(), 0);  // the first picture before playing
  control.SetVariable(L"seeking", L"625");  // 2.5 s of 4: the picture shown from 2.48 s
  EXPECT_EQ(Shown(), 62);
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"2.5");
  // The picture is the decoder's frame 62, as the encoder decoded it.
  const Bytes ref = ReadReference(L"sorenson.ref", 168 * 120 * 3 / 2);
  const uint8_t* y = ref.data() + 3 * 168 * 120 * 3 / 2;
  const VideoImage expected{168, 120, true, {y, y + 168 * 120, y + 168 * 120 + 84 * 60}, {168, 84, 84}};
  const auto want = ToArgb(expected);
  const auto& got = page->Player()->Pixels();
  ASSERT_EQ(got.size(), want.size());
  EXPECT_GE(Psnr(reinterpret_cast<const uint8_t*>(got.data()), reinterpret_cast<const uint8_t*>(want.data()), got.size() * 4), 35.0);
  control.SetVariable(L"seeking", L"0");
  EXPECT_EQ(Shown(), 0);
  control.SetVariable(L"playing", L"1");
  Advance(1.0);
  EXPECT_EQ(Shown(), 25);
  control.SetVariable(L"playing", L"0");
  Advance(1.0);  // paused: stays
  EXPECT_EQ(Shown(), 25);
  control.SetVariable(L"playing", L"1");
  Advance(5.0);
  EXPECT_EQ(Shown(), 99);
  EXPECT_EQ(control.GetVariable(L"playing"), L"0");  // the end, as the heartbeat sees it
  EXPECT_EQ(control.GetVariable(L"myVideo.playheadTime"), L"4");
}

// H.264 with B-frames: picture i is presented at 80 + 40 i ms, whatever order the file stores them in.
TEST_F(VideoPlaybackTest, H264PicturesShowInTurnAtTheirPresentationTimes) {
  if (!CreateVideoDecoder(VideoCodec::H264)) GTEST_SKIP() << "no H.264 decoder on this system";
  Load(L"h264-bframes.flv", 2080);
  ASSERT_TRUE(page && page->Player());
  control.SetVariable(L"seeking", L"500");  // 1.04 s
  EXPECT_EQ(Shown(), 24);
  control.SetVariable(L"seeking", L"0");
  control.SetVariable(L"playing", L"1");
  for (int i = 1; i < 50; ++i) {
    Advance(0.04);
    ASSERT_EQ(Shown(), std::max(i - 2, 0)) << "after " << i << " frame times";
  }
  Advance(1);
  EXPECT_EQ(Shown(), 49);
  EXPECT_EQ(control.GetVariable(L"playing"), L"0");
}

TEST_F(VideoPlaybackTest, TheSoundTrackIsTheClockWhileItPlays) {
  Load(L"sorenson.flv", 4000);
  control.SetAudioMode(flash::FlashControl::AudioMode::Manual);
  control.SetVariable(L"seeking", L"0");
  control.SetVariable(L"playing", L"1");
  control.Pump();
  // The control's clock stands still; a second of the track is mixed.
  std::vector<int16_t> mix(2 * 4410);
  for (int i = 0; i < 10; ++i) {
    control.AudioMixer()->Render(mix);
    control.Pump();
  }
  EXPECT_NEAR(Shown(), 25, 1);
  EXPECT_NEAR(_wtof(control.GetVariable(L"myVideo.playheadTime").c_str()), 1.0, 0.05);
}

TEST_F(VideoPlaybackTest, AMissingOrDamagedFileShowsBlack) {
  Load(L"no-such.flv", 3000);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Player(), nullptr);
  control.SetVariable(L"playing", L"1");
  Advance(4);
  EXPECT_EQ(control.GetVariable(L"playing"), L"0");  // the clock still ends
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(50, 40));
  control.Paint(dib.hdc(), 50, 40);
  EXPECT_EQ(GetPixel(dib.hdc(), 25, 20), RGB(0, 0, 0));
}

// Frames 1, 25 and 50 of each codec's test video side by side, a row per
// video, saved as bin\video-frames.bmp. The H.264 clips with B-frames
// present their first picture at 80 ms.
TEST(VideoFramesPicture, SavesFramesOfEveryCodec) {
  const struct {
    const wchar_t* file;
    double firstShown;
  } videos[] = {{L"sorenson.flv", 0}, {L"screen.flv", 0},          {L"screen2.flv", 0},
                {L"h264.flv", 0},     {L"h264-bframes.flv", 0.08}, {L"h264-nosize.flv", 0.08}};
  const int cell = 180, rowHeight = 150;
  cDIBSection dib;
  ASSERT_TRUE(dib.Create(cell * 3, rowHeight * static_cast<long>(std::size(videos))));
  RECT all{0, 0, cell * 3, rowHeight * static_cast<int>(std::size(videos))};
  FillRect(dib.hdc(), &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  for (size_t row = 0; row < std::size(videos); ++row) {
    FlvPlayer player;
    ASSERT_TRUE(player.Open(DataPath(videos[row].file)));
    for (int col = 0; col < 3; ++col) {
      const int frame = col == 0 ? 0 : col == 1 ? 24 : 49;
      player.ShowAt(videos[row].firstShown + frame * 0.04 + 0.001);
      if (player.Pixels().empty()) continue;  // no decoder for this codec here
      EXPECT_EQ(player.Shown(), frame) << row;
      RECT r{col * cell + 2, static_cast<int>(row) * rowHeight + 2, (col + 1) * cell - 2, static_cast<int>(row + 1) * rowHeight - 2};
      flash::DrawPicture(dib.hdc(), r, player.Pixels().data(), player.Width(), player.Height());
    }
  }
  EXPECT_TRUE(dib.SavePicture(testing_support::ProgramDir() + L"video-frames.bmp"));
}
