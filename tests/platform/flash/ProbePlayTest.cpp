// The probe plays a movie of scripts: snapshot --play draws what the
// scripts made by the frame asked for (a seek draws the timeline alone), and
// control --play N prints the main timeline's variables after N frames; info
// prints a movie's frame rate with its fraction.
#include <gtest/gtest.h>
#include <windows.h>

#include "RenderMovies.h"
#include "base/Handles.h"
#include "base/TextConv.h"

using namespace rendertest;
using flashtest::Script;

namespace {

// Runs movieprobe (beside the test program) with arguments; its exit code and output.
int Probe(const std::wstring& args, std::string& out) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self);
  dir.erase(dir.find_last_of(L'\\') + 1);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return -1;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = writeEnd;
  PROCESS_INFORMATION pi{};
  std::wstring line = L"\"" + dir + L"movieprobe.exe\" " + args;
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return -1;
  }
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);
  return static_cast<int>(code);
}

uint32_t BmpPixel(const std::vector<uint8_t>& bmp, int x, int y) {
  const int32_t w = bmp[18] | bmp[19] << 8 | bmp[20] << 16 | bmp[21] << 24;
  const int32_t h = bmp[22] | bmp[23] << 8 | bmp[24] << 16 | bmp[25] << 24;
  const int bytes = (bmp[28] | bmp[29] << 8) / 8;
  const size_t stride = (static_cast<size_t>(w) * bytes + 3) / 4 * 4;
  const size_t row = h > 0 ? static_cast<size_t>(h - 1 - y) : static_cast<size_t>(y);
  const size_t offset = bmp[10] | bmp[11] << 8 | bmp[12] << 16 | size_t(bmp[13]) << 24;
  const size_t at = offset + row * stride + static_cast<size_t>(x) * bytes;
  return uint32_t(bmp[at + 2]) << 16 | uint32_t(bmp[at + 1]) << 8 | bmp[at];
}

