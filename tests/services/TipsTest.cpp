#include <gtest/gtest.h>
#include <windows.h>

#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteText;

namespace {

struct TipsFolder : ::testing::Test {
  TempDir dir;
  std::wstring savedMedia = MediaFolder;
  std::vector<LanguageInfo> savedList = LanguageList;
  long savedCur = CurLang;
  std::vector<TipInfo> savedTips = TipList;
  long savedTipCount = TipCount;
  void SetUp() override {
    MediaFolder = dir.Path();
    CreateDirectoryW((dir.Path() + L"Tips").c_str(), nullptr);
    CreateDirectoryW((dir.Path() + L"Images").c_str(), nullptr);
    WriteText(dir.Path() + L"Images\\ok.png", "png");
    WriteText(dir.Path() + L"Tips\\English.xml",
              "<TIPS><TIP title=\"One\" type=\"trick\" icon=\"Images/ok\" link=\"Go\" action=\"Player.BrowseMedia\" "
              "help=\"browse\">First text</TIP><TIP title=\"Two\" type=\"Trick\" icon=\"Images/missing\">Second</TIP>"
              "<TIP title=\"Three\">Third</TIP></TIPS>");
    WriteText(dir.Path() + L"Tips\\German.xml", "<TIPS><TIP title=\"Eins\">Erster</TIP></TIPS>");
    WriteText(dir.Path() + L"Tips\\Russian.xml", "<TIPS><TIP title=\"R1\">r</TIP><TIP title=\"R2\">r</TIP></TIPS>");
    LanguageList = {{L"English", L".zel", L"English", 1033, 0},
                    {L"Deutsch", L".zel", L"German", 1031, 0},
                    {L"Ukrainian", L".zel", L"Ukrainian", 1058, 204},
                    {L"Italiano", L".zel", L"Italian", 1040, 0}};
    LangCount = 4;
  }
  void TearDown() override {
    MediaFolder = savedMedia;
    LanguageList = savedList;
    LangCount = static_cast<long>(savedList.size());
    CurLang = savedCur;
    TipList = savedTips;
    TipCount = savedTipCount;
  }
  std::wstring FirstTitle() { return TipCount > 0 ? TipList[0].Title : L""; }
};

}  // namespace

TEST_F(TipsFolder, LoadsTheLanguagesTipsOrAFallback) {
  CurLang = 0;
  ASSERT_TRUE(LoadTips());
  ASSERT_EQ(TipCount, 3);
  EXPECT_EQ(TipList.size(), 4u);
  const TipInfo& t = TipList[0];
  EXPECT_EQ(t.Title, L"One");
  EXPECT_EQ(t.Text, L"First text");
  EXPECT_EQ(t.Kind, 1);
  EXPECT_EQ(t.Icon, L"Images/ok");
  EXPECT_EQ(t.Link, L"Go");
  EXPECT_EQ(t.Action, L"Player.BrowseMedia");
  EXPECT_EQ(t.Help, L"browse");
  EXPECT_EQ(TipList[1].Kind, 0);            // "Trick" is another word
  EXPECT_EQ(TipList[1].Icon, L"Skin/tip");  // its image is missing
  EXPECT_EQ(TipList[2].Icon, L"Skin/tip");  // no icon at all
  EXPECT_EQ(TipTitleCaption(1), L"2. Two");

  CurLang = 1;
  ASSERT_TRUE(LoadTips());
  EXPECT_EQ(FirstTitle(), L"Eins");
  CurLang = 2;  // Ukrainian without tips of its own
  ASSERT_TRUE(LoadTips());
  EXPECT_EQ(FirstTitle(), L"R1");
  CurLang = 3;  // Italian without tips
  ASSERT_TRUE(LoadTips());
  EXPECT_EQ(FirstTitle(), L"One");
}

TEST_F(TipsFolder, BadFilesKeepThePreviousTips) {
  CurLang = 0;
  ASSERT_TRUE(LoadTips());
  WriteText(dir.Path() + L"Tips\\German.xml", "<TIPS><TIP title=\"Eins\">broken</TIPS>");
  CurLang = 1;
  EXPECT_FALSE(LoadTips());
  EXPECT_EQ(TipCount, 3);
  EXPECT_EQ(FirstTitle(), L"One");
  WriteText(dir.Path() + L"Tips\\German.xml", "<TIPS/>");
  EXPECT_FALSE(LoadTips());
  EXPECT_EQ(FirstTitle(), L"One");

  for (int i = 0; i < 50; ++i) {
    long pick = PickRandomTip();
    EXPECT_GE(pick, 0);
    EXPECT_LT(pick, TipCount);
  }
}

TEST(Tips, PanelLayout) {
  TipPanelLayout l = LayoutTipPanel(200, 6, 16, 40, 14, true);
  EXPECT_EQ(l.Title.Left, 28);
  EXPECT_EQ(l.Title.Width, 164);
  EXPECT_EQ(l.Text.Top, 6 + 16 + 8);
  EXPECT_EQ(l.Text.Width, 184);
  EXPECT_EQ(l.Link.Top, 30 + 40 + 8);
  EXPECT_EQ(l.PanelHeight, 78 + 14 + 8);
  EXPECT_EQ(l.TopBand.Height, 26);
  EXPECT_EQ(l.BottomBand.Top, 92);
  EXPECT_EQ(l.BottomBand.Height, 8);

  l = LayoutTipPanel(200, 6, 16, 40, 14, false);  // no link line: the panel ends 8 pixels below the text
  EXPECT_FALSE(l.LinkVisible);
  EXPECT_EQ(l.PanelHeight, 30 + 40 + 8);
}

TEST(Tips, HelpAndWebAddresses) {
  std::vector<std::wstring> opened;
  CurrentShell().open = [&](const std::wstring& file, const std::wstring& verb) -> intptr_t {
    EXPECT_EQ(verb, L"open");
    opened.push_back(file);
    return 42;
  };
  const std::wstring host = app::kWebHost;
  OpenHelpPage(L"thumbnail-generator");
  OpenHelpPage(L"");
  ResetShellSeam();
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"http://" + host + L"/help/thumbnail-generator.html",
                                               L"http://" + host + L"/help/"}));

  EXPECT_EQ(GetWebSiteURL(), L"http://" + host + L"/");
  auto withWebText = [](const std::string& text) {
    LangDoc().LoadXML(L"<LANG title=\"T\"><PLAYER><MNUWEB text=\"" + std::wstring(text.begin(), text.end()) +
                      L"\"/></PLAYER></LANG>");
    return GetWebSiteURL();
  };
  EXPECT_EQ(withWebText("mirror.example.org"), L"http://mirror.example.org/");
  EXPECT_EQ(withWebText("10.0.0.7:8080"), L"http://10.0.0.7:8080/");
  for (const char* bad : {"Web Site", "Webseite", "http://evil.example/x", "evil.example/x", "a.example:0",
                          "a.example:99999", "300.1.1.1", "1.2.3", "-a.example", "a..example"}) {
    EXPECT_EQ(withWebText(bad), L"http://" + host + L"/") << bad;
  }
  LangDoc().LoadXML(L"");  // not XML: back to an empty document
}
