#include "tools/ExtractorRun.h"

#include <windows.h>

#include "services/Languages.h"
#include "services/ShellMod.h"

namespace tools {
namespace {

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a file can be made in the folder (made and removed at once).
bool TakesFiles(const std::wstring& folder) {
  wchar_t probe[MAX_PATH + 16] = {};
  if (folder.size() >= MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"swz", 0, probe)) return false;
  DeleteFileW(probe);
  return true;
}

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

bool ExtractorPrompts::Summary(const std::wstring& prompt, bool offerShowFiles) {
  return Ask(prompt, L"cubes", LangText(L"Shared/Close", L"Close"),
             offerShowFiles ? LangText(L"Shared/ShowFiles", L"Show Files") : L"");
}

void KindCounters(const player::ExtractorSettings& k, int32_t (&counts)[5]) {
  const bool wanted[5] = {k.JPEG, k.PNG, k.Event, k.Stream, k.Video};
  for (int i = 0; i < 5; ++i) counts[i] = wanted[i] ? 0 : -1;
}

bool AnyKind(const player::ExtractorSettings& k) { return k.JPEG || k.PNG || k.Event || k.Stream || k.Video; }

bool IsFullFolderPath(const std::wstring& p) {
  const bool drive = p.size() >= 3 && iswalpha(p[0]) && p[0] < 128 && p[1] == L':' && IsSlash(p[2]);
  if (drive) return true;
  // "\\server\share": no device namespace ("\\?\", "\\.\"), both parts named.
  if (p.size() < 5 || !IsSlash(p[0]) || !IsSlash(p[1])) return false;
  const size_t serverEnd = p.find_first_of(L"\\/", 2);
  if (serverEnd == std::wstring::npos || serverEnd == 2) return false;
  const std::wstring server = p.substr(2, serverEnd - 2);
  if (server == L"?" || server == L".") return false;
  const size_t shareEnd = p.find_first_of(L"\\/", serverEnd + 1);
  return (shareEnd == std::wstring::npos ? p.size() : shareEnd) > serverEnd + 1;
}

Destination PrepareDestination(std::wstring& dest, ExtractorPrompts& prompts) {
  dest = AddBackslash(dest);
  auto refuse = [&prompts] {
    prompts.Ask(LangText(L"Shared/FailFolder", L"Could not create specified path. Please choose a different one"),
                L"folder", LangText(L"Shared/Ok", L"OK"), L"");
    return Destination::Refused;
  };
  // The program's current folder is its own: a relative path is never taken from it.
  if (!IsFullFolderPath(dest) || dest.find(L'\0') != std::wstring::npos) return refuse();
  if (!IsFolder(dest)) {
    const std::wstring prompt = LangText(L"Shared/Nofolder", L"Specified path does not exist:") + L"\r\n" + dest +
                                L"\r\n\r\n" + LangText(L"Shared/NeedFolder", L"Would you like it to be created?");
    if (!prompts.Ask(prompt, L"folder", LangText(L"Shared/Cancel", L"Cancel"),
                     LangText(L"Shared/MakeFolder", L"Create Folder")))
      return Destination::Cancelled;
    MakeDir(dest);
  }
  if (!IsFolder(dest) || !TakesFiles(dest)) return refuse();
  return Destination::Ready;
}

std::pair<std::wstring, bool> ExtractSummary(const int32_t (&counts)[5], const KindNames& names, bool stopped) {
  const std::wstring head =
      stopped ? LangText(L"frmDecompiler/strStopped", L"The extraction was stopped.") + L"\r\n\r\n" : L"";
  std::wstring lines;
  for (int i = 0; i < 5; ++i)
    if (counts[i] > 0) lines += L"\r\n" + names.Names[i] + L": " + std::to_wstring(counts[i]);
  if (lines.empty()) return {head + LangText(L"frmDecompiler/strNoResult", L"No resources were extracted"), false};
  return {head + LangText(L"frmDecompiler/strDone", L"The following resources were extracted:") + L"\r\n" + lines,
          true};
}

}  // namespace tools
