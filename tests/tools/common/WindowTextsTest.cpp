// Every window's texts in English and in the shipped German: each caption
// fits its control, the German file gives every caption, tooltip, list item
// and page of the windows and every item of the main window's menus a text
// of its own, and every text the code asks for by a fixed key has an entry.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <map>
#include <regex>
#include <set>

#include "FormsTestSupport.h"
#include "LoopbackServer.h"
#include "ToolsTestSupport.h"
#include "base/TextConv.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/OptionButton.h"
#include "player/commands/PlayerMenus.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "tools/pages/PageDocuments.h"
#include "tools/pages/frmAbout.h"
#include "tools/movieinfo/frmDecompiler.h"
#include "tools/desktop/frmDesktop.h"
#include "tools/network/frmDownload.h"
#include "tools/favorites/frmFavorites.h"
#include "tools/settings/frmFirstRun.h"
#include "tools/thumbnails/frmGenerator.h"
#include "tools/movieinfo/frmInfo.h"
#include "tools/pages/frmIntro.h"
#include "tools/settings/frmOptions.h"
#include "tools/thumbnails/frmShot.h"
#include "tools/network/frmUpdate.h"
#include "ui/DrawingModule.h"
#include "ui/FitText.h"
#include "ui/LanguageForms.h"
#include "ui/frmMessage.h"
#include "ui/frmRename.h"

using namespace tools;

