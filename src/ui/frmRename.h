// frmRename and AskNewName: the one-line box in which the user gives a file a
// new name. A name that could not be a file name in the same folder (a path
// separator or another reserved character, a control character, a trailing dot
// or blank) is refused with the reason and the box stays open; an empty or
// blank name counts as Cancel.
#pragma once
#include <string>

#include "platform/forms/Form.h"

namespace forms {
class CommandButton;
class Label;
class TextBox;
}  // namespace forms

class frmRename : public forms::Form {
 public:
  frmRename();
  std::wstring InputText;  // shown when the box opens; the result after it closed

  forms::Label* lblPrompt = nullptr;
  forms::TextBox* txtInput = nullptr;
  forms::CommandButton *cbOK = nullptr, *cbCancel = nullptr;

  void SetVisual() override;

 protected:
  void CreateControls() override;

 private:
  void Confirm();
};

frmRename& RenameForm();

// Why name can't be a file's new name in its folder, "" when it can.
std::wstring RenameProblem(const std::wstring& name);

// The name the user confirmed, "" after Cancel (or an empty name), startText
// when the box was closed another way.
std::wstring AskNewName(const std::wstring& startText);
