// The introduction and about windows: the documents they write (their
// elements, the overview of the features, the information text with and
// without a language's credits), the page commands that open the web site,
// the introduction's check box, and the windows' pictures with their page
// text drawn (the overview down the introduction's page).
#include <gtest/gtest.h>
#include <windows.h>

#include "FormsTestSupport.h"
#include "ToolsTestSupport.h"
#include "platform/forms/Forms.h"
#include "services/AppIdentity.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "services/XmlDocument.h"
#include "tools/pages/PageDocuments.h"
#include "tools/pages/frmAbout.h"
#include "tools/pages/frmIntro.h"

using namespace tools;
using testing_support::TempDir;

namespace {

class Pages : public ::testing::Test {
 protected:
  void SetUp() override {
    UserDataFolder = temp.Path();
    FlashFolder = testing_support::ProgramDir() + L"Media\\Flash\\";
    CurrentShell().open = [this](const std::wstring& file, const std::wstring& verb) -> intptr_t {
      opened.push_back(verb + L" " + file);
      return 33;
    };
  }
  void TearDown() override {
    IntroWindow().Close();
    AboutWindow().Close();
    ResetShellSeam();
    UserDataFolder = data_;
    FlashFolder = flash_;
  }
  // The element names under the root, in order, and the root's name.
  static std::vector<std::wstring> Elements(const std::wstring& path, std::wstring& root) {
    XmlDocument doc;
    EXPECT_TRUE(doc.Load(path)) << path;
    std::vector<std::wstring> names;
    root = doc.Root().NodeName();
    for (const XmlNode& n : doc.Root().ChildNodes()) names.push_back(n.NodeName());
    return names;
  }

  tools_test::ProgramState state;
  TempDir temp;
  std::vector<std::wstring> opened;
  std::wstring data_ = UserDataFolder, flash_ = FlashFolder;
};

// Writes a language file with the root's attributes given and makes it the current one.
void UseLanguage(const std::wstring& folder, const std::string& rootAttributes) {
  testing_support::WriteText(folder + L"Test.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><LANG title=\"Test\" "
                                                   "langID=\"1033\" " + rootAttributes + "></LANG>");
  LanguagesFolder = folder;
  EnumerateLanguages();
  for (size_t i = 0; i < LanguageList.size(); ++i)
    if (LanguageList[i].Name == L"Test") CurLang = static_cast<long>(i);
  LoadLanguageAndTips();
}

}  // namespace

TEST_F(Pages, TheWindowsWriteTheirDocumentsWithTheFontTheInformationAndTheSupport) {
  LangFont.Name = L"Tahoma";
  IntroWindow().Open(-1);
  std::wstring root;
  EXPECT_EQ(Elements(temp.File(L"intro.xml"), root), (std::vector<std::wstring>{L"FONT", L"INFO", L"SUPPORT"}));
  EXPECT_EQ(root, L"INTRO");
  XmlDocument intro;
  ASSERT_TRUE(intro.Load(temp.File(L"intro.xml")));
  const std::wstring overview = GetXMLText(intro, L"INTRO/INFO", L"");
  for (const wchar_t* feature : {L"<B>Play:</B> Flash movies 4 to 8 with their scripts", L"<B>Browse:</B>",
                                 L"<B>Playlists:</B>", L"<B>Get Info:</B>", L"<B>Thumbnails:</B>", L"<B>Extract:</B>",
                                 L"<B>Desktop:</B>", L"<B>Your way:</B>"})
    EXPECT_NE(overview.find(feature), std::wstring::npos) << feature;
  AboutWindow().Open(-1);
  EXPECT_EQ(Elements(temp.File(L"about.xml"), root), (std::vector<std::wstring>{L"FONT", L"INFO", L"SUPPORT"}));
  EXPECT_EQ(root, L"ABOUT");
  XmlDocument about;
  ASSERT_TRUE(about.Load(temp.File(L"about.xml")));
  EXPECT_EQ(GetXMLText(about, L"ABOUT/FONT", L""), L"Tahoma");
  const std::wstring info = GetXMLText(about, L"ABOUT/INFO", L"");
  EXPECT_EQ(info.rfind(L"<B><FONT size=\"14\">SWF.zel " + GetAppVersion().substr(8), 0), 0u) << info;
  // The program's own movie control and the movies it plays; no other vendor's player.
  EXPECT_NE(info.find(L" | Divur Ozazir and Tools<BR>Movie control: SWF.zel's own, playing Flash movies of versions "
                      L"4 to 8 with their scripts<BR><BR>"),
            std::wstring::npos)
      << info;
  for (const wchar_t* other : {L"Powered", L"Adobe", L"32"}) EXPECT_EQ(info.find(other), std::wstring::npos) << other;
  const std::wstring support = GetXMLText(about, L"ABOUT/SUPPORT", L"");
  EXPECT_NE(support.find(L"mailto:"), std::wstring::npos);
  EXPECT_NE(support.find(L"Web Site: " + std::wstring(app::kWebHost)), std::wstring::npos) << support;
  // The page movie was given the document.
  ASSERT_NE(AboutWindow().SWF(), nullptr);
  EXPECT_EQ(AboutWindow().SWF()->GetVariable(L"myXML"), temp.File(L"about.xml"));
}

