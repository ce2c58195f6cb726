// The introduction, about and desktop windows in the running program: the
// introduction at the end of start-up when asked for, "/exec About" handed to
// the running program, and Tools > Zoruv Uredare putting its files in the
// shell's folder and saying that Wine's desktop refused the item.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <functional>

#include "ProgramProcess.h"
#include "TestSupport.h"
#include "services/ShellMod.h"

using namespace player_test;

namespace {

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
std::wstring Sample() { return testing_support::ProgramDir() + L"Media\\Flash\\sample.swf"; }
std::wstring DataFile(const wchar_t* name) { return GetSpecialFolder(CSIDL_APPDATA) + L"SWF.zel\\" + name; }

}  // namespace

TEST(PagesProcess, TheIntroductionOpensAfterTheMainWindowWhenAskedFor) {
  PrivateProgramKey key;
  DeleteFileW(DataFile(L"intro.xml").c_str());
  SaveSetting(L"System", L"Intro", L"True");
  ProgramProcess p(Quoted(Sample()));
  ASSERT_NE(p.WaitForMainWindow(), nullptr);
  EXPECT_NE(p.WaitForWindow(L"Feature Overview"), nullptr);
  EXPECT_TRUE(FileExists(DataFile(L"intro.xml")));
}

TEST(PagesProcess, ExecAboutOnTheRunningProgramOpensTheAboutWindow) {
  PrivateProgramKey key;
  DeleteFileW(DataFile(L"about.xml").c_str());
  ProgramProcess p(Quoted(Sample()));
  ASSERT_NE(p.WaitForMainWindow(), nullptr);
  ProgramProcess second(L"/exec About");
  EXPECT_TRUE(second.WaitForExit(20000)) << "handed to the running program";
  EXPECT_NE(p.WaitForWindow(L"About SWF.zel"), nullptr);
  EXPECT_TRUE(FileExists(DataFile(L"about.xml")));
}

TEST(PagesProcess, ZoruvUredareWritesItsFilesAndReportsTheShellsRefusal) {
  PrivateProgramKey key;
  testing_support::RegistryGuard icons;
  icons.Value(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", L"HideIcons");
  const std::wstring folder = GetSpecialFolder(CSIDL_APPDATA) + L"Microsoft\\Internet Explorer\\";
  const std::vector<std::wstring> files{folder + L"Desktop.swf", folder + L"sound.swf", folder + L"Desktop.html"};
  for (const std::wstring& f : files) DeleteFileW(f.c_str());
  testing_support::TempDir temp;
  ASSERT_TRUE(CopyFileW(Sample().c_str(), temp.File(L"a.swf").c_str(), FALSE));

  ProgramProcess p(Quoted(temp.File(L"a.swf")));
  HWND main = p.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(PressKeys(main, {{VK_MENU, 'T'}, {'Z'}}));
  HWND desktop = p.WaitForWindow(L"Zoruv Uredare");
  ASSERT_NE(desktop, nullptr);
  HWND enable = FindChildWithText(desktop, L"Enable Zoruv Uredare");
  ASSERT_NE(enable, nullptr);
  PostMessageW(enable, BM_CLICK, 0, 0);  // Wine's desktop knows no item: it opens unchecked
  ASSERT_TRUE(PressKeys(desktop, {{VK_RETURN}}));
  HWND message = p.WaitForWindow(L"SWF.zel");
  ASSERT_NE(message, nullptr) << "the failure is reported";
  for (const std::wstring& f : files) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_FALSE(IsIconic(main)) << "not minimised";
  PressKeys(message, {{VK_RETURN}});
  for (const std::wstring& f : files) DeleteFileW(f.c_str());
}
