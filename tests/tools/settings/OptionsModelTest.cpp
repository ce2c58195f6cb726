// The options dialog without its window: the rules of its boxes, the move of
// the My Flash folder in temporary folders, the folder's Desktop.ini, and
// what Save does beyond the option set.
#include <gtest/gtest.h>
#include <windows.h>

#include "ToolsTestSupport.h"
#include "player/start/MyFlashFolder.h"
#include "services/ShellMod.h"
#include "tools/settings/OptionsModel.h"

using namespace tools;
using testing_support::TempDir;

TEST(OptionsRules, PagesBoxesAndByteFields) {
  for (auto [stored, page] : {std::pair{0L, 0}, {3L, 3}, {4L, 4}, {5L, 0}, {9L, 0}, {-1L, 0}})
    EXPECT_EQ(StartPage(stored), page) << stored;

  struct Box {
    const wchar_t *text, *clamped;
  };
  for (const Box& b : {Box{L"150", L"100"}, {L"-5", L"0"}, {L"100", L"100"}, {L" 42 ", L" 42 "}, {L"abc", L"abc"},
                       {L"", L""}, {L"1e3", L"1e3"}, {L"100.5", L"100"}})
    EXPECT_EQ(ClampPercentText(b.text), b.clamped) << b.text;

  struct To {
    const wchar_t *from, *to, *result;
  };
  for (const To& t : {To{L"30", L"50", L"50"}, {L"60", L"40", L"60"}, {L"30", L"150", L"100"}, {L"abc", L"40", L"40"},
                      {L"60", L"x", L"x"}, {L"150", L"120", L"100"}})
    EXPECT_EQ(ValidateToText(t.from, t.to), t.result) << t.from << L" " << t.to;

  struct Byte {
    const wchar_t* text;
    uint8_t previous, result;
  };
  for (const Byte& b : {Byte{L"75", 90, 75}, {L"150", 90, 100}, {L"-5", 90, 0}, {L"abc", 90, 90}, {L"", 90, 90},
                        {L"12.5", 90, 12}, {L"13.5", 90, 14}, {L"300", 90, 100}, {L"0x10", 90, 90}})
    EXPECT_EQ(ByteField(b.text, b.previous), b.result) << b.text;
}

