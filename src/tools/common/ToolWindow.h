// ToolWindow: what every tool window shares. One program-wide instance per
// window (Instance<T>), loaded afresh when opened and unloaded by its closing
// buttons, so each opening starts again from the options; a button row along
// the bottom (right to left from the right edge, the help button opening the
// window's topic); the visual style: a content band above the button row,
// the separator line at its foot and an optional header picture at (16, 16);
// and the window's texts in the current language, also again after a switch
// of language while it is open.
#pragma once
#include <string>
#include <vector>

#include "platform/forms/CommandButton.h"
#include "platform/forms/Form.h"

namespace tools {

// The one instance of a tool window class, made on first use.
template <class W>
W& Instance() {
  static W window;
  return window;
}

class ToolWindow : public forms::Form {
 public:
  static constexpr int kMargin = 12;          // between the buttons and from the right edge
  static constexpr int kButtonHeight = 26;
  static constexpr int kBottomMargin = 14;    // below the button row
  static constexpr int kBandGap = 16;         // from the band's foot to the button row

  ToolWindow(std::wstring name, forms::FormArgs design);

  // Loads the window afresh (when it is not loaded) and shows it over the
  // main window: 0 modeless, 1 modal; -1 only loads it.
  void Open(int mode);
  // Unloads the window; the next opening starts again from the options.
  void Close();
  // Repaints the window in the visual style for its current size.
  void SetVisual() override;
  // The window's texts in the current language, starting from its design texts.
  void Retranslate();
  // Translates controls made after the window's load (a page made when first
  // shown), keeping their design texts first.
  void TranslateAdded(const std::vector<forms::Control*>& added);
  // Where the content band ends: 16 pixels above the button row.
  long BandHeight() const;

 protected:
  // The window's own load, after its controls exist and its design texts are kept.
  virtual void Form_Load() {}
  // The window's own unload, while its controls still exist.
  virtual void Form_Unload() {}
  // The help topic the help button opens.
  virtual std::wstring HelpTopic() const { return L""; }
  // Paints what lies on the band after the style (pages, pictures).
  virtual void PaintContent() {}

  // A button of the bottom row; the row is placed by PlaceButtonRow.
  forms::CommandButton& AddButton(const wchar_t* name, const std::wstring& caption, int width = 90);
  // The help button: OpenHelpPage(HelpTopic()); causes no validation.
  forms::CommandButton& AddHelpButton(const std::wstring& caption = L"Help");
  // Puts the row's buttons, in the order given, against the bottom right corner.
  void PlaceButtonRow(const std::vector<forms::CommandButton*>& leftToRight);

  std::wstring HeaderPicture;  // a picture of the images folder, "" for none

 private:
  struct DesignText {
    forms::Control* control;
    std::wstring caption, toolTip;
  };
  void KeepDesignText(forms::Control* control);

  std::vector<forms::CommandButton*> row_;
  std::wstring designCaption_;  // the caption the window was designed with
  std::vector<DesignText> designTexts_;
};

}  // namespace tools
