// The introduction and about pages: the FONT, INFO and SUPPORT texts of the
// page named by "myXML", HTML in a small vocabulary (B, FONT size, BR,
// A href, character references), laid out in the given font over the stage.
// A link acts only when clicked: the program's web site sends "GOWEB",
// mailto and http(s) links are opened, anything else is ignored.
#pragma once
#include <string>
#include <vector>

#include "platform/flash/pages/FlashPage.h"

namespace flash {

// A run of text with one style; a run with newline set ends its line.
struct TextRun {
  std::wstring text;
  bool bold = false;
  int size = 12;  // points of the stage
  std::wstring href;
  bool newline = false;
};

// Splits the HTML text into runs.
std::vector<TextRun> ParsePageHtml(const std::wstring& html);

class TextPage : public FlashPage {
 public:
  void Start(PageHost& host) override;
  void Paint(HDC dc, const RECT& stage, double scale) override;
  void Click(PageHost& host, int x, int y) override;

  const std::vector<TextRun>& Runs() const { return runs_; }

 private:
  struct LinkArea {
    RECT rect;
    std::wstring href;
  };
  std::wstring font_ = L"Tahoma";
  std::vector<TextRun> runs_;
  std::vector<LinkArea> links_;  // where the last paint put each link
};

}  // namespace flash