TEST_F(Pages, ALanguagesCreditsFollowTheVersionLineAndNothingWithoutThem) {
  for (const auto& [attributes, tail] :
       {std::pair{std::string("credits=\"Thanks to X\""), std::wstring(L"<BR><BR>Thanks to X<BR><BR>")},
        std::pair{std::string(), std::wstring(L"scripts<BR><BR>")}}) {
    UseLanguage(temp.Path(), attributes);
    const std::wstring info = InfoText();
    EXPECT_EQ(info.substr(info.size() - tail.size()), tail) << info;
  }
}

TEST_F(Pages, GoWebInAnyCaseOpensTheWebSiteAndTheIntroductionsBoxSetsTheStartUpOption) {
  player::Options().Intro = true;
  frmIntro& w = IntroWindow();
  w.Open(-1);
  EXPECT_EQ(w.chkIntro->Value(), forms::vbChecked);
  w.lblShow_Click();
  EXPECT_FALSE(player::Options().Intro);
  w.chkIntro->SetValue(forms::vbChecked);
  EXPECT_TRUE(player::Options().Intro);

  AboutWindow().Open(-1);
  for (const wchar_t* command : {L"goweb", L"GOWEB", L"OTHER"}) AboutWindow().SWF_FSCommand(command, L"ignored");
  w.SWF_FSCommand(L"GoWeb", L"");
  const std::wstring site = L"open " + GetWebSiteURL();
  EXPECT_EQ(opened, (std::vector<std::wstring>{site, site, site}));
}

TEST_F(Pages, PicturesOfTheWindowsWithTheirPageText) {
  for (auto [window, picture] : {std::pair<PageWindow*, const wchar_t*>{&IntroWindow(), L"intro.bmp"},
                                 std::pair<PageWindow*, const wchar_t*>{&AboutWindow(), L"about.bmp"}}) {
    window->Open(0);
    HWND page = window->SWF()->hWnd();
    // The page's text is drawn: dark pixels on its white stage, the
    // introduction's down to its links below the overview.
    const int bottom = window == &IntroWindow() ? 230 : 120;
    auto dark = [&](int top, int end) {
      HDC dc = GetDC(page);
      int count = 0;
      for (int y = top; y < end; y += 2)
        for (int x = 0; x < 300; x += 2) count += GetRValue(GetPixel(dc, x, y)) < 100;
      ReleaseDC(page, dc);
      return count;
    };
    auto drawn = [&] { return dark(0, 120) > 20 && dark(bottom - 60, bottom) > 20; };
    EXPECT_TRUE(forms_test::PumpUntil(drawn, 5000)) << picture;
    EXPECT_GT(dark(0, 120), 20) << picture;
    EXPECT_GT(dark(bottom - 60, bottom), 20) << picture;
    EXPECT_TRUE(tools_test::SavePicture(window->hWnd(), picture));
    window->Close();
  }
}