TEST(ProbePlayTest, PlaysTheScriptsOfTheFramesItShows) {
  testing_support::TempDir dir;
  moviebytes::Movie m;
  m.version = 7;
  m.rect = moviebytes::Rect(0, 100 * 20, 0, 50 * 20);
  m.rateWhole = 10;
  m.frames = 3;
  m.tags = {moviebytes::BackgroundTag(255, 255, 255),
            Script("push 'count', 0; setVariable; push 'onEnterFrame'; function '' () { push 'count', 'count'; "
                   "getVariable; increment; setVariable }; setVariable"),
            moviebytes::ShowFrame(), moviebytes::ShowFrame(),
            Script("push 1, 'd', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; storeRegister 1; "
                   "push 100, 0xFF0000, 2, r:1, 'beginFill'; callMethod; pop; push 20, 0, 2, r:1, 'lineTo'; callMethod; "
                   "pop; push 20, 20, 2, r:1, 'lineTo'; callMethod; pop; push 0, 20, 2, r:1, 'lineTo'; callMethod; "
                   "pop; push 0, r:1, 'endFill'; callMethod; pop; stop"),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  const std::wstring movie = dir.File(L"played.swf");
  ASSERT_TRUE(testing_support::WriteBytes(movie, m.Plain()));
  std::string out;
  ASSERT_EQ(Probe(L"snapshot \"" + movie + L"\" \"" + dir.File(L"played.bmp") + L"\" --frame 2 --play", out), 0) << out;
  EXPECT_EQ(BmpPixel(testing_support::ReadBytes(dir.File(L"played.bmp")), 10, 10), 0xFF0000u);
  out.clear();
  ASSERT_EQ(Probe(L"snapshot \"" + movie + L"\" \"" + dir.File(L"sought.bmp") + L"\" --frame 2", out), 0) << out;
  EXPECT_EQ(BmpPixel(testing_support::ReadBytes(dir.File(L"sought.bmp")), 10, 10), 0xFFFFFFu);
  out.clear();
  EXPECT_EQ(Probe(L"control \"" + movie + L"\" --play 3", out), 0);
  EXPECT_NE(out.find("Variable count=3"), std::string::npos) << out;
  EXPECT_NE(out.find("FrameNum=2"), std::string::npos) << out;
}

// --ticks N: the picture after N frame ticks from the start (1: the first
// frame with its actions run) while the timeline stands at frame 0 and
// onEnterFrame moves a box 10 px right every tick.
TEST(ProbePlayTest, SnapshotAfterFrameTicks) {
  testing_support::TempDir dir;
  moviebytes::Movie m;
  m.version = 7;
  m.rect = moviebytes::Rect(0, 100 * 20, 0, 50 * 20);
  m.rateWhole = 10;
  m.frames = 2;
  m.tags = {moviebytes::BackgroundTag(255, 255, 255),
            Script("push 1, 'd', 2, '_root'; getVariable; push 'createEmptyMovieClip'; callMethod; storeRegister 1; "
                   "push 100, 0xFF0000, 2, r:1, 'beginFill'; callMethod; pop; push 10, 0, 2, r:1, 'lineTo'; callMethod; "
                   "pop; push 10, 10, 2, r:1, 'lineTo'; callMethod; pop; push 0, 10, 2, r:1, 'lineTo'; callMethod; "
                   "pop; push 0, r:1, 'endFill'; callMethod; pop; push r:1, 'onEnterFrame'; function '' () { "
                   "push 'this'; getVariable; push '_x', 'this'; getVariable; push '_x'; getMember; push 10; add2; "
                   "setMember }; setMember; stop"),
            moviebytes::ShowFrame(), moviebytes::ShowFrame(), moviebytes::EndTag()};
  const std::wstring movie = dir.File(L"ticks.swf");
  ASSERT_TRUE(testing_support::WriteBytes(movie, m.Plain()));
  for (int ticks : {1, 4}) {
    const std::wstring picture = dir.File(L"ticks" + std::to_wstring(ticks) + L".bmp");
    std::string out;
    ASSERT_EQ(Probe(L"snapshot \"" + movie + L"\" \"" + picture + L"\" --ticks " + std::to_wstring(ticks), out), 0) << out;
    EXPECT_NE(out.find("Frame=0"), std::string::npos) << out;
    const std::vector<uint8_t> bmp = testing_support::ReadBytes(picture);
    const int x = 10 * (ticks - 1);
    EXPECT_EQ(BmpPixel(bmp, x + 5, 5), 0xFF0000u) << ticks;
    EXPECT_EQ(BmpPixel(bmp, x + 15, 5), 0xFFFFFFu) << ticks;
    if (x > 0) {
      EXPECT_EQ(BmpPixel(bmp, x - 5, 5), 0xFFFFFFu) << ticks;
    }
  }
  std::string out;
  EXPECT_NE(Probe(L"snapshot \"" + movie + L"\" \"" + dir.File(L"none.bmp") + L"\" --ticks 0", out), 0) << out;
}

TEST(ProbeInfoTest, PrintsTheFrameRateWithItsFraction) {
  testing_support::TempDir dir;
  for (const auto& [fraction, whole, text] : {std::tuple(0xF8, 29, "29.97"), std::tuple(0x80, 0, "0.5")}) {
    moviebytes::Movie m;
    m.rateFraction = static_cast<uint8_t>(fraction), m.rateWhole = static_cast<uint8_t>(whole);
    m.tags = {moviebytes::ShowFrame(), moviebytes::EndTag()};
    const std::wstring movie = dir.File(L"rate.swf");
    ASSERT_TRUE(testing_support::WriteBytes(movie, m.Plain()));
    std::string out;
    ASSERT_EQ(Probe(L"info \"" + movie + L"\"", out), 0) << out;
    const size_t at = out.find("FrameRate=");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.substr(at + 10, out.find_first_of("\r\n", at) - at - 10), text) << out;
  }
}

}  // namespace
