#include "tools/settings/FirstRunSetup.h"

#include <shlobj.h>

#include "services/FileAssociations.h"
#include "services/Languages.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "tools/movieinfo/ExtractorRun.h"
#include "tools/common/FolderRules.h"

namespace tools {

std::vector<std::wstring> LanguageEntries() {
  std::vector<std::wstring> entries;
  for (const LanguageInfo& language : LanguageList) entries.push_back(language.Name + L" - " + language.Title);
  return entries;
}

std::wstring OfferedMyFlashFolder() {
  const std::wstring documents = AddBackslash(GetSpecialFolder(CSIDL_PERSONAL)) + L"My Flash";
  return AddBackslash(GetRegString(L"Recent", L"MyFlash", documents));
}

void ChooseLanguage(long index) {
  if (index < 0 || index >= static_cast<long>(LanguageList.size())) return;
  CurLang = index;
  LoadLanguageAndTips();
}

std::wstring MyFlashFolderProblem(const std::wstring& folder) {
  return IsFullFolderPath(folder) && folder.find(L'\0') == std::wstring::npos ? L"" : NotFullPathText(folder);
}

void CompleteFirstRun(const std::wstring& folder, bool makeDefault) {
  if (makeDefault) SetFileAssociations(true, true, true);
  for (const wchar_t* type : {L"SWF", L"FLV", L"PL"}) SaveRegBool(L"FileTypes", type, makeDefault);
  SaveRegString(L"Recent", L"", folder);
  SaveRegString(L"Recent", L"MyFlash", folder);
}

}  // namespace tools
