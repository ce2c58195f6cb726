// The baseline of the tool windows' benchmarks: the program's message box
// opened with a prompt and its buttons, shown and painted, then unloaded.
#pragma once
#include <string>

#include "BenchCommon.h"
#include "platform/forms/Forms.h"
#include "ui/frmMessage.h"

// Seconds from loading the box to its painted picture; second empty: one button.
inline double OpenMessageBox(const std::wstring& prompt, const std::wstring& first, const std::wstring& second,
                             const std::wstring& icon) {
  const double t0 = Now();
  frmMessage& f = MessageForm();
  f.Load();
  f.SetClientSize(frmMessage::BaseClientWidth, frmMessage::BaseClientHeight);
  f.lblPrompt->SetCaption(prompt);
  f.SetCaption(L"SWF.zel");
  f.cbFirstButton->SetCaption(first);
  if (second.empty())
    f.cbSecondButton->SetVisible(false);
  else
    f.cbSecondButton->SetCaption(second);
  f.IconName = icon;
  f.cbHelp->SetVisible(false);
  f.chkCheck->SetVisible(false);
  f.Layout();
  f.SetVisual();
  f.Show(forms::vbModeless);
  Painted(f.hWnd());
  const double t = Now() - t0;
  f.Unload();
  return t;
}
