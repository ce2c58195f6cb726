#include <gtest/gtest.h>
#include <windows.h>

#include "platform/forms/Forms.h"
#include "ui/LanguageForms.h"
#include "services/Languages.h"
#include "ui/ToolTips.h"

using namespace forms;

namespace {

// A window with the kinds of controls a translation meets.
struct TestWindow : Form {
  TestWindow() : Form(L"frmTest", [] {
                   FormArgs a;
                   a.Caption = L"Test Window";
                   return a;
                 }()) {}
  void CreateControls() override {
    CommandButtonArgs ok;
    ok.Name = L"cbOK";
    ok.Caption = L"OK";
    ok.Width = 80, ok.Height = 24;
    Add<CommandButton>(ok);
    CommandButtonArgs help = ok;
    help.Name = L"cbHelp";
    help.Caption = L"?";
    Add<CommandButton>(help);
    CommandButtonArgs arrow = ok;
    arrow.Name = L"cbArrow";
    arrow.Caption = L"4";
    arrow.UseFormFont = false;
    arrow.Font.Name = L"Marlett";
    Add<CommandButton>(arrow);

    ComboBoxArgs combo;
    combo.Name = L"cmbStyle";
    combo.Style = 2;
    combo.Width = 120, combo.Height = 24;
    ComboBox& c = Add<ComboBox>(combo);
    for (const wchar_t* item : {L"Flat", L"Gradients", L"Glassy"}) c.AddItem(item);
    c.SetListIndex(1);

    MenuArgs quality;
    quality.Name = L"mnuQuality";
    quality.Caption = L"Quality";
    Menu& parent = AddMenu(quality);
    MenuArgs level;
    level.Name = L"mnuQLvl";
    level.Parent = &parent;
    level.Index = 0;
    level.Caption = L"Low";
    AddMenu(level);
    for (int i = 1; i <= 2; ++i) {
      Menu& m = Array<Menu>(L"mnuQLvl").Load(i);
      m.SetCaption(i == 1 ? L"Medium" : L"High");
      m.SetVisible(true);
    }

    PictureBoxArgs pic;
    pic.Name = L"PIC";
    pic.Index = 0;
    pic.Tag = L"7";
    pic.Width = pic.Height = 16;
    Add<PictureBox>(pic);

    LabelArgs info;
    info.Name = L"lblInfo";
    info.Caption = L"Close";
    info.Tag = L"!SHARED/CLOSE";
    info.Width = 100, info.Height = 16;
    Add<Label>(info);
    LabelArgs missing = info;
    missing.Name = L"lblMissing";
    missing.Caption = L"Stays";
    missing.Tag = L"!SHARED/NOPE";
    Add<Label>(missing);
  }
};

const wchar_t* kTestLanguage =
    L"<LANG title=\"Test\"><SHARED><HELP tooltip=\"Hilfe\"/><CLOSE text=\"Schlie\u00dfen\"/></SHARED>"
    L"<FRMTEST title=\"Testfenster\"><CBOK text=\"Gut\" tooltip=\"Best\u00e4tigen\"/><CBARROW text=\"4\"/>"
    L"<CMBSTYLE><LIST_0 text=\"Flach\"/><LIST_2 text=\"Glas\"/></CMBSTYLE>"
    L"<MNUQLVL_2 text=\"Hoch\"/><PIC_0 text=\"no\"/><CBMISSING text=\"!SHARED/NONE\"/></FRMTEST>"
    L"<PLAYER title=\"Spieler\"/></LANG>";

struct LanguageState : ::testing::Test {
  InterfaceFont savedFont = LangFont;
  void SetUp() override {
    LangFont.Name = L"DejaVu Sans";
    LangFont.Charset = RUSSIAN_CHARSET;
    ASSERT_TRUE(LangDoc().LoadXML(kTestLanguage));
  }
  void TearDown() override {
    LangFont = savedFont;
    LangDoc().LoadXML(L"<LANG title=\"English\"/>");
  }
};

}  // namespace

TEST_F(LanguageState, ApplyLanguageTranslatesAWindow) {
  TestWindow w;
  ASSERT_TRUE(w.Load());
  ApplyLanguage(w);
  EXPECT_EQ(w.Caption(), L"Testfenster");
  EXPECT_EQ(w.Font().Name, L"DejaVu Sans");

  auto& ok = *w.Find<CommandButton>(L"cbOK");
  EXPECT_EQ(ok.Caption(), L"Gut");
  EXPECT_EQ(ok.Font().Name, L"DejaVu Sans");
  EXPECT_EQ(ok.Font().Charset, RUSSIAN_CHARSET);
  EXPECT_EQ(ok.ToolTipText(), L"");  // moved into a balloon
  EXPECT_NE(ToolTipOf(ok.hWnd()), nullptr);
  auto& help = *w.Find<CommandButton>(L"cbHelp");
  EXPECT_EQ(help.ToolTipText(), L"");
  EXPECT_NE(ToolTipOf(help.hWnd()), nullptr);
  EXPECT_EQ(w.Find<CommandButton>(L"cbArrow")->Font().Name, L"Marlett");  // a numeric caption keeps its font

  auto& combo = *w.Find<ComboBox>(L"cmbStyle");
  EXPECT_EQ(combo.List(0), L"Flach");
  EXPECT_EQ(combo.List(1), L"Gradients");
  EXPECT_EQ(combo.List(2), L"Glas");
  EXPECT_EQ(combo.ListIndex(), 1);

  EXPECT_EQ(w.FindMenu(L"mnuQLvl", 0)->Caption(), L"Low");
  EXPECT_EQ(w.FindMenu(L"mnuQLvl", 2)->Caption(), L"Hoch");
  EXPECT_EQ(w.Find<PictureBox>(L"PIC", 0)->Tag(), L"7");
  EXPECT_EQ(w.Find<Label>(L"lblInfo")->Caption(), L"Schlie\u00dfen");
  EXPECT_EQ(w.Find<Label>(L"lblMissing")->Caption(), L"Stays");
  w.Unload();
}

