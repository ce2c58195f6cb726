// frmUpdate: the update check's window. By the user (Help menu) it shows at
// once and reports every outcome; at start-up it is only loaded, stays hidden
// while the feed loads, shows itself when a newer build is published and
// unloads itself silently otherwise. It shows what is new and offers the
// download, which only the Download button hands to the shell.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "base/Handles.h"
#include "tools/common/ToolWindow.h"
#include "tools/network/UpdateCheck.h"

namespace forms {
class CheckBox;
class Label;
class TextBox;
}  // namespace forms

namespace tools {

class frmUpdate : public ToolWindow {
 public:
  static constexpr int kWidth = 480, kHeight = 192, kBand = 136;

  frmUpdate();

  // Public operations.
  void SetVisual() override;
  void DetailsAvailable();
  void UpdateXML_onreadystatechange(long readyState);

  // Event handlers.
  void cbDetails_Click();
  void cbUpdate_Click();
  void cbCancel_Click();

  // Asks "Remind you about this update next time?"; true for Yes. The
  // program's question box unless replaced.
  std::function<bool(const std::wstring& prompt)> AskRemind;
  // The date a successful check stores; today unless replaced.
  std::function<std::wstring()> Today;
  // The feed's transfer limits for the next load (1 MB within 60 s unless replaced).
  download::Options FeedLimits = download::Transfer::FeedOptions();

  bool UpdateFound = false;
  bool DetailsShown = false;
  std::wstring DownloadURL;
  long NewestBuild = 0;
  // The running check (none once the window unloaded).
  const UpdateCheck* Check() const { return check_.get(); }

  forms::Label *lblStatus = nullptr, *lblNotice = nullptr, *lblSize = nullptr, *lblDetails = nullptr;
  forms::CheckBox* chkAutoUpdate = nullptr;
  forms::CommandButton *cbUpdate = nullptr, *cbDetails = nullptr, *cbCancel = nullptr;
  forms::TextBox* txtDetails = nullptr;

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"updates"; }

 private:
  void PlaceDetailsLine();
  std::wstring Text(const wchar_t* suffix, const wchar_t* english) const;

  std::unique_ptr<UpdateCheck> check_;
  ScopedBitmap glyphDown_, glyphUp_;
};

// The program-wide instance.
frmUpdate& UpdateWindow();

}  // namespace tools