namespace {

// A window opened for the check, every page of it made; closed by close.
struct WindowCase {
  const char* name;
  std::function<forms::Form&()> open;
  std::function<void()> close;
  std::vector<std::wstring> pages;  // the slide bar's captions
};

template <class W>
std::function<void()> Closer(W& window) {
  return [&window] { window.Close(); };
}

std::vector<std::wstring> PageCaptions(PageSelector* pages) {
  std::vector<std::wstring> captions;
  for (int i = 0; pages && i < pages->Count(); ++i) captions.push_back(pages->Bar().ItemCaption(i));
  return captions;
}

std::vector<WindowCase> Windows() {
  return {
      {"options",
       [] () -> forms::Form& {
         frmOptions& w = OptionsWindow();
         w.Load();
         for (int i = 0; i < w.Pages()->Count(); ++i) w.Pages()->Show(i);
         return w;
       },
       Closer(OptionsWindow())},
      {"generator", [] () -> forms::Form& { GeneratorWindow().Load(); return GeneratorWindow(); }, Closer(GeneratorWindow())},
      {"first run", [] () -> forms::Form& { FirstRunWindow().Load(); return FirstRunWindow(); }, Closer(FirstRunWindow())},
      {"download", [] () -> forms::Form& { DownloadWindow().Load(); return DownloadWindow(); }, Closer(DownloadWindow())},
      {"update", [] () -> forms::Form& { UpdateWindow().Load(); return UpdateWindow(); }, Closer(UpdateWindow())},
      {"info", [] () -> forms::Form& { InfoWindow().Load(); return InfoWindow(); }, Closer(InfoWindow())},
      {"extractor", [] () -> forms::Form& { ExtractorWindow().Load(); return ExtractorWindow(); },
       Closer(ExtractorWindow())},
      {"favourites", [] () -> forms::Form& { FavoritesWindow().Load(); return FavoritesWindow(); },
       Closer(FavoritesWindow())},
      {"desktop", [] () -> forms::Form& { DesktopWindow().Load(); return DesktopWindow(); }, Closer(DesktopWindow())},
      {"intro", [] () -> forms::Form& { IntroWindow().Load(); return IntroWindow(); }, Closer(IntroWindow())},
      {"about", [] () -> forms::Form& { AboutWindow().Load(); return AboutWindow(); }, Closer(AboutWindow())},
      {"thumbnails", [] () -> forms::Form& { ShotWindow().Load(); return ShotWindow(); }, Closer(ShotWindow())},
      {"message", [] () -> forms::Form& { MessageForm().Load(); return MessageForm(); },
       [] { MessageForm().Unload(); }},
      {"rename", [] () -> forms::Form& { RenameForm().Load(); return RenameForm(); }, [] { RenameForm().Unload(); }},
  };
}

// What a window shows, by control ("name" or "name_index"): its caption,
// tooltip and list items; and the window's caption and page captions.
struct WindowTexts {
  std::wstring caption;
  std::vector<std::wstring> pages;
  std::map<std::wstring, std::vector<std::wstring>> controls;
};

std::wstring ControlKey(const forms::Control& c) {
  return c.IsArrayElement() ? c.Name() + L"_" + std::to_wstring(c.Index()) : c.Name();
}

WindowTexts TextsOf(forms::Form& w, PageSelector* pages) {
  WindowTexts t;
  t.caption = w.Caption();
  t.pages = PageCaptions(pages);
  for (forms::Control* c : w.Controls()) {
    std::vector<std::wstring>& texts = t.controls[ControlKey(*c)];
    texts.push_back(c->HasCaption() ? c->Caption() : L"");
    texts.push_back(c->ToolTipText());
    if (auto* combo = dynamic_cast<forms::ComboBox*>(c))
      for (int i = 0; i < combo->ListCount(); ++i) texts.push_back(combo->List(i));
  }
  return t;
}

PageSelector* PagesOf(const WindowCase& c) {
  if (std::string(c.name) == "options") return OptionsWindow().Pages();
  if (std::string(c.name) == "generator") return GeneratorWindow().Pages();
  return nullptr;
}

// A text a translation may leave as it is: no word in it, or a word both languages share.
bool SameInBothLanguages(const std::wstring& text) {
  static const std::set<std::wstring> shared = {L"OK",     L"Video", L"Audio",   L"Details", L"Version:",
                                                L"System", L"Info",  L"Bitrate:", L"SWF.zel", L"Video Sorenson H.263",
                                                L"(hex)",  L"px",    L"&Browser", L"Zoruv Uredare"};
  if (shared.count(text)) return true;
  int letters = 0;
  for (wchar_t ch : text) letters += std::iswalpha(ch) ? 1 : 0;
  return letters < 2;
}

// A shipped language ("" the built-in English), its file as the program loads
// it; with a server given, its web site is that server (the update window's
// check then stays on the machine).
void UseLanguage(const std::wstring& name, const testing_support::LoopbackServer* server = nullptr) {
  EnumerateLanguages();
  CurLang = FindLanguageIndex(name, 0);
  ASSERT_EQ(LanguageList[static_cast<size_t>(CurLang)].Name, name.empty() ? LanguageList[0].Name : name);
  LoadLanguageAndTips();
  if (!server) return;
  std::wstring text = L"<LANG title=\"English\" langID=\"1033\"><PLAYER></PLAYER></LANG>";
  if (!name.empty()) {
    const std::vector<uint8_t> bytes = testing_support::ReadBytes(LanguagesFolder + name + L".xml");
    text = Utf8ToWide(std::string(bytes.begin(), bytes.end()));
    text.erase(0, text.find(L"<LANG"));  // the declaration names the bytes' encoding
  }
  const size_t player = text.find(L"<PLAYER>") + 8;
  text.insert(player, L"<MNUWEB text=\"127.0.0.1:" + std::to_wstring(server->Port()) + L"\"/>");
  ASSERT_TRUE(LangDoc().LoadXML(text));
}

class WindowTexts_ : public ::testing::Test {
 protected:
  void SetUp() override {
    CurrentShell().open = [](const std::wstring&, const std::wstring&) -> intptr_t { return 33; };
  }
  void TearDown() override { ResetShellSeam(); }
  // Each window opened in the language, its texts read, closed.
  std::map<std::string, WindowTexts> ReadAll(const std::wstring& language, const std::function<void(forms::Form&)>& each) {
    UseLanguage(language, &server);
    std::map<std::string, WindowTexts> all;
    for (const WindowCase& c : Windows()) {
      forms::Form& w = c.open();
      if (each) each(w);
      all[c.name] = TextsOf(w, PagesOf(c));
      c.close();
    }
    return all;
  }

  tools_test::ProgramState state;
  testing_support::LoopbackServer server;
};

}  // namespace

