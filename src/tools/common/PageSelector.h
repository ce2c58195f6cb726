// PageSelector: the pages of a tool dialog. A slide bar across the top of the
// window chooses among the frames of the control array "Page" below it:
// picture boxes in the system's button-face colour, each holding its page's
// controls, its Tag the help topic of the page. One page shows at a time; a
// page's frame and controls are made when it is first shown (OnBuild), so
// opening the window costs only the page the user sees.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/PictureBox.h"
#include "ui/SlideBar.h"

namespace tools {

struct PageInfo {
  std::wstring CaptionKey;  // after the window's name: "/General"; "" shows Caption as it is
  std::wstring Caption;     // the English caption
  std::wstring Icon;        // a picture of the images folder
  std::wstring HelpTopic;
  int Height = 0;           // pixels
};

class PageSelector {
 public:
  static constexpr int kBarHeight = 84;

  // Adds the slide bar (name barName) at the top of the form, width pixels
  // wide, and the page frames below it; call from the form's CreateControls.
  PageSelector(forms::Form& form, const std::wstring& barName, int width, std::vector<PageInfo> pages);

  int Count() const { return static_cast<int>(pages_.size()); }
  // The frame of a page (made when first asked for, hidden).
  forms::PictureBox& Page(int index) const;
  const PageInfo& Info(int index) const { return pages_[static_cast<size_t>(index)]; }
  SlideBar& Bar() { return *bar_; }

  // A page's caption given as it shows (no translation by key); before Init.
  void SetCaption(int index, const std::wstring& caption) {
    pages_[static_cast<size_t>(index)].CaptionKey.clear();
    pages_[static_cast<size_t>(index)].Caption = caption;
  }
  // The cells with their translated captions and icons, the selected one
  // given, the strip drawn.
  void Init(int selected);
  // Shows that page (making its controls first when it has none yet) and hides the others.
  void Show(int index);
  int Shown() const { return shown_; }
  // Shows that page and gives the window the page's height (growing or
  // shrinking to it when the window is on the screen).
  void ShowAndFit(int index);
  bool Built(int index) const { return built_[static_cast<size_t>(index)]; }
  // Makes a page's controls inside Page(index); called once per page and load.
  std::function<void(int index)> OnBuild;
  // The help topic of the page shown.
  std::wstring HelpTopic() const;
  // The window's inner height for a page: the bar, the page and the button band.
  static int ClientHeightFor(int pageHeight) { return kBarHeight + pageHeight + 56; }

 private:
  forms::Form& form_;
  std::vector<PageInfo> pages_;
  std::unique_ptr<SlideBar> bar_;
  std::vector<bool> built_;
  int width_ = 0;
  int shown_ = -1;
};

}  // namespace tools
