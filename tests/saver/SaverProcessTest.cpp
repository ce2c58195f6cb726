// SWF.zel.scr as a real process: the full-screen run (the movie over the
// whole screen; ended by a key, a click or a move, also while a script runs
// on, not by a small move nor by the movie's own quit; one run at a time; no
// registry writes), the preview over another program's window, "nomedia" for a missing movie, the settings
// window's Browse, and the pictures of a 640 x 480 run and of the settings.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include "FormsTestSupport.h"
#include "MovieBytes.h"
#include "flash/FlashTestSupport.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "saver/ScreenSaverWindow.h"
#include "services/RegistryModule.h"

namespace {

using forms_test::PumpUntil;
constexpr COLORREF kOrange = RGB(0xFF, 0x99, 0x00);  // the sample movie's rectangle, at its centre
constexpr POINT kRest{300, 300};                     // where the cursor rests when a run starts
const wchar_t kPictureDesktop[] = L"SWFzel 640x480", kPictureChild[] = L"SWFZEL_SAVER_PICTURE";

std::wstring SampleMovie() { return testing_support::ProgramDir() + L"Media\\Flash\\sample.swf"; }

void RecordMovie(const std::wstring& path) { SaveRegString(L"ScreenSaver", L"FileName", path); }
std::wstring RecordedMovie() { return GetRegString(L"ScreenSaver", L"FileName", L""); }

// Every key and value below the program's key, as text.
std::wstring ProgramKeyDump(const std::wstring& key = AppRegistryKey()) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return L"-";
  std::wstring out = L"[" + key + L"]";
  wchar_t name[512];
  BYTE data[4096];
  DWORD n, size, type;
  for (DWORD i = 0; n = 512, size = sizeof(data), RegEnumValueW(k, i, name, &n, nullptr, &type, data, &size) == 0; ++i)
    out += std::wstring(name) + L"=" + std::wstring(reinterpret_cast<wchar_t*>(data), size / 2) + L";";
  for (DWORD i = 0; n = 512, RegEnumKeyExW(k, i, name, &n, nullptr, nullptr, nullptr, nullptr) == 0; ++i)
    out += ProgramKeyDump(key + L"\\" + name);
  RegCloseKey(k);
  return out;
}

COLORREF ScreenColor(POINT at) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, at.x, at.y);
  ReleaseDC(nullptr, screen);
  return c;
}

bool Shows(POINT at, COLORREF color) { return PumpUntil([&] { return ScreenColor(at) == color; }, 10000); }

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
POINT ScreenCentre() { return POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2}; }

// A program started as a child process: SWF.zel.scr, or this test program on another desktop.
class Child {
 public:
  explicit Child(const std::wstring& arguments, std::wstring exe = L"", std::wstring desktop = L"") {
    if (exe.empty()) exe = testing_support::ProgramDir() + L"SWF.zel.scr";
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{sizeof(si)};
    if (!desktop.empty()) si.lpDesktop = desktop.data();
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        testing_support::ProgramDir().c_str(), &si, &pi))
      return;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess, id_ = pi.dwProcessId;
  }
  ~Child() {
    if (!process_) return;
    if (!Ended(0)) {
      if (HWND w = Window(nullptr, nullptr, 0)) PostMessageW(w, WM_CLOSE, 0, 0);
      if (!Ended(5000)) TerminateProcess(process_, 1);
    }
    CloseHandle(process_);
  }
  // A shown top-level window of the process of that class (any when null) other than except, waiting up to ms.
  HWND Window(const wchar_t* cls, HWND except = nullptr, DWORD ms = 20000) const {
    struct Search {
      DWORD pid;
      const wchar_t* cls;
      HWND except, found;
    } s{id_, cls, except, nullptr};
    PumpUntil([&] {
      EnumWindows([](HWND w, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        wchar_t name[64] = {};
        GetWindowThreadProcessId(w, &pid);
        GetClassNameW(w, name, 64);
        if (pid != s->pid || w == s->except || !IsWindowVisible(w) || (s->cls && wcscmp(name, s->cls) != 0)) return TRUE;
        s->found = w;
        return FALSE;
      }, reinterpret_cast<LPARAM>(&s));
      return s.found || Ended(0);
    }, static_cast<int>(ms));
    return s.found;
  }
  bool Ended(DWORD ms) const {
    return process_ && PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, static_cast<int>(ms));
  }
  DWORD ExitCode() const {
    DWORD code = ~0u;
    GetExitCodeProcess(process_, &code);
    return code;
  }

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// A full-screen run of the recorded movie, with its window.
struct FullScreenRun {
  Child process{L"/s"};
  HWND window = process.Window(saver::kSaverWindowClass);
};