namespace {

// An old My Flash folder as the program leaves it: marked, its Desktop.ini
// written, and a picture in its pictures folder.
std::wstring MakeOldFolder(const TempDir& temp) {
  const std::wstring old = temp.File(L"My Flash\\");
  CreateDirectoryW(old.c_str(), nullptr);
  CreateDirectoryW((old + L"ScreenShots").c_str(), nullptr);
  testing_support::WriteText(old + L"ScreenShots\\shot.jpg", "jpeg");
  player::MakeMyFlashFolder(old);
  return old;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST(MyFlashMove, MovesPicturesAndDesktopIniOnlyIntoAnotherFolderThatCanBeMade) {
  tools_test::ProgramState state;
  struct Case {
    const char* name;
    std::wstring typed;     // "@" stands for the temporary folder
    bool existsFirst;       // the typed folder exists before the move
    bool userFile;          // the old folder holds a file of the user's
    FolderMove outcome;
    std::wstring folder;    // the option afterwards, relative to the temporary folder
  };
  const Case cases[] = {
      {"unchanged", L"@My Flash\\", true, false, FolderMove::Unchanged, L"My Flash\\"},
      {"case only", L"@MY FLASH", true, false, FolderMove::Unchanged, L"My Flash\\"},
      {"new empty folder", L"@New\\", true, false, FolderMove::Moved, L"New\\"},
      {"old folder keeps a user's file", L"@New\\", true, true, FolderMove::Moved, L"New\\"},
      {"no backslash, missing", L"@Deep\\Missing", false, false, FolderMove::Moved, L"Deep\\Missing\\"},
      {"under a file", L"@file.txt\\Sub", false, false, FolderMove::Refused, L"My Flash\\"},
      {"empty", L"", false, false, FolderMove::Refused, L"My Flash\\"},
      {"relative", L"Relative\\Folder", false, false, FolderMove::Refused, L"My Flash\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir temp;
    const std::wstring old = MakeOldFolder(temp);
    testing_support::WriteText(temp.File(L"file.txt"), "a file");
    if (c.userFile) testing_support::WriteText(old + L"mine.swf", "movie");
    const std::wstring typed = !c.typed.empty() && c.typed[0] == L'@' ? temp.File(c.typed.substr(1)) : c.typed;
    if (c.existsFirst) CreateDirectoryW(typed.c_str(), nullptr);

    const FolderMoveResult r = MoveMyFlashFolder(old, typed);
    EXPECT_EQ(r.Outcome, c.outcome);
    EXPECT_TRUE(StrEqualNoCase(r.Folder, temp.File(c.folder))) << r.Folder;
    if (c.outcome != FolderMove::Moved) {
      EXPECT_TRUE(Exists(old + L"ScreenShots\\shot.jpg"));
      EXPECT_TRUE(Exists(old + L"Desktop.ini"));
      continue;
    }
    EXPECT_TRUE(Exists(r.Folder + L"ScreenShots\\shot.jpg"));
    EXPECT_FALSE(Exists(old + L"ScreenShots"));
    // The new folder's Desktop.ini is written anew, read-only and hidden.
    EXPECT_EQ(GetFileAttributesW((r.Folder + L"Desktop.ini").c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Exists(old), c.userFile);
    if (c.userFile) {
      EXPECT_TRUE(Exists(old + L"mine.swf"));
    }
  }
}

TEST(MyFlashFolder, DesktopIniHasFourLinesInAnsiWhenItCanElseUtf16) {
  const std::wstring text = player::MyFlashDesktopIni();
  EXPECT_EQ(text.substr(0, 18), L"[.ShellClassInfo]\r");
  EXPECT_NE(text.find(L"\r\nIconIndex=4\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"\r\nInfoTip=My Flash Folder: Your default folder with Flash files\r\n"), std::wstring::npos);
  EXPECT_NE(text.find(L"SWF.zel.exe\r\n"), std::wstring::npos);

  const std::vector<uint8_t> ansi = player::DesktopIniBytes(L"A=b\r\n");
  EXPECT_EQ(ansi, (std::vector<uint8_t>{'A', '=', 'b', '\r', '\n'}));
  // A character no single-byte or double-byte code page has: UTF-16 with its mark.
  const std::vector<uint8_t> wide = player::DesktopIniBytes(L"A\U0001F600\r\n");
  if (GetACP() != CP_UTF8) {
    ASSERT_EQ(wide.size(), 12u);
    EXPECT_EQ(wide[0], 0xFF);
    EXPECT_EQ(wide[1], 0xFE);
    EXPECT_EQ(wide[2], 'A');
  }
}

TEST(ApplyOptions, SavesAfterTheMainWindowStepsAndSetsTheScreenSaverFromTheOption) {
  tools_test::ProgramState state;
  TempDir temp;
  player::OptionSet& o = player::Options();
  o.MyFlashFolder = MakeOldFolder(temp);
  for (bool disable : {true, false}) {
    tools_test::RecordingHost host;
    OptionsFields fields = LoadOptions(o, L"Tahoma");
    fields.ScreenSaver = disable;
    ApplyOptions(fields, o, host);
    EXPECT_EQ(host.calls,
              (std::vector<std::wstring>{L"ViewResize", L"LoadRecent", L"SetSSState", L"SaveOpts"}));
    EXPECT_EQ(host.screenSaverFlags, std::vector<int>{disable ? 0 : host.savedScreenSaver});
    EXPECT_TRUE(host.refused.empty());
  }
  // A folder that cannot be made is reported; the option stays.
  tools_test::RecordingHost host;
  OptionsFields fields = LoadOptions(o, L"Tahoma");
  const std::wstring before = o.MyFlashFolder;
  testing_support::WriteText(temp.File(L"file.txt"), "x");
  fields.MyFlash = temp.File(L"file.txt\\Sub");
  ApplyOptions(fields, o, host);
  EXPECT_EQ(host.refused, std::vector<std::wstring>{fields.MyFlash});
  EXPECT_EQ(o.MyFlashFolder, before);
}
