#include "ToolsTestSupport.h"

#include "FormsTestSupport.h"
#include "player/start/OptionStore.h"
#include "services/Options.h"
#include "services/Services.h"
#include "services/Tips.h"
#include "ui/DrawingModule.h"
#include "ui/SlideBar.h"

namespace tools_test {
ProgramState::ProgramState()
    : options_(player::Options()),
      oneInstance_(OneInstance),
      genericProjectors_(GenericProjectors),
      visualStyle_(VisualStyle),
      font_(LangFont),
      curLang_(CurLang),
      appFolder_(AppFolder),
      images_(ImagesFolder),
      languages_(LanguagesFolder),
      screenShots_(ScreenShotsFolder) {
  ImagesFolder = testing_support::ProgramDir() + L"Media\\Images\\";
  LanguagesFolder = testing_support::ProgramDir() + L"Languages\\";
  AppFolder = testing_support::ProgramDir();
}

ProgramState::~ProgramState() {
  player::Options() = options_;
  OneInstance = oneInstance_;
  GenericProjectors = genericProjectors_;
  VisualStyle = visualStyle_;
  LangFont = font_;
  AppFolder = appFolder_;
  ImagesFolder = images_;
  LanguagesFolder = languages_;
  ScreenShotsFolder = screenShots_;
  if (CurLang != curLang_) {
    CurLang = curLang_;
    LoadLanguageAndTips();
  }
}

void RecordingHost::SaveOpts() {
  calls.push_back(L"SaveOpts");
  player::OptionSet& o = player::Options();
  o.FontName = LangFont.Name;
  o.FontSize = LangFont.Size;
  player::WriteOptionSet(o);
}

std::optional<RegRawValue> Stored(const std::wstring& section, const std::wstring& name) {
  return GetRegRaw(section, name);
}

bool AnyStored(std::initializer_list<const wchar_t*> values) {
  for (const wchar_t* value : values) {
    const std::wstring path = value;
    const size_t slash = path.find(L'\\');
    if (Stored(path.substr(0, slash), path.substr(slash + 1))) return true;
  }
  return false;
}

std::wstring ClassesRoot(const std::wstring& key) { return GetRegString(key, L"", L"?", false, HKEY_CLASSES_ROOT); }

bool SavePicture(HWND window, const std::wstring& name) {
  return forms_test::SaveWindowShot(window, testing_support::ProgramDir() + name);
}

bool PumpUntilStill(HWND window, const SlideBar& pages) {
  return forms_test::PumpUntil([&] { return !pages.Animating() && !pages.Sliding(); }) &&
         forms_test::PumpUntilSettled(window);
}

}  // namespace tools_test
