// The option set against the registry: every default from an empty key, a
// save-then-load round trip with each value's registry type, and the mended
// cases (usage time adding up, a legacy text "Build").
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <type_traits>
#include <utility>
#include <variant>

#include "ProgramProcess.h"
#include "player/start/OptionSet.h"
#include "player/start/OptionStore.h"
#include "player/start/OptionTable.h"
#include "services/RegistryModule.h"
#include "services/Services.h"

using player::OptionSet;

namespace {

DWORD TypeOf(const wchar_t* section, const wchar_t* name) {
  auto raw = GetRegRaw(section, name);
  return raw ? raw->Type : REG_NONE;
}

// Gives a row's field a value unlike its default and unlike every other row's.
void SetDistinct(const player::OptionRow& row, OptionSet& o, int index) {
  std::visit(
      [&](auto field) {
        auto& v = field(o);
        using T = std::remove_reference_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>)
          v = !v;
        else if constexpr (std::is_same_v<T, std::wstring>)
          v = L"D:\\Value " + std::to_wstring(index) + L"\\";
        else if constexpr (std::is_same_v<T, float>)
          v = 10.5f;
        else
          v = static_cast<T>(40 + index);
      },
      row.Field);
}

bool SameValue(const player::OptionRow& row, OptionSet& a, OptionSet& b) {
  return std::visit([&](auto field) { return field(a) == field(b); }, row.Field);
}

}  // namespace

TEST(OptionSet, EveryRowOfTheTableIsStoredOnceAndReadBackAsWritten) {
  player_test::PrivateProgramKey key;
  std::set<std::pair<std::wstring, std::wstring>> names;
  OptionSet o;
  int index = 0;
  for (const auto& row : player::OptionTable()) {
    EXPECT_TRUE(names.insert({row.Section, row.Name}).second) << row.Section << L"\\" << row.Name << L" twice";
    SetDistinct(row, o, index++);
  }
  player::WriteOptionSet(o);

  OptionSet back;
  player::ReadOptionSet(back, L"1-1-2000");
  for (const auto& row : player::OptionTable()) {
    const std::wstring where = std::wstring(row.Section) + L"\\" + row.Name;
    const bool stored = GetRegRaw(row.Section, row.Name).has_value();
    if (row.Written) {
      EXPECT_TRUE(stored) << where;
    } else if (std::wstring(row.Name) != L"Date") {  // the load stores a missing date
      EXPECT_FALSE(stored) << where;
    }
    if (row.Written && row.Read == player::OptionRead::Load) {
      EXPECT_TRUE(SameValue(row, o, back)) << where;
    }
  }
  EXPECT_EQ(GetRegString(L"Window", L"FontSize", L""), L"10.5");
}

TEST(OptionSet, AnEmptyRegistryGivesEveryDefault) {
  player_test::PrivateProgramKey key;
  OptionSet o;
  o.MyFlashFolder = L"C:\\Docs\\My Flash";
  o.Update.Build = 883;
  player::ReadOptionSet(o, L"3-4-2024");
  const OptionSet d;
  EXPECT_EQ(o.Quality, L"High");
  EXPECT_EQ(o.ScaleMode, 2);
  EXPECT_EQ(o.FlashAlpha, 100);
  EXPECT_TRUE(o.Playlist);
  EXPECT_FALSE(o.HideUI);
  EXPECT_EQ(o.RepeatMode, 0);
  EXPECT_FALSE(o.NonStop || o.Shuffle);
  EXPECT_TRUE(o.SortForward && o.ShowFolder && o.ShowVideo && o.ShowMovie && o.ShowProjector);
  EXPECT_EQ(o.SortBy, L"Name");
  EXPECT_EQ(o.Volume, 100);
  EXPECT_EQ(o.Pan, 0);
  EXPECT_FALSE(o.Mute);
  EXPECT_TRUE(o.Desktop.Mute && o.Desktop.Transparent);
  EXPECT_FALSE(o.Intro);
  EXPECT_TRUE(o.Tips);
  EXPECT_EQ(o.CacheMode, 1);
  EXPECT_EQ(o.TimeMode, 0);
  EXPECT_TRUE(o.FSCommand && o.GenericProjectors);
  EXPECT_FALSE(o.RemoveProjectors || o.DisableScreenSaver);
  EXPECT_EQ(o.OptionsPage, 0);
  EXPECT_TRUE(o.AssocSWF && o.AssocFLV && o.AssocPL);
  EXPECT_TRUE(o.HQShots);
  EXPECT_FALSE(o.Satellite);
  EXPECT_EQ(o.ShotJpeg, 90);
  EXPECT_EQ(o.SampleFrom, 30);
  EXPECT_EQ(o.SampleTo, 50);
  EXPECT_TRUE(o.Update.Auto);
  EXPECT_EQ(o.UsageSeconds, 0);
  EXPECT_EQ(o.PlayedCount, 0);
  EXPECT_EQ(o.Update.Build, 883);
  EXPECT_EQ(o.Update.Date, L"3-4-2024");
  EXPECT_EQ(GetRegString(L"Update", L"Date", L""), L"3-4-2024") << "a missing date is stored at once";
  EXPECT_EQ(o.MyFlashFolder, L"C:\\Docs\\My Flash\\");
  EXPECT_EQ(o.CurrentFolder, L"C:\\Docs\\My Flash\\");
  EXPECT_TRUE(o.KeepHistory);
  EXPECT_FALSE(o.TopMost || o.HandyKeys || o.KeepSize || o.AspectRatio);
  EXPECT_TRUE(o.MenuBar && o.Centered && o.Crop);
  EXPECT_EQ(o.SkinColor, 0);
  EXPECT_EQ(o.BrowseWidth, 12000);
  EXPECT_EQ(o.BrowseHeight, 8000);
  EXPECT_EQ(o.ScreenSaverEXE, AppFolder + L"SWF.zel.scr");
  EXPECT_TRUE(o.Generator.Size && o.Generator.Color && o.Generator.Show && o.Generator.Recursive &&
              o.Generator.Overwrite);
  EXPECT_FALSE(o.Generator.Info || o.Generator.Exec || o.Generator.Watermark);
  EXPECT_EQ(o.Generator.Width, 120);
  EXPECT_EQ(o.Generator.Height, 90);
  EXPECT_EQ(o.Generator.Percent, 100);
  EXPECT_EQ(o.Generator.Quality, 90);
  EXPECT_EQ(o.Generator.BackColor, L"FFFFFF");
  EXPECT_EQ(o.Generator.Source, L"C:\\Docs\\My Flash\\");
  EXPECT_EQ(o.Decompiler.Destination, L"C:\\Docs\\My Flash\\");
  EXPECT_TRUE(o.Decompiler.JPEG && o.Decompiler.Event && o.Decompiler.Stream);
  EXPECT_FALSE(o.Decompiler.PNG || o.Decompiler.Video);
}

