// Damaged movies in the control (seeded, so every run sees the same inputs):
// each loads, steps through every frame, seeks and paints without a crash or
// hang, and the display list stays bounded.
#include <gtest/gtest.h>

#include <random>

#include "FlashTestSupport.h"
#include "platform/flash/FlashControl.h"

using namespace flashtest;

namespace {

Bytes RichMovie(bool compressed) {
  moviebytes::Movie m = Frames(0);
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Shape(1), Shape(2),
            Sprite(3, {Place(1, 1, 0, 0), moviebytes::ShowFrame(), Move(1, 40, 40), moviebytes::ShowFrame(),
                       DoAction({ActGoto(0), ActPlay()}), Remove(1), moviebytes::ShowFrame()}),
            Sprite(4, {Place(1, 3, 0, 0), Place(2, 4, 5, 5), moviebytes::ShowFrame()}),
            Place(1, 1, 100, 100), Label("start"), moviebytes::ShowFrame(),
            Place(2, 3, 0, 0, "clip"), Place(3, 4, 1, 1), Move(1, 200, 100, 2.0), moviebytes::ShowFrame(),
            DoAction({ActGetUrl("FSCommand:X", "y"), ActGoto(0)}), Remove(1), moviebytes::ShowFrame(),
            moviebytes::EndTag()};
  return compressed ? m.Compressed() : m.Plain();
}

TEST(ControlRobustnessTest, MutatedMoviesLoadStepAndPaint) {
  testing_support::TempDir dir;
  HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 64, 48);
  double now = 0;
  control.SetClock([&] { return now; });
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 64, 48);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bmp);
  const Bytes seeds[] = {RichMovie(false), RichMovie(true)};
  std::mt19937 rng(20261209);
  const std::wstring path = dir.File(L"mutant.swf");
  for (int i = 0; i < 600; ++i) {
    Bytes input = seeds[i % 2];
    const int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !input.empty(); ++e) {
      size_t at = rng() % input.size();
      switch (rng() % 4) {
        case 0: input[at] = static_cast<uint8_t>(rng()); break;
        case 1: input[at] ^= static_cast<uint8_t>(1u << (rng() % 8)); break;
        case 2: input.resize(at); break;
        default: input.insert(input.begin() + static_cast<ptrdiff_t>(at), static_cast<uint8_t>(rng())); break;
      }
    }
    testing_support::WriteBytes(path, input);
    control.LoadMovie(0, path);
    const long total = control.TotalFrames();
    if (control.FrameNum() < 0) {
      EXPECT_EQ(total, 0);
      continue;
    }
    ASSERT_GE(total, 1);
    control.Play();
    for (long f = 0; f < total + 2; ++f) {
      now += 1.0;
      control.Pump();
      SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    control.GotoFrame(total - 1);
    control.GotoFrame(0);
    SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_LT(control.Player()->Describe().size(), 4u << 20);
    PumpMessages();
  }
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

}  // namespace
