// The tool windows in the running program, driven as a user would: the
// first-run set-up before the main window (Enter goes on, Exit ends the
// program with nothing written: no setting, no folder, no file), and the options dialog from the Tools menu
// (a page chosen on the slide bar, a value typed, left and saved at once; the
// page last used comes back when reopened, also after a restart).
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "ToolsTestSupport.h"
#include "moviefiles/MovieBytes.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

using namespace player_test;

namespace {

std::wstring SampleMovie() { return L"\"" + testing_support::ProgramDir() + L"Media\\Flash\\sample.swf\""; }

using testing_support::WaitUntil;

// The options dialog opened from the Tools menu (Alt+T, O).
HWND OpenOptions(const ProgramProcess& p, HWND main) {
  if (!PressKeys(main, {{VK_MENU, 'T'}, {'O'}})) return nullptr;
  return p.WaitForWindow(L"Options");
}

}  // namespace

TEST(ToolWindowsProcess, FirstRunComesBeforeTheMainWindowAndEnterGoesOn) {
  PrivateProgramKey key;
  ProgramProcess p(SampleMovie(), ProgramProcess::Start::First);
  HWND setup = p.WaitForWindow(L"SWF.zel First Run");
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(p.WaitForMainWindow(500), nullptr);
  ASSERT_TRUE(PressKeys(setup, {{VK_RETURN}}));
  EXPECT_NE(p.WaitForMainWindow(), nullptr);
  EXPECT_EQ(GetRegString(L"System", L"FirstRun", L"?"), L"False");
}

// OK pressed by a BM_CLICK an automation tool sends or posts: the same start
// as with Enter, the main window and the set-up stored.
TEST(ToolWindowsProcess, FirstRunOkGoesOnWhenPressedByAMessage) {
  const struct {
    const char* way;
    std::function<bool(HWND ok)> press;
  } ways[] = {
      {"sent BM_CLICK", [](HWND ok) { return SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_NORMAL, 15000, nullptr) != 0; }},
      {"posted BM_CLICK", [](HWND ok) { return PostMessageW(ok, BM_CLICK, 0, 0) != 0; }},
  };
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    PrivateProgramKey key;
    ProgramProcess p(SampleMovie(), ProgramProcess::Start::First);
    HWND setup = p.WaitForWindow(L"SWF.zel First Run");
    ASSERT_NE(setup, nullptr);
    HWND ok = FindChildWithText(setup, L"OK");
    ASSERT_NE(ok, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(ok) != FALSE; }));
    ASSERT_TRUE(w.press(ok));
    EXPECT_NE(p.WaitForMainWindow(), nullptr);
    EXPECT_EQ(GetRegString(L"System", L"FirstRun", L"?"), L"False");
    EXPECT_TRUE(p.Close());
  }
}

namespace {

// The user's documents, application data and temporary folders moved into a
// folder of the test's own for the programs it starts, put back at the end.
class ProfileFolders {
 public:
  ProfileFolders() {
    const std::wstring shell = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
    for (const wchar_t* key : {L"User Shell Folders", L"Shell Folders"})
      for (const auto& [name, folder] : {std::pair{L"Personal", L"documents"}, std::pair{L"AppData", L"data"}}) {
        keep_.Value(HKEY_CURRENT_USER, shell + key, name);
        CreateDirectoryW(dir_.File(folder).c_str(), nullptr);
        SaveRegString(shell + key, name, dir_.File(folder), false, HKEY_CURRENT_USER);
      }
    CreateDirectoryW(dir_.File(L"temp").c_str(), nullptr);
    for (int i = 0; i < 2; ++i) {
      GetEnvironmentVariableW(kTemp[i], saved_[i], MAX_PATH + 1);
      SetEnvironmentVariableW(kTemp[i], dir_.File(L"temp").c_str());
    }
  }
  ~ProfileFolders() {
    for (int i = 0; i < 2; ++i) SetEnvironmentVariableW(kTemp[i], saved_[i][0] ? saved_[i] : nullptr);
  }
  // What the folders hold ("documents\\My Flash", ...).
  std::vector<std::wstring> Contents() const {
    std::vector<std::wstring> found;
    for (const wchar_t* folder : {L"documents", L"data", L"temp"}) {
      WIN32_FIND_DATAW data;
      HANDLE find = FindFirstFileW(dir_.File(std::wstring(folder) + L"\\*").c_str(), &data);
      if (find == INVALID_HANDLE_VALUE) continue;
      do
        if (std::wstring(data.cFileName) != L"." && std::wstring(data.cFileName) != L"..")
          found.push_back(std::wstring(folder) + L"\\" + data.cFileName);
      while (FindNextFileW(find, &data));
      FindClose(find);
    }
    return found;
  }

