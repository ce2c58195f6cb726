// The screen saver's rules without a window: its command line, what ends a
// full-screen run (with an injected cursor), and the movie chosen from the
// recorded path.
#include <gtest/gtest.h>
#include <windows.h>

#include "MovieTestEnv.h"
#include "saver/SaverCommandLine.h"
#include "saver/SaverEnding.h"
#include "saver/SaverMovie.h"

using namespace saver;
using moviebytes::Bytes;
using moviebytes::operator+;

namespace {

HWND Handle(uintptr_t n) { return reinterpret_cast<HWND>(n); }

}  // namespace

TEST(SaverCommandLine, FollowsTheSystemsConvention) {
  const struct {
    const wchar_t* arguments;
    SaverCommand expected;
  } cases[] = {
      {L"/s", {SaverMode::FullScreen}},
      {L"-S", {SaverMode::FullScreen}},
      {L"  /S  ", {SaverMode::FullScreen}},
      {L"/p 1234", {SaverMode::Preview, Handle(1234)}},
      {L"/P:1234", {SaverMode::Preview, Handle(1234)}},
      {L"/c", {SaverMode::Settings}},
      {L"/c:1234", {SaverMode::Settings, Handle(1234)}},
      {L"-C 99", {SaverMode::Settings, Handle(99)}},
      {L"", {SaverMode::Settings}},
      {L"/x", {SaverMode::Settings}},
      {L"/a 1234", {SaverMode::Settings}},
      {L"/p", {SaverMode::Settings}},                       // a preview without its window
      {L"/p 12ab", {SaverMode::Settings}},
      {L"/p 99999999999999999999999", {SaverMode::Settings}},  // too long for a handle
      {L"/sx", {SaverMode::Settings}},
      {L"s", {SaverMode::Settings}},
      {L"/c:junk", {SaverMode::Settings}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSaverCommandLine(c.arguments), c.expected) << c.arguments;
}

TEST(SaverCommandLine, ArgumentsFollowTheProgramsPath) {
  const struct {
    const wchar_t* line;
    const wchar_t* arguments;
  } cases[] = {
      {L"\"C:\\Program Files\\SWF.zel\\SWF.zel.scr\" /s", L"/s"},
      {L"C:\\SWFZEL~1\\SWF.zel.scr /p 1234", L"/p 1234"},
      {L"\"C:\\a b\\SWF.zel.scr\"", L""},
      {L"SWF.zel.scr", L""},
      {L"\"unclosed /s", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(SaverArgumentsOf(c.line), c.arguments) << c.line;
}

TEST(SaverEnding, KeysButtonsAndAMoveAwayFromTheStartEndTheRun) {
  POINT cursor{400, 300};
  const SaverEnding ending([&] { return cursor; });
  EXPECT_EQ(ending.Start().x, 400);
  const struct {
    UINT message;
    POINT at;
    bool ends;
  } cases[] = {
      {WM_MOUSEMOVE, {400, 300}, false},  // the move every new window is told of
      {WM_MOUSEMOVE, {401, 300}, false},
      {WM_MOUSEMOVE, {399, 301}, false},
      {WM_MOUSEMOVE, {400 + kCursorTolerance, 300 - kCursorTolerance}, false},
      {WM_MOUSEMOVE, {410, 300}, true},
      {WM_MOUSEMOVE, {400, 290}, true},
      {WM_KEYDOWN, {400, 300}, true},
      {WM_SYSKEYDOWN, {400, 300}, true},
      {WM_LBUTTONDOWN, {400, 300}, true},
      {WM_RBUTTONDOWN, {400, 300}, true},
      {WM_MBUTTONDOWN, {400, 300}, true},
      {WM_MOUSEWHEEL, {400, 300}, true},
      {WM_KEYUP, {400, 300}, false},  // the key that started a preview coming up
      {WM_LBUTTONUP, {400, 300}, false},
      {WM_TIMER, {500, 500}, false},
      {WM_PAINT, {500, 500}, false},
  };
  for (const auto& c : cases) {
    cursor = c.at;
    EXPECT_EQ(ending.Ends(c.message), c.ends) << std::hex << c.message << std::dec << " at " << c.at.x << ","
                                               << c.at.y;
  }
}

class SaverMovieChoice : public MovieTest {};

TEST_F(SaverMovieChoice, PlaysMoviesAndProjectorsAndNothingElse) {
  ProjectorStubPath = ShippedStub();
  GenericProjectors = true;
  moviebytes::Movie movie;
  movie.tags = {moviebytes::BackgroundTag(0x33, 0x66, 0x99), moviebytes::ShowFrame(), moviebytes::EndTag()};
  const Bytes flv = moviebytes::FlvHeader() + moviebytes::FlvTag(18, moviebytes::MetaData({}), 0);
  const std::wstring plain = Write(L"plain.swf", movie.Plain());
  const std::wstring compressed = Write(L"compressed.swf", movie.Compressed());
  const std::wstring projector =
      Write(L"projector.exe", moviebytes::Projector(testing_support::ReadBytes(ShippedStub()), movie.Plain()));
  const std::wstring video = Write(L"video.flv", flv);
  const std::wstring broken = Write(L"broken.swf", moviebytes::Text("FWS"));
  const struct {
    std::wstring recorded;
    bool playable;
    bool fromCache;  // the file to load is a copy in the cache
  } cases[] = {
      {plain, true, false},
      {compressed, true, false},
      {projector, true, true},
      {Path(L"missing.swf"), false, false},
      {video, false, false},
      {broken, false, false},
      {L"", false, false},
  };
  for (const auto& c : cases) {
    const SaverMovie chosen = ChooseSaverMovie(c.recorded);
    EXPECT_EQ(chosen.Playable, c.playable) << c.recorded;
    if (!c.playable) {
      EXPECT_FALSE(chosen.Why.empty()) << c.recorded;
      continue;
    }
    EXPECT_EQ(chosen.Info.RequestedPath, c.recorded);
    EXPECT_EQ(chosen.Info.BackColor, L"336699") << c.recorded;
    EXPECT_EQ(chosen.Info.Path == c.recorded, !c.fromCache) << chosen.Info.Path;
    if (c.fromCache) {
      EXPECT_EQ(chosen.Info.Path.rfind(CacheFolder, 0), 0u) << chosen.Info.Path;
    }
  }
}
