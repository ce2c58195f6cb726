// frmMessage and ShowMessage: the program's own modal message box in its visual
// style, with a header picture of the images folder, a prompt that grows the
// dialog (a path too long for it shortened in the middle, the whole prompt
// then its tooltip), one or two buttons, an optional help button and a check
// box.
#pragma once
#include <string>

#include "platform/forms/Form.h"

namespace forms {
class CheckBox;
class CommandButton;
class Label;
}  // namespace forms

class frmMessage : public forms::Form {
 public:
  frmMessage();
  bool Answer = false;     // closed with the second button
  std::wstring IconName;   // the header picture, without ".png"
  int CheckValue = 0;      // the check box's value, kept across loads
  static constexpr int BaseClientWidth = 400;
  static constexpr int BaseClientHeight = 150;
  static constexpr int PromptHeight = 48;

  forms::Label* lblPrompt = nullptr;
  forms::CommandButton *cbFirstButton = nullptr, *cbSecondButton = nullptr, *cbHelp = nullptr;
  forms::CheckBox* chkCheck = nullptr;

  void SetVisual() override;
  void Layout();  // the button row 12 pixels above the bottom, the check box 48 above it

 protected:
  void CreateControls() override;
};

// The program's one message box.
frmMessage& MessageForm();

// Shows the message box modally over owner (whose controls are disabled
// meanwhile). An empty secondCaption shows one button, pressed by Enter and
// Escape; of two, Enter presses the second, or the first with firstIsDefault
// (a summary whose second button opens a window). An empty helpTopic shows no
// help button. check: negative hides the check box; on return the box's value
// (1 ticked, 0 not). extra is not used. True when the user chose the second
// button.
bool ShowMessage(forms::Form& owner, const std::wstring& prompt, const std::wstring& title,
                 const std::wstring& iconName, const std::wstring& firstCaption, const std::wstring& secondCaption,
                 const std::wstring& extra, const std::wstring& helpTopic, int& check, bool firstIsDefault = false);
