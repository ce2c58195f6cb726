// Label: windowless text painted by its container, transparent or opaque,
// aligned, wrapped, optionally sized to its text.
#pragma once
#include "platform/forms/Control.h"

namespace forms {

struct LabelArgs : ControlArgs {
  std::wstring Caption;
  int Alignment = vbLeftJustify;  // 0 left, 1 right, 2 centre
  bool AutoSize = false;
  int BackStyle = 1;    // 0 transparent, 1 opaque
  bool WordWrap = false;  // AutoSize grows downwards (true) or sideways (false); text always wraps
  bool UseMnemonic = true;  // "&" underlines the next letter
  int BorderStyle = 0;  // 0 none, 1 single line
};

class Label : public Control {
 public:
  using Args = LabelArgs;
  Label(Form& form, const Args& args);

  bool HasCaption() const override { return true; }
  std::wstring Caption() const override { return caption_; }
  void SetCaption(const std::wstring& caption) override;
  int Alignment() const { return design_.Alignment; }
  void SetAlignment(int alignment);
  bool AutoSize() const { return design_.AutoSize; }
  void SetAutoSize(bool on);
  int BackStyle() const { return design_.BackStyle; }
  void SetBackStyle(int style);
  // Font shortcuts.
  bool FontBold() const { return font_.Bold; }
  void SetFontBold(bool on);
  bool FontItalic() const { return font_.Italic; }
  void SetFontItalic(bool on);
  float FontSize() const { return font_.Size; }
  void SetFontSize(float points);

  void Paint(HDC dc) override;
  Args CurrentArgs() const;
  Control& LoadClone(int index) const override;

 private:
  void FitToText();
  std::wstring caption_;
  Args design_;
};

}  // namespace forms
