// What the main window asks of the skin engine, behind one seam: load the
// skin onto the window, lay it out for the window's size (setting the skin
// offsets and minimum size), and whether a skin is loaded. Without an engine
// attached the window runs in its plain form.
#pragma once
#include <functional>

namespace forms {
class Form;
}

namespace player {

struct SkinLayout {
  long SkinXOffset = 0, SkinYOffset = 0;
  long MinWidth = 0, MinHeight = 0;
};

struct SkinSeam {
  std::function<bool(forms::Form& window)> Load;               // true when a skin was loaded
  std::function<SkinLayout(forms::Form& window)> Arrange;      // after a resize
  std::function<void()> Reset;                                 // before the window unloads
};

SkinSeam& Skin();
bool SkinIsLoaded();
void SetSkinLoaded(bool loaded);

}  // namespace player
