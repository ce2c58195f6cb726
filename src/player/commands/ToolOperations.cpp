#include "player/commands/ToolOperations.h"

#include <cstdlib>

#include "base/ErrorLog.h"
#include "player/movie/PlayerNumbers.h"
#include "services/RegistryModule.h"
#include "services/ShellMod.h"

namespace player {

long DaysFromCivil(const CivilDate& date) {
  // Days from civil (proleptic Gregorian), counting years from March.
  const long y = date.Year - (date.Month <= 2 ? 1 : 0);
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (date.Month + (date.Month > 2 ? -3 : 9)) + 2) / 5 + date.Day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::optional<CivilDate> ParseMonthDayYear(const std::wstring& text) {
  long parts[3] = {};
  size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? text.find(L'-', at) : text.size();
    if (end == std::wstring::npos || end == at || end - at > 4) return std::nullopt;
    for (size_t k = at; k < end; ++k)
      if (text[k] < L'0' || text[k] > L'9') return std::nullopt;
    parts[i] = std::wcstol(text.substr(at, end - at).c_str(), nullptr, 10);
    at = end + 1;
  }
  CivilDate d{static_cast<int>(parts[2]), static_cast<int>(parts[0]), static_cast<int>(parts[1])};
  if (d.Month < 1 || d.Month > 12 || d.Day < 1 || d.Day > 31 || d.Year < 1) return std::nullopt;
  return d;
}

void WebUpdate(PlayerHost& host, bool automatic) {
  WriteLog(std::wstring(L"Checking for updates ( Automatic is ") + (automatic ? L"True" : L"False") + L" )");
  host.State().SilentCheck = automatic;
  if (automatic) {
    if (const auto last = ParseMonthDayYear(host.Opts().Update.Date)) {
      if (std::labs(DaysFromCivil(host.Today()) - DaysFromCivil(*last)) < 7) return;
    }
  }
  // Automatic: loaded without showing (it shows itself when there is an update).
  host.ShowForm(L"frmUpdate", automatic ? -1 : 0);
}

std::wstring SystemShortPath(const std::wstring& path) {
  wchar_t shortPath[240] = {};
  const DWORD n = GetShortPathNameW(path.c_str(), shortPath, 240);
  return n == 0 || n >= 240 ? std::wstring() : std::wstring(shortPath, n);
}

void SetAsSS(PlayerHost& host, const std::wstring& movie,
             const std::function<std::wstring(const std::wstring&)>& shortPath) {
  const std::wstring& program = host.State().ScreenSaverEXE;
  if (!FileExists(program)) {
    WriteLog(L"Screen saver not set: its program is missing (" + program + L")");
    return;
  }
  std::wstring systemName = shortPath ? shortPath(program) : std::wstring();
  if (systemName.empty()) systemName = program;
  SaveRegString(L"ScreenSaver", L"FileOld", GetRegString(L"ScreenSaver", L"FileName", L""));
  SaveRegString(L"ScreenSaver", L"FileName", movie);
  SaveRegString(L"Control Panel\\Desktop", L"SCRNSAVE.EXE", systemName, false);
  host.ShellOpen(program, L"config");
}

void Generate(PlayerHost& host, long width, long height, const std::wstring& source, long quality, bool overwrite) {
  GeneratorSettings g = host.Opts().Generator;
  g.Width = width;
  g.Height = height;
  g.Quality = quality;
  g.Source = source;
  g.Overwrite = overwrite;
  host.RunGenerator(g);
}

}  // namespace player
