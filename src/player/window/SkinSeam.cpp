#include "player/window/SkinSeam.h"

namespace player {
namespace {
bool loaded = false;
}

SkinSeam& Skin() {
  static SkinSeam seam;
  return seam;
}

bool SkinIsLoaded() { return loaded; }
void SetSkinLoaded(bool value) { loaded = value; }

}  // namespace player
