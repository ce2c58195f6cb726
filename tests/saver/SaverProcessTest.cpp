// SWF.zel.scr as a real process: the full-screen run (the movie over the
// whole screen, ended by a key, a click or a move, one run at a time, no
// registry writes), the preview inside another program's window, the
// "nomedia" picture for a missing movie, the settings window's Browse, and
// the pictures of a 640 x 480 run and of the settings window.
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <thread>

#include "MovieBytes.h"
#include "ProgramProcess.h"
#include "SaverProcess.h"
#include "TestSupport.h"
#include "saver/ScreenSaverWindow.h"

using namespace saver_test;

namespace {

constexpr COLORREF kOrange = RGB(0xFF, 0x99, 0x00);  // the sample movie's rectangle, at its centre
const wchar_t kPictureDesktop[] = L"SWFzel 640x480";
const wchar_t kPictureChild[] = L"SWFZEL_SAVER_PICTURE";

std::wstring SampleMovie() { return testing_support::ProgramDir() + L"Media\\Flash\\sample.swf"; }

void RecordMovie(const std::wstring& path) {
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\SWF.zel\\ScreenSaver", L"FileName", REG_SZ, path.c_str(),
                  static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
}

std::wstring RecordedMovie() {
  wchar_t text[1024] = {};
  DWORD size = sizeof(text);
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\SWF.zel\\ScreenSaver", L"FileName", RRF_RT_REG_SZ, nullptr, text, &size);
  return text;
}

// Every key and value below key, as text.
std::wstring RegistryDump(HKEY root, const std::wstring& key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return L"(none)";
  std::wstring out = L"[" + key + L"]";
  wchar_t name[512];
  BYTE data[4096];
  for (DWORD i = 0;; ++i) {
    DWORD n = 512, size = sizeof(data), type = 0;
    if (RegEnumValueW(k, i, name, &n, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
    out += std::wstring(name) + L"=" + std::to_wstring(type) + L":" +
           std::wstring(reinterpret_cast<wchar_t*>(data), size / sizeof(wchar_t)) + L";";
  }
  for (DWORD i = 0;; ++i) {
    DWORD n = 512;
    if (RegEnumKeyExW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out += RegistryDump(root, key + L"\\" + name);
  }
  RegCloseKey(k);
  return out;
}

RECT ScreenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A full-screen run of the recorded movie, with its window found.
struct FullScreenRun {
  SaverProcess process{L"/s"};
  HWND window = process.WaitForWindow(saver::kSaverWindowClass);
};

// A window of the test, pumped by a thread of its own (another program's window, for the preview).
class HostWindow {
 public:
  HostWindow() {
    thread_ = std::thread([this] {
      threadId_ = GetCurrentThreadId();
      hwnd_ = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"preview host", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 200,
                              150, nullptr, nullptr, nullptr, nullptr);
      ready_ = true;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_APP) DestroyWindow(hwnd_);
        DispatchMessageW(&msg);
      }
    });
    while (!ready_) Sleep(10);
  }
  ~HostWindow() {
    Destroy();
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND hWnd() const { return hwnd_; }
  void Destroy() { PostThreadMessageW(threadId_, WM_APP, 0, 0); }

 private:
  std::thread thread_;
  std::atomic<DWORD> threadId_ = 0;
  std::atomic<bool> ready_ = false;
  std::atomic<HWND> hwnd_ = nullptr;
};

// Each run starts with the cursor resting at one place, so that a move made
// by an earlier test reaches no run.
constexpr POINT kRest{300, 300};

class SaverRun : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(kRest.x, kRest.y);
    POINT at{};
    for (int i = 0; i < 100 && (!GetCursorPos(&at) || at.x != kRest.x || at.y != kRest.y); ++i) Sleep(20);
  }
  player_test::PrivateProgramKey key;
};

}  // namespace

