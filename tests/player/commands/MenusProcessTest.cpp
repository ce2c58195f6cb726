// The menus and keys in the real program: hot-key messages changing what
// their commands change (read back from the saved options), keys typed on
// the window and in the address bar, the playlist's item menu with its bold
// default, the movie's own pop-up menu over a playing movie, and the pictures
// of the View menu and the pop-up menus.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>

#include "FormsTestSupport.h"
#include "ProgramProcess.h"
#include "TestSupport.h"
#include "base/TextConv.h"
#include "services/RegistryModule.h"

using namespace player_test;

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

using testing_support::WaitUntil;

// The program's pop-up menu window while one is open, else null.
HWND OpenPopup(DWORD pid) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

// How many of the program's pop-up menu windows show their items.
int DrawnPopups(DWORD pid) {
  int drawn = 0;
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && MenuWindowDrawn(w)) ++drawn;
  }
  return drawn;
}

// The window covers the screen without its frame.
bool IsFullScreen(HWND main) {
  RECT r{};
  GetWindowRect(main, &r);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return EqualRect(&r, &screen) && (GetWindowLongW(main, GWL_STYLE) & WS_CAPTION) == 0;
}

void CloseMenus(HWND main, DWORD pid) {
  PostMessageW(main, WM_CANCELMODE, 0, 0);
  PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageW(main, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return OpenPopup(pid) == nullptr; }));
}

// The window and a menu beside it, as the screen shows them.
void SaveWithMenu(HWND main, HWND menu, const std::wstring& file) {
  RECT window{}, shown{}, both{};
  GetWindowRect(main, &window);
  GetWindowRect(menu, &shown);
  UnionRect(&both, &window, &shown);
  EXPECT_TRUE(forms_test::SaveScreenArea(both, testing_support::ProgramDir() + file));
}

std::wstring WithoutAmpersands(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return text;
}

// Keys pressed as the user would (the window in front): held modifiers, the key, released.
void PressKeys(HWND main, std::initializer_list<WORD> held, WORD key) {
  SetForegroundWindow(main);
  std::vector<INPUT> input;
  auto add = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    const bool extended = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_INSERT || vk == VK_DELETE;
    i.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    input.push_back(i);
  };
  for (WORD vk : held) add(vk, false);
  add(key, false);
  add(key, true);
  for (auto it = std::rbegin(held); it != std::rend(held); ++it) add(*it, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

// Gives a window of the program the keyboard focus.
void FocusWindowOf(HWND window) {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  SetFocus(window);
  AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &n);
  return text;
}

