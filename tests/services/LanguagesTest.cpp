#include <gtest/gtest.h>
#include <windows.h>

#include "base/Handles.h"
#include "services/Languages.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/Tips.h"
#include "support/TestSupport.h"

using testing_support::TempDir;
using testing_support::WriteText;

namespace {

// Puts back the language globals, the chosen language and the interface font settings.
struct LanguageState {
  testing_support::RegistryGuard registry;
  std::wstring savedLanguages = LanguagesFolder, savedMedia = MediaFolder;
  std::vector<TipInfo> savedTips = TipList;
  long savedTipCount = TipCount;
  InterfaceFont savedFont = LangFont;
  LanguageState() {
    registry.AppValue(L"System", L"Language");
    registry.AppValue(L"Window", L"FontName");
    registry.AppValue(L"Window", L"FontSize");
  }
  ~LanguageState() {
    LanguagesFolder = savedLanguages;
    MediaFolder = savedMedia;
    LanguageList.clear();
    LangCount = 0;
    CurLang = 0;
    LoadLanguage();  // back to the built-in texts
    TipList = savedTips;
    TipCount = savedTipCount;
    LangFont = savedFont;
  }
};

struct LanguageFolder : ::testing::Test {
  LanguageState state;
  TempDir dir;
  void SetUp() override {
    LanguagesFolder = dir.Path();
    MediaFolder = dir.Path();
    const std::wstring& d = dir.Path();
    WriteText(d + L"Russian.xml",
              "<LANG title=\"\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9\" langID=\"1049\">"
              "<SHARED><Z text=\"zet\"/></SHARED>"
              "<BROWSEMEDIA><STRMOVIE text=\"movie-ru\"/><REF text=\"!SHARED/Z\"/><BAD text=\"!SHARED/NONE\"/>"
              "</BROWSEMEDIA></LANG>");
    WriteText(d + L"German.xml", "<LANG title=\"Deutsch\" author=\"Zel\" langID=\"1031\"/>");
    WriteText(d + L"-Draft.xml", "<LANG title=\"Draft\" langID=\"1036\"/>");
    WriteText(d + L"NoTitle.xml", "<LANG langID=\"1040\"><X text=\"y\"/></LANG>");
    WriteText(d + L"EmptyTitle.xml", "<LANG title=\"\" langID=\"1040\"/>");
    WriteText(d + L"Broken.xml", "<LANG title=\"Broken\"><unclosed></LANG>");
    WriteText(d + L"ENGLISH.xml",
              "<LANG title=\"English (file)\" author=\"Ed\"><BROWSEMEDIA><STRMOVIE text=\"Film\"/></BROWSEMEDIA></LANG>");
    SaveRegString(L"System", L"Language", L"");
  }
  long IndexOf(const std::wstring& name) {
    for (long i = 0; i < LangCount; ++i)
      if (LanguageList[i].Name == name) return i;
    return -1;
  }
};

int CALLBACK TakeFamily(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM name) {
  *reinterpret_cast<std::wstring*>(name) = lf->lfFaceName;
  return 0;
}

std::wstring AnyInstalledFont() {
  std::wstring name;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  ScopedWindowDC screen(nullptr);
  EnumFontFamiliesExW(screen.get(), &lf, TakeFamily, reinterpret_cast<LPARAM>(&name), 0);
  return name;
}

}  // namespace

TEST_F(LanguageFolder, ListsTitledFilesAfterBuiltInEnglish) {
  EnumerateLanguages();
  ASSERT_EQ(LangCount, 3);
  ASSERT_EQ(LanguageList.size(), 3u);
  EXPECT_EQ(LanguageList[0].Name, L"English");
  EXPECT_EQ(LanguageList[0].Author, L"Ed");  // from English.xml (found ignoring case)
  EXPECT_EQ(LanguageList[0].LangID, 1033);
  EXPECT_EQ(LanguageList[1].Name, L"German");
  EXPECT_EQ(LanguageList[1].Title, L"Deutsch");
  EXPECT_EQ(LanguageList[1].Author, L"Zel");
  EXPECT_EQ(LanguageList[1].LangID, 1031);
  EXPECT_EQ(LanguageList[2].Name, L"Russian");
  EXPECT_EQ(LanguageList[2].Title, L"\u0420\u0443\u0441\u0441\u043a\u0438\u0439");
  EXPECT_EQ(LanguageList[2].Author, L".zel");
  EXPECT_EQ(LanguageList[2].Charset, RUSSIAN_CHARSET);
}

