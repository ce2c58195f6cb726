// frmGenerator: the thumbnail generator's window. Two pages of settings on a
// slide bar (the source and the thumbnails' size, colour and quality; the
// watermark, overwriting, the preview, the index and a program to launch),
// each control editing the generator's settings in the option set at once; a
// preview box, a progress bar in the source's place and a Stop button in the
// Close button's place while a run goes on (when the controls, disabled,
// show the settings the run keeps). Shown modeless; the script's Generate
// runs it without the user.
#pragma once
#include <memory>
#include <string>

#include "tools/thumbnails/GeneratorRun.h"
#include "tools/common/PageSelector.h"
#include "tools/thumbnails/SnapshotThumbnails.h"
#include "tools/common/ToolWindow.h"

class SmoothProgress;
namespace forms {
class CheckBox;
class ComboBox;
class Label;
class OptionButton;
class PictureBox;
class TextBox;
}  // namespace forms

namespace tools {

class frmGenerator : public ToolWindow, private GeneratorHost {
 public:
  static constexpr int kWidth = 480;

  frmGenerator();

  // Public operations.
  void SetVisual() override;
  void CancelBut(bool running);
  void InitPages();
  void ShowPage();
  // The script's run: the settings given become the generator's and go into
  // the controls, the window is shown, the run goes without summary and the
  // window is closed. Refused, changing nothing, while a run goes on.
  void Generate(const player::GeneratorSettings& settings);

  bool AutoMode = false;  // the current run was started by Generate
  int PreviousPage = 0, CurrentPage = 0;
  PageSelector* Pages() const { return pages_.get(); }
  GeneratorRun& Run() { return run_; }
  SnapshotThumbnails& Maker() { return maker_; }
  const GeneratorOutcome& LastOutcome() const { return outcome_; }
  SmoothProgress* Progress() const { return progress_.get(); }
  // Replaces the summary box (tests): the text and whether Show Files was offered; true asks for them.
  std::function<bool(const std::wstring& text, bool offerShowFiles)> SummaryBox;

  // Event handlers.
  void OptSlideBar_Click(long index);
  void cbBrowse_Click();
  void cbBrowseApp_Click();
  void cbWatermark_Click();
  void cbGo_Click();
  void cbCancel_Click();
  void cbDone_Click();
  void optSize_Click();
  void chkColor_Click();
  void chkExecute_Click();
  void chkWatermark_Click();
  void txtSource_Change();

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override;
  void PaintContent() override;

 private:
  // GeneratorHost.
  void Stage(const std::wstring& text) override;
  void Current(const std::wstring& file) override;
  void Status(double fraction) override;
  bool Launch(const std::wstring& program) override;
  bool Summary(const std::wstring& text, bool offerShowFiles) override;
  void Explore(const std::wstring& folder) override;
  void Problem(const std::wstring& text) override;
  std::wstring PlayingMovie() override;

  void BuildPage(int page);
  void ShowSettings();  // the settings into the controls
  void ShowPreview(const cDIBSection& picture);
  void SetRunning(bool running);
  template <class T>
  T& Get(const wchar_t* name) const;

  std::unique_ptr<PageSelector> pages_;
  std::unique_ptr<SmoothProgress> progress_;
  SnapshotThumbnails maker_;
  GeneratorRun run_;
  GeneratorOutcome outcome_;
  std::wstring keptSource_;  // the source label's caption during a run
  bool closeAfterRun_ = false;
};

// The program-wide instance.
frmGenerator& GeneratorWindow();

}  // namespace tools
