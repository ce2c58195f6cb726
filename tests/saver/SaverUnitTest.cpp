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

TEST(SaverCommandLine, FollowsTheSystemsConvention) {
  const HWND window = reinterpret_cast<HWND>(uintptr_t{1234});
  const struct {
    const wchar_t* arguments;
    SaverCommand expected;
  } cases[] = {
      {L"/s", {SaverMode::FullScreen}},         {L" -S ", {SaverMode::FullScreen}},
      {L"/p 1234", {SaverMode::Preview, window}}, {L"/P:1234", {SaverMode::Preview, window}},
      {L"/c", {SaverMode::Settings}},           {L"/c:1234", {SaverMode::Settings, window}},
      {L"", {SaverMode::Settings}},             {L"/x", {SaverMode::Settings}},
      // A preview whose window is missing or unusable stays a preview (which ends at once).
      {L"/p", {SaverMode::Preview}},            {L"/p 12ab", {SaverMode::Preview}},
      {L"/p 0", {SaverMode::Preview}},          {L"/p -5", {SaverMode::Preview}},
      {L"/p 99999999999999999999", {SaverMode::Preview}},  // no handle is that long
      {L"/sx", {SaverMode::Settings}},          {L"s", {SaverMode::Settings}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseSaverCommandLine(c.arguments), c.expected) << c.arguments;
  EXPECT_EQ(SaverArgumentsOf(L"\"C:\\Program Files\\SWF.zel\\SWF.zel.scr\" /p 1234"), L"/p 1234");
  EXPECT_EQ(SaverArgumentsOf(L"C:\\SWFZEL~1\\SWF.zel.scr /s"), L"/s");
  EXPECT_EQ(SaverArgumentsOf(L"\"unclosed /s"), L"");
}

TEST(SaverEnding, KeysButtonsAndAMoveAwayFromTheStartEndTheRun) {
  POINT cursor{400, 300};
  const SaverEnding ending([&] { return cursor; });
  const struct {
    UINT message;
    POINT at;
    bool ends;
  } cases[] = {
      {WM_MOUSEMOVE, {400, 300}, false},  // the move every new window is told of
      {WM_MOUSEMOVE, {401, 300}, false},
      {WM_MOUSEMOVE, {400 + kCursorTolerance, 300 - kCursorTolerance}, false},
      {WM_MOUSEMOVE, {410, 300}, true},
      {WM_MOUSEMOVE, {400, 290}, true},
      {WM_KEYDOWN, {400, 300}, true},
      {WM_SYSKEYDOWN, {400, 300}, true},
      {WM_LBUTTONDOWN, {400, 300}, true},
      {WM_RBUTTONDOWN, {400, 300}, true},
      {WM_MOUSEWHEEL, {400, 300}, true},
      {WM_KEYUP, {400, 300}, false},  // the key that started a preview coming up
      {WM_TIMER, {500, 500}, false},
  };
  for (const auto& c : cases) {
    cursor = c.at;
    EXPECT_EQ(ending.Ends(c.message), c.ends) << std::hex << c.message << std::dec << " at " << c.at.x << "," << c.at.y;
  }
}

class SaverMovieChoice : public MovieTest {};

TEST_F(SaverMovieChoice, PlaysMoviesAndProjectorsAndNothingElse) {
  using namespace moviebytes;
  ProjectorStubPath = ShippedStub();
  GenericProjectors = true;
  Movie movie;
  movie.tags = {BackgroundTag(0x33, 0x66, 0x99), ShowFrame(), EndTag()};
  const struct {
    std::wstring recorded;
    bool playable, fromCache;  // fromCache: the file to load is a copy in the cache
  } cases[] = {
      {Write(L"plain.swf", movie.Plain()), true, false},
      {Write(L"compressed.swf", movie.Compressed()), true, false},
      {Write(L"projector.exe", Projector(testing_support::ReadBytes(ShippedStub()), movie.Plain())), true, true},
      {Path(L"missing.swf"), false, false},
      {Write(L"video.flv", FlvHeader() + FlvTag(18, MetaData({}), 0)), false, false},
      {Write(L"broken.swf", Text("FWS")), false, false},
      {L"", false, false},
  };
  for (const auto& c : cases) {
    const SaverMovie chosen = ChooseSaverMovie(c.recorded);
    EXPECT_EQ(chosen.Playable, c.playable) << c.recorded;
    EXPECT_EQ(chosen.Why.empty(), c.playable) << c.recorded;
    if (!c.playable) continue;
    EXPECT_EQ(chosen.Info.BackColor, L"336699") << c.recorded;
    EXPECT_EQ(chosen.Info.Path == c.recorded, !c.fromCache) << chosen.Info.Path;
    EXPECT_EQ(chosen.Info.Path.rfind(CacheFolder, 0) == 0, c.fromCache) << chosen.Info.Path;
  }
}
