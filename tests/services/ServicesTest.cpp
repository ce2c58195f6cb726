#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <regex>
#include <tuple>

#include "LogCapture.h"
#include "base/LogFile.h"
#include "base/TextConv.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "support/TestSupport.h"

using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteText;

namespace {

const std::string kLogHead =
    "<html>\r\n<head>\r\n<title>SWF.zel | Execution Log</title>\r\n</head>\r\n<body>\r\n";

std::wstring TestLogName() { return L"Services Test " + std::to_wstring(GetCurrentProcessId()); }

std::string LogText() {
  auto bytes = ReadBytes(LogFile);
  return std::string(bytes.begin(), bytes.end());
}

// Puts back the folder globals InitServices sets, and removes the folders it made
// that were not there before.
class ServicesState {
 public:
  ServicesState() {
    for (std::wstring* g : globals_) saved_.push_back(*g);
    for (const std::wstring& f : {UserData(), UserData() + L"Skin\\", GetTempDir() + L"SWF.zel Cache\\"})
      if (!PathIsDirectoryW(f.c_str())) made_.push_back(f);
  }
  ~ServicesState() {
    AttachLogFile(L"");
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveDirectoryW(it->c_str());
    for (size_t i = 0; i < globals_.size(); ++i) *globals_[i] = saved_[i];
  }

 private:
  static std::wstring UserData() { return GetSpecialFolder(CSIDL_APPDATA) + L"SWF.zel\\"; }
  const std::vector<std::wstring*> globals_ = {&AppFolder,     &MediaFolder,     &BinaryFolder,   &FlashFolder,
                                               &ImagesFolder,  &MenusFolder,     &GadgetsFolder,  &SkinFolder,
                                               &LanguagesFolder, &UserDataFolder, &UserSkinFolder, &CacheFolder,
                                               &LogFile};
  std::vector<std::wstring> saved_, made_;
};

TEST(InitServices, SetsFoldersStartsTheLogFileAndReplacesAnOldLog) {
  ServicesState state;
  TempDir dir;
  const std::wstring& app = dir.Path();
  LogCapture log;
  InitServices(app.substr(0, app.size() - 1), TestLogName());  // without its "\"
  const std::vector<std::pair<std::wstring, std::wstring>> folders = {
      {AppFolder, app},
      {MediaFolder, app + L"Media\\"},
      {BinaryFolder, app + L"Media\\Binary\\"},
      {FlashFolder, app + L"Media\\Flash\\"},
      {SkinFolder, app + L"Media\\Skin\\"},
      {LanguagesFolder, app + L"Languages\\"},
      {UserDataFolder, GetSpecialFolder(CSIDL_APPDATA) + L"SWF.zel\\"},
      {UserSkinFolder, UserDataFolder + L"Skin\\"},
      {CacheFolder, GetTempDir() + L"SWF.zel Cache\\"},
      // A test run's programs keep a log of their own.
      {LogFile, UserDataFolder + TestLogName() + L" (test_services).Log.html"}};
  for (const auto& [folder, expected] : folders) EXPECT_EQ(folder, expected);
  EXPECT_TRUE(PathIsDirectoryW(UserSkinFolder.c_str()));
  EXPECT_TRUE(PathIsDirectoryW(CacheFolder.c_str()));

  ASSERT_EQ(log.lines.size(), 5u);
  EXPECT_EQ(log.lines[0], L"<b>SWF.zel</b>");
  EXPECT_EQ(log.lines[1], L"");
  EXPECT_TRUE(std::regex_match(log.lines[2], std::wregex(L"SWF\\.zel 1\\.0\\.883 :: .+"))) << log.lines[2];
  EXPECT_EQ(log.lines[3], L"Windows " + WinVersionName + L" Build #" + WinVersionExtra);
  EXPECT_EQ(log.lines[4], L"");
  // The file: its head, then every line given, each ending in "<br>".
  WriteLog(L"Written ", false);
  WriteLog(L"<B>later</B>");
  const std::string text = LogText();
  ASSERT_EQ(text.rfind(kLogHead, 0), 0u) << text;
  EXPECT_TRUE(std::regex_match(text.substr(kLogHead.size()),
                               std::regex("<b>SWF\\.zel</b><br>\r\n<br>\r\nSWF\\.zel 1\\.0\\.883 :: [^\r\n]+<br>\r\n"
                                          "Windows [0-9.]+ Build #[0-9]+<br>\r\n<br>\r\nWritten <B>later</B><br>\r\n")))
      << text;

  // A second start (here with a trailing "\") replaces the old log.
  AttachLogFile(L"");
  ASSERT_TRUE(WriteText(LogFile, std::string(5000, 'x')));
  InitServices(app, TestLogName());
  EXPECT_EQ(AppFolder, app);
  EXPECT_EQ(MediaFolder, app + L"Media\\");
  EXPECT_EQ(LogText().rfind(kLogHead + "<b>SWF.zel</b><br>", 0), 0u) << LogText();
  EXPECT_EQ(LogText().find("xxx"), std::string::npos);
  DeleteFileW(LogFile.c_str());
}

// A fresh profile may have no temporary folder yet: the program makes it
// with its cache folder, and says so in the log when it cannot.
TEST(InitServices, MakesTheTemporaryAndCacheFoldersAFreshProfileLacks) {
  ServicesState state;
  TempDir dir;
  wchar_t saved[2][MAX_PATH + 1] = {};
  const wchar_t* names[] = {L"TMP", L"TEMP"};
  for (int i = 0; i < 2; ++i) GetEnvironmentVariableW(names[i], saved[i], MAX_PATH + 1);
  ASSERT_TRUE(WriteText(dir.File(L"a file"), "x"));
  struct Case {
    std::wstring temp;
    bool made;
  } cases[] = {{dir.File(L"fresh\\profile\\Temp\\"), true}, {dir.File(L"a file\\Temp\\"), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.temp));
    for (const wchar_t* name : names) SetEnvironmentVariableW(name, c.temp.c_str());
    LogCapture log;
    InitServices(dir.Path(), TestLogName());
    EXPECT_EQ(CacheFolder, c.temp + L"SWF.zel Cache\\");
    EXPECT_EQ(c.made, PathIsDirectoryW(CacheFolder.c_str()) != FALSE);
    const std::wstring complaint = L"The folder cannot be made: " + CacheFolder;
    EXPECT_EQ(!c.made, std::find(log.lines.begin(), log.lines.end(), complaint) != log.lines.end());
    DeleteFileW(LogFile.c_str());
  }
  for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(names[i], *saved[i] ? saved[i] : nullptr);
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

TEST(StopWatch, MeasuresFromTheStartOrTheLastLapOnTheMonotonicClock) {
  double now = 500.0;
  SetStopWatchClock([&] { return now; });
  LogCapture log;
  StopWatch(L"", true);  // starts the watch, no line
  EXPECT_TRUE(log.lines.empty());
  for (const auto& [at, label, total] : std::vector<std::tuple<double, const wchar_t*, bool>>{
           {500.25, L"Loading", false},
           {500.75, L"Step", false},  // from the previous call
           {501.0, L"", false},       // restarts the lap only
           {502.0, L"Lap", false},
           {502.0, L"Total", true}}) {
    now = at;
    StopWatch(label, total);
  }
  EXPECT_EQ(log.lines, (std::vector<std::wstring>{L"Loading in 250 ms", L"Step in 500 ms", L"Lap in 1000 ms",
                                                  L"Total in 2000 ms"}));
  SetStopWatchClock(nullptr);

  // On the default clock a fresh watch starts at the clock's own reading,
  // whatever the fake clock left behind and however long the machine has been up.
  log.lines.clear();
  StopWatch(L"", true);
  StopWatch(L"Quick", true);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(log.lines[0], std::wregex(L"Quick in \\d+ ms"))) << log.lines[0];
  SetStopWatchClock(nullptr);
}