 private:
  static constexpr const wchar_t* kTemp[2] = {L"TMP", L"TEMP"};
  testing_support::TempDir dir_;
  testing_support::RegistryGuard keep_;
  wchar_t saved_[2][MAX_PATH + 1] = {};
};

}  // namespace

TEST(ToolWindowsProcess, FirstRunExitEndsTheProgramWithNothingWritten) {
  PrivateProgramKey key;
  ProfileFolders profile;
  ProgramProcess p(SampleMovie(), ProgramProcess::Start::First);
  HWND setup = p.WaitForWindow(L"SWF.zel First Run");
  ASSERT_NE(setup, nullptr);
  HWND exit = FindChildWithText(setup, L"Exit");
  ASSERT_NE(exit, nullptr);
  PostMessageW(exit, BM_CLICK, 0, 0);
  EXPECT_TRUE(p.WaitForExit(5000));
  // No setting, no window handle (the main window never loaded), no options saved.
  EXPECT_FALSE(tools_test::AnyStored({L"System\\FirstRun", L"Window\\hWnd", L"System\\OptionsPage",
                                      L"Recent\\MyFlash", L"FileTypes\\SWF"}));
  // No folder (not My Flash, not the program's data or cache) and no file (not the log).
  EXPECT_EQ(profile.Contents(), std::vector<std::wstring>{});
}

TEST(ToolWindowsProcess, OptionsFromTheToolsMenuSaveAtOnceAndReopenOnThePageLastUsed) {
  PrivateProgramKey key;
  {
    ProgramProcess p(SampleMovie());
    HWND main = p.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    HWND options = OpenOptions(p, main);
    ASSERT_NE(options, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main)) << "shown modally";
    // A click given while the window is still opening (disabled) would be lost.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(options) != FALSE; }));
    // The third cell of the slide bar: Thumbnails.
    HWND bar = ChildWindowFromPoint(options, POINT{2 * 92 + 46, 40});
    // Under Wine a click that comes right after the window took the foreground
    // can be dropped before it reaches the window: click the same cell again
    // until its page shows (a second click on the shown page changes nothing).
    HWND quality = nullptr;
    bool shown = false;
    for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
      ASSERT_TRUE(ClickAt(bar, POINT{2 * 92 + 46, 40}));
      shown = WaitUntil([&] { return (quality = FindChildWithText(options, L"90")) != nullptr; }, 3000);
    }
    ASSERT_TRUE(shown);
    // The window takes no input while it grows to the page's height.
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(options) != FALSE; }));
    // The same for the box: clicked until it holds the window's focus.
    auto focused = [&] { return FocusInside(quality); };
    for (int attempt = 0; attempt < 5 && !focused(); ++attempt) {
      ASSERT_TRUE(ClickAt(quality, POINT{10, 8}));
      WaitUntil(focused, 3000);
    }
    ASSERT_TRUE(focused());
    ASSERT_TRUE(PressKeys(options, {{VK_END}, {VK_SHIFT, VK_HOME}}));
    ASSERT_TRUE(TypeText(options, L"150"));
    ASSERT_TRUE(WaitUntil([&] { return Caption(quality) == L"150"; }));
    ASSERT_TRUE(PressKeys(options, {{VK_TAB}}));  // leaving the box: "100"
    EXPECT_TRUE(WaitUntil([&] { return Caption(quality) == L"100"; }));
    ASSERT_TRUE(PressKeys(options, {{VK_RETURN}}));  // Save
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(options); }));
    EXPECT_EQ(GetRegLong(L"Thumbnails", L"ShotJpeg", -1), 100);
    EXPECT_EQ(GetRegLong(L"View", L"ThemeHash", -1), 0);

    options = OpenOptions(p, main);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return FindChildWithText(options, L"100") != nullptr; })) << "the Thumbnails page";
    ASSERT_TRUE(PressKeys(options, {{VK_ESCAPE}}));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(options); }));
  }
  ProgramProcess p(SampleMovie());
  HWND main = p.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND options = OpenOptions(p, main);
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return FindChildWithText(options, L"100") != nullptr; })) << "after a restart";
  PressKeys(options, {{VK_ESCAPE}});
}

