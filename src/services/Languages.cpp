#include "services/Languages.h"

#include <algorithm>
#include <memory>

#include "base/Handles.h"
#include "base/TextConv.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

std::vector<LanguageInfo> LanguageList;
long LangCount = 0;
long CurLang = 0;
long UserLCID = 0;
InterfaceFont LangFont;

namespace {

std::unique_ptr<XmlDocument>& LangDocSlot() {
  static std::unique_ptr<XmlDocument> doc = std::make_unique<XmlDocument>();
  return doc;
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// The "*.xml" files of a folder, ordered by name ignoring case.
std::vector<std::wstring> XmlFilesOf(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  ScopedFind search(FindFirstFileW((folder + L"*.xml").c_str(), &fd));
  if (!search) return names;
  do {
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    std::wstring name(fd.cFileName, wcsnlen(fd.cFileName, MAX_PATH));
    // The search also matches short names and longer extensions (".xmlx"); keep real ".xml" files.
    if (name.size() <= 4 || UpperInvariant(name.substr(name.size() - 4)) != L".XML") continue;
    names.push_back(name);
  } while (FindNextFileW(search.get(), &fd));
  std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
    std::wstring ua = UpperInvariant(a), ub = UpperInvariant(b);
    return ua != ub ? ua < ub : a < b;
  });
  return names;
}

}  // namespace

XmlDocument& LangDoc() { return *LangDocSlot(); }

std::wstring LangText(const std::wstring& key, const std::wstring& def) {
  return GetXMLText(LangDoc(), L"LANG/" + UpperInvariant(key) + L"/@text", def);
}

long CharsetFromLCID(long lcid) {
  wchar_t buf[10] = {};
  int n = GetLocaleInfoW(static_cast<LCID>(lcid), LOCALE_IDEFAULTANSICODEPAGE, buf, 10);
  if (n <= 0) return 0;
  long codePage = TextToLong(std::wstring(buf, n - 1));
  CHARSETINFO info{};
  if (!TranslateCharsetInfo(reinterpret_cast<DWORD*>(static_cast<uintptr_t>(codePage)), &info, TCI_SRCCODEPAGE))
    return 0;
  return static_cast<long>(info.ciCharset);
}

bool FontInstalled(const std::wstring& name) {
  if (name.empty() || name.size() >= LF_FACESIZE) return false;
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, name.c_str(), LF_FACESIZE - 1);
  bool found = false;
  ScopedWindowDC screen(nullptr);
  EnumFontFamiliesExW(screen.get(), &lf, FontFound, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

void InitUserLCID() {
  UserLCID = static_cast<long>(GetUserDefaultLCID());
  WriteLog(L"LC: " + std::to_wstring(UserLCID), false);
}

void InitLangFont() {
  LangFont = InterfaceFont{};
  const std::wstring candidates[3] = {GetRegString(L"Window", L"FontName", L"Century Gothic"),
                                      L"Lucida Sans Unicode", L"Tahoma"};
  // The first installed candidate; "Tahoma" is the last resort without a test.
  LangFont.Name = candidates[2];
  for (int i = 0; i < 2; ++i) {
    if (FontInstalled(candidates[i])) {
      LangFont.Name = candidates[i];
      break;
    }
  }
  long size = TextToLong(GetRegString(L"Window", L"FontSize", L"8"));
  LangFont.Size = static_cast<float>(size > 0 && size <= 72 ? size : 8);
}

void EnumerateLanguages() {
  InitUserLCID();
  WriteLog(L"");
  WriteLog(L" :: Enumerate Languages");

  LanguageList.clear();
  LangCount = 0;
  LanguageInfo english;
  english.Title = L"English";
  english.Name = L"English";
  english.LangID = 1033;
  english.Charset = CharsetFromLCID(1033);
  english.Author = L".zel";
  {
    XmlDocument doc;
    if (FileExists(LanguagesFolder + L"English.xml") && doc.Load(LanguagesFolder + L"English.xml"))
      english.Author = GetXMLText(doc, L"LANG/@author", L".zel");
  }
  LanguageList.push_back(english);
  LangCount = 1;

  if (!LanguagesFolder.empty()) {
    for (const std::wstring& file : XmlFilesOf(LanguagesFolder)) {
      try {
        if (UpperInvariant(file) == L"ENGLISH.XML" || file[0] == L'-') continue;
        XmlDocument doc;
        if (!doc.Load(LanguagesFolder + file)) {
          WriteLog(L"Language Failed (" + file + L"): " + doc.ParseError().reason + doc.ParseError().srcText);
          continue;
        }
        LanguageInfo info;
        info.Title = GetXMLText(doc, L"LANG/@title", L"");
        if (info.Title.empty()) continue;
        info.Author = GetXMLText(doc, L"LANG/@author", L".zel");
        info.LangID = TextToLong(GetXMLText(doc, L"LANG/@langID", L"0"));
        info.Charset = CharsetFromLCID(info.LangID);
        info.Name = file.substr(0, file.size() - 4);
        LanguageList.push_back(info);
        ++LangCount;
      } catch (...) {
        // one unreadable file never stops the listing
      }
    }
  }

  CurLang = FindLanguageIndex(GetRegString(L"System", L"Language", L""), UserLCID);
}

long FindLanguageIndex(const std::wstring& saved, long lcid) {
  if (!saved.empty()) {
    for (long i = 0; i < static_cast<long>(LanguageList.size()); ++i)
      if (StrEqualNoCase(LanguageList[i].Name, saved)) return i;
  }
  for (long i = 0; i < static_cast<long>(LanguageList.size()); ++i)
    if (LanguageList[i].LangID == lcid) return i;
  return 0;
}

bool LoadLanguage() {
  if (LanguageList.empty()) {
    LanguageInfo english;
    english.Title = english.Name = L"English";
    english.Author = L".zel";
    english.LangID = 1033;
    english.Charset = CharsetFromLCID(1033);
    LanguageList.push_back(english);
    LangCount = 1;
  }
  if (CurLang < 0 || CurLang >= LangCount) CurLang = 0;
  const LanguageInfo& lang = LanguageList[CurLang];
  LangDocSlot() = std::make_unique<XmlDocument>();
  bool loaded = false;
  std::wstring path = LanguagesFolder + lang.Name + L".xml";
  if (!LanguagesFolder.empty() && FileExists(path)) loaded = LangDoc().Load(path);
  LangFont.Charset = lang.Charset;
  return loaded;
}