TEST_F(LanguageFolder, ChoosesSavedNameThenLocaleThenEnglish) {
  SaveRegString(L"System", L"Language", L"russian");
  EnumerateLanguages();
  EXPECT_EQ(CurLang, IndexOf(L"Russian"));
  EXPECT_EQ(FindLanguageIndex(L"Klingon", 1031), IndexOf(L"German"));
  EXPECT_EQ(FindLanguageIndex(L"", 1049), IndexOf(L"Russian"));
  EXPECT_EQ(FindLanguageIndex(L"Klingon", 9999), 0);
}

TEST_F(LanguageFolder, TextsFallBackToTheirDefaults) {
  EnumerateLanguages();
  CurLang = IndexOf(L"Russian");
  EXPECT_TRUE(LoadLanguage());
  EXPECT_EQ(LangFont.Charset, RUSSIAN_CHARSET);
  EXPECT_EQ(LangText(L"BrowseMedia/strMovie", L"Flash Movie"), L"movie-ru");
  EXPECT_EQ(LangText(L"browsemedia/REF", L"d"), L"zet");
  EXPECT_EQ(LangText(L"BrowseMedia/Bad", L"d"), L"d");
  EXPECT_EQ(LangText(L"BrowseMedia/strVideo", L"Flash Video"), L"Flash Video");

  CurLang = 0;  // English: the file beside the program overrides the built-in texts
  EXPECT_TRUE(LoadLanguage());
  EXPECT_EQ(LangText(L"BrowseMedia/strMovie", L"Flash Movie"), L"Film");

  DeleteFileW((dir.Path() + L"ENGLISH.xml").c_str());
  EXPECT_FALSE(LoadLanguage());
  EXPECT_EQ(LangText(L"BrowseMedia/strMovie", L"Flash Movie"), L"Flash Movie");
}

TEST(Languages, NoFolderLeavesOnlyEnglish) {
  LanguageState state;
  LanguagesFolder = L"C:\\no such folder\\Languages\\";
  EnumerateLanguages();
  EXPECT_EQ(LangCount, 1);
  EXPECT_EQ(CurLang, 0);
  EXPECT_EQ(LanguageList[0].Author, L".zel");
  EXPECT_FALSE(LoadLanguage());
}

TEST(Languages, CharsetsOfLocales) {
  EXPECT_EQ(CharsetFromLCID(1033), ANSI_CHARSET);
  EXPECT_EQ(CharsetFromLCID(1031), ANSI_CHARSET);
  EXPECT_EQ(CharsetFromLCID(1049), RUSSIAN_CHARSET);
  EXPECT_EQ(CharsetFromLCID(1058), RUSSIAN_CHARSET);
  EXPECT_EQ(CharsetFromLCID(1032), GREEK_CHARSET);
  EXPECT_EQ(CharsetFromLCID(0x7FFF0), 0);
}

TEST(Languages, InterfaceFontFallsBackAlongItsChain) {
  LanguageState state;
  SaveRegString(L"Window", L"FontName", L"No Such Font Zel");
  SaveRegString(L"Window", L"FontSize", L"11");
  InitLangFont();
  EXPECT_EQ(LangFont.Name, FontInstalled(L"Lucida Sans Unicode") ? L"Lucida Sans Unicode" : L"Tahoma");
  EXPECT_EQ(LangFont.Size, 11);
  const std::wstring installed = AnyInstalledFont();
  ASSERT_FALSE(installed.empty());
  SaveRegString(L"Window", L"FontName", installed);
  SaveRegString(L"Window", L"FontSize", L"huge");
  InitLangFont();
  EXPECT_EQ(LangFont.Name, installed);
  EXPECT_EQ(LangFont.Size, 8);
}

TEST(Languages, ShippedTranslationAndTips) {
  LanguageState state;
  // The shipped files, as the build stages them beside the program.
  LanguagesFolder = testing_support::ProgramDir() + L"Languages\\";
  MediaFolder = testing_support::ProgramDir() + L"Media\\";
  EnumerateLanguages();
  CurLang = FindLanguageIndex(L"German", 0);
  ASSERT_GT(CurLang, 0);
  EXPECT_EQ(LanguageList[CurLang].LangID, 1031);
  TipCount = 0;
  EXPECT_TRUE(LoadLanguageAndTips());  // the language, then its tips
  EXPECT_EQ(LangText(L"BrowseMedia/strMovie", L"Flash Movie"), L"Flash-Film");
  EXPECT_EQ(LangText(L"BrowseMedia/strVideo", L"Flash Video"), L"Flash-Video");
  EXPECT_EQ(LangText(L"BrowseMedia/strPlaylist", L"Flash Playlist"), L"Flash-Wiedergabeliste");
  EXPECT_GE(TipCount, 10);  // German falls back to the English tips
  EXPECT_EQ(TipList[0].Title, L"Open movies from Explorer");
}
