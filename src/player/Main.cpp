// Program entry. The start-up sequence grows with the main window; for now the
// program sets up its folders and log, reads the movie it was given and shows
// what it found.
#include <windows.h>

#include <string>

#include "moviefiles/SWFInfo.h"
#include "moviefiles/SWFModule.h"
#include "services/AppIdentity.h"
#include "services/ShellMod.h"
#include "services/Services.h"
#include "services/XmlDocument.h"

namespace {

std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L".\\";
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return GetFolderPart(path);
}

// The command line's first path: double quotes keep blanks.
std::wstring FirstPath(const wchar_t* cmdLine) {
  std::wstring text = cmdLine ? cmdLine : L"";
  size_t i = text.find_first_not_of(L' ');
  if (i == std::wstring::npos) return L"";
  if (text[i] == L'"') {
    size_t end = text.find(L'"', i + 1);
    return text.substr(i + 1, end == std::wstring::npos ? std::wstring::npos : end - i - 1);
  }
  return text.substr(i, text.find(L' ', i) - i);
}

std::wstring Describe(const std::wstring& file) {
  if (file.empty()) return L"No movie was given.";
  std::wstring error = GetSWFInfo(file, CurrentSWFInfo, false);
  if (!error.empty()) return file + L"\n\n" + error;
  const SWFInfo& m = CurrentSWFInfo;
  std::wstring text = m.FileTitle + L"\n\n";
  if (!m.Title.empty()) text += m.Title + L"\n";
  text += std::to_wstring(m.Width) + L" x " + std::to_wstring(m.Height) + L" pixels, " +
          std::to_wstring(m.FrameCount) + (m.FrameCount == 1 ? L" frame, " : L" frames, ") + FramesToTime(m.FrameCount, m.FrameRate) + L"\n";
  if (!m.IsFLV) text += L"Flash version " + std::to_wstring(m.Version) + L", background #" + m.BackColor + L"\n";
  return text;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmdLine, int) {
  RunningCompiled = IsCompiled();
  EnsureCom();
  InitServices(ProgramFolder(), app::kLogName);
  std::wstring text = std::wstring(app::kVersionText) + L"\n\n" + Describe(FirstPath(cmdLine));
  MessageBoxW(nullptr, text.c_str(), app::kTitle, MB_OK | MB_ICONINFORMATION);
  return 0;
}