TEST_F(LanguageState, MainWindowAndTaggedWindowCaptions) {
  TestWindow w;
  ASSERT_TRUE(w.Load());
  ApplyLanguage(w, L"Player");  // the main window's caption belongs to its movie
  EXPECT_EQ(w.Caption(), L"Test Window");
  w.SetTag(L"!SHARED/CLOSE");
  ApplyLanguage(w);
  EXPECT_EQ(w.Caption(), L"Schlie\u00dfen");
  w.Unload();
}

namespace {

struct PlayerMenus : Form {
  PlayerMenus() : Form(L"Player") {}
  void CreateControls() override {
    MenuArgs view;
    view.Name = L"mnuView";
    view.Caption = L"View";
    Menu& v = AddMenu(view);
    MenuArgs sep;
    sep.Name = L"mnuSepLang";
    sep.Caption = L"-";
    sep.Parent = &v;
    sep.Visible = false;
    AddMenu(sep);
    MenuArgs lang;
    lang.Name = L"mnuLang";
    lang.Caption = L"Language";
    lang.Parent = &v;
    lang.Visible = false;
    Menu& l = AddMenu(lang);
    MenuArgs item;
    item.Name = L"mnuLangList";
    item.Index = 0;
    item.Caption = L"[ No Languages ]";
    item.Parent = &l;
    AddMenu(item);
  }
};

}  // namespace

TEST(LanguageMenu, FillsOneItemPerLanguage) {
  auto savedList = LanguageList;
  long savedCount = LangCount, savedCur = CurLang;
  PlayerMenus p;
  ASSERT_TRUE(p.Load());
  auto& items = p.Array<Menu>(L"mnuLangList");

  LanguageList = {{L"English", L".zel", L"English", 1033, 0}};
  LangCount = 1;
  CurLang = 0;
  FillLanguageMenu(p);
  EXPECT_FALSE(p.FindMenu(L"mnuLang")->Visible());
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(items[0].Caption(), L"[ No Languages ]");

  LanguageList = {{L"English", L".zel", L"English", 1033, 0},
                  {L"Deutsch", L".zel", L"German", 1031, 0},
                  {L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439", L".zel", L"Russian", 1049, 204}};
  LangCount = 3;
  CurLang = 2;
  FillLanguageMenu(p);
  EXPECT_TRUE(p.FindMenu(L"mnuLang")->Visible());
  EXPECT_TRUE(p.FindMenu(L"mnuSepLang")->Visible());
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(items[0].Caption(), L"English - English");
  EXPECT_EQ(items[1].Caption(), L"German - Deutsch");
  EXPECT_EQ(items[2].Caption(), L"Russian - \u0420\u0443\u0441\u0441\u043a\u0438\u0439");
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(items[i].Visible());
    EXPECT_EQ(items[i].Checked(), i == 2);
  }
  EXPECT_EQ(GetMenuItemCount(items[0].OwnerMenu()), 3);

  CurLang = 1;  // chosen again: the menu is built anew, not added to
  FillLanguageMenu(p);
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(GetMenuItemCount(items[0].OwnerMenu()), 3);
  EXPECT_TRUE(items[1].Checked());
  EXPECT_FALSE(items[2].Checked());

  LanguageList.resize(1);
  LangCount = 1;
  CurLang = 0;
  FillLanguageMenu(p);
  EXPECT_FALSE(p.FindMenu(L"mnuLang")->Visible());
  EXPECT_EQ(items.Count(), 1);
  p.Unload();
  LanguageList = savedList;
  LangCount = savedCount;
  CurLang = savedCur;
}

TEST(LanguageForms, CaptionNumbers) {
  using language_forms::CaptionNumber;
  EXPECT_EQ(CaptionNumber(L"4"), 4);
  EXPECT_EQ(CaptionNumber(L" -2.5x"), -2.5);
  EXPECT_EQ(CaptionNumber(L"Info"), 0);  // not "inf"
  EXPECT_EQ(CaptionNumber(L"?"), 0);
}