class SaverRun : public ::testing::Test {
 protected:
  // The cursor rests at one place when a run starts: a move of an earlier test reaches no run.
  void SetUp() override {
    SetCursorPos(kRest.x, kRest.y);
    PumpUntil([] {
      POINT at{};
      return GetCursorPos(&at) && at.x == kRest.x && at.y == kRest.y;
    });
  }
  player_test::PrivateProgramKey key;
};

}  // namespace

TEST_F(SaverRun, FullScreenShowsTheMovieOverTheScreenUntilAKey) {
  RecordMovie(SampleMovie());
  const std::wstring registryBefore = ProgramKeyDump();
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  RECT r{}, screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  GetWindowRect(run.window, &r);
  EXPECT_TRUE(EqualRect(&r, &screen)) << r.right << "x" << r.bottom;
  EXPECT_TRUE(GetWindowLongPtrW(run.window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(Shows(ScreenCentre(), kOrange)) << std::hex << ScreenColor(ScreenCentre());

  // The system asking for its screen saver again, and a second start: the run goes on alone.
  SendMessageTimeoutW(run.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0, SMTO_ABORTIFHUNG, 3000, nullptr);
  Child second(L"/s");
  EXPECT_TRUE(second.Ended(15000)) << "a second full-screen run must not start";
  EXPECT_TRUE(IsWindowVisible(run.window));

  PostMessageW(run.window, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(run.process.Ended(2000));
  EXPECT_EQ(ProgramKeyDump(), registryBefore);
}

TEST_F(SaverRun, AClickOrAMoveEndsTheRunAndASmallMoveDoesNot) {
  RecordMovie(SampleMovie());
  for (bool click : {true, false}) {
    SetUp();
    FullScreenRun run;
    ASSERT_TRUE(Shows(ScreenCentre(), kOrange));
    SetCursorPos(kRest.x + 1, kRest.y);
    EXPECT_FALSE(run.process.Ended(500)) << "a move of one pixel ends nothing";
    INPUT press[2] = {{INPUT_MOUSE}, {INPUT_MOUSE}};
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN, press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (click) SendInput(2, press, sizeof(INPUT));
    else SetCursorPos(kRest.x + 11, kRest.y);
    EXPECT_TRUE(run.process.Ended(2000)) << (click ? "click" : "move");
  }
}

// A movie whose second frame loops for good: a click while it runs still ends the run at once.
TEST_F(SaverRun, AClickEndsTheRunWhileAScriptRunsOn) {
  using namespace moviebytes;
  const Bytes endless{0x99, 0x02, 0x00, 0xFB, 0xFF, 0x00};  // a jump to itself
  Movie movie;
  movie.frames = 3;
  movie.tags = {BackgroundTag(0x20, 0x40, 0x80), ShowFrame(), Tag(12, endless), ShowFrame(), ShowFrame(), EndTag()};
  testing_support::TempDir temp;
  ASSERT_TRUE(testing_support::WriteBytes(temp.File(L"endless.swf"), movie.Plain()));
  RecordMovie(temp.File(L"endless.swf"));
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  // Pings until one finds the window busy.
  const bool busy = PumpUntil([&] {
    DWORD_PTR result = 0;
    return !SendMessageTimeoutW(run.window, WM_NULL, 0, 0, SMTO_NORMAL, 500, &result);
  }, 15000);
  ASSERT_TRUE(busy);
  INPUT press[2] = {{INPUT_MOUSE}, {INPUT_MOUSE}};
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN, press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, press, sizeof(INPUT));
  EXPECT_TRUE(run.process.Ended(2000));
}

// A movie that asks, on every frame, to quit, to run a program and to open a web page.
TEST_F(SaverRun, AMoviesQuitExecAndLinksDoNothing) {
  using namespace moviebytes;
  Bytes actions;
  for (auto [url, target] : {std::pair{"FSCommand:quit", ""}, {"FSCommand:exec", "cmd.exe"},
                             {"http://www.swfzel.example/", "_blank"}}) {
    const Bytes fields = Text(url) + Bytes{0} + Text(target) + Bytes{0};
    actions = actions + Bytes{0x83, static_cast<uint8_t>(fields.size()), 0} + fields;
  }
  // It asks on its first frame, covers its stage with a box on the second and
  // uncovers it on the third, four frames a second.
  Movie movie;
  movie.frames = 3;
  movie.rateWhole = 4;
  movie.tags = {BackgroundTag(0x20, 0x80, 0x40),
                BoxShape(1, 550 * 20, 400 * 20, 0x80, 0x20, 0x40),
                Tag(12, actions + Bytes{0}),
                ShowFrame(),
                flashtest::Place(1, 1, 0, 0),
                ShowFrame(),
                flashtest::Remove(1),
                ShowFrame(),
                EndTag()};
  testing_support::TempDir temp;
  ASSERT_TRUE(testing_support::WriteBytes(temp.File(L"asking.swf"), movie.Plain()));
  RecordMovie(temp.File(L"asking.swf"));
  FullScreenRun run;
  // The box and then the first frame again come after the first frame's requests.
  EXPECT_TRUE(Shows(ScreenCentre(), RGB(0x20, 0x80, 0x40)));
  EXPECT_TRUE(Shows(ScreenCentre(), RGB(0x80, 0x20, 0x40)));
  EXPECT_TRUE(Shows(ScreenCentre(), RGB(0x20, 0x80, 0x40)));
  EXPECT_FALSE(run.process.Ended(0)) << "the movie's quit ended the run";
  EXPECT_EQ(run.process.Window(nullptr, run.window, 0), nullptr);
}

TEST_F(SaverRun, AMissingMovieShowsTheNoMediaPictureAndNoMessageBox) {
  RecordMovie(L"C:\\no such folder\\missing movie.swf");
  FullScreenRun run;
  ASSERT_NE(run.window, nullptr);
  const POINT c = ScreenCentre();
  EXPECT_TRUE(Shows(c, RGB(200, 60, 60))) << std::hex << ScreenColor(c);  // the picture's crossing bar
  EXPECT_EQ(ScreenColor(POINT{c.x - 40, c.y}), RGB(0, 0, 0));
  EXPECT_EQ(run.process.Window(nullptr, run.window, 0), nullptr) << "no other window, no message box";
}

TEST_F(SaverRun, PreviewDrawsOverTheGivenWindowUntilItIsDestroyed) {
  RecordMovie(SampleMovie());
  HWND host = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"host", WS_POPUP | WS_VISIBLE | WS_BORDER, 40, 40, 200, 150,
                              nullptr, nullptr, nullptr, nullptr);
  Child run(L"/p " + std::to_wstring(reinterpret_cast<uintptr_t>(host)));
  HWND preview = run.Window(saver::kSaverWindowClass);
  ASSERT_NE(preview, nullptr);
  RECT client{}, shown{};
  GetClientRect(host, &client);
  MapWindowPoints(host, nullptr, reinterpret_cast<POINT*>(&client), 2);
  GetWindowRect(preview, &shown);
  EXPECT_TRUE(EqualRect(&client, &shown)) << shown.left << "," << shown.top << " " << shown.right << "," << shown.bottom;
  EXPECT_TRUE(Shows(Centre(client), kOrange)) << std::hex << ScreenColor(Centre(client));
  DestroyWindow(host);
  EXPECT_TRUE(run.Ended(5000));
}

// A preview asked for without a window it can draw into ends at once, showing
// nothing: the settings window belongs to "/c" and to no argument only.
TEST_F(SaverRun, APreviewWithoutAUsableWindowEndsShowingNothing) {
  RecordMovie(SampleMovie());
  for (const wchar_t* arguments : {L"/p 0", L"/p", L"/p -5", L"/p 99999999999999999999", L"/p 12345"}) {
    Child run(arguments);
    EXPECT_EQ(run.Window(nullptr), nullptr) << arguments;  // waits for a window or the end
    EXPECT_TRUE(run.Ended(0)) << arguments;
    EXPECT_EQ(run.ExitCode(), 0u) << arguments;
  }
}

TEST_F(SaverRun, SettingsBrowseRecordsTheChosenMovie) {
  testing_support::TempDir temp;
  const std::wstring chosen = temp.File(L"chosen movie.swf");
  ASSERT_TRUE(CopyFileW(SampleMovie().c_str(), chosen.c_str(), FALSE));
  RecordMovie(SampleMovie());
  Child run(L"/c");
  HWND form = run.Window(nullptr);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(player_test::Caption(form), L"SWF.zel Screen Saver");
  HWND box = player_test::FindChildWithText(form, SampleMovie());
  HWND browse = player_test::FindChildWithText(form, L"Browse...");
  ASSERT_TRUE(box && browse);
  PostMessageW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED), reinterpret_cast<LPARAM>(browse));

  HWND dialog = run.Window(L"#32770");
  ASSERT_NE(dialog, nullptr);
  // The dialog has made its name box and answers messages: it has set itself up.
  HWND name = nullptr;
  ASSERT_TRUE(PumpUntil([&] {
    name = GetDlgItem(dialog, cmb13) ? GetDlgItem(dialog, cmb13) : GetDlgItem(dialog, edt1);
    return name && SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 3000, nullptr) != 0;
  }, 10000));
  SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(chosen.c_str()), SMTO_ABORTIFHUNG, 3000, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return player_test::Caption(name) == chosen; }, 10000));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(PumpUntil([&] { return RecordedMovie() == chosen && player_test::Caption(box) == chosen; }, 10000))
      << RecordedMovie();

  SetWindowPos(form, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(forms_test::SaveWindowShot(form, testing_support::ProgramDir() + L"screensaver-settings.bmp"));

  // Preview: a full-screen run of the chosen movie, then the settings again.
  HWND preview = player_test::FindChildWithText(form, L"Preview");
  PostMessageW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(preview), BN_CLICKED), reinterpret_cast<LPARAM>(preview));
  HWND fullScreen = run.Window(saver::kSaverWindowClass);
  ASSERT_NE(fullScreen, nullptr);
  EXPECT_TRUE(Shows(ScreenCentre(), kOrange));
  PostMessageW(fullScreen, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(fullScreen) && IsWindowVisible(form); }, 5000));
  PostMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(run.Ended(5000));
}

