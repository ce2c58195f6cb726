// PageWindow: what the introduction and about windows share. A movie control
// across the top plays one of the program's own pages, fed with a document
// written afresh at every load; the page's "GOWEB" opens the web site.
#pragma once
#include <memory>
#include <string>

#include "platform/flash/control/FlashControl.h"
#include "tools/common/ToolWindow.h"

namespace tools {

class PageWindow : public ToolWindow {
 public:
  // movie: the page in the Flash folder; document: its file in the user data folder.
  PageWindow(std::wstring name, const std::wstring& caption, std::wstring movie, std::wstring document, int width,
             int height);

  flash::FlashControl* SWF() const { return swf_.get(); }
  // The document's path as last written ("" when it could not be).
  const std::wstring& DocumentPath() const { return documentPath_; }
  void SWF_FSCommand(const std::wstring& command, const std::wstring& args);

 protected:
  void CreateControls() override;
  void Form_Load() override;
  void Form_Unload() override;
  std::wstring HelpTopic() const override { return L"features-overview"; }
  // The document's text for this window.
  virtual std::wstring DocumentText() = 0;
  // Adds the window's own controls (before the button row is placed).
  virtual void AddOwnControls() {}

  int swfWidth_, swfHeight_;

 private:
  std::wstring movie_, document_, documentPath_;
  std::unique_ptr<flash::FlashControl> swf_;
};

}  // namespace tools
