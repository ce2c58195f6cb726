#include "player/start/MyFlashFolder.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/BinaryFile.h"
#include "base/ErrorLog.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/XmlDocument.h"

namespace player {

std::wstring MyFlashDesktopIni() {
  const std::wstring label = LangText(L"frmOptions/lblMyFlash", L"My Flash Folder:");
  const std::wstring tip =
      GetXMLText(LangDoc(), L"LANG/FRMOPTIONS/TXTMYFLASH/@tooltip", L"Your default folder with Flash files");
  return L"[.ShellClassInfo]\r\n"
         L"IconFile=" + AppFolder + app::kTitle + L".exe\r\n"
         L"IconIndex=4\r\n"
         L"InfoTip=" + label + L" " + tip + L"\r\n";
}

std::vector<uint8_t> DesktopIniBytes(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), n, nullptr, 0, nullptr, &lossy);
  if (size > 0 && !lossy) {
    std::vector<uint8_t> ansi(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), n, reinterpret_cast<char*>(ansi.data()), size,
                        nullptr, &lossy);
    if (!lossy) return ansi;
  }
  std::vector<uint8_t> wide{0xFF, 0xFE};
  for (wchar_t c : text) {
    wide.push_back(static_cast<uint8_t>(c & 0xFF));
    wide.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
  }
  return wide;
}

bool MakeMyFlashFolder(const std::wstring& folder) {
  const std::wstring dir = AddBackslash(folder);
  PathMakeSystemFolderW(dir.c_str());
  const std::wstring ini = dir + L"Desktop.ini";
  // Written beside the old file first, so a failed write keeps it.
  const std::wstring temp = TempFileBeside(ini);
  const std::vector<uint8_t> bytes = DesktopIniBytes(MyFlashDesktopIni());
  if (temp.empty() || !WriteWholeFile(temp, bytes)) {
    if (!temp.empty()) DeleteFileW(temp.c_str());
    WriteLog(L"My Flash folder: Desktop.ini not written in " + dir);
    return false;
  }
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CommitTempFile(temp, ini)) {
    WriteLog(L"My Flash folder: Desktop.ini not replaced in " + dir);
    return false;
  }
  SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  return true;
}

}  // namespace player