namespace {

// A window of the process, other than one given, that holds a child with that text.
HWND ProcessWindowWith(const ProgramProcess& p, const std::wstring& text, HWND other) {
  struct Search {
    DWORD id;
    const std::wstring* text;
    HWND other, found;
  } s{p.Id(), &text, other, nullptr};
  EnumWindows(
      [](HWND h, LPARAM l) -> BOOL {
        auto* s = reinterpret_cast<Search*>(l);
        DWORD id = 0;
        GetWindowThreadProcessId(h, &id);
        if (id != s->id || h == s->other || !IsWindowVisible(h) || !FindChildWithText(h, *s->text)) return TRUE;
        s->found = h;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace

TEST(ToolWindowsProcess, GenerateFromTheScriptAndFromTheToolsMenuAndTheSettingsSavedAtExit) {
  PrivateProgramKey key;
  testing_support::TempDir dir;
  moviebytes::Movie m;
  m.tags = {moviebytes::ShowFrame(), moviebytes::EndTag()};
  for (const wchar_t* name : {L"a.swf", L"b.swf"}) testing_support::WriteBytes(dir.File(name), m.Plain());
  std::wstring folder = dir.Path();
  folder.pop_back();  // the run adds the backslash
  {
    ProgramProcess p(L"/exec Generate 160, 120, \"" + folder + L"\", 80, True");
    HWND main = p.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(dir.File(L"a.jpg")) && FileExists(dir.File(L"b.jpg")); }, 20000));
    // The script's run shows no summary and closes its window.
    EXPECT_TRUE(WaitUntil([&] { return !ProcessWindowWith(p, L"Generate", nullptr); }));
    EXPECT_EQ(ProcessWindowWith(p, L"Show Files", nullptr), nullptr);

    ASSERT_TRUE(PressKeys(main, {{VK_MENU, 'T'}, {'T'}}));
    HWND generator = p.WaitForWindow(L"Thumbnail Generator");
    ASSERT_NE(generator, nullptr);
    EXPECT_TRUE(IsWindowEnabled(main)) << "modeless";
    // Started without a movie the window browses the My Flash folder, which the
    // generator takes as its source; the user types the movies' folder instead.
    HWND source = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (source = FindChildWithText(generator, L"My Flash")) != nullptr; }));
    SendMessageW(source, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    ASSERT_TRUE(PressKeys(generator, {{VK_RETURN}}));  // Generate
    HWND summary = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (summary = ProcessWindowWith(p, L"Show Files", generator)) != nullptr; }, 20000));
    ASSERT_TRUE(PressKeys(summary, {{VK_ESCAPE}}));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(summary); }));
    ASSERT_TRUE(PressKeys(generator, {{VK_ESCAPE}}));  // Close
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(generator); }));
    EXPECT_TRUE(p.Close());
  }
  const std::optional<RegRawValue> width = tools_test::Stored(L"Generator", L"Width");
  ASSERT_TRUE(width.has_value());
  EXPECT_EQ(width->Type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(SavedNumber(L"Generator", L"Width"), 160u);
  EXPECT_EQ(GetRegString(L"Generator", L"Source", L""), folder + L"\\");
}
