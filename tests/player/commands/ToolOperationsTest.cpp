// The screen-saver install with a stand-in program and a missing one, the
// weekly automatic update check, and the script's Generate handing its
// settings to the run.
#include <gtest/gtest.h>

#include "PlayerFakes.h"
#include "player/commands/ToolOperations.h"
#include "services/RegistryModule.h"

using namespace player_test;

namespace {

class Tools : public PlayerFixture {};

TEST_F(Tools, SetAsScreenSaverWritesThreeValuesOnlyWhenTheProgramIsThere) {
  testing_support::RegistryGuard keep;
  keep.AppValue(L"ScreenSaver", L"FileName");
  keep.AppValue(L"ScreenSaver", L"FileOld");
  keep.Value(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"SCRNSAVE.EXE");
  SaveRegString(L"ScreenSaver", L"FileName", L"C:\\old movie.swf");
  SaveRegString(L"Control Panel\\Desktop", L"SCRNSAVE.EXE", L"before.scr", false);

  host.state.ScreenSaverEXE = temp.File(L"missing saver.scr");
  player::SetAsSS(host, L"C:\\new movie.swf");
  EXPECT_EQ(GetRegString(L"ScreenSaver", L"FileName", L""), L"C:\\old movie.swf");
  EXPECT_EQ(GetRegString(L"ScreenSaver", L"FileOld", L"none"), L"none");
  EXPECT_EQ(GetRegString(L"Control Panel\\Desktop", L"SCRNSAVE.EXE", L"", false), L"before.scr");
  EXPECT_TRUE(host.calls.empty());

  // The system's screen saver by its short path when the system gives one, else as it is.
  const std::wstring program = host.state.ScreenSaverEXE = Write(L"stand-in saver.scr", moviebytes::Text("MZ"));
  for (const std::wstring shortPath : {std::wstring(L"C:\\PROGRA~1\\STAND-~1.SCR"), std::wstring()}) {
    host.calls.clear();
    player::SetAsSS(host, L"C:\\new movie.swf", [&](const std::wstring& path) {
      EXPECT_EQ(path, program);
      return shortPath;
    });
    EXPECT_EQ(GetRegString(L"ScreenSaver", L"FileName", L""), L"C:\\new movie.swf");
    EXPECT_EQ(GetRegString(L"Control Panel\\Desktop", L"SCRNSAVE.EXE", L"", false),
              shortPath.empty() ? program : shortPath);
    EXPECT_EQ(host.calls, Calls{L"ShellOpen config " + program});
  }
  EXPECT_EQ(GetRegString(L"ScreenSaver", L"FileOld", L""), L"C:\\new movie.swf") << "the previous movie";
}

TEST_F(Tools, TheAutomaticUpdateCheckRunsOnceAWeek) {
  struct Case {
    const wchar_t* lastCheck;
    bool automatic, runs;
  } cases[] = {
      {L"3-7-2024", true, false},   // three days ago
      {L"3-2-2024", true, true},    // eight days ago
      {L"2-29-2024", true, true},   // across the month's end
      {L"3-12-2024", true, false},  // a date ahead counts by its distance
      {L"3-9-2024", false, true},   // from the menu always
      {L"garbage", true, true},     // an unreadable date lets it run
      {L"", true, true},
  };
  host.today = {2024, 3, 10};
  for (const Case& c : cases) {
    host.calls.clear();
    host.options.Update.Date = c.lastCheck;
    player::WebUpdate(host, c.automatic);
    EXPECT_EQ(host.calls, c.runs ? Calls{std::wstring(L"ShowForm frmUpdate ") + (c.automatic ? L"-1" : L"0")}
                                 : Calls{})
        << c.lastCheck;
    EXPECT_EQ(host.state.SilentCheck, c.automatic);
  }
  EXPECT_EQ(player::DaysFromCivil({1970, 1, 1}), 0);
  EXPECT_EQ(player::DaysFromCivil({2000, 3, 1}) - player::DaysFromCivil({2000, 2, 28}), 2);
}

TEST_F(Tools, GenerateHandsItsSettingsToTheRunAndWritesNone) {
  player::GeneratorSettings& g = host.options.Generator;
  g.Width = 120, g.Height = 90, g.Quality = 90, g.Source = L"C:\\Movies\\", g.Overwrite = true;
  g.Info = true, g.BackColor = L"00FF00";
  const player::GeneratorSettings before = g;
  player::Generate(host, 50, 40, L"D:\\Other", 80, false);
  EXPECT_TRUE(g == before) << "the run takes them, or refuses them, itself";
  ASSERT_EQ(host.generated.size(), 1u);
  player::GeneratorSettings expected = before;
  expected.Width = 50, expected.Height = 40, expected.Quality = 80, expected.Source = L"D:\\Other";
  expected.Overwrite = false;
  EXPECT_TRUE(host.generated[0] == expected);
  EXPECT_EQ(host.calls, Calls{L"RunGenerator"});
}

}  // namespace
