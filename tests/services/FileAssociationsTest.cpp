#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "services/FileAssociations.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

std::wstring Root(const std::wstring& key) { return GetRegString(key, L"", L"?", false, HKEY_CLASSES_ROOT); }
void SetRoot(const std::wstring& key, const std::wstring& value) {
  SaveRegString(key, L"", value, false, HKEY_CLASSES_ROOT);
}

struct AssocFixture : ::testing::Test {
  int notices = 0;
  std::wstring savedAppFolder = AppFolder;
  void SetUp() override {
    AppFolder = L"C:\\Program Files\\SWF.zel\\";
    CurrentShell().changeNotify = [this](LONG event, UINT flags, const void*, const void*) {
      EXPECT_EQ(event, SHCNE_ASSOCCHANGED);
      EXPECT_EQ(flags, static_cast<UINT>(SHCNF_IDLIST));
      ++notices;
    };
    // A known starting point, written (never deleted): ".swf" belongs to another program.
    SetRoot(L".swf", L"OtherPlayer.swf");
    SetRoot(L".flv", L"");
    SetRoot(L".swfzel", L"");
    for (const wchar_t* name : {L"PrevSWF", L"PrevFLV", L"PrevPL"}) SaveRegString(L"FileTypes", name, L"");
  }
  void TearDown() override {
    ResetShellSeam();
    AppFolder = savedAppFolder;
  }
};

}  // namespace

TEST_F(AssocFixture, RegisterTwiceThenWithdraw) {
  SetFileAssociations(true, true, true);
  EXPECT_EQ(Root(L".swf"), L"SWF.zel.swf");
  EXPECT_EQ(Root(L".flv"), L"SWF.zel.flv");
  EXPECT_EQ(Root(L".swfzel"), L"SWF.zel.swfzel");
  EXPECT_EQ(GetRegString(L"FileTypes", L"PrevSWF", L"?"), L"OtherPlayer.swf");
  EXPECT_EQ(Root(L"SWF.zel.swf"), L"Flash Movie");
  EXPECT_EQ(Root(L"SWF.zel.flv"), L"Flash Video");
  EXPECT_EQ(Root(L"SWF.zel.swfzel"), L"Flash Playlist");
  const std::wstring exe = L"\"C:\\Program Files\\SWF.zel\\SWF.zel.exe\"";
  EXPECT_EQ(Root(L"SWF.zel.swf\\shell\\open\\command"), exe + L" \"%1\"");
  EXPECT_EQ(Root(L"SWF.zel.swf\\DefaultIcon"), exe + L",1");
  EXPECT_EQ(Root(L"SWF.zel.flv\\DefaultIcon"), exe + L",3");
  EXPECT_EQ(Root(L"SWF.zel.swfzel\\DefaultIcon"), exe + L",2");
  EXPECT_EQ(notices, 1);

  // Again, with the class written in another case by some tool: still ours, previous handler kept.
  SetRoot(L".swf", L"swf.ZEL.SWF");
  SetFileAssociations(true, true, true);
  EXPECT_EQ(GetRegString(L"FileTypes", L"PrevSWF", L"?"), L"OtherPlayer.swf");
  EXPECT_EQ(Root(L".swf"), L"SWF.zel.swf");
  EXPECT_EQ(notices, 1);

  SetFileAssociations(false, false, false);
  EXPECT_EQ(Root(L".swf"), L"OtherPlayer.swf");
  EXPECT_EQ(Root(L".flv"), L"");
  EXPECT_EQ(Root(L".swfzel"), L"");
  EXPECT_EQ(notices, 1);
  // Nothing was deleted: the program's classes stay.
  EXPECT_EQ(Root(L"SWF.zel.swf\\shell\\open\\command"), exe + L" \"%1\"");
}

TEST_F(AssocFixture, TypesOfOtherProgramsAreLeftAlone) {
  SetFileAssociations(true, false, true);
  SetRoot(L".swfzel", L"Editor.playlist");  // another program took the playlists since
  SetFileAssociations(true, false, false);
  EXPECT_EQ(Root(L".flv"), L"");
  EXPECT_EQ(Root(L".swfzel"), L"Editor.playlist");
  EXPECT_EQ(GetRegString(L"FileTypes", L"PrevPL", L"?"), L"Editor.playlist");
  SetFileAssociations(false, false, false);
  EXPECT_EQ(Root(L".swf"), L"OtherPlayer.swf");
  EXPECT_EQ(Root(L".swfzel"), L"Editor.playlist");

  // A saved previous handler naming the program itself gives the type back empty, not to itself.
  SetRoot(L".flv", L"SWF.zel.flv");
  SaveRegString(L"FileTypes", L"PrevFLV", L"SWF.ZEL.FLV");
  SetFileAssociations(false, false, false);
  EXPECT_EQ(Root(L".flv"), L"");
}

TEST_F(AssocFixture, HandlerNotReadAsTextIsNotOverwritten) {
  // Another program's handler stored as an expandable text: not ours, so never rewritten.
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L".flv", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t other[] = L"Other.flv";
  RegSetValueExW(key, L"", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(other), sizeof(other));
  SetFileAssociations(true, false, true);
  SetFileAssociations(false, false, false);
  wchar_t data[64] = {};
  DWORD type = 0, size = sizeof(data);
  EXPECT_EQ(RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(data), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_STREQ(data, other);
  EXPECT_EQ(Root(L".swf"), L"OtherPlayer.swf");
}
