// A text field on the stage as scripts and the keyboard change it: the
// layout read from its DefineEditText (or made by createTextField) with the
// current text, the properties scripts set (border, background, colours,
// auto-size, input type, limits) and the caret of an input field. The
// renderer draws a field from this state.
#pragma once
#include <cstdint>
#include <string>

#include "platform/flash/parse/TextRecords.h"

namespace flash {

struct TextFieldState {
  enum AutoSize : uint8_t { kNone, kLeft, kCenter, kRight };

  EditTextData data;     // data.text is the text shown
  std::wstring html;     // the HTML text last set (html fields)
  bool background = false, input = false, selectable = true, focused = false;
  Rgba borderColor{0, 0, 0, 255}, backgroundColor{255, 255, 255, 255};
  uint8_t autoSize = kNone;
  std::wstring fontName;  // the system font of a field without embedded glyphs ("" : the field's own)
  bool bold = false, italic = false;
  size_t caret = 0;
  uint64_t version = 0;  // changes with everything drawn
  // A selection a script set (Selection.setSelection) runs from selectFrom to
  // the caret while the field has not changed since (version is selectVersion).
  size_t selectFrom = 0;
  uint64_t selectVersion = 0;

  static TextFieldState FromCharacter(const EditTextData& e);
  // A field made by createTextField: width x height twips, no font, black text.
  static TextFieldState Empty(int32_t width, int32_t height);

  void SetText(const std::wstring& text);
  void SetHtml(const std::wstring& html);
  std::wstring HtmlText() const;

  // Keyboard input of a focused input field: a character typed, or a key
  // (VK_LEFT, VK_RIGHT, VK_HOME, VK_END, VK_BACK, VK_DELETE). True when the
  // text or caret changed.
  bool Type(wchar_t ch);
  bool Key(int virtualKey);
  // The field grows to its text (auto-size), given the text's extent in twips.
  void Fit(int32_t textWidth, int32_t textHeight);
};

}  // namespace flash