void SetClipboardText(const std::wstring& text) {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  if (memory) {
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

class MenusRun : public ::testing::Test {
 protected:
  void SetUp() override {
    // No first-run set-up and no update check while testing.
    SaveRegString(L"System", L"FirstRun", L"False");
    SaveRegString(L"Update", L"Auto", L"False");
  }
  // A copy of the sample movie under the test's folder.
  std::wstring Movie(const std::wstring& name) const {
    const std::wstring sample = testing_support::ProgramDir() + L"Media\\Flash\\sample.swf";
    EXPECT_TRUE(CopyFileW(sample.c_str(), dir.File(name).c_str(), FALSE));
    return dir.File(name);
  }
  // The program on a movie, its window in front of the others.
  HWND Start(ProgramProcess& run, const std::wstring& caption) {
    HWND main = run.WaitForMainWindow();
    if (!main) return nullptr;
    EXPECT_TRUE(WaitForCaption(main, L"SWF.zel - " + caption));
    SetWindowPos(main, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return main;
  }

  PrivateProgramKey key;
  testing_support::TempDir dir;
};

}  // namespace

TEST_F(MenusRun, HotKeyMessagesRunTheirCommands) {
  ProgramProcess run(Quoted(Movie(L"a.swf")));
  HWND main = run.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForCaption(main, L"SWF.zel - a.swf"));
  // Volume down twice, mute, always on top, the menu bar off, Handy Keys on; 99 is no id.
  for (WPARAM id : {15, 15, 16, 6, 5, 24, 99}) PostMessageW(main, WM_HOTKEY, id, 0);
  EXPECT_TRUE(run.Close());
  EXPECT_EQ(GetRegLong(L"Sound", L"Volume", -1), 80);
  EXPECT_TRUE(GetRegBool(L"Sound", L"Mute", false));
  EXPECT_TRUE(GetRegBool(L"Window", L"TopMost", false));
  EXPECT_FALSE(GetRegBool(L"Window", L"MenuBar", true));
  EXPECT_TRUE(GetRegBool(L"Window", L"HandyKeys", false));
}

TEST_F(MenusRun, KeysOnTheWindowActOnceAndEditingKeysEditTheAddressBar) {
  // A thumbnail in the program's cache folder.
  wchar_t tempPath[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, tempPath);
  const std::wstring cache = std::wstring(tempPath) + L"SWF.zel Cache\\", thumb = cache + L"menus-test.jpg";
  CreateDirectoryW(cache.c_str(), nullptr);
  ASSERT_TRUE(testing_support::WriteText(thumb, "a thumbnail"));

  ProgramProcess run(Quoted(Movie(L"b.swf")));
  HWND main = Start(run, L"b.swf");
  ASSERT_NE(main, nullptr);
  HWND movie = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(movie, nullptr);

  // Typed in the address bar, the editing keys edit it and run no command.
  HWND bar = FindWindowExW(main, nullptr, L"ComboBox", nullptr);
  ASSERT_NE(bar, nullptr);
  ShowWindow(bar, SW_SHOW);
  HWND edit = FindWindowExW(bar, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"one two"));
  SendMessageW(edit, EM_SETSEL, 7, 7);
  SetClipboardText(L"X");
  FocusWindowOf(edit);
  PressKeys(main, {VK_CONTROL}, VK_LEFT);  // to the start of "two"
  PressKeys(main, {VK_SHIFT}, VK_INSERT);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"one Xtwo"; })) << TextOf(edit);
  PressKeys(main, {VK_CONTROL}, 'Z');
  EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"one two"; })) << TextOf(edit);
  SendMessageW(edit, EM_SETSEL, 0, 4);
  PressKeys(main, {VK_SHIFT}, VK_DELETE);
  EXPECT_TRUE(WaitUntil([&] { return TextOf(edit) == L"two"; })) << TextOf(edit);
  EXPECT_TRUE(KeysBeforeHandled(main, edit));
  EXPECT_EQ(GetFileAttributesW(thumb.c_str()) != INVALID_FILE_ATTRIBUTES, true) << "the thumbnails stay";

  // On the movie, Shift+Delete clears the thumbnails and Ctrl+M mutes.
  FocusWindowOf(movie);
  PressKeys(main, {VK_SHIFT}, VK_DELETE);
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(thumb.c_str()) == INVALID_FILE_ATTRIBUTES; }));
  PressKeys(main, {VK_CONTROL}, 'M');

  // In full screen, with the top menus hidden, F2 toggles the menu bar once.
  ProgramProcess full(L"/exec FullScreen True, False, False");
  EXPECT_TRUE(full.WaitForExit(10000));
  EXPECT_TRUE(WaitUntil([&] { return IsFullScreen(main); }));
  PostMessageW(main, WM_KEYDOWN, VK_F2, 0);
  EXPECT_TRUE(run.Close());
  EXPECT_FALSE(GetRegBool(L"Window", L"MenuBar", true));
  EXPECT_TRUE(GetRegBool(L"Sound", L"Mute", false));
  DeleteFileW(thumb.c_str());
}

