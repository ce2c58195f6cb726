// frmFirstRun: the first-run set-up, shown modally by the start-up before the
// main window exists. The user picks the interface language, the My Flash
// folder and whether the program becomes the default player of its file
// types (OK; a folder that is no full path is refused with a message and the
// window stays), or leaves the program (Exit, or closing the window), which
// then writes nothing.
#pragma once
#include <functional>
#include <string>

#include "tools/common/ToolWindow.h"

namespace forms {
class CheckBox;
class ComboBox;
class TextBox;
}  // namespace forms

namespace tools {

class frmFirstRun : public ToolWindow {
 public:
  frmFirstRun();

  // Shows the set-up modally; true when the user went on with OK.
  bool Run();
  bool Completed() const { return completed_; }
  // Replaces the message box that refuses a folder (tests).
  std::function<void(const std::wstring& text)> ProblemBox;

  // Event handlers.
  void cmbLang_Click();
  void cbFlash_Click();
  void cbGo_Click();
  void cbExit_Click();

  forms::ComboBox* cmbLang = nullptr;
  forms::TextBox* txtMyFlash = nullptr;
  forms::CheckBox* chkDefault = nullptr;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  std::wstring HelpTopic() const override { return L"first-run"; }

 private:
  bool completed_ = false;
};

// The program-wide instance.
frmFirstRun& FirstRunWindow();

}  // namespace tools
