// frmDecompiler: the resource extractor window ("Resource Extractor"). The
// user picks a destination folder and the kinds to write, and Extract runs
// ExtractResources over the window's movie (read in full, handed over by
// OpenFor and kept until the window closes) with a progress bar and
// a Stop button, then sums up what was written and offers to show it. The
// kinds and the folder are the option set's "Decompiler" settings; the Tools
// menu's item stays disabled while the window is open.
#pragma once
#include <memory>
#include <string>

#include "player/movie/PlayerHost.h"
#include "tools/movieinfo/ExtractorRun.h"
#include "tools/common/ToolWindow.h"

class SmoothProgress;
namespace forms {
class CheckBox;
class Label;
class TextBox;
}  // namespace forms

namespace tools {

class frmDecompiler : public ToolWindow {
 public:
  frmDecompiler();
  ~frmDecompiler() override;

  // Opens the window (0 modeless, 1 modal, -1 loaded only) over a movie read
  // in full; an open window takes the new movie for its next run.
  void OpenFor(const SWFInfo& movie, int mode);
  const SWFInfo& Movie() const { return movie_; }

  // The check boxes' states as settings.
  player::ExtractorSettings Kinds() const;
  bool Running() const { return running_; }
  SmoothProgress* Progress() const { return progress_.get(); }

  // What the window reaches of the main window and asks the user; none: the
  // program's own main window and message boxes.
  void SetHost(player::PlayerHost* host) { host_ = host; }
  void SetPrompts(ExtractorPrompts* prompts) { prompts_ = prompts; }

  // Event handlers.
  void txtDest_Change();
  void cbBrowse_Click();
  void cbGo_Click();
  void cbCancel_Click();
  void cbDone_Click() { Close(); }

  forms::TextBox* txtDest = nullptr;
  forms::CommandButton *cbGo = nullptr, *cbCancel = nullptr, *cbDone = nullptr;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"flash-decompiler"; }

 private:
  player::PlayerHost& Host();
  ExtractorPrompts& Prompts();
  void ShowRunning(bool running);

  std::unique_ptr<SmoothProgress> progress_;
  SWFInfo movie_;
  player::PlayerHost* host_ = nullptr;
  ExtractorPrompts* prompts_ = nullptr;
  bool stopRequested_ = false;
  bool running_ = false;
};

// The program-wide instance.
frmDecompiler& ExtractorWindow();

}  // namespace tools
