#include "player/window/MovieFullScreen.h"

#include <optional>
#include <utility>

#include "player/window/PostedCalls.h"

namespace player {

void AskFullScreen(PlayerHost& host, bool on) {
  PlayerState& s = host.State();
  const bool waiting = s.FullScreenAsked.has_value();
  s.FullScreenAsked = on;
  if (waiting) return;  // the call queued for this frame carries out the last request
  if (host.Checked(L"mnuFullScreen") == on) {
    s.FullScreenAsked.reset();
    return;
  }
  // The host is the main window, which outlives the message loop that runs this.
  PostCall([&host] {
    const std::optional<bool> wanted = std::exchange(host.State().FullScreenAsked, std::nullopt);
    if (wanted && host.Checked(L"mnuFullScreen") != *wanted) host.FullScreen(*wanted, false, false);
  });
}

}  // namespace player
