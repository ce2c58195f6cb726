// The cases that depend on the visual style run in child processes of this
// test program, one with Wine's bundled light theme switched on ("Themed.*")
// and one with it off ("Unthemed.*"). Wine reads HKCU\Software\Microsoft\
// Windows\CurrentVersion\ThemeManager once, when uxtheme.dll loads, so
// switching the values in a running process changes nothing there; a new
// prefix of Wine 8 has the light theme on. This case runs alone, as
// test_ui_themed with SWFZEL_THEME_SWITCH=1, so that no other test program
// starts while the values are switched, and puts the values back as they were.
#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>

#include <cstdlib>
#include <string>

#include "DrawTestSupport.h"
#include "TestSupport.h"
#include "base/Handles.h"

namespace {

const wchar_t kThemeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

void SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}


// Runs the cases matching filter in a child process with the theme values set
// (active "1" or "0"); its exit code.
DWORD RunChild(const std::wstring& active, const std::wstring& styles, const wchar_t* filter, const wchar_t* mode) {
  testing_support::RegistryGuard guard;
  guard.Key(HKEY_CURRENT_USER, kThemeKey);
  for (const wchar_t* name : {L"ThemeActive", L"DllName", L"ColorName", L"SizeName"})
    guard.Value(HKEY_CURRENT_USER, kThemeKey, name);
  {
    ScopedHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kThemeKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
      return 2;
    SetText(key.get(), L"ThemeActive", active);
    SetText(key.get(), L"DllName", styles);
    SetText(key.get(), L"ColorName", L"Blue");
    SetText(key.get(), L"SizeName", L"NormalSize");
  }
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_brief=1 --gtest_filter=" + filter;
  SetEnvironmentVariableW(L"SWFZEL_THEME", mode);
  STARTUPINFOW si{sizeof(si)};
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableW(L"SWFZEL_THEME", nullptr);
  if (!started) return 3;
  ScopedHandle process(pi.hProcess), thread(pi.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

}  // namespace

TEST(ThemeSwitch, StyleDependentCasesPassWithTheThemeOnAndOff) {
  const char* on = std::getenv("SWFZEL_THEME_SWITCH");
  if (!on || std::string(on) != "1") GTEST_SKIP() << "runs alone as test_ui_themed";

  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring styles = std::wstring(windows) + L"\\resources\\themes\\light\\light.msstyles";
  ASSERT_NE(GetFileAttributesW(styles.c_str()), INVALID_FILE_ATTRIBUTES) << "no light theme in the prefix";
  EXPECT_EQ(RunChild(L"1", styles, L"Themed.*", L"on"), 0u) << "themed cases failed (output above)";
  EXPECT_EQ(RunChild(L"0", styles, L"Unthemed.*", L"off"), 0u) << "unthemed cases failed (output above)";
}

TEST(Themed, TheChildProcessRunsWithTheLightTheme) {
  if (!draw_test::ThemeRun(true)) GTEST_SKIP() << "only in the themed child process";
  EXPECT_TRUE(IsThemeActive());
}

TEST(Unthemed, TheChildProcessRunsWithoutAVisualStyle) {
  if (!draw_test::ThemeRun(false)) GTEST_SKIP() << "only in the unthemed child process";
  EXPECT_FALSE(IsThemeActive());
}
