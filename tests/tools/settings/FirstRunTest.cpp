// The first-run set-up: what OK stores and registers, a folder that is no
// full path refused, Exit, the language choice translating the window, the
// start-up's seam, and its picture.
#include <gtest/gtest.h>
#include <windows.h>

#include "FormsTestSupport.h"
#include "ToolsTestSupport.h"
#include "platform/forms/Forms.h"
#include "player/start/OptionStore.h"
#include "player/start/Startup.h"
#include "services/FileAssociations.h"
#include "services/Tips.h"
#include "tools/settings/FirstRunSetup.h"
#include "tools/settings/frmFirstRun.h"
#include "ui/DrawingModule.h"

using namespace tools;
using tools_test::ClassesRoot;

namespace {

class FirstRun : public ::testing::Test {
 protected:
  void SetUp() override {
    EnumerateLanguages();
    // A known start for the types: ".swf" another program's, the others nobody's.
    SaveRegString(L".swf", L"", L"OtherPlayer.swf", false, HKEY_CLASSES_ROOT);
    SaveRegString(L".flv", L"", L"", false, HKEY_CLASSES_ROOT);
    SaveRegString(L".swfzel", L"", L"", false, HKEY_CLASSES_ROOT);
  }
  void TearDown() override { FirstRunWindow().Close(); }
  frmFirstRun& Open() {
    frmFirstRun& w = FirstRunWindow();
    w.Load();
    return w;
  }
  tools_test::ProgramState state;
};

}  // namespace

TEST_F(FirstRun, OkStoresTheFolderAsTypedAndRegistersTheTypesOnlyWhenChecked) {
  struct Case {
    const wchar_t* folder;
    bool makeDefault;
  };
  for (const Case& c : {Case{L"C:\\Flash files\\", false}, Case{L"D:\\Movies\\Mine", true}}) {
    SCOPED_TRACE(c.makeDefault);
    frmFirstRun& w = Open();
    w.txtMyFlash->SetText(c.folder);
    w.chkDefault->SetValue(c.makeDefault ? forms::vbChecked : forms::vbUnchecked);
    w.cbGo_Click();
    EXPECT_TRUE(w.Completed());
    EXPECT_FALSE(w.IsLoaded());
    EXPECT_EQ(GetRegString(L"Recent", L"", L"?"), c.folder);
    EXPECT_EQ(GetRegString(L"Recent", L"MyFlash", L"?"), c.folder);
    for (const wchar_t* type : {L"SWF", L"FLV", L"PL"})
      EXPECT_EQ(GetRegString(L"FileTypes", type, L"?"), c.makeDefault ? L"True" : L"False") << type;
    if (c.makeDefault) {
      for (const wchar_t* ext : {L".swf", L".flv", L".swfzel"}) EXPECT_EQ(ClassesRoot(ext), AssociationClass(ext));
      const std::wstring command = ClassesRoot(L"SWF.zel.swf\\shell\\open\\command");
      EXPECT_EQ(command.substr(command.size() - 5), L" \"%1\"");
      continue;
    }
    // Nothing registered, not even by the first save of the options at exit.
    EXPECT_EQ(ClassesRoot(L".swf"), L"OtherPlayer.swf");
    player::OptionSet o;
    player::ReadOptionSet(o, L"1-1-2000");
    player::WriteOptionSet(o);
    SetFileAssociations(o.AssocSWF, o.AssocFLV, o.AssocPL);
    EXPECT_EQ(ClassesRoot(L".swf"), L"OtherPlayer.swf");
    EXPECT_EQ(ClassesRoot(L".flv"), L"");
    EXPECT_EQ(ClassesRoot(L"SWF.zel.swf"), L"?");
  }
}

