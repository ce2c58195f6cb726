// frmOptions: the options dialog. Five pages on a slide bar, each a frame of
// controls standing for options; the controls are filled from the option set
// when the window loads, and only Save puts them back (moving the My Flash
// folder, applying and saving the whole set). Cancel changes nothing but the
// page remembered for the next opening.
#pragma once
#include <memory>
#include <string>

#include "services/FontDialog.h"
#include "tools/settings/OptionsModel.h"
#include "tools/common/PageSelector.h"
#include "tools/common/ToolWindow.h"

namespace forms {
class Container;
class CheckBox;
class ComboBox;
class TextBox;
}  // namespace forms

namespace tools {

class frmOptions : public ToolWindow {
 public:
  static constexpr int kWidth = 460;

  frmOptions();

  // Public operations.
  void SetVisual() override;
  void InitPages();
  void ShowPage();
  void LoadOptions();
  void ApplyOptions();

  // What the controls hold now (the options loaded, for pages not shown yet).
  OptionsFields Fields() const;
  // What Save reaches beyond the option set; none puts the main window back.
  void SetHost(OptionsHost* host) { host_ = host; }
  PageSelector* Pages() const { return pages_.get(); }
  int PreviousPage = 0;

  // Event handlers.
  void OptSlideBar_Click(long index);
  void cbOK_Click();
  void cbCancel_Click();
  void cbFlash_Click();
  void cbFont_Click();

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override { pages_.reset(); }
  std::wstring HelpTopic() const override;
  void PaintContent() override;

 private:
  OptionsHost& Host();
  void BuildPage(int page);
  void ShowFields(const forms::Container* page = nullptr);  // the fields into the controls made (of one page)
  void WireValidation(forms::TextBox& from, forms::TextBox& to, forms::TextBox& quality);

  std::unique_ptr<PageSelector> pages_;
  OptionsHost* host_ = nullptr;
  OptionsFields fields_;  // the options as loaded
  StdFont font_;          // the font object of txtFont: only its face changes
};

// The program-wide instance.
frmOptions& OptionsWindow();

}  // namespace tools