TEST_F(WindowTexts_, EveryCaptionFitsItsControlInEnglishAndInGerman) {
  std::vector<std::string> cut;
  auto check = [&cut](forms::Form& w) {
    for (forms::Control* c : w.Controls()) {
      if (!c->HasCaption() || c->Caption().empty()) continue;
      std::wstring text = c->Caption();
      std::erase(text, L'&');
      const std::string where = WideToUtf8(w.Name() + L"." + ControlKey(*c) + L" \"" + text + L"\"");
      if (auto* label = dynamic_cast<forms::Label*>(c)) {
        // Labels wrap at words: a text taller than the label is cut.
        if (!label->AutoSize() && WrappedHeightIn(*c, c->Caption(), c->Width()) > c->Height())
          cut.push_back(where + " (" + std::to_string(TextSizeIn(*c, text).cx) + " px wide) is taller than " +
                        std::to_string(c->Width()) + " x " + std::to_string(c->Height()) + " px");
      } else if (dynamic_cast<forms::CheckBox*>(c) || dynamic_cast<forms::OptionButton*>(c)) {
        const int room = c->Width() - GetSystemMetrics(SM_CXMENUCHECK) - 6;
        if (TextSizeIn(*c, text).cx > room)
          cut.push_back(where + " (" + std::to_string(TextSizeIn(*c, text).cx) + " px) is wider than " +
                        std::to_string(room) + " px");
      } else if (dynamic_cast<forms::CommandButton*>(c)) {
        if (TextSizeIn(*c, text).cx > c->Width() - 8) cut.push_back(where + " is wider than its button");
      }
    }
  };
  for (const wchar_t* language : {L"", L"German"}) ReadAll(language, check);
  EXPECT_TRUE(cut.empty()) << [&] {
    std::string all;
    for (const std::string& c : cut) all += "\n  " + c;
    return all;
  }();
}

TEST_F(WindowTexts_, TheGermanFileGivesEveryWindowItsOwnTexts) {
  const std::map<std::string, WindowTexts> english = ReadAll(L"", nullptr);
  const std::map<std::string, WindowTexts> german = ReadAll(L"German", nullptr);
  std::vector<std::string> untranslated;
  auto compareText = [&](const std::string& where, const std::wstring& en, const std::wstring& de) {
    if (!en.empty() && en == de && !SameInBothLanguages(en)) untranslated.push_back(where + " \"" + WideToUtf8(en) + "\"");
  };
  // Texts the program sets each time: the message box's title and buttons, the languages' names.
  const std::set<std::string> given = {"message caption", "message.cbFirstButton", "message.cbSecondButton",
                                       "first run.cmbLang item"};
  auto compare = [&](const std::string& where, const std::wstring& en, const std::wstring& de) {
    if (!given.count(where)) compareText(where, en, de);
  };
  for (const auto& [window, en] : english) {
    const WindowTexts& de = german.at(window);
    compare(window + " caption", en.caption, de.caption);
    for (size_t i = 0; i < en.pages.size() && i < de.pages.size(); ++i)
      compare(window + " page " + std::to_string(i), en.pages[i], de.pages[i]);
    for (const auto& [control, texts] : en.controls) {
      const auto found = de.controls.find(control);
      if (found == de.controls.end()) continue;
      for (size_t i = 0; i < texts.size() && i < found->second.size(); ++i)
        compare(window + "." + WideToUtf8(control) + (i == 1 ? " tooltip" : i > 1 ? " item" : ""), texts[i],
                found->second[i]);
    }
  }
  EXPECT_TRUE(untranslated.empty()) << [&] {
    std::string all;
    for (const std::string& u : untranslated) all += "\n  " + u;
    return all;
  }();
}

TEST_F(WindowTexts_, TheGermanFileGivesEveryMenuItemItsOwnText) {
  UseLanguage(L"German");
  std::vector<std::string> missing;
  std::function<void(const std::vector<forms::MenuArgs>&)> walk = [&](const std::vector<forms::MenuArgs>& items) {
    for (const forms::MenuArgs& m : items) {
      // The pop-up menus' holders never show; the web site and the languages are named by the program.
      static const std::set<std::wstring> named = {L"PopUp", L"PupItem", L"mnuWeb", L"mnuLangList"};
      if (m.Caption != L"-" && !SameInBothLanguages(m.Caption) && !named.count(m.Name)) {
        std::wstring key = language_forms::StartsWithBang(m.Tag) ? m.Tag.substr(1) : L"PLAYER/" + m.Name;
        if (m.Index >= 0 && !language_forms::StartsWithBang(m.Tag)) key += L"_" + std::to_wstring(m.Index);
        if (GetXMLText(LangDoc(), L"LANG/" + UpperInvariant(key) + L"/@text", L"").empty())
          missing.push_back(WideToUtf8(key + L" \"" + m.Caption + L"\""));
      }
      walk(m.Items);
    }
  };
  walk(player::PlayerMenuDesign());
  EXPECT_TRUE(missing.empty()) << [&] {
    std::string all;
    for (const std::string& m : missing) all += "\n  " + m;
    return all;
  }();
}