TEST(StartupQueries, VersionTextsAndFolders) {
  EXPECT_EQ(GetAppVersion(), L"SWF.zel 1.0.883");
  EXPECT_TRUE(IsCompiled());
  ASSERT_TRUE(GetWindowsVersion());
  EXPECT_FALSE(WinVersionUnknown);
  EXPECT_TRUE(std::regex_match(WinVersionName, std::wregex(L"\\d+\\.\\d+"))) << WinVersionName;
  EXPECT_TRUE(std::regex_match(WinVersionExtra, std::wregex(L"\\d+"))) << WinVersionExtra;
  std::wstring temp = GetTempDir();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), L'\\');
}

// A top-level window with a caption, saved as the running instance's window.
class FindAppWindowTest : public ::testing::Test {
 protected:
  testing_support::RegistryGuard registry;
  void SetUp() override { registry.AppValue(L"Window", L"hWnd"); }
  static HWND Make(const wchar_t* caption) {
    return CreateWindowExW(0, L"STATIC", caption, WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  static std::wstring Text(HWND w) { return std::to_wstring(reinterpret_cast<uintptr_t>(w)); }
};

TEST_F(FindAppWindowTest, FindsOnlyAWindowWithTheCaptionPrefix) {
  HWND running = Make(L"SWF.zel - movie.swf");
  HWND bare = Make(L"SWF.zel");
  HWND lower = Make(L"swf.zel - movie.swf");
  ASSERT_TRUE(running && bare && lower);
  for (const auto& [saved, found] : std::vector<std::pair<std::wstring, HWND>>{
           {Text(running), running}, {Text(bare), nullptr}, {Text(lower), nullptr}, {L"0", nullptr},
           {L"junk", nullptr}}) {
    SaveRegString(L"Window", L"hWnd", saved);
    EXPECT_EQ(FindAppWindow(L"SWF.zel - "), found) << saved;
  }
  SaveRegString(L"Window", L"hWnd", Text(running));
  DestroyWindow(running);
  EXPECT_EQ(FindAppWindow(L"SWF.zel - "), nullptr);
  EXPECT_EQ(FindAppWindow(L""), nullptr);
  DestroyWindow(bare);
  DestroyWindow(lower);
}

}  // namespace