TEST(OptionSet, TheScreenSaverIsTheShippedFileBesideTheProgramUnlessOneIsStored) {
  player_test::PrivateProgramKey key;
  const std::wstring savedFolder = AppFolder;
  AppFolder = L"C:\\Program Files\\SWF.zel\\";
  const struct {
    const wchar_t* stored;  // none: no value
    const wchar_t* expected;
  } cases[] = {
      {nullptr, L"C:\\Program Files\\SWF.zel\\SWF.zel.scr"},
      {L"", L"C:\\Program Files\\SWF.zel\\SWF.zel.scr"},
      {L"D:\\Savers\\Other.scr", L"D:\\Savers\\Other.scr"},
  };
  for (const auto& c : cases) {
    if (c.stored) SaveRegString(L"ScreenSaver", L"", c.stored);
    OptionSet o;
    player::ReadOptionSet(o, L"3-4-2024");
    EXPECT_EQ(o.ScreenSaverEXE, c.expected);
  }
  AppFolder = savedFolder;
}

TEST(OptionSet, SaveThenLoadKeepsEveryValueWithItsRegistryType) {
  player_test::PrivateProgramKey key;
  OptionSet o;
  o.Quality = L"Low";
  o.ScaleMode = 3;
  o.FlashAlpha = 50;
  o.Playlist = false;
  o.HideUI = true;
  o.RepeatMode = 2;
  o.NonStop = o.Shuffle = true;
  o.SortForward = false;
  o.SortBy = L"Size";
  o.Volume = 60;
  o.Pan = -40;
  o.Mute = true;
  o.Intro = true;
  o.CacheMode = 2;
  o.TimeMode = 3;
  o.FSCommand = false;
  o.RemoveProjectors = true;
  o.OptionsPage = 4;
  o.DisableScreenSaver = true;
  o.GPF = true;
  o.AssocFLV = false;
  o.Satellite = true;
  o.ShotJpeg = 75;
  o.UsageSeconds = 100;
  o.PlayTicks = 1000;  // 300 seconds
  o.PlayedCount = 7;
  o.Update.Build = 900;
  o.Update.Auto = false;
  o.MyFlashFolder = L"D:\\Flash\\";
  o.CurrentFolder = L"D:\\Flash\\Games\\";
  o.KeepHistory = false;
  o.TopMost = o.KeepSize = true;
  o.Centered = false;
  o.BrowseWidth = 9000;
  o.Place = {1500, 3000, 9000, 7500};
  o.State = 2;
  o.Generator.Width = 160;
  o.Generator.BackColor = L"000000";
  o.Generator.App = L"C:\\viewer.exe";
  o.Decompiler.Destination = L"E:\\Out\\";
  o.Decompiler.Video = true;
  player::WriteOptionSet(o);

  EXPECT_EQ(o.UsageSeconds, 400);
  EXPECT_EQ(o.PlayTicks, 0);
  struct Typed {
    const wchar_t* section;
    const wchar_t* name;
    DWORD type;
  } types[] = {{L"View", L"Quality", REG_SZ},       {L"View", L"ScaleMode", REG_DWORD},
               {L"View", L"Playlist", REG_SZ},      {L"Sound", L"Volume", REG_DWORD},
               {L"Sound", L"Mute", REG_SZ},         {L"Update", L"Build", REG_DWORD},
               {L"Update", L"Usage", REG_DWORD},    {L"Window", L"Left", REG_DWORD},
               {L"Window", L"State", REG_DWORD},    {L"System", L"GPF", REG_SZ},
               {L"Generator", L"Width", REG_DWORD}, {L"Generator", L"BackColor", REG_SZ},
               {L"Recent", L"", REG_SZ}};
  for (const Typed& t : types) EXPECT_EQ(TypeOf(t.section, t.name), t.type) << t.section << L"\\" << t.name;
  EXPECT_EQ(GetRegString(L"View", L"Playlist", L""), L"False");
  EXPECT_EQ(GetRegString(L"System", L"GPF", L""), L"True") << "the GPF option read at start-up is kept";

  OptionSet back;
  player::ReadOptionSet(back, L"1-1-2000");
  EXPECT_EQ(back.Quality, L"Low");
  EXPECT_EQ(back.ScaleMode, 3);
  EXPECT_EQ(back.FlashAlpha, 50);
  EXPECT_FALSE(back.Playlist);
  EXPECT_TRUE(back.HideUI);
  EXPECT_EQ(back.RepeatMode, 2);
  EXPECT_TRUE(back.NonStop && back.Shuffle);
  EXPECT_FALSE(back.SortForward);
  EXPECT_EQ(back.SortBy, L"Size");
  EXPECT_EQ(back.Volume, 60);
  EXPECT_EQ(back.Pan, -40);
  EXPECT_TRUE(back.Mute && back.Intro);
  EXPECT_EQ(back.CacheMode, 2);
  EXPECT_EQ(back.TimeMode, 3);
  EXPECT_FALSE(back.FSCommand);
  EXPECT_TRUE(back.RemoveProjectors && back.DisableScreenSaver);
  EXPECT_EQ(back.OptionsPage, 4);
  EXPECT_FALSE(back.AssocFLV);
  EXPECT_TRUE(back.Satellite);
  EXPECT_EQ(back.ShotJpeg, 75);
  EXPECT_EQ(back.UsageSeconds, 400);
  EXPECT_EQ(back.PlayedCount, 7);
  EXPECT_EQ(back.Update.Build, 900);
  EXPECT_FALSE(back.Update.Auto);
  EXPECT_EQ(back.MyFlashFolder, L"D:\\Flash\\");
  EXPECT_EQ(back.CurrentFolder, L"D:\\Flash\\Games\\");
  EXPECT_FALSE(back.KeepHistory);
  EXPECT_TRUE(back.TopMost && back.KeepSize);
  EXPECT_FALSE(back.Centered);
  EXPECT_EQ(back.BrowseWidth, 9000);
  EXPECT_EQ(back.Place.Left, 1500);
  EXPECT_EQ(back.Place.Top, 3000);
  EXPECT_EQ(back.Place.Width, 9000);
  EXPECT_EQ(back.Place.Height, 7500);
  EXPECT_EQ(back.State, 2);
  EXPECT_EQ(back.Generator.Width, 160);
  EXPECT_EQ(back.Generator.BackColor, L"000000");
  EXPECT_EQ(back.Generator.App, L"C:\\viewer.exe");
  EXPECT_EQ(back.Decompiler.Destination, L"E:\\Out\\");
  EXPECT_TRUE(back.Decompiler.Video);
}

TEST(OptionSet, UsageAddsUpOverSeveralSavesAndALegacyTextBuildReads) {
  player_test::PrivateProgramKey key;
  OptionSet o;
  for (long ticks : {1000L, 10L, 5L}) {  // 300 s, 3 s, 1.5 s (to the even 2)
    o.PlayTicks = ticks;
    player::WriteOptionSet(o);
  }
  EXPECT_EQ(GetRegLong(L"Update", L"Usage", -1), 305);

  SaveRegString(L"Update", L"Build", L"870");
  OptionSet legacy;
  player::ReadOptionSet(legacy, L"1-1-2000");
  EXPECT_EQ(legacy.Update.Build, 870);
  player::WriteOptionSet(legacy);
  EXPECT_EQ(TypeOf(L"Update", L"Build"), static_cast<DWORD>(REG_DWORD));

  // A Boolean that is no truth value keeps its default; one stored as a number reads.
  SaveRegString(L"View", L"Playlist", L"maybe");
  SaveRegLong(L"Playback", L"Shuffle", 1);
  OptionSet odd;
  player::ReadOptionSet(odd, L"1-1-2000");
  EXPECT_TRUE(odd.Playlist);
  EXPECT_TRUE(odd.Shuffle);
}
