// The media browser's page: reads the document named by "myXML" (FONT,
// FOUND, SCROLL, FOLDER, CACHE, WAIT, ERROR, then JPEG, TITLE and TYPE per
// entry) and shows a header (the folder, the count, the error line, the
// buttons Up, Go To..., Refresh, Open, Help and the web site) over the grid
// of MediaBrowserView. It answers with FS commands: SHOTOVER when the cell
// under the pointer changes, SHOTCLICK on a double click or Enter,
// BROWSESCROLL after every scroll, and the buttons' MEOW words and GOWEB.
// The wheel arrives as the variable "mwheel" and the label "MWH" of "vbCall".
// The document is input: its size is bounded, and a command carries only an
// entry number the page computed, or nothing.
#pragma once
#include <string>
#include <vector>

#include "platform/flash/pages/FlashPage.h"
#include "platform/flash/pages/MediaBrowserView.h"

namespace flash {

struct BrowseDocument {
  std::wstring font, found, folder, cache, wait, error;
  int scroll = 0;
  std::vector<BrowseEntry> entries;
};

// A document larger than this is not read.
inline constexpr int64_t kMaxBrowseDocument = 32 << 20;

// Reads the document; false (doc untouched) when it is missing, too large or malformed.
bool ReadBrowseDocument(const std::wstring& path, BrowseDocument& doc);
// A TITLE's two lines: the title is HTML, split at the first "<BR>"; each line
// is its text (tags dropped, character references read).
void SplitBrowseTitle(const std::wstring& title, std::wstring& name, std::wstring& sizeLine);

class BrowsePage : public FlashPage {
 public:
  static constexpr int kButtonBar = 30, kLine = 18;

  void Start(PageHost& host) override;
  bool FillsControl() const override { return true; }
  void Paint(HDC dc, const RECT& client, double scale) override;
  void Click(PageHost& host, int x, int y) override;
  void MouseMove(PageHost& host, int x, int y, bool pressed) override;
  void MouseDown(PageHost& host, int x, int y) override;
  void DoubleClick(PageHost& host, int x, int y) override;
  bool Key(PageHost& host, int virtualKey) override;
  void CallLabel(PageHost& host, const std::wstring& target, const std::wstring& label) override;

  // Lays the page out for a client size (Paint does it too).
  void Layout(int width, int height);
  MediaBrowserView& View() { return view_; }
  const BrowseDocument& Document() const { return doc_; }
  bool Loaded() const { return loaded_; }

 private:
  struct Button {
    std::wstring command, args, caption, picture;
    RECT rect{};
  };
  int HeaderHeight() const;
  int ButtonAt(int x, int y) const;
  void ScrollTo(PageHost& host, int pixels);
  void SetHot(PageHost& host, int item);
  void Select(PageHost& host, int item);

  BrowseDocument doc_;
  bool loaded_ = false;
  MediaBrowserView view_;
  std::vector<Button> buttons_;
  int pressedButton_ = -1;
  bool dragging_ = false;
  int dragOffset_ = 0;
  int width_ = 0, height_ = 0;
};

}  // namespace flash
