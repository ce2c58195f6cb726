// Tool windows benchmark: opening the options dialog (load with its slide
// bar of five pages and the page shown made, the options filled in, styled,
// shown and painted, then unloaded)
// against opening the program's message box the same way, interleaved in
// one run; medians of several rounds after one warm-up each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "platform/forms/Forms.h"
#include "services/Services.h"
#include "tools/frmOptions.h"
#include "ui/DrawingModule.h"
#include "ui/frmMessage.h"

namespace {

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1);
}

// Makes the window paint itself and its children now.
void Painted(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  GdiFlush();
}

double OpenOptions() {
  const double t0 = Now();
  tools::frmOptions& w = tools::OptionsWindow();
  w.Load();
  w.Show(forms::vbModeless);
  Painted(w.hWnd());
  const double t = Now() - t0;
  w.Close();
  return t;
}

double OpenMessage() {
  const double t0 = Now();
  frmMessage& f = MessageForm();
  f.Load();
  f.SetClientSize(frmMessage::BaseClientWidth, frmMessage::BaseClientHeight);
  f.lblPrompt->SetCaption(L"The folder could not be created. Please choose another one.");
  f.SetCaption(L"SWF.zel");
  f.cbFirstButton->SetCaption(L"Cancel");
  f.cbSecondButton->SetCaption(L"OK");
  f.IconName = L"question";
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

}  // namespace

int main() {
  ImagesFolder = ProgramFolder() + L"Media\\Images\\";
  VisualStyle = 1;
  const int rounds = 15;
  std::vector<double> options, message;
  OpenOptions();
  OpenMessage();
  for (int i = 0; i < rounds; ++i) {
    options.push_back(OpenOptions());
    message.push_back(OpenMessage());
  }
  if (tools::OptionsWindow().IsLoaded() || MessageForm().IsLoaded()) {
    std::printf("a window did not unload\n");
    return 1;
  }
  const double o = Median(options) * 1000, m = Median(message) * 1000;
  std::printf("Opening a window, shown and painted, median of %d rounds:\n", rounds);
  std::printf("| window | ms | ratio |\n|---|---|---|\n");
  std::printf("| message box (frmMessage) | %.1f | baseline |\n", m);
  std::printf("| options dialog (frmOptions: slide bar of five pages, the page shown) | %.1f | %.2fx |\n", o, o / m);
  return 0;
}