TEST_F(WindowTexts_, EveryTextTheCodeAsksForByAFixedKeyIsInTheGermanFile) {
  UseLanguage(L"German");
  wchar_t root[MAX_PATH] = L"";
  ASSERT_GT(GetEnvironmentVariableW(L"SWFZEL_SOURCE_DIR", root, MAX_PATH), 0u);
  // LangText(L"Section/key", L"English"), LangText(Name() + L"/key", L"English")
  // in a window's own file, and a file's helper that puts "Section/" before its
  // keys. (A default that is no text of its own, an address say, needs none.)
  const std::wregex fixed(LR"re(LangText\(\s*L"([A-Za-z]+/[A-Za-z_0-9]+)",\s*L"[^"])re");
  const std::wregex own(LR"re(LangText\(\s*Name\(\)\s*\+\s*L"/([A-Za-z_0-9]+)",\s*L"[^"])re");
  const std::wregex prefix(LR"re(LangText\(\s*std::wstring\(L"([A-Za-z]+)/"\)\s*\+\s*key)re");
  const std::wregex helper(LR"re(\bText\(L"([A-Za-z_0-9]+)\")re");
  std::set<std::wstring> keys;
  std::function<void(const std::wstring&)> scan = [&](const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        scan(folder + name + L"\\");
        continue;
      }
      if (name.size() < 4 || name.substr(name.size() - 4) != L".cpp") continue;
      const std::vector<uint8_t> bytes = testing_support::ReadBytes(folder + name);
      const std::wstring text = Utf8ToWide(std::string(bytes.begin(), bytes.end()));
      const std::wstring form = name.substr(0, name.size() - 4);
      for (std::wsregex_iterator m(text.begin(), text.end(), fixed), end; m != end; ++m) keys.insert((*m)[1]);
      if (form.rfind(L"frm", 0) == 0)
        for (std::wsregex_iterator m(text.begin(), text.end(), own), end; m != end; ++m)
          keys.insert(form + L"/" + (*m)[1].str());
      std::wsmatch section;
      if (std::regex_search(text, section, prefix))
        for (std::wsregex_iterator m(text.begin(), text.end(), helper), end; m != end; ++m)
          keys.insert(section[1].str() + L"/" + (*m)[1].str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  };
  scan(std::wstring(root) + L"\\src\\");
  ASSERT_GT(keys.size(), 60u);
  std::vector<std::string> missing;
  for (const std::wstring& key : keys)
    if (LangText(key, L"\x1") == L"\x1") missing.push_back(WideToUtf8(key));
  EXPECT_TRUE(missing.empty()) << [&] {
    std::string all;
    for (const std::string& m : missing) all += "\n  " + m;
    return all;
  }();
}

TEST_F(WindowTexts_, TheFeatureOverviewAndTheAboutLineInGerman) {
  UseLanguage(L"German");
  const std::wstring overview = OverviewText();
  for (const wchar_t* english : {L"Play:", L"Browse:", L"Playlists:", L"Thumbnails:", L"Extract:", L"Your way:",
                                 L"What SWF.zel does"})
    EXPECT_EQ(overview.find(english), std::wstring::npos) << WideToUtf8(english);
  EXPECT_EQ(InfoText().find(L"Movie control"), std::wstring::npos);
  EXPECT_NE(InfoText().find(L"4"), std::wstring::npos);
}

TEST_F(WindowTexts_, PictureOfTheFirstOptionsPageInGerman) {
  UseLanguage(L"German");
  VisualStyle = 1;
  player::Options().OptionsPage = 0;
  frmOptions& w = OptionsWindow();
  w.Open(0);
  SetWindowPos(w.hWnd(), HWND_TOPMOST, 40, 40, 0, 0, SWP_NOSIZE);
  SlideBar& bar = w.Pages()->Bar();
  EXPECT_TRUE(forms_test::PumpUntil([&] { return !bar.Animating() && !bar.Sliding(); }));
  const forms::Control* quit = w.FindControl(L"lblQuit");
  ASSERT_NE(quit, nullptr);
  EXPECT_EQ(quit->Caption(), L"Aufr\x00E4umen beim Beenden:");
  EXPECT_TRUE(tools_test::SavePicture(w.hWnd(), L"options-german.bmp"));
  w.Close();
}
