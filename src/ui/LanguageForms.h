// Translation of a window of the forms layer by the current language file,
// and the main window's language menu. Inline so that the services library
// keeps no link dependency on the window libraries: whoever translates a
// window links them anyway.
#pragma once
#include <cwchar>
#include <string>

#include "platform/forms/ComboBox.h"
#include "platform/forms/Form.h"
#include "platform/forms/Menu.h"
#include "services/Languages.h"
#include "base/TextConv.h"
#include "services/XmlDocument.h"
#include "ui/ToolTips.h"

namespace language_forms {

// The numeric value of a caption as the font rule reads it: its leading
// number, 0 when it does not start with one.
inline double CaptionNumber(const std::wstring& caption) {
  size_t i = caption.find_first_not_of(L" \t");
  if (i == std::wstring::npos) return 0.0;
  size_t j = i + (caption[i] == L'+' || caption[i] == L'-' ? 1 : 0);
  if (j < caption.size() && caption[j] == L'.') ++j;
  if (j >= caption.size() || caption[j] < L'0' || caption[j] > L'9') return 0.0;  // no digits: not a number
  return std::wcstod(caption.c_str() + i, nullptr);
}

inline bool StartsWithBang(const std::wstring& text) { return !text.empty() && text[0] == L'!'; }

inline void TranslateControl(forms::Control& c, const std::wstring& section) {
  using forms::ControlKind;
  const XmlDocument& doc = LangDoc();
  const bool hasCaption = c.HasCaption();
  const std::wstring caption = hasCaption ? c.Caption() : std::wstring();
  const bool windowPart = c.Kind() != ControlKind::Menu && c.Kind() != ControlKind::Timer;

  // The interface font, except for controls whose caption is a number (symbol fonts).
  if (windowPart && CaptionNumber(caption) == 0) {
    forms::FontSpec font = c.Font();
    font.Name = LangFont.Name;
    font.Charset = static_cast<BYTE>(LangFont.Charset);
    c.SetFont(font);
  }
  // The skin's elements are not translated here.
  const std::wstring upperName = UpperInvariant(c.Name());
  if (upperName == L"PIC" || upperName == L"LBL") return;

  std::wstring key = L"LANG/" + UpperInvariant(section + L"/" + c.Name());
  if (c.IsArrayElement()) key += L"_" + std::to_wstring(c.Index());

  std::wstring def = caption;
  if (windowPart && caption == L"?")
    c.SetToolTipText(GetXMLText(doc, L"LANG/SHARED/HELP/@tooltip", c.ToolTipText()));
  if (StartsWithBang(c.Tag())) def = c.Tag();
  if (hasCaption) {
    std::wstring text = GetXMLText(doc, key + L"/@text", def);
    if (StartsWithBang(text)) text = caption;  // a reference that did not resolve
    if (text != caption) c.SetCaption(text);
  }
  if (windowPart) {
    std::wstring tip = GetXMLText(doc, key + L"/@tooltip", c.ToolTipText());
    if (tip != c.ToolTipText()) c.SetToolTipText(tip);
    if (!tip.empty()) {
      std::wstring none;
      SetToolTip(c, none);  // moves the text into a balloon
    }
  }
  if (auto* combo = dynamic_cast<forms::ComboBox*>(&c)) {
    const int selected = combo->ListIndex();
    for (int i = 0; i < combo->ListCount(); ++i) {
      std::wstring item = combo->List(i);
      std::wstring text = GetXMLText(doc, key + L"/LIST_" + std::to_wstring(i) + L"/@text", item);
      if (text == item) continue;
      LPARAM data = combo->ItemData(i);
      combo->RemoveItem(i);
      combo->AddItem(text, i);
      combo->SetItemData(i, data);
    }
    if (selected != combo->ListIndex()) combo->SetListIndex(selected);
  }
}

}  // namespace language_forms

// Translates a window in its load: its caption (not for the main window,
// whose caption is the movie's), its font, and each control's caption,
// tooltip (as a balloon) and list items, by Section ("" is the window's name)
// and the control's name; a Tag beginning with "!" names the entry instead.
inline void ApplyLanguage(forms::Form& form, std::wstring section = L"") {
  if (section.empty()) section = form.Name();
  const XmlDocument& doc = LangDoc();
  if (UpperInvariant(section) != L"PLAYER") {
    const std::wstring& tag = form.Tag();
    std::wstring path = L"LANG/" + (language_forms::StartsWithBang(tag) ? UpperInvariant(tag.substr(1)) + L"/@text"
                                                                         : UpperInvariant(section) + L"/@title");
    std::wstring caption = GetXMLText(doc, path, form.Caption());
    // A menu item's text as a title: its access key's mark goes.
    if (language_forms::StartsWithBang(tag)) {
      std::wstring plain;
      for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;  // "&&" keeps one "&"
        plain += caption[i];
      }
      caption = plain;
    }
    if (caption != form.Caption()) form.SetCaption(caption);
  }
  forms::FontSpec font = form.Font();
  font.Name = LangFont.Name;
  form.SetFont(font);
  for (forms::Control* c : std::vector<forms::Control*>(form.Controls())) {
    try {
      language_forms::TranslateControl(*c, section);
    } catch (...) {
      // a control that refuses one property keeps the rest of the window translated
    }
  }
}

// Rebuilds the language menu of the main window: one item of the menu array
// mnuLangList per language ("Name - Title"), the current one checked;
// mnuLang and mnuSepLang show only with two or more languages.
inline void FillLanguageMenu(forms::Form& player) {
  forms::Menu* langMenu = player.FindMenu(L"mnuLang");
  forms::Menu* separator = player.FindMenu(L"mnuSepLang");
  if (langMenu) langMenu->SetVisible(false);
  forms::ControlArray<forms::Menu>& items = player.Array<forms::Menu>(L"mnuLangList");
  for (forms::Menu* item : items.Elements())
    if (item->Index() != 0) items.Unload(item->Index());
  if (!items.Exists(0)) return;

  if (LangCount >= 2) {
    for (long i = 0; i < LangCount && i < static_cast<long>(LanguageList.size()); ++i) {
      if (i == 0) {
        items[0].SetEnabled(true);
        items[0].SetChecked(false);
      }
      if (i == 1) {
        if (langMenu) langMenu->SetVisible(true);
        if (separator) separator->SetVisible(true);
      }
      forms::Menu& item = i == 0 ? items[0] : items.Load(static_cast<int>(i));
      item.SetCaption(LanguageList[i].Name + L" - " + LanguageList[i].Title);
      item.SetVisible(true);
    }
  }
  if (forms::Menu* current = items.Item(static_cast<int>(CurLang))) current->SetChecked(true);
}