TEST_F(SaverRun, FullScreenShowsTheMovieOverTheScreenUntilAKey) {
  RecordMovie(SampleMovie());
  const std::wstring registryBefore = RegistryDump(HKEY_CURRENT_USER, L"Software\\SWF.zel");
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  RECT r{};
  GetWindowRect(run.window, &r);
  const RECT screen = ScreenRect();
  EXPECT_TRUE(EqualRect(&r, &screen)) << r.right << "x" << r.bottom;
  EXPECT_TRUE(GetWindowLongPtrW(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  const POINT c = Centre(r);
  EXPECT_TRUE(WaitForScreenColor(c.x, c.y, kOrange)) << std::hex << ScreenColor(c.x, c.y);

  // The system asking for its screen saver again, and a second start: the run goes on alone.
  DWORD_PTR result = 0;
  SendMessageTimeoutW(run.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0, SMTO_ABORTIFHUNG, 3000, &result);
  SaverProcess second(L"/s");
  EXPECT_TRUE(second.WaitForExit(15000)) << "a second full-screen run must not start";
  EXPECT_TRUE(IsWindowVisible(run.window));

  PostMessageW(run.window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(run.process.WaitForExit(2000));
  EXPECT_EQ(RegistryDump(HKEY_CURRENT_USER, L"Software\\SWF.zel"), registryBefore);
}

TEST_F(SaverRun, AClickOrAMoveOfTheCursorEndsTheRunAndASmallMoveDoesNot) {
  RecordMovie(SampleMovie());
  for (bool click : {true, false}) {
    SetUp();
    FullScreenRun run;
    ASSERT_NE(run.window, nullptr);
    const RECT screen = ScreenRect();
    ASSERT_TRUE(WaitForScreenColor(Centre(screen).x, Centre(screen).y, kOrange));
    SetCursorPos(kRest.x + 1, kRest.y);
    EXPECT_FALSE(run.process.WaitForExit(500)) << "a move of one pixel ends nothing";
    if (click) {
      INPUT input[2] = {};
      input[0].type = input[1].type = INPUT_MOUSE;
      input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(2, input, sizeof(INPUT));
    } else {
      SetCursorPos(kRest.x + 11, kRest.y);
    }
    EXPECT_TRUE(run.process.WaitForExit(2000)) << (click ? "click" : "move");
  }
}

TEST_F(SaverRun, PreviewDrawsOverTheGivenWindowUntilItIsDestroyed) {
  RecordMovie(SampleMovie());
  HostWindow host;
  ASSERT_NE(host.hWnd(), nullptr);
  SaverProcess run(L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(host.hWnd())));
  HWND preview = run.WaitForWindow(saver::kSaverWindowClass);
  ASSERT_NE(preview, nullptr);
  RECT client{}, shown{};
  GetClientRect(host.hWnd(), &client);
  MapWindowPoints(host.hWnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(preview, &shown);
  EXPECT_TRUE(EqualRect(&client, &shown)) << shown.left << "," << shown.top << " " << shown.right << "," << shown.bottom;
  const POINT c = Centre(client);
  EXPECT_TRUE(WaitForScreenColor(c.x, c.y, kOrange)) << std::hex << ScreenColor(c.x, c.y);
  host.Destroy();
  EXPECT_TRUE(run.WaitForExit(5000));
}

// A movie that asks, on every frame, to quit, to run a program and to open a
// web page: the run goes on showing it.
TEST_F(SaverRun, AMoviesQuitExecAndLinksDoNothing) {
  using namespace moviebytes;
  Bytes actions;
  for (auto [url, target] : {std::pair{"FSCommand:quit", ""}, {"FSCommand:exec", "cmd.exe"},
                             {"FSCommand:fullscreen", "false"}, {"http://www.swfzel.example/", "_blank"}}) {
    const Bytes fields = Text(url) + Bytes{0} + Text(target) + Bytes{0};
    actions = actions + Bytes{0x83} + Bytes{static_cast<uint8_t>(fields.size()), 0} + fields;
  }
  Movie movie;
  movie.frames = 2;
  movie.tags = {BackgroundTag(0x20, 0x80, 0x40), Tag(12, actions + Bytes{0}), ShowFrame(), ShowFrame(), EndTag()};
  testing_support::TempDir temp;
  const std::wstring path = temp.File(L"asking movie.swf");
  ASSERT_TRUE(testing_support::WriteBytes(path, movie.Plain()));
  RecordMovie(path);
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  const POINT c = Centre(ScreenRect());
  EXPECT_TRUE(WaitForScreenColor(c.x, c.y, RGB(0x20, 0x80, 0x40)));
  EXPECT_FALSE(run.process.WaitForExit(1500)) << "the movie's quit ended the run";
  EXPECT_EQ(run.process.FindWindowOf(L"", run.window), nullptr);
  PostMessageW(run.window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(run.process.WaitForExit(2000));
}

TEST_F(SaverRun, AMissingMovieShowsTheNoMediaPictureAndNoMessageBox) {
  RecordMovie(L"C:\\no such folder\\missing movie.swf");
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  const RECT screen = ScreenRect();
  const POINT c = Centre(screen);
  // The picture's crossing bar in the middle, black around it.
  EXPECT_TRUE(WaitForScreenColor(c.x, c.y, RGB(200, 60, 60))) << std::hex << ScreenColor(c.x, c.y);
  EXPECT_EQ(ScreenColor(c.x - 40, c.y), RGB(0, 0, 0));
  EXPECT_EQ(ScreenColor(c.x + 40, c.y + 40), RGB(0, 0, 0));
  EXPECT_EQ(run.process.FindWindowOf(L"", run.window), nullptr) << "no other window, no message box";
  PostMessageW(run.window, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(run.process.WaitForExit(2000));
}

TEST_F(SaverRun, SettingsBrowseRecordsTheChosenMovie) {
  testing_support::TempDir temp;
  const std::wstring chosen = temp.File(L"chosen movie.swf");
  ASSERT_TRUE(CopyFileW(SampleMovie().c_str(), chosen.c_str(), FALSE));
  RecordMovie(SampleMovie());
  SaverProcess run(L"/c");
  HWND form = run.WaitForWindow(L"");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(TextOf(form), L"SWF.zel Screen Saver");
  HWND box = FindChildByText(form, SampleMovie());
  ASSERT_NE(box, nullptr) << "the recorded movie is shown";
  HWND browse = FindChildByText(form, L"Browse...");
  ASSERT_NE(browse, nullptr);
  PostMessageW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED), reinterpret_cast<LPARAM>(browse));

  HWND dialog = run.WaitForWindow(L"#32770");
  ASSERT_NE(dialog, nullptr);
  Sleep(300);  // the dialog fills its lists
  HWND name = GetDlgItem(dialog, cmb13);
  if (!name) name = GetDlgItem(dialog, edt1);
  SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()), SMTO_ABORTIFHUNG, 3000, nullptr);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  for (int i = 0; i < 200 && RecordedMovie() != chosen; ++i) Sleep(50);
  EXPECT_EQ(RecordedMovie(), chosen);
  for (int i = 0; i < 100 && TextOf(box) != chosen; ++i) Sleep(50);
  EXPECT_EQ(TextOf(box), chosen);

  SetWindowPos(form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(300);
  RECT r{};
  GetWindowRect(form, &r);
  EXPECT_TRUE(SaveScreenShot(r, testing_support::ProgramDir() + L"screensaver-settings.bmp"));
  PostMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.WaitForExit(5000));
}

// The picture of a full-screen run on a 640 x 480 screen: this test program
// runs again on a desktop of that size (a virtual desktop of Wine's) and takes
// the picture there.
TEST_F(SaverRun, PictureOfAFullScreenRunAt640x480) {
  wchar_t flag[8] = {};
  if (GetEnvironmentVariableW(kPictureChild, flag, 8)) GTEST_SKIP() << "the child takes the picture";
  RecordMovie(SampleMovie());
  const std::wstring picture = testing_support::ProgramDir() + L"screensaver.bmp";
  DeleteFileW(picture.c_str());
  testing_support::RegistryGuard desktops;
  const wchar_t kDesktops[] = L"Software\\Wine\\Explorer\\Desktops";
  desktops.Value(HKEY_CURRENT_USER, kDesktops, kPictureDesktop);
  RegSetKeyValueW(HKEY_CURRENT_USER, kDesktops, kPictureDesktop, REG_SZ, L"640x480", sizeof(L"640x480"));
  HDESK desktop = CreateDesktopW(kPictureDesktop, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  ASSERT_NE(desktop, nullptr);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SetEnvironmentVariableW(kPictureChild, L"1");
  const DWORD code = RunOnDesktop(L"\"" + std::wstring(self) + L"\" --gtest_brief=1 --gtest_filter=SaverPicture.*",
                                  kPictureDesktop, 120000);
  SetEnvironmentVariableW(kPictureChild, nullptr);
  CloseDesktop(desktop);
  EXPECT_EQ(code, 0u);
  const auto shot = testing_support::ReadBytes(picture);
  ASSERT_GT(shot.size(), 54u);
  EXPECT_EQ(shot[18] | shot[19] << 8, 640);
  EXPECT_EQ(shot[22] | shot[23] << 8, 480);
}

// Runs only inside the child started above, on the 640 x 480 desktop.
TEST(SaverPicture, TakenOnTheSmallDesktop) {
  wchar_t flag[8] = {};
  if (!GetEnvironmentVariableW(kPictureChild, flag, 8)) GTEST_SKIP() << "runs on the 640 x 480 desktop only";
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  ASSERT_TRUE(WaitForScreenColor(320, 240, kOrange)) << std::hex << ScreenColor(320, 240);
  EXPECT_TRUE(SaveScreenShot(RECT{0, 0, 640, 480}, testing_support::ProgramDir() + L"screensaver.bmp"));
  PostMessageW(run.window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(run.process.WaitForExit(2000));
}
