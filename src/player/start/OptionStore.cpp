#include "player/start/OptionStore.h"

#include <cmath>

#include "player/start/OptionTable.h"
#include "services/AppIdentity.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace player {

void ReadOptionSet(OptionSet& o, const std::wstring& today) {
  for (const OptionRow& row : OptionTable())
    if (row.Read == OptionRead::Load) ReadOptionRow(row, o);

  // Values whose defaults come from others, or from where the program is.
  o.MyFlashFolder = AddBackslash(o.MyFlashFolder);
  for (std::wstring* folder : {&o.CurrentFolder, &o.Generator.Source, &o.Decompiler.Destination})
    if (folder->empty()) *folder = o.MyFlashFolder;
  if (o.ScreenSaverEXE.empty()) o.ScreenSaverEXE = AppFolder + app::kScreenSaverFile;
  if (o.Update.Date.empty()) {
    o.Update.Date = today;
    SaveRegString(L"Update", L"Date", o.Update.Date);
  }
}

void WriteOptionSet(OptionSet& o) {
  // Seconds of use add up over every save: what was saved, plus the ticks
  // since (0.3 s each, to the nearest second, halves to even).
  o.UsageSeconds += static_cast<long>(std::nearbyint(static_cast<double>(o.PlayTicks) * 0.3));
  o.PlayTicks = 0;
  for (const OptionRow& row : OptionTable())
    if (row.Written) WriteOptionRow(row, o);
}

}  // namespace player
