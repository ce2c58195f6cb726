#include "ui/frmMessage.h"

#include <algorithm>

#include "platform/forms/CheckBox.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "services/Services.h"
#include "services/Tips.h"
#include "ui/DrawingModule.h"
#include "ui/FitText.h"
#include "ui/LanguageForms.h"
#include "ui/Window.h"

namespace {

forms::FormArgs MessageDesign() {
  return forms::FixedDialogArgs(L"Message", frmMessage::BaseClientWidth, frmMessage::BaseClientHeight);
}

}  // namespace

frmMessage::frmMessage() : Form(L"frmMessage", MessageDesign()) {}

frmMessage& MessageForm() {
  static frmMessage form;
  return form;
}

void frmMessage::CreateControls() {
  auto prompt = forms::Placed<forms::LabelArgs>(L"lblPrompt", 80, 16, 304, PromptHeight);
  prompt.BackStyle = 0;
  prompt.AutoSize = true;
  prompt.WordWrap = true;
  prompt.UseMnemonic = false;  // "&" in a file name is shown as it is
  lblPrompt = &Add<forms::Label>(prompt);
  auto check = forms::Placed<forms::CheckBoxArgs>(L"chkCheck", 80, 72, 304, 20);
  check.Caption = L"Do not show this message again";
  chkCheck = &Add<forms::CheckBox>(check);
  auto help = forms::Placed<forms::CommandButtonArgs>(L"cbHelp", 12, 112, 32, 26);
  help.Caption = L"?";
  cbHelp = &Add<forms::CommandButton>(help);
  auto first = forms::Placed<forms::CommandButtonArgs>(L"cbFirstButton", 176, 112, 100, 26);
  first.Caption = L"Cancel";
  first.Cancel = true;
  cbFirstButton = &Add<forms::CommandButton>(first);
  auto second = forms::Placed<forms::CommandButtonArgs>(L"cbSecondButton", 284, 112, 100, 26);
  second.Caption = L"OK";
  second.Default = true;
  cbSecondButton = &Add<forms::CommandButton>(second);

  cbFirstButton->OnClick = [this] {
    Answer = false;
    Unload();
  };
  cbSecondButton->OnClick = [this] {
    Answer = true;
    Unload();
  };
  cbHelp->OnClick = [this] { OpenHelpPage(cbHelp->Tag()); };
  chkCheck->SetValue(CheckValue);
  chkCheck->OnClick = [this] { CheckValue = chkCheck->Value(); };
  OnResize = [this] { Layout(); };
  OnUnload = [this](bool&) {
    if (chkCheck) CheckValue = chkCheck->Value();
  };
  OnLoad = [this] { ApplyLanguage(*this); };
}

void frmMessage::Layout() {
  if (!cbFirstButton) return;
  const int top = ScaleHeight() - cbFirstButton->Height() - 12;
  for (forms::Control* b : {static_cast<forms::Control*>(cbFirstButton), static_cast<forms::Control*>(cbSecondButton),
                            static_cast<forms::Control*>(cbHelp)})
    b->SetTop(top);
  chkCheck->SetTop(top - 48);
}

void frmMessage::SetVisual() {
  const long footerY = cbFirstButton->Top() - 16;
  StyleForm(*this, footerY, false);
  DrawSeparatorLine(*this, footerY);
  DrawPNG(ImagesFolder + IconName, hDC(), 16, 16, false);
  Refresh();
}

bool ShowMessage(forms::Form& owner, const std::wstring& prompt, const std::wstring& title,
                 const std::wstring& iconName, const std::wstring& firstCaption, const std::wstring& secondCaption,
                 const std::wstring&, const std::wstring& helpTopic, int& check, bool firstIsDefault) {
  frmMessage& f = MessageForm();
  f.Answer = false;
  f.Load();
  f.SetClientSize(frmMessage::BaseClientWidth, frmMessage::BaseClientHeight);
  bool shortened = false;
  f.lblPrompt->SetCaption(FitPathLines(*f.lblPrompt, prompt, f.lblPrompt->Width(), &shortened));
  f.lblPrompt->SetToolTipText(shortened ? prompt : L"");
  f.SetCaption(title);
  f.cbFirstButton->SetCaption(firstCaption);
  f.cbSecondButton->SetCaption(secondCaption);
  f.IconName = iconName;
  f.cbHelp->SetTag(helpTopic);
  f.cbHelp->SetVisible(!helpTopic.empty());
  f.chkCheck->SetVisible(check >= 0);
  // A long prompt pushes the button row down.
  const int grow = f.lblPrompt->Height() - frmMessage::PromptHeight;
  if (grow > 0) f.SetClientSize(frmMessage::BaseClientWidth, frmMessage::BaseClientHeight + grow);
  f.Layout();
  f.SetVisual();
  const bool oneButton = secondCaption.empty();
  f.cbSecondButton->SetVisible(!oneButton);
  f.cbSecondButton->SetDefault(!oneButton && !firstIsDefault);
  f.cbFirstButton->SetDefault(oneButton || firstIsDefault);
  f.cbFirstButton->SetCancel(true);
  EnableAllControls(owner, true);
  ShowForm(f, forms::vbModal);
  EnableAllControls(owner, false);
  if (f.IsLoaded()) f.Unload();
  check = f.CheckValue;
  return f.Answer;
}
