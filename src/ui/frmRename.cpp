#include "ui/frmRename.h"

#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/TextBox.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/Window.h"

namespace {

const wchar_t kTitle[] = L"Rename";

forms::FormArgs RenameDesign() { return forms::FixedDialogArgs(kTitle, 360, 150); }

const wchar_t kPrompt[] = L"Enter the new name:";

}  // namespace

frmRename::frmRename() : Form(L"frmRename", RenameDesign()) {}

frmRename& RenameForm() {
  static frmRename form;
  return form;
}

std::wstring RenameProblem(const std::wstring& name) {
  if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos)
    return LangText(L"frmRename/BadCharacter", L"A name cannot contain any of these characters: \\ / : * ? \" < > |");
  for (wchar_t c : name)
    if (c < 32) return LangText(L"frmRename/ControlCharacter", L"A name cannot contain control characters.");
  if (!name.empty() && (name.back() == L'.' || name.back() == L' '))
    return LangText(L"frmRename/BadEnd", L"A name cannot end in a dot or a blank.");
  return L"";
}

void frmRename::CreateControls() {
  auto prompt = forms::Placed<forms::LabelArgs>(L"lblPrompt", 80, 20, 264, 32);
  prompt.Caption = kPrompt;
  prompt.BackStyle = 0;
  prompt.WordWrap = true;
  lblPrompt = &Add<forms::Label>(prompt);
  auto input = forms::Placed<forms::TextBoxArgs>(L"txtInput", 80, 60, 264, 22);
  txtInput = &Add<forms::TextBox>(input);
  auto ok = forms::Placed<forms::CommandButtonArgs>(L"cbOK", 136, 116, 100, 26);
  ok.Caption = L"OK";
  ok.Default = true;
  cbOK = &Add<forms::CommandButton>(ok);
  auto cancel = forms::Placed<forms::CommandButtonArgs>(L"cbCancel", 244, 116, 100, 26);
  cancel.Caption = L"Cancel";
  cancel.Cancel = true;
  cbCancel = &Add<forms::CommandButton>(cancel);

  cbOK->OnClick = [this] { Confirm(); };
  cbCancel->OnClick = [this] {
    InputText.clear();
    Unload();
  };
  OnLoad = [this] {
    SetCaption(kTitle);  // the caption outlives an unload: the design's is translated again
    ApplyLanguage(*this);
    SetVisual();
    txtInput->SetText(InputText);
    txtInput->SetSel(0, static_cast<int>(InputText.size()));
  };
  OnActivate = [this] { txtInput->SetFocus(); };
}

void frmRename::Confirm() {
  const std::wstring text = txtInput->Text();
  if (text.find_first_not_of(L' ') == std::wstring::npos) {  // nothing given: as Cancel
    InputText.clear();
    Unload();
    return;
  }
  const std::wstring problem = RenameProblem(text);
  if (!problem.empty()) {
    lblPrompt->SetCaption(problem);
    txtInput->SetFocus();
    txtInput->SetSel(0, static_cast<int>(text.size()));
    return;
  }
  InputText = text;
  Unload();
}

void frmRename::SetVisual() {
  StyleForm(*this, 108, false);
  DrawSeparatorLine(*this, 108);
  DrawPNG(ImagesFolder + L"edit", hDC(), 16, 16, false);
  Refresh();
}

std::wstring AskNewName(const std::wstring& startText) {
  frmRename& f = RenameForm();
  f.InputText = startText;
  ShowForm(f, forms::vbModal);
  if (f.IsLoaded()) f.Unload();
  return f.InputText;
}
