#include "player/start/OptionSet.h"

#include <windows.h>

namespace player {

std::wstring TodayText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return std::to_wstring(now.wMonth) + L"-" + std::to_wstring(now.wDay) + L"-" + std::to_wstring(now.wYear);
}

OptionSet& Options() {
  static OptionSet options;
  return options;
}

}  // namespace player
