// The movie-script tests' ground: movies of 200 x 100 pixels built from
// tags, a control in a hidden window on a clock the test moves, its traces
// and log, pictures of what it paints, and the pointer.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "RenderMovies.h"
#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "platform/flash/control/FlashControl.h"

namespace moviescript {

using namespace rendertest;
using flashtest::Code;
using flashtest::Export;
using flashtest::PlaceEvents;
using flashtest::Script;

constexpr Color kRed{255, 0, 0}, kBlue{0, 0, 255};
constexpr uint32_t kWhite = 0xFFFFFF, kRedPx = 0xFF0000, kBluePx = 0x0000FF;

inline Bytes Box(uint16_t id, Color c, int x0, int y0, int x1, int y1) {
  ShapeBuilder s;
  s.Fill(Solid(c)).Rect(x0 * 20, y0 * 20, x1 * 20, y1 * 20, 1);
  return s.Tag(id);
}

// A movie of 200 x 100 pixels at 10 frames a second; the tags hold the ShowFrames.
inline Bytes FramesMovie(const std::vector<Bytes>& tags, uint8_t version = 7) {
  moviebytes::Movie m;
  m.version = version;
  m.rect = moviebytes::Rect(0, 200 * 20, 0, 100 * 20);
  m.rateWhole = 10;
  m.frames = 0;
  m.tags.push_back(moviebytes::BackgroundTag(255, 255, 255));
  for (const Bytes& t : tags) {
    m.tags.push_back(t);
    if (t == moviebytes::ShowFrame()) ++m.frames;
  }
  m.tags.push_back(moviebytes::EndTag());
  return m.Plain();
}

// DefineEditText without a font: bounds in twips, flags, the variable's name.
inline Bytes EditText(uint16_t id, int32_t w, int32_t h, uint8_t f1, uint8_t f2, const std::string& variable) {
  return moviebytes::Tag(37, U16(id) + moviebytes::Rect(0, w, 0, h) + Bytes{f1, f2} + moviebytes::Text(variable) + Bytes{0},
                         true);
}

class MovieScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetLogSink([this](const std::wstring& text, bool) { log.push_back(text); });
    control = std::make_unique<flash::FlashControl>(host.get(), 0, 0, 200, 100);
    control->SetClock([this] { return now += step; });
  }
  void TearDown() override {
    control.reset();
    SetLogSink({});
    flashtest::PumpMessages();
  }
  void Load(const Bytes& movie) {
    path = dir.File(L"m.swf");
    testing_support::WriteBytes(path, movie);
    control->LoadMovie(0, path);
    ASSERT_EQ(control->FrameNum(), 0);
  }
  void Frames(int n) {
    for (int i = 0; i < n; ++i) {
      now += 0.1;
      control->Pump();
    }
  }
  // The traces since the last call, joined by "|".
  std::string Traces() {
    std::string out;
    const std::wstring prefix = L"Movie trace :: ";
    for (const auto& line : log)
      if (line.rfind(prefix, 0) == 0) out += (out.empty() ? "" : "|") + WideToUtf8(line.substr(prefix.size()));
    log.clear();
    return out;
  }
  bool Logged(const std::wstring& part) const { return Count(part) > 0; }
  int Count(const std::wstring& part) const {
    int n = 0;
    for (const auto& line : log) n += line.find(part) != std::wstring::npos;
    return n;
  }
  Picture Shot() {
    Picture p;
    p.width = 200, p.height = 100;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 200, -100, 1, 32, BI_RGB};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    SendMessageW(control->hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
    p.pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + 200 * 100);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return p;
  }
  void Mouse(UINT msg, int x, int y) {
    SendMessageW(control->hWnd(), msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  }
  void Click(int x, int y) {
    Mouse(WM_MOUSEMOVE, x, y);
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_LBUTTONUP, x, y);
  }

  testing_support::TempDir dir;
  flashtest::HostWindow host{200, 100};
  std::unique_ptr<flash::FlashControl> control;
  double now = 100, step = 0;
  std::wstring path;
  std::vector<std::wstring> log;
};

}  // namespace moviescript