TEST_F(MenusRun, TheViewMenuAndThePlaylistsItemMenuWithItsBoldDefault) {
  CreateDirectoryW(dir.File(L"list").c_str(), nullptr);
  for (const wchar_t* name : {L"list\\one.swf", L"list\\two.swf", L"list\\three.swf"}) Movie(name);
  ProgramProcess run(Quoted(dir.File(L"list")));
  HWND main = Start(run, L"one.swf");
  ASSERT_NE(main, nullptr);
  const DWORD pid = run.Id();

  // The View menu opened on its Quality list: icons, marks and shortcuts.
  SetForegroundWindow(main);
  PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 0);
  for (WPARAM k : {VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}) PostMessageW(main, WM_KEYDOWN, k, 0);
  // Both menus drawn: the View menu and its Quality list.
  ASSERT_TRUE(WaitUntil([&] { return DrawnPopups(pid) == 2; }));
  RECT area{};
  GetWindowRect(main, &area);
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr;) {
    RECT r{};
    if (IsWindowVisible(w) && GetWindowRect(w, &r)) UnionRect(&area, &area, &r);
  }
  EXPECT_TRUE(forms_test::SaveScreenArea(area, testing_support::ProgramDir() + L"menus.bmp"));
  CloseMenus(main, pid);

  // A right click on the second row: the item menu, "Play" in bold.
  HWND box = FindChildOfClass(main, L"ListBox");
  ASSERT_NE(box, nullptr);
  POINT at{20, 24 + 12};
  ClientToScreen(box, &at);
  SetCursorPos(at.x, at.y);
  PostMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 36));
  HWND popup = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(pid)) != nullptr; }));
  EXPECT_TRUE(WaitUntil([&] { return MenuWindowDrawn(popup); }));
  std::vector<std::wstring> defaults, shown;
  for (const std::wstring& line : ProbeMenu(main, kOpenPopup)) {
    if (line.size() < 8 || line[2] == L'1') continue;  // separators
    shown.push_back(WithoutAmpersands(line.substr(8)));
    if (line[4] == L'1') defaults.push_back(shown.back());
  }
  EXPECT_EQ(defaults, (std::vector<std::wstring>{L"Play"}));
  EXPECT_EQ(shown.front(), L"Play");
  EXPECT_NE(std::find(shown.begin(), shown.end(), L"Move Up"), shown.end());
  SaveWithMenu(main, popup, L"popup-item.bmp");
  CloseMenus(main, pid);
  EXPECT_TRUE(run.Close());
}

namespace {

// The sample movie's picture in a movie of many frames, which plays on
// (looping) rather than stopping at its one frame.
std::wstring ManyFramesOfTheSample(const std::wstring& path) {
  std::vector<uint8_t> movie = testing_support::ReadBytes(testing_support::ProgramDir() + L"Media\\Flash\\sample.swf");
  if (movie.size() < 12 || movie[0] != 'F') return L"";
  const size_t rectBytes = (5 + 4 * (movie[8] >> 3) + 7) / 8;
  const size_t count = 8 + rectBytes + 2;  // after the rectangle and the frame rate
  constexpr uint16_t kFrames = 120;
  movie[count] = kFrames & 0xFF, movie[count + 1] = kFrames >> 8;
  // One more "show frame" tag for each further frame, before the end tag.
  movie.insert(movie.end() - 2, 2 * (kFrames - 1), 0);
  for (size_t i = movie.size() - 2 - 2 * (kFrames - 1); i < movie.size() - 2; i += 2) movie[i] = 0x40;
  const uint32_t length = static_cast<uint32_t>(movie.size());
  for (int i = 0; i < 4; ++i) movie[4 + i] = static_cast<uint8_t>(length >> (8 * i));
  testing_support::WriteBytes(path, movie);
  return path;
}

}  // namespace

