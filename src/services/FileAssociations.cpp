#include "services/FileAssociations.h"

#include <windows.h>
#include <shlobj.h>

#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace {

struct FileType {
  const wchar_t* ext;
  const wchar_t* prevName;     // value under "FileTypes" keeping the previous handler
  const wchar_t* descKey;      // language key of the description
  const wchar_t* descDefault;
  int iconIndex;
};

constexpr FileType kTypes[3] = {
    {L".swf", L"PrevSWF", L"BrowseMedia/strMovie", L"Flash Movie", 1},
    {L".flv", L"PrevFLV", L"BrowseMedia/strVideo", L"Flash Video", 3},
    {L".swfzel", L"PrevPL", L"BrowseMedia/strPlaylist", L"Flash Playlist", 2},
};

}  // namespace

std::wstring AssociationClass(const std::wstring& ext) { return std::wstring(app::kTitle) + ext; }

void SetFileAssociations(bool swf, bool flv, bool playlist) {
  const bool wanted[3] = {swf, flv, playlist};
  // Handlers are kept as stored (type and bytes): one written as an expandable
  // text, or as anything else, is given back exactly as it was.
  RegRawValue current[3];
  for (int i = 0; i < 3; ++i)
    current[i] = GetRegRaw(kTypes[i].ext, L"", false, HKEY_CLASSES_ROOT).value_or(RegRawFromText(L""));

  // What each extension gives back: the saved previous handler when the type is
  // ours now, else its current handler (which may have been set up by another
  // program since, and so becomes the new previous handler).
  bool changed = false;
  bool ours[3] = {};
  RegRawValue keep[3];
  for (int i = 0; i < 3; ++i) {
    const std::wstring cls = AssociationClass(kTypes[i].ext);
    ours[i] = StrEqualNoCase(RegRawText(current[i]), cls);
    if (ours[i]) {
      keep[i] = GetRegRaw(L"FileTypes", kTypes[i].prevName).value_or(RegRawFromText(L""));
      // A previous handler that names the program itself would never give the type back.
      if (StrEqualNoCase(RegRawText(keep[i]), cls)) keep[i] = RegRawFromText(L"");
      if (!wanted[i]) changed = true;  // given back
    } else {
      keep[i] = current[i];
      if (wanted[i]) changed = true;  // taken over
    }
  }
  for (int i = 0; i < 3; ++i) SaveRegRaw(L"FileTypes", kTypes[i].prevName, keep[i]);

  const std::wstring exe = AppFolder + app::kTitle + L".exe";
  for (int i = 0; i < 3; ++i) {
    if (!wanted[i]) continue;
    const std::wstring cls = AssociationClass(kTypes[i].ext);
    SaveRegString(cls, L"", LangText(kTypes[i].descKey, kTypes[i].descDefault), false, HKEY_CLASSES_ROOT);
    SaveRegString(cls + L"\\shell\\open\\command", L"", L"\"" + exe + L"\" \"%1\"", false, HKEY_CLASSES_ROOT);
    SaveRegString(cls + L"\\DefaultIcon", L"", L"\"" + exe + L"\"," + std::to_wstring(kTypes[i].iconIndex), false,
                  HKEY_CLASSES_ROOT);
  }
  // A type that is neither wanted nor ours is not written at all.
  for (int i = 0; i < 3; ++i) {
    if (wanted[i]) {
      SaveRegString(kTypes[i].ext, L"", AssociationClass(kTypes[i].ext), false, HKEY_CLASSES_ROOT);
    } else if (ours[i]) {
      SaveRegRaw(kTypes[i].ext, L"", keep[i], false, HKEY_CLASSES_ROOT);
    }
  }
  if (changed && CurrentShell().changeNotify)
    CurrentShell().changeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}
