#include "tools/movieinfo/ExtractorRun.h"

#include <windows.h>

#include "moviefiles/MoviePaths.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "tools/common/FolderRules.h"

namespace tools {
namespace {

// The longest destination taken, with its trailing "\": the folder must leave
// room for the names of the files written into it.
constexpr size_t kMaxDestination = MAX_PATH - 14;

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether a file can be made in the folder (made and removed at once).
bool TakesFiles(const std::wstring& folder) {
  wchar_t probe[MAX_PATH + 16] = {};
  if (folder.size() >= kMaxDestination || !GetTempFileNameW(folder.c_str(), L"swz", 0, probe)) return false;
  DeleteFileW(probe);
  return true;
}

bool IsSlash(wchar_t c) { return c == L'\\' || c == L'/'; }

// A character no folder name takes (a colon only after the drive letter).
bool HasForbiddenCharacter(const std::wstring& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    const wchar_t c = path[i];
    if (c < 32 || wcschr(L"*?\"<>|", c) || (c == L':' && i != 1)) return true;
  }
  return false;
}

// The folder without its trailing "\" (a drive's root keeps it).
std::wstring WithoutSlash(const std::wstring& folder) {
  return folder.size() > 3 && IsSlash(folder.back()) ? folder.substr(0, folder.size() - 1) : folder;
}

std::wstring SystemReason(DWORD code) {
  wchar_t* buffer = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = buffer ? buffer : L"";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && iswspace(text.back())) text.pop_back();
  return text;
}

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
  auto refuse = [&prompts](const std::wstring& key, const std::wstring& text, const std::wstring& path) {
    prompts.Ask(LangText(L"Shared/" + key, text) + L"\r\n" + path, L"folder", LangText(L"Shared/Ok", L"OK"), L"");
    return Destination::Refused;
  };
  // Every cause is found before anything is made. The program's current
  // folder is its own: a relative path is never taken from it.
  if (!IsFullFolderPath(dest) || dest.find(L'\0') != std::wstring::npos) {
    prompts.Ask(NotFullPathText(dest), L"folder", LangText(L"Shared/Ok", L"OK"), L"");
    return Destination::Refused;
  }
  if (HasForbiddenCharacter(dest))
    return refuse(L"BadName", L"A folder name cannot contain any of the characters : * ? \" < > |", dest);
  dest = AddBackslash(FullPath(dest));
  if (dest.size() >= kMaxDestination)
    return refuse(L"LongPath", L"Specified path is too long. Please choose a shorter one:", dest);
  if (FileExists(WithoutSlash(dest)))
    return refuse(L"NotFolder", L"Specified path is a file, not a folder:", WithoutSlash(dest));
  bool made = false;
  if (!IsFolder(dest)) {
    const std::wstring parent = GetFolderPart(WithoutSlash(dest));
    if (!IsFolder(parent))
      return refuse(L"NoParent", L"Specified path cannot be created: the folder that would hold it does not exist:",
                    parent);
    const std::wstring prompt = LangText(L"Shared/Nofolder", L"Specified path does not exist:") + L"\r\n" + dest +
                                L"\r\n\r\n" + LangText(L"Shared/NeedFolder", L"Would you like it to be created?");
    if (!prompts.Ask(prompt, L"folder", LangText(L"Shared/Cancel", L"Cancel"),
                     LangText(L"Shared/MakeFolder", L"Create Folder")))
      return Destination::Cancelled;
    if (!CreateDirectoryW(dest.c_str(), nullptr)) {
      const std::wstring reason = SystemReason(GetLastError());
      return refuse(L"FailFolder", L"Could not create specified path. Please choose a different one",
                    dest + (reason.empty() ? L"" : L"\r\n\r\n" + reason));
    }
    made = true;
  }
  if (!TakesFiles(dest)) {
    if (made) RemoveDirectoryW(dest.c_str());
    return refuse(L"NoWrite", L"Files cannot be written to this folder. Please choose a different one:", dest);
  }
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
