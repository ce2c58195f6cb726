// The skin engine attached to the main window: the window's side of the
// skin's host interface, and the seam's functions set to the engine's load,
// layout and reset.
#pragma once

namespace player {

// Makes the main window load and lay out the skin engine's skin.
void AttachSkinEngine();

}  // namespace player