// The picture of a full-screen run on a 640 x 480 screen: this test program
// runs again on a desktop of that size (one of Wine's virtual desktops) and
// takes the picture there (SaverPicture below).
TEST_F(SaverRun, PictureOfAFullScreenRunAt640x480) {
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
  {
    Child child(L"--gtest_brief=1 --gtest_filter=SaverPicture.*", self, kPictureDesktop);
    SetEnvironmentVariableW(kPictureChild, nullptr);
    ASSERT_TRUE(child.Ended(120000));
    EXPECT_EQ(child.ExitCode(), 0u);
  }
  CloseDesktop(desktop);
  const auto shot = testing_support::ReadBytes(picture);
  ASSERT_GT(shot.size(), 54u);
  EXPECT_EQ(shot[18] | shot[19] << 8, 640);
  EXPECT_EQ(shot[22] | shot[23] << 8, 480);
}

TEST(SaverPicture, TakenOnTheSmallDesktop) {
  wchar_t flag[8] = {};
  if (!GetEnvironmentVariableW(kPictureChild, flag, 8)) GTEST_SKIP() << "runs on the 640 x 480 desktop only";
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  FullScreenRun run;
  ASSERT_TRUE(Shows(POINT{320, 240}, kOrange)) << std::hex << ScreenColor(POINT{320, 240});
  EXPECT_TRUE(forms_test::SaveWindowShot(run.window, testing_support::ProgramDir() + L"screensaver.bmp"));
}
