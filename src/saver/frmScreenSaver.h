// frmScreenSaver: the screen saver's settings. The recorded movie's path in a
// read-only box; "Browse..." picks a movie or projector with the Open dialog
// and records it (the only place the screen saver writes the registry);
// "Preview" runs full screen with it; "Close" ends. Translated through the
// language file by its name.
#pragma once
#include <windows.h>

#include <string>

#include "platform/forms/Form.h"

namespace forms {
class CommandButton;
class Label;
class TextBox;
}  // namespace forms

class frmScreenSaver : public forms::Form {
 public:
  frmScreenSaver();

  forms::Label* lblMovie = nullptr;
  forms::TextBox* txtMovie = nullptr;
  forms::CommandButton *cbBrowse = nullptr, *cbPreview = nullptr, *cbClose = nullptr;

  void SetVisual() override;

 protected:
  void CreateControls() override;

 private:
  void Browse();
  void Preview();
};

frmScreenSaver& ScreenSaverForm();

// The Open dialog's filter: movies and projectors, then each kind alone.
std::wstring ScreenSaverMovieFilter();

// Shows the settings modally, owned by owner (may be null); returns when closed.
void ShowScreenSaverSettings(HWND owner);
