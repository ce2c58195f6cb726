#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwctype>

#include "LogCapture.h"
#include "support/TestSupport.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteText;

namespace {

const std::string kLogHead =
    "<html>\r\n<head>\r\n<title>SWF.zel | Execution Log</title>\r\n</head>\r\n<body>\r\n";

std::wstring TestLogName() { return L"Services Test " + std::to_wstring(GetCurrentProcessId()); }

bool AllDigits(const std::wstring& s) {
  if (s.empty()) return false;
  for (wchar_t c : s)
    if (!std::iswdigit(c)) return false;
  return true;
}

TEST(InitServices, SetsFoldersAndWritesTheLogHead) {
  TempDir dir;
  std::wstring base = dir.Path().substr(0, dir.Path().size() - 1);  // without its "\"
  LogCapture log;
  InitServices(base, TestLogName());
  EXPECT_EQ(AppFolder, dir.Path());
  EXPECT_EQ(MediaFolder, dir.Path() + L"Media\\");
  EXPECT_EQ(BinaryFolder, dir.Path() + L"Media\\Binary\\");
  EXPECT_EQ(FlashFolder, dir.Path() + L"Media\\Flash\\");
  EXPECT_EQ(SkinFolder, dir.Path() + L"Media\\Skin\\");
  EXPECT_EQ(LanguagesFolder, dir.Path() + L"Languages\\");
  EXPECT_EQ(UserDataFolder, GetSpecialFolder(CSIDL_APPDATA) + L"SWF.zel\\");
  EXPECT_EQ(UserSkinFolder, UserDataFolder + L"Skin\\");
  EXPECT_EQ(CacheFolder, GetTempDir() + L"SWF.zel Cache\\");
  EXPECT_EQ(LogFile, UserDataFolder + TestLogName() + L".Log.html");
  EXPECT_TRUE(PathIsDirectoryW(UserSkinFolder.c_str()));
  EXPECT_TRUE(PathIsDirectoryW(CacheFolder.c_str()));

  auto bytes = ReadBytes(LogFile);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kLogHead);

  ASSERT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(log.lines[0], L"<b>SWF.zel</b>");
  EXPECT_EQ(log.lines[1], L"");
  EXPECT_EQ(log.lines[2].rfind(L"SWF.zel 1.0.883 :: ", 0), 0u) << log.lines[2];
  EXPECT_GT(log.lines[2].size(), std::wstring(L"SWF.zel 1.0.883 :: ").size());
  EXPECT_EQ(log.lines[3], L"Windows " + WinVersionName + L" Build #" + WinVersionExtra);
  EXPECT_EQ(log.lines[4], L"");
  DeleteFileW(LogFile.c_str());
}

TEST(InitServices, ReplacesAnOldLogAndAcceptsATrailingBackslash) {
  TempDir dir;
  InitServices(dir.Path(), TestLogName());
  EXPECT_EQ(AppFolder, dir.Path());
  EXPECT_EQ(MediaFolder, dir.Path() + L"Media\\");
  ASSERT_TRUE(WriteText(LogFile, std::string(5000, 'x')));
  InitServices(dir.Path(), TestLogName());
  EXPECT_EQ(AppFolder, dir.Path());
  auto bytes = ReadBytes(LogFile);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kLogHead);
  DeleteFileW(LogFile.c_str());
}

TEST(ReportError, HandsTheErrorLinesAndClearsTheError) {
  LogCapture log;
  SetError(53, L"SWF.zel", L"File not found");
  ReportError(L"LoadFlash");
  std::vector<std::wstring> expected = {L"",
                                        L"<B><FONT color=\"#000000\">53",
                                        L"LoadFlash",
                                        L"SWF.zel",
                                        L"File not found",
                                        L"</FONT></B>",
                                        L"<B>ALERT:</B> LoadFlash<BR>File not found<BR>SWF.zel"};
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(CurrentError().Number, 0);
  EXPECT_EQ(CurrentError().Description, L"");

  log.lines.clear();
  SetError(6, L"Src", L"Overflow");
  ReportError(L"Proc", L"a<b & \"c\"");
  ASSERT_EQ(log.lines.size(), 8u);
  EXPECT_EQ(log.lines[5], L"</B><I><FONT color=\"#333333\">a&#60;b &#38; &#34;c&#34;</FONT></I><B>");
  EXPECT_EQ(log.lines[7], L"<B>ALERT:</B> Proc<BR>Overflow<BR>Src");
}

