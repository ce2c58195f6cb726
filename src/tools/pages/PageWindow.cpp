#include "tools/pages/PageWindow.h"

#include "services/Services.h"
#include "services/ShellMod.h"
#include "tools/pages/PageDocuments.h"
#include "ui/LanguageForms.h"

namespace tools {
namespace {

constexpr int kNarrowButton = 76;

// The page's height plus the gap, the button row and the margin below it.
forms::FormArgs PageDesign(const std::wstring& caption, int width, int height) {
  return forms::FixedDialogArgs(
      caption, width, height + ToolWindow::kBandGap + ToolWindow::kButtonHeight + ToolWindow::kBottomMargin);
}

}  // namespace

PageWindow::PageWindow(std::wstring name, const std::wstring& caption, std::wstring movie, std::wstring document,
                       int width, int height)
    : ToolWindow(std::move(name), PageDesign(caption, width, height)),
      swfWidth_(width),
      swfHeight_(height),
      movie_(std::move(movie)),
      document_(std::move(document)) {}

void PageWindow::CreateControls() {
  swf_ = std::make_unique<flash::FlashControl>(hWnd(), 0, 0, swfWidth_, swfHeight_);
  swf_->SetQuality(1);
  swf_->SetScaleMode(0);
  swf_->OnFSCommand = [this](const std::wstring& command, const std::wstring& args) { SWF_FSCommand(command, args); };
  // Links of the page go through the shell like every other address the program opens.
  swf_->SetLinkOpener([](const std::wstring& url) { ShellOpen(url, L"open"); });
  AddOwnControls();
  // Narrow buttons leave the row's left part to the window's own controls.
  forms::CommandButton& help = AddHelpButton();
  help.Move(help.Left(), help.Top(), kNarrowButton, kButtonHeight);
  forms::CommandButton& exit = AddButton(L"cbExit", L"Close", kNarrowButton);
  exit.SetTag(L"!SHARED/CLOSE");
  exit.SetCancel(true);
  exit.SetDefault(true);
  exit.OnClick = [this] { Close(); };
  PlaceButtonRow({&help, &exit});
}

void PageWindow::Form_Load() {
  ApplyLanguage(*this);
  // The caption may come from a menu item's text: no access-key marks.
  std::wstring caption = Caption();
  std::erase(caption, L'&');
  SetCaption(caption);
  SetVisual();
  documentPath_ = SavePageDocument(document_, DocumentText());
  if (swf_) swf_->LoadMovie(0, PageAddress(FlashFolder + movie_, documentPath_, TimeOfDayText()));
}

void PageWindow::Form_Unload() { swf_.reset(); }

void PageWindow::SWF_FSCommand(const std::wstring& command, const std::wstring&) { AnswerPageCommand(command); }

}  // namespace tools
