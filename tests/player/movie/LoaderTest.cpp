// The movie loader on a recording control: the checks before reading, the
// order of the control's calls, the menus a movie gives, the browse page's
// scale mode, projector replacement, a failed load beside a playing movie,
// and the conversion between movies and projectors.
#include <gtest/gtest.h>

#include "PlayerFakes.h"
#include "moviefiles/Projector.h"
#include "player/movie/FSCommands.h"
#include "services/ShellMod.h"

using namespace player_test;
using moviebytes::Bytes;
using moviebytes::operator+;

namespace {

class Loader : public PlayerFixture {};

TEST_F(Loader, ChecksTheFileBeforeReadingIt) {
  CreateDirectoryW(temp.File(L"folder").c_str(), nullptr);
  struct Case {
    std::wstring path;
    std::wstring failure;  // "" when the load goes elsewhere
  } cases[] = {
      {Write(L"seven.swf", Bytes(7, 'F')), L"File is Too Small to Be Valid"},
      {temp.File(L"missing.swf"), L"File Not Found"},
      // Eight bytes are read by GetSWFInfo, which finds no movie in them.
      {Write(L"eight.swf", Bytes(8, 'F')), L"read"},
      {temp.File(L"folder"), L""},
  };
  for (const Case& c : cases) {
    host.calls.clear();
    log.clear();
    LastError.clear();
    host.state.CurrentSWFInfo.FileTitle = L"stale";
    Load(c.path);
    EXPECT_TRUE(host.Only(L"LoadMovie").empty()) << c.path;
    EXPECT_FALSE(host.heartbeat) << "nothing left to watch";
    if (c.failure.empty()) {
      EXPECT_EQ(host.calls, Calls{L"BrowseFolder " + c.path});
      continue;
    }
    const std::wstring failure = c.failure == L"read" ? LastError : c.failure;
    EXPECT_FALSE(failure.empty());
    EXPECT_EQ(c.failure == L"read", !LastError.empty()) << c.path;
    EXPECT_TRUE(Logged(L"Failed to load, since " + failure)) << c.path;
    EXPECT_NE(host.notice.find(failure), std::wstring::npos) << c.path;
    EXPECT_TRUE(host.state.CurrentSWFInfo.FileTitle.empty()) << "the record is blank";
  }
}

TEST_F(Loader, APlainLoadCallsTheControlInOrderAndTitlesTheWindow) {
  // Quotes go; a query goes to the control and stays out of the checks.
  const std::wstring a = WriteMovie(L"a.swf");
  Load(L"\"" + a + L"?myXML=x.xml\"");
  const Calls expected = {L"AlignMode 0", L"LoadMovie 0 " + a + L"?myXML=x.xml", L"Set _alpha=100", L"BGColor 102030",
                          L"Loop False",  L"Volume 100", L"Pan 0", L"BGColor 102030", L"Move", L"Rewind", L"Set playing=1",
                          L"Play"};
  Calls made;
  for (const auto& c : host.calls)
    if (c.rfind(L"ZoomFlash", 0) != 0 && c.rfind(L"AddRecent", 0) != 0) made.push_back(c);
  EXPECT_EQ(made, expected);
  EXPECT_EQ(host.caption, L"SWF.zel - a.swf");
  EXPECT_EQ(host.state.MediaTitle, L"a.swf");
  EXPECT_TRUE(host.heartbeat);
  EXPECT_TRUE(host.Has(L"ZoomFlash 100"));
  EXPECT_TRUE(host.notice.empty());
}

TEST_F(Loader, KindOfMovieSetsMenusCountAndRecentFiles) {
  const Bytes flv = moviebytes::FlvHeader() +
                    moviebytes::FlvTag(18, moviebytes::MetaData({{"duration", moviebytes::AmfNumber(4)},
                                                                 {"framerate", moviebytes::AmfNumber(25)}}), 0);
  struct Case {
    std::wstring path;
    bool playback, convert, info, extract, desktop, thumbnail, counted;
  } cases[] = {
      {WriteMovie(L"plain.swf"), true, true, true, true, true, true, true},
      {WriteMovie(L"Flash\\intro.swf"), false, false, false, false, false, false, false},
      {Write(L"video.flv", flv), false, false, true, false, false, true, true},
  };
  for (const Case& c : cases) {
    host.calls.clear();
    host.options.PlayedCount = 5;
    Load(c.path);
    auto enabled = [&](const wchar_t* item) { return host.Enabled(item); };
    EXPECT_EQ(enabled(L"MenuPlayback"), c.playback) << c.path;
    EXPECT_EQ(enabled(L"mnuConvert"), c.convert) << c.path;
    EXPECT_EQ(enabled(L"mnuInfo"), c.info) << c.path;
    EXPECT_EQ(enabled(L"mnuExtract"), c.extract) << c.path;
    EXPECT_EQ(enabled(L"mnuDesktop"), c.desktop) << c.path;
    EXPECT_EQ(enabled(L"mnuThumbnail"), c.thumbnail) << c.path;
    EXPECT_EQ(host.options.PlayedCount, c.counted ? 6 : 5) << c.path;
    EXPECT_EQ(host.Only(L"AddRecent").size(), c.counted ? 1u : 0u) << c.path;
    EXPECT_EQ(host.state.InternalMovie, !c.counted) << c.path;
  }
}

// Only the pages the program ships in its Flash folder are its own, by their
// canonical paths: a path whose text passes through the Flash folder, a
// movie of another name there, or a name that merely begins like a page is
// a movie like any other, and its FS commands get none of the own words.
TEST_F(Loader, OnlyTheShippedPagesByTheirCanonicalPathsAreTheProgramsOwn) {
  CreateDirectoryW(temp.File(L"elsewhere").c_str(), nullptr);
  WriteMovie(L"elsewhere\\evil.swf");
  const std::wstring flash = FlashFolder;
  const struct {
    std::wstring path;
    bool own;
  } cases[] = {
      {WriteMovie(L"Flash\\about_pro.swf"), true},
      {flash + L"..\\Flash\\.\\ABOUT_PRO.SWF", true},
      {flash.substr(0, flash.size() - 1) + L"/about_pro.swf", true},
      {WriteMovie(L"Flash\\mine.swf"), false},
      {WriteMovie(L"Flash\\about_pro.swf.swf"), false},
      {flash + L"..\\elsewhere\\evil.swf", false},
  };
  for (const auto& c : cases) {
    host.calls.clear();
    Load(c.path);
    ASSERT_FALSE(host.Only(L"LoadMovie").empty()) << c.path;
    EXPECT_EQ(host.state.InternalMovie, c.own) << c.path;
    host.calls.clear();
    player::SWF_FSCommand(host, L"MEOWMSG", L"hello");
    EXPECT_EQ(host.Only(L"Message").size(), c.own ? 1u : 0u) << c.path;
  }
  // Its short form names the page too, where the file system has one.
  wchar_t shortForm[MAX_PATH] = {};
  const std::wstring page = flash + L"about_pro.swf";
  if (GetShortPathNameW(page.c_str(), shortForm, MAX_PATH) && page != shortForm) {
    Load(shortForm);
    EXPECT_TRUE(host.state.InternalMovie) << shortForm;
  }
}

// A statement reaches the script host from the command line alone: the
// loader takes none, whatever road brought it.
TEST_F(Loader, TheLoaderRunsNoStatement) {
  for (const wchar_t* text : {L"/exec Quit", L"\"/exec CreateObject(\"x\") '.swf\"", L"/EXEC Uninstall", L"/execQuit"}) {
    host.calls.clear();
    Load(text);
    EXPECT_TRUE(host.Only(L"Execute").empty()) << text;
    EXPECT_TRUE(host.Only(L"LoadMovie").empty()) << text;
  }
  host.calls.clear();
  player::RunCommandLineStatement(host, L"/exec SetRepeatMode 2");
  EXPECT_TRUE(host.Has(L"Execute SetRepeatMode 2"));
}

TEST_F(Loader, AHundredFramesIsNoLongerAShortMovie) {
  for (int frames : {99, 100}) {
    Load(WriteMovie(L"m" + std::to_wstring(frames) + L".swf", frames));
    EXPECT_EQ(host.state.ShortMovie, frames < 100) << frames;
  }
}

TEST_F(Loader, TheBrowsePageKeepsTheScaleModeItFoundForSaving) {
  const std::wstring page = WriteMovie(L"Flash\\browse.swf");
  host.control.scale = 2;
  Load(page + L"?myXML=browse.xml", true, L"Browse Media");
  Load(page + L"?myXML=browse.xml", true, L"Browse Media");
  EXPECT_TRUE(host.state.Browsed);
  EXPECT_EQ(host.state.SavedScaleMode, 2);
  EXPECT_EQ(host.control.scale, 3);
  EXPECT_FALSE(host.Enabled(L"mnuScale"));
  EXPECT_EQ(player::ScaleModeToSave(host.state, host.control.scale), 2);
  EXPECT_EQ(host.Only(L"SizeForBrowsing").size(), 1u);
  EXPECT_EQ(host.caption, L"SWF.zel - Browse Media");

  Load(WriteMovie(L"next.swf"));
  EXPECT_FALSE(host.state.Browsed);
  EXPECT_EQ(host.control.scale, 0);
  EXPECT_TRUE(host.Enabled(L"mnuScale"));
  EXPECT_EQ(player::ScaleModeToSave(host.state, host.control.scale), 0);
}

TEST_F(Loader, ProjectorsAreReplacedOnlyByTheirOwnMovieAndNeverOverAFile) {
  const Bytes movie = Frames(10).Plain();
  struct Case {
    const wchar_t* name;
    bool projector, recycleWorks, targetExists;
    bool replaced;
  } cases[] = {
      {L"gone.exe", true, true, false, true},
      {L"kept.exe", true, false, false, true},  // the projector stays, the moved movie plays
      {L"taken.exe", true, true, true, false},  // an existing movie of that name survives
      {L"packed.swf", false, true, false, false},
  };
  for (const Case& c : cases) {
    host.calls.clear();
    host.options.RemoveProjectors = true;
    host.recycleWorks = c.recycleWorks;
    const std::wstring path = c.projector ? WriteProjector(c.name, movie) : Write(c.name, Frames(10).Compressed());
    const Bytes original = testing_support::ReadBytes(path);
    const Bytes other = moviebytes::Text("a file of the user's");
    if (c.targetExists) Write(std::wstring(c.name) + L".swf", other);
    Load(path);
    const std::wstring moved = path + L".swf";
    const Calls loads = host.Only(L"LoadMovie");
    ASSERT_EQ(loads.size(), 1u) << c.name;
    if (c.replaced) {
      EXPECT_EQ(loads[0], L"LoadMovie 0 " + moved) << c.name;
      EXPECT_EQ(testing_support::ReadBytes(moved), movie) << c.name;
      EXPECT_EQ(FileExists(path), !c.recycleWorks) << c.name;
      EXPECT_EQ(host.caption, L"SWF.zel - " + std::wstring(c.name) + L".swf");
    } else {
      EXPECT_TRUE(host.Only(L"Recycle").empty()) << c.name;
      EXPECT_EQ(testing_support::ReadBytes(path), original) << c.name;
      if (c.targetExists) {
        EXPECT_EQ(testing_support::ReadBytes(moved), other) << c.name;
      } else {
        EXPECT_FALSE(FileExists(moved)) << c.name;
      }
      EXPECT_NE(loads[0], L"LoadMovie 0 " + moved) << c.name;
    }
  }
}

TEST_F(Loader, AFailedLoadLeavesThePlayingMovieUnderTheHeartbeat) {
  Load(WriteMovie(L"playing.swf", 24));
  Load(temp.File(L"missing.swf"));
  EXPECT_TRUE(host.heartbeat);
  EXPECT_EQ(host.state.CurrentSWFInfo.FileTitle, L"playing.swf") << "the record of the movie still shown";
  EXPECT_EQ(host.state.CurrentSWFInfo.FrameCount, 24);
  EXPECT_NE(host.notice.find(L"File Not Found"), std::wstring::npos);
}

// ---------------------------------------------------------------- conversion

class Convert : public PlayerFixture {};

TEST_F(Convert, WritesAProjectorForAnExeNameAndAMovieOtherwise) {
  const Bytes movie = Frames(10).Plain();
  const std::wstring plain = Write(L"plain.swf", movie);
  const std::wstring projector = WriteProjector(L"proj.exe", movie);
  struct Case {
    std::wstring source, target, pattern;
    bool readsAsProjector;
    Bytes expected;  // empty: not compared
  } cases[] = {
      {plain, temp.File(L"out1"), L"*.exe", true, {}},                        // movie to projector
      {projector, temp.File(L"out2.swf"), L"*.swf", false, movie},            // projector to its movie
      {plain, temp.File(L"out3.swf"), L"*.swf", false, movie},                // same kind: a copy
      {projector, temp.File(L"out4"), L"*.exe", true, testing_support::ReadBytes(projector)},
  };
  for (const Case& c : cases) {
    SWFInfo info;
    ASSERT_EQ(GetSWFInfo(c.source, info, false), L"");
    host.saveAnswer = {c.target, c.pattern};
    player::ConvertMovie(host, info);
    const std::wstring written = c.target + (c.target.find(L'.') == std::wstring::npos ? L".exe" : L"");
    SWFInfo back;
    ASSERT_EQ(GetSWFInfo(written, back, false), L"") << written;
    EXPECT_EQ(back.PathChanged, c.readsAsProjector) << written;
    EXPECT_EQ(back.FrameCount, 10) << written;
    if (!c.expected.empty()) {
      EXPECT_EQ(testing_support::ReadBytes(written), c.expected) << written;
    }
  }
  host.saveAnswer = {};
  log.clear();
  SWFInfo info;
  GetSWFInfo(plain, info, false);
  player::ConvertMovie(host, info);
  EXPECT_FALSE(Logged(L"Written")) << "a cancelled dialog writes nothing";
}

}  // namespace