TEST(StopWatch, MeasuresFromTheStartOrTheLastLap) {
  double now = 500.0;
  SetStopWatchClock([&] { return now; });
  StopWatchTimes[0] = StopWatchTimes[1] = 0;
  LogCapture log;
  StopWatch(L"", true);  // starts the watch, no line
  EXPECT_TRUE(log.lines.empty());
  now = 500.25;
  StopWatch(L"Loading", false);
  now = 500.75;
  StopWatch(L"Step", false);  // from the previous call
  now = 501.0;
  StopWatch(L"", false);  // restarts the lap only
  now = 502.0;
  StopWatch(L"Lap", false);
  StopWatch(L"Total", true);
  std::vector<std::wstring> expected = {L"Loading in 250 ms", L"Step in 500 ms", L"Lap in 1000 ms",
                                        L"Total in 2000 ms"};
  EXPECT_EQ(log.lines, expected);
  SetStopWatchClock(nullptr);
  StopWatchTimes[0] = StopWatchTimes[1] = 0;
}

TEST(StopWatch, RunsOnTheMonotonicClock) {
  StopWatchTimes[0] = StopWatchTimes[1] = 0;
  LogCapture log;
  StopWatch(L"", true);
  StopWatch(L"Quick", true);
  ASSERT_EQ(log.lines.size(), 1u);
  const std::wstring& line = log.lines[0];
  ASSERT_EQ(line.rfind(L"Quick in ", 0), 0u);
  ASSERT_GE(line.size(), 12u);
  EXPECT_EQ(line.substr(line.size() - 3), L" ms");
  EXPECT_TRUE(AllDigits(line.substr(9, line.size() - 12))) << line;
  StopWatchTimes[0] = StopWatchTimes[1] = 0;
}

TEST(StartupQueries, VersionTextsAndFolders) {
  EXPECT_EQ(GetAppVersion(), L"SWF.zel 1.0.883");
  EXPECT_TRUE(IsCompiled());
  ASSERT_TRUE(GetWindowsVersion());
  EXPECT_FALSE(WinVersionUnknown);
  size_t dot = WinVersionName.find(L'.');
  ASSERT_NE(dot, std::wstring::npos);
  EXPECT_TRUE(AllDigits(WinVersionName.substr(0, dot)));
  EXPECT_TRUE(AllDigits(WinVersionName.substr(dot + 1)));
  EXPECT_TRUE(AllDigits(WinVersionExtra));
  std::wstring temp = GetTempDir();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
}

// A top-level window with a caption, saved as the running instance's window.
class FindAppWindowTest : public ::testing::Test {
 protected:
  std::wstring saved;
  void SetUp() override { saved = GetRegString(L"Window", L"hWnd", L"0"); }
  void TearDown() override { SaveRegString(L"Window", L"hWnd", saved); }
  static HWND Make(const wchar_t* caption) {
    return CreateWindowExW(0, L"STATIC", caption, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  static void Save(HWND w) {
    SaveRegString(L"Window", L"hWnd", std::to_wstring(reinterpret_cast<uintptr_t>(w)));
  }
};

TEST_F(FindAppWindowTest, FindsOnlyAWindowWithTheCaptionPrefix) {
  HWND running = Make(L"SWF.zel - movie.swf");
  HWND bare = Make(L"SWF.zel");
  HWND lower = Make(L"swf.zel - movie.swf");
  ASSERT_TRUE(running && bare && lower);

  Save(running);
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), running);
  Save(bare);
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), nullptr);
  Save(lower);
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), nullptr);

  SaveRegString(L"Window", L"hWnd", L"0");
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), nullptr);
  SaveRegString(L"Window", L"hWnd", L"junk");
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), nullptr);

  Save(running);
  DestroyWindow(running);
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), nullptr);
  EXPECT_EQ(FindAppWindow(L""), nullptr);
  DestroyWindow(bare);
  DestroyWindow(lower);
}

}  // namespace
