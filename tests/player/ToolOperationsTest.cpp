// The screen-saver install with a stand-in program and a missing one, and
// the weekly automatic update check.
#include <gtest/gtest.h>

#include "PlayerFakes.h"
#include "player/ToolOperations.h"
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

  host.state.ScreenSaverEXE = Write(L"stand-in saver.scr", moviebytes::Text("MZ"));
  player::SetAsSS(host, L"C:\\new movie.swf");
  EXPECT_EQ(GetRegString(L"ScreenSaver", L"FileOld", L""), L"C:\\old movie.swf");
  EXPECT_EQ(GetRegString(L"ScreenSaver", L"FileName", L""), L"C:\\new movie.swf");
  const std::wstring saver = GetRegString(L"Control Panel\\Desktop", L"SCRNSAVE.EXE", L"", false);
  wchar_t expected[240] = {};
  GetShortPathNameW(host.state.ScreenSaverEXE.c_str(), expected, 240);
  EXPECT_EQ(saver, expected);
  EXPECT_FALSE(saver.empty());
  EXPECT_EQ(host.calls, Calls{L"ShellOpen config " + host.state.ScreenSaverEXE});
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

}  // namespace
