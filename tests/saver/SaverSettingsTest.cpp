// The settings window in the test's own process: translated through the
// shipped German language file like every window of the program.
#include <gtest/gtest.h>
#include <windows.h>

#include "TestSupport.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "saver/frmScreenSaver.h"
#include "services/Languages.h"
#include "services/Services.h"

TEST(SaverSettings, TheWindowFollowsTheLanguageFile) {
  const std::wstring savedFolder = LanguagesFolder;
  LanguagesFolder = testing_support::ProgramDir() + L"Languages\\";
  EnumerateLanguages();
  CurLang = FindLanguageIndex(L"German", 0);
  ASSERT_GT(CurLang, 0);
  ASSERT_TRUE(LoadLanguage());

  frmScreenSaver& form = ScreenSaverForm();
  ASSERT_TRUE(form.Load());
  EXPECT_EQ(form.Caption(), L"SWF.zel Bildschirmschoner");
  EXPECT_EQ(form.lblMovie->Caption(), L"Film des Bildschirmschoners:");
  EXPECT_EQ(form.cbBrowse->Caption(), L"Durchsuchen...");
  EXPECT_EQ(form.cbPreview->Caption(), L"Vorschau");
  EXPECT_EQ(form.cbClose->Caption(), L"Schließen");
  EXPECT_EQ(ScreenSaverMovieFilter(),
            L"Flash-Filme und -Projektoren|*.swf;*.exe|Macromedia Flash (SWF)|*.swf|Flash-Projektor|*.exe");
  form.Unload();

  CurLang = 0;
  LoadLanguage();
  LanguagesFolder = savedFolder;
}
