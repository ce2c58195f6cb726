#include "player/window/Shutdown.h"

#include <algorithm>
#include <vector>

#include "platform/forms/Form.h"

namespace player {
namespace {

template <class F>
void Step(F&& f) {
  try {
    f();
  } catch (...) {
    // a step that fails does not keep the program from quitting
  }
}

}  // namespace

void RunQuit(QuitSteps& s, const std::wstring& reason, bool save) {
  const bool ready = s.WindowReady();
  if (ready) Step([&] { s.HideWindow(); });
  if (save && ready) Step([&] { s.ClearPlaylist(); });
  Step([&] { s.ReleaseHooks(); });
  if (save) Step([&] { s.SaveOptions(); });
  // The screen saver goes back to how it was whenever the options switched it.
  if (s.OptionsLoaded()) Step([&] { s.RestoreScreenSaver(); });
  Step([&] { s.ClearCache(); });
  if (s.FirstInstance()) Step([&] { s.ResetInstanceHandle(); });
  Step([&] { s.SetNoFaultBoxes(); });
  Step([&] { s.MarkNotReady(); });
  Step([&] { s.UnloadWindows(); });
  Step([&] { s.LogQuit(reason); });
}

int UnloadAllForms() {
  int unloaded = 0;
  // A snapshot, last loaded first; a form unloaded meanwhile by another's
  // unloading (an owned window) is skipped.
  const std::vector<forms::Form*> snapshot = forms::LoadedForms();
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    const auto& now = forms::LoadedForms();
    if (std::find(now.begin(), now.end(), *it) == now.end()) continue;
    if ((*it)->Unload(forms::vbFormCode)) ++unloaded;
  }
  return unloaded;
}

}  // namespace player
