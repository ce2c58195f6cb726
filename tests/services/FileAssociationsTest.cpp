#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "services/FileAssociations.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "support/TestSupport.h"

namespace {

std::wstring Root(const std::wstring& key) { return GetRegString(key, L"", L"?", false, HKEY_CLASSES_ROOT); }
void SetRoot(const std::wstring& key, const std::wstring& value) {
  SaveRegString(key, L"", value, false, HKEY_CLASSES_ROOT);
}

struct AssocFixture : ::testing::Test {
  int notices = 0;
  std::wstring savedAppFolder = AppFolder;
  testing_support::RegistryGuard registry;
  void SetUp() override {
    for (const wchar_t* ext : {L".swf", L".flv", L".swfzel"}) {
      registry.Value(HKEY_CLASSES_ROOT, ext, L"");
      registry.Key(HKEY_CLASSES_ROOT, AssociationClass(ext));
    }
    for (const wchar_t* name : {L"PrevSWF", L"PrevFLV", L"PrevPL"}) registry.AppValue(L"FileTypes", name);
    AppFolder = L"C:\\Program Files\\SWF.zel\\";
    CurrentShell().changeNotify = [this](LONG event, UINT flags, const void*, const void*) {
      EXPECT_EQ(event, SHCNE_ASSOCCHANGED);
      EXPECT_EQ(flags, static_cast<UINT>(SHCNF_IDLIST));
      ++notices;
    };
    // A known starting point: ".swf" belongs to another program.
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

  // Again, with the class written in another case by some tool: still ours, previous handler kept, nothing to tell.
  SetRoot(L".swf", L"swf.ZEL.SWF");
  SetFileAssociations(true, true, true);
  EXPECT_EQ(GetRegString(L"FileTypes", L"PrevSWF", L"?"), L"OtherPlayer.swf");
  EXPECT_EQ(Root(L".swf"), L"SWF.zel.swf");
  EXPECT_EQ(notices, 1);

  // Giving the types back tells the shell too.
  SetFileAssociations(false, false, false);
  EXPECT_EQ(Root(L".swf"), L"OtherPlayer.swf");
  EXPECT_EQ(Root(L".flv"), L"");
  EXPECT_EQ(Root(L".swfzel"), L"");
  EXPECT_EQ(notices, 2);
  // Nothing was deleted: the program's classes stay; a call that changes nothing tells nothing.
  EXPECT_EQ(Root(L"SWF.zel.swf\\shell\\open\\command"), exe + L" \"%1\"");
  SetFileAssociations(false, false, false);
  EXPECT_EQ(notices, 2);
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

TEST_F(AssocFixture, HandlersStoredAsOtherTypesAreGivenBackAsStored) {
  // Another program's handler stored as an expandable text (or any other type): taking the type
  // over and giving it back restores the value with its type; a type never taken is never rewritten.
  const wchar_t expand[] = L"%SystemRoot%\\Other.flv";
  const BYTE binary[] = {1, 2, 3};
  const RegRawValue handlers[] = {
      {REG_EXPAND_SZ, std::vector<BYTE>(reinterpret_cast<const BYTE*>(expand),
                                        reinterpret_cast<const BYTE*>(expand) + sizeof(expand))},
      {REG_BINARY, std::vector<BYTE>(binary, binary + sizeof(binary))}};
  for (const RegRawValue& handler : handlers) {
    SaveRegRaw(L".flv", L"", handler, false, HKEY_CLASSES_ROOT);
    SetFileAssociations(true, false, true);
    SetFileAssociations(false, false, false);
    EXPECT_EQ(GetRegRaw(L".flv", L"", false, HKEY_CLASSES_ROOT), handler) << handler.Type;

    SetFileAssociations(false, true, false);
    EXPECT_EQ(Root(L".flv"), L"SWF.zel.flv");
    SetFileAssociations(false, false, false);
    EXPECT_EQ(GetRegRaw(L".flv", L"", false, HKEY_CLASSES_ROOT), handler) << handler.Type;
  }
  EXPECT_EQ(Root(L".swf"), L"OtherPlayer.swf");
}
