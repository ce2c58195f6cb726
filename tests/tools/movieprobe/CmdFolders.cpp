// Probe command: folders [AppPath] — sets up the folders as start-up does
// (for the probe's own folder unless a path is given) and prints each one.
// The probe keeps a log of its own: a running program's log stays as it is.
#include <windows.h>

#include "Probe.h"
#include "services/AppIdentity.h"
#include "services/Services.h"

namespace {

std::wstring ProbeFolder() {
  std::wstring path(MAX_PATH, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path.substr(0, path.rfind(L'\\') + 1);
}

int Folders(const probe::Args& args) {
  if (args.size() > 1) return probe::Fail(L"usage: movieprobe folders [AppPath]");
  InitServices(args.empty() ? ProbeFolder() : args[0], std::wstring(app::kLogName) + L" Probe");
  const std::pair<const wchar_t*, const std::wstring*> folders[] = {
      {L"AppFolder", &AppFolder},           {L"MediaFolder", &MediaFolder},
      {L"BinaryFolder", &BinaryFolder},     {L"FlashFolder", &FlashFolder},
      {L"ImagesFolder", &ImagesFolder},     {L"MenusFolder", &MenusFolder},
      {L"GadgetsFolder", &GadgetsFolder},   {L"SkinFolder", &SkinFolder},
      {L"LanguagesFolder", &LanguagesFolder}, {L"UserDataFolder", &UserDataFolder},
      {L"UserSkinFolder", &UserSkinFolder}, {L"CacheFolder", &CacheFolder},
      {L"LogFile", &LogFile}};
  for (const auto& [name, value] : folders) probe::Out(name, *value);
  return 0;
}

probe::ProbeCommand reg(L"folders", L"[AppPath]", Folders);

}  // namespace
