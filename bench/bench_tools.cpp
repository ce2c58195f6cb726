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
#include "BenchMessageBox.h"
#include "platform/forms/Forms.h"
#include "services/Services.h"
#include "tools/settings/frmOptions.h"
#include "ui/DrawingModule.h"
#include "ui/frmMessage.h"

namespace {

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

// The baseline: the program's message box with a prompt of the same kind.
double OpenMessage() { return OpenMessageBox(L"The folder could not be created. Please choose another one.", L"Cancel", L"OK", L"question"); }

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