TEST_F(MenusRun, TheMoviesPopUpMenuOverAPlayingMovie) {
  ProgramProcess run(Quoted(ManyFramesOfTheSample(dir.File(L"playing.swf"))));
  HWND main = Start(run, L"playing.swf");
  ASSERT_NE(main, nullptr);
  const DWORD pid = run.Id();
  // Playing: the Playback menu's first item offers Pause.
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::wstring> playback = ProbeMenu(main, 2);
    return !playback.empty() && playback.front().find(L"Pause") != std::wstring::npos;
  }));
  HWND movie = FindChildOfClass(main, L"MacromediaFlashPlayerActiveX");
  ASSERT_NE(movie, nullptr);
  RECT area{};
  GetClientRect(movie, &area);
  POINT at{area.right / 2, area.bottom / 2};
  POINT screen = at;
  ClientToScreen(movie, &screen);
  SetCursorPos(screen.x, screen.y);
  SetForegroundWindow(main);
  PostMessageW(movie, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
  HWND popup = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (popup = OpenPopup(pid)) != nullptr && MenuWindowDrawn(popup); }));
  std::vector<std::wstring> shown;
  for (const std::wstring& line : ProbeMenu(main, kOpenPopup))
    if (line.size() >= 8 && line[2] != L'1') shown.push_back(WithoutAmpersands(line.substr(8)));
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), L"Pause") << "the movie plays on";
  for (const wchar_t* item : {L"Full Screen", L"Media Browser", L"Get Info", L"About SWF.zel", L"Exit"})
    EXPECT_NE(std::find(shown.begin(), shown.end(), item), shown.end()) << WideToUtf8(item);
  SaveWithMenu(main, popup, L"popup-movie.bmp");
  CloseMenus(main, pid);
  EXPECT_TRUE(run.Close());
}

namespace {

// The menu bar's strip of the window as the screen shows it: between the
// title bar and the client area.
RECT MenuBarArea(HWND main) {
  RECT window{};
  GetWindowRect(main, &window);
  POINT client{0, 0};
  ClientToScreen(main, &client);
  return RECT{window.left, client.y - GetSystemMetrics(SM_CYMENU), window.right, client.y};
}

// The pixels of an area that are coloured (the icons; the captions are black on grey).
int ColouredPixels(const RECT& area) {
  HDC screen = GetDC(nullptr);
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) {
      const COLORREF c = GetPixel(screen, x, y);
      const int high = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
      const int low = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
      count += high - low > 48 ? 1 : 0;
    }
  ReleaseDC(nullptr, screen);
  return count;
}

}  // namespace

TEST_F(MenusRun, AfterASwitchToGermanTheMenuBarKeepsItsIcons) {
  ProgramProcess run(Quoted(Movie(L"m.swf")));
  HWND main = Start(run, L"m.swf");
  ASSERT_NE(main, nullptr);
  const DWORD pid = run.Id();
  ASSERT_TRUE(WaitUntil([&] { return ColouredPixels(MenuBarArea(main)) > 0; }));
  const int before = ColouredPixels(MenuBarArea(main));
  // Tools (the fifth menu), its last item Language, its second language.
  SetForegroundWindow(main);
  PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 0);
  for (WPARAM k : {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_DOWN, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN})
    PostMessageW(main, WM_KEYDOWN, k, 0);
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::wstring> file = ProbeMenu(main, 0);
    return !file.empty() && file.front().find(L"ffnen") != std::wstring::npos;
  })) << "the File menu in German";
  EXPECT_TRUE(WaitUntil([&] { return OpenPopup(pid) == nullptr; }));
  // Six icons as before: the captions' lengths change, the icons' pixels hardly.
  EXPECT_TRUE(WaitUntil([&] { return ColouredPixels(MenuBarArea(main)) * 10 >= before * 8; }))
      << ColouredPixels(MenuBarArea(main)) << " coloured pixels against " << before;
  RECT window{};
  GetWindowRect(main, &window);
  EXPECT_TRUE(forms_test::SaveScreenArea(window, testing_support::ProgramDir() + L"menubar-german.bmp"));
  EXPECT_TRUE(run.Close());
}
