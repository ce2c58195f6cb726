// Video embedded in a movie: DefineVideoStream with a VideoFrame per frame,
// placed with the frame number as its ratio, drawn like a bitmap; a frame
// reached by seeking shows the picture decoded from the key frame before it.
#include <gtest/gtest.h>

#include "MediaTestSupport.h"
#include "platform/flash/FlashTestSupport.h"
#include "images/cDIBSection.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/play/MovieVideos.h"
#include "platform/flash/media/FlvPlayer.h"

using namespace flashtest;
using namespace mediatest;

namespace {

// A 168x120 movie at 25 fps showing the first `frames` pictures of sorenson.flv.
Bytes VideoMovie(int frames, uint8_t deblocking) {
  const Bytes flv = ReadData(L"sorenson.flv");
  flash::media::FlvStream stream;
  if (!stream.Open(flv)) return {};
  moviebytes::Movie m;
  m.rect = moviebytes::Rect(0, 168 * 20, 0, 120 * 20);
  m.rateWhole = 25;
  m.frames = static_cast<uint16_t>(frames);
  m.tags.push_back(moviebytes::Tag(60, U16(7) + U16(frames) + U16(168) + U16(120) + Bytes{static_cast<uint8_t>(deblocking << 1), 2}));
  for (int i = 0; i < frames; ++i) {
    const auto payload = Payload(stream.Video()[i]);
    m.tags.push_back(moviebytes::Tag(61, U16(7) + U16(i) + Bytes(payload.begin(), payload.end()), true));
    const uint8_t flags = i == 0 ? 0x02 | 0x04 | 0x10 : 0x01 | 0x10;
    Bytes place = Bytes{flags} + U16(1);
    if (i == 0) moviebytes::Append(place, U16(7) + Matrix(0, 0));
    moviebytes::Append(place, U16(i));
    m.tags.push_back(moviebytes::Tag(26, place));
    m.tags.push_back(moviebytes::ShowFrame());
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

}  // namespace

TEST(EmbeddedVideo, FramesDrawAsTheVideoShowsThem) {
  testing_support::TempDir dir;
  ASSERT_TRUE(testing_support::WriteBytes(dir.File(L"v.swf"), VideoMovie(40, 1)));
  HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 168, 120);
  control.SetAudioMode(flash::FlashControl::AudioMode::None);
  control.LoadMovie(0, dir.File(L"v.swf"));
  flash::media::FlvPlayer player;
  ASSERT_TRUE(player.Open(DataPath(L"sorenson.flv")));
  for (long frame : {37L, 3L, 30L}) {  // past a key frame, back before it, on after it
    control.GotoFrame(frame);
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(168, 120));
    control.Paint(dib.hdc(), 168, 120);
    player.ShowAt(frame * 0.04 + 0.001);
    ASSERT_EQ(player.Shown(), frame);
    // Compare the drawn pixels (bottom-up 24-bit rows) with the video's own picture.
    const uint8_t* bits = dib.DIBSectionBitsPtr();
    const size_t stride = static_cast<size_t>(dib.BytesPerScanLine());
    std::vector<uint8_t> drawn, want;
    for (int y = 0; y < 120; ++y)
      for (int x = 0; x < 168; ++x) {
        const uint8_t* px = bits + static_cast<size_t>(119 - y) * stride + static_cast<size_t>(x) * 3;
        drawn.insert(drawn.end(), px, px + 3);
        const uint32_t c = player.Pixels()[static_cast<size_t>(y) * 168 + x];
        want.insert(want.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16)});
      }
    EXPECT_GE(Psnr(drawn.data(), want.data(), drawn.size()), 30.0) << "frame " << frame;
  }
  PumpMessages();
}

TEST(EmbeddedVideo, DeblockingSmoothsOnlySmallSteps) {
  // A flat 16x8 plane with a step of 6 at x = 8 gets softened; a step of 60 stays.
  std::vector<uint8_t> plane(16 * 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) plane[y * 16 + x] = x < 8 ? 100 : (y < 4 ? 106 : 160);
  flash::DeblockPlane(plane.data(), 16, 16, 8);
  EXPECT_GT(plane[7], 100);
  EXPECT_LT(plane[8], 106);
  EXPECT_EQ(plane[5 * 16 + 7], 100);
  EXPECT_EQ(plane[5 * 16 + 8], 160);
}