TEST_F(FirstRun, AFolderThatIsNoFullPathIsRefusedAndTheWindowStays) {
  frmFirstRun& w = Open();
  std::vector<std::wstring> said;
  w.ProblemBox = [&](const std::wstring& text) { said.push_back(text); };
  for (const wchar_t* typed : {L"My Flash", L"My Flash\\", L".\\Flash", L"\\Flash", L"C:Flash", L""}) {
    said.clear();
    w.txtMyFlash->SetText(typed);
    w.cbGo_Click();
    EXPECT_FALSE(w.Completed()) << typed;
    EXPECT_TRUE(w.IsLoaded()) << typed;
    EXPECT_EQ(said, std::vector<std::wstring>{L"A folder must be given by its full path, such as C:\\My Flash\\. "
                                              L"This is not one:\r\n" + std::wstring(typed)});
    EXPECT_FALSE(tools_test::AnyStored({L"Recent\\", L"Recent\\MyFlash", L"FileTypes\\SWF"})) << typed;
  }
  w.ProblemBox = nullptr;
}

TEST_F(FirstRun, ExitWritesNothingAndTheStartUpStopsOnlyThen) {
  frmFirstRun& w = Open();
  w.cbExit_Click();
  EXPECT_FALSE(w.Completed());
  EXPECT_FALSE(tools_test::AnyStored(
      {L"Recent\\", L"Recent\\MyFlash", L"FileTypes\\SWF", L"FileTypes\\FLV", L"FileTypes\\PL"}));

  // The start-up's seam: the set-up comes until it completes once.
  struct Case {
    const wchar_t* stored;  // "System\FirstRun" before ("" is no truth value: the set-up is due)
    bool dialogGoesOn, startUpGoesOn;
    const wchar_t* after;
    int dialogShown;
  };
  const Case cases[] = {{L"", false, false, L"", 1},
                        {L"True", false, false, L"True", 1},
                        {L"True", true, true, L"False", 1},
                        {L"False", false, true, L"False", 0}};
  for (const Case& c : cases) {
    SaveRegString(L"System", L"FirstRun", c.stored);
    int shown = 0;
    player::FirstRunDialog() = [&] {
      ++shown;
      return c.dialogGoesOn;
    };
    EXPECT_EQ(player::CheckFirstRun(), c.startUpGoesOn) << c.stored;
    EXPECT_EQ(shown, c.dialogShown) << c.stored;
    EXPECT_EQ(GetRegString(L"System", L"FirstRun", L"?"), c.after) << c.stored;
  }
  player::FirstRunDialog() = nullptr;
}

TEST_F(FirstRun, ChoosingALanguageLoadsItAndTranslatesTheWindow) {
  ASSERT_GE(LanguageList.size(), 2u) << "the staged German language file";
  frmFirstRun& w = Open();
  EXPECT_EQ(w.cmbLang->ListCount(), static_cast<int>(LanguageList.size()));
  EXPECT_EQ(w.cmbLang->List(1), LanguageList[1].Name + L" - " + LanguageList[1].Title);
  const std::wstring english = w.Find<forms::Label>(L"lblNote")->Caption();
  const std::wstring caption = w.Caption();

  w.cmbLang->SetListIndex(1);
  EXPECT_EQ(CurLang, 1);
  EXPECT_EQ(w.Find<forms::Label>(L"lblNote")->Caption(),
            LangText(L"frmFirstRun/lblNote", L"(missing from the German file)"));
  EXPECT_NE(w.Find<forms::Label>(L"lblNote")->Caption(), english);
  EXPECT_NE(w.Caption(), caption);
  // "!" references: the OK and Exit buttons take the shared and menu texts.
  EXPECT_EQ(w.Find<forms::CommandButton>(L"cbGo")->Caption(), LangText(L"Shared/Ok", L"?"));

  w.cmbLang->SetListIndex(0);
  EXPECT_EQ(w.Find<forms::Label>(L"lblNote")->Caption(), english);
  EXPECT_EQ(w.Caption(), caption);
}

TEST_F(FirstRun, PictureWithTheLogo) {
  VisualStyle = 1;
  frmFirstRun& w = Open();
  w.txtMyFlash->SetText(L"C:\\users\\me\\My Documents\\My Flash\\");
  w.Show();
  SetWindowPos(w.hWnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE);
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"first-run.bmp"));
  EXPECT_EQ(w.Caption(), L"SWF.zel First Run");
}
