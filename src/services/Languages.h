// Language files and translated texts. English is built in; a language file
// (LanguagesFolder + Name + ".xml", root "LANG") replaces texts by key. Also
// owns the interface font, whose character set follows the language.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "services/XmlDocument.h"

struct LanguageInfo {
  std::wstring Title;   // the language's own name (root attribute "title")
  std::wstring Author;  // root attribute "author", ".zel" when absent
  std::wstring Name;    // file name without ".xml"; the value saved as the chosen language
  long LangID = 0;      // Windows locale identifier (root attribute "langID")
  long Charset = 0;     // font character set of the language's ANSI code page
};

// The interface font of all windows and owner-drawn items.
struct InterfaceFont {
  std::wstring Name;
  float Size = 8;
  long Charset = 0;
};

extern std::vector<LanguageInfo> LanguageList;  // entry 0 is always the built-in English
extern long LangCount;
extern long CurLang;
extern long UserLCID;
extern InterfaceFont LangFont;
XmlDocument& LangDoc();  // the current language file; empty when missing or broken

// The "text" of Key ("Window/name" or "Section/key", any case) in the current
// language, or Default.
std::wstring LangText(const std::wstring& key, const std::wstring& def);

void InitUserLCID();
void InitLangFont();
void EnumerateLanguages();
// Loads entry CurLang; True when its file loaded. The tips follow the language:
// callers switching languages use LoadLanguageAndTips (Tips.h).
bool LoadLanguage();
// The entry whose Name is Saved (any case), else the first with that locale, else 0.
long FindLanguageIndex(const std::wstring& saved, long lcid);
long CharsetFromLCID(long lcid);

// True when a font family of that name is installed.
bool FontInstalled(const std::wstring& name);
