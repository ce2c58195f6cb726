#include "tools/PageDocuments.h"

#include <windows.h>

#include <cwchar>

#include "base/TextConv.h"
#include "player/MenuCommands.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "services/XmlDocument.h"

namespace tools {
namespace {

const std::wstring kLine = L"\r\n";

std::wstring Element(const wchar_t* name, const std::wstring& text) {
  return L"<" + std::wstring(name) + L">" + HTMLEncode(text) + L"</" + name + L">" + kLine;
}

// The web site's host, from its address "http://host/".
std::wstring WebHost() {
  std::wstring url = GetWebSiteURL();
  const size_t start = url.find(L"://");
  url = start == std::wstring::npos ? url : url.substr(start + 3);
  return url.substr(0, url.find(L'/'));
}

}  // namespace

std::wstring SupportText() {
  const std::wstring mail = player::kSupportMail;
  const std::wstring fallback = L"<A HREF=\"mailto:" + mail + L"\">Support: " + mail + L"</A><BR><A HREF=\"" +
                                GetWebSiteURL() + L"\">Web Site: " + WebHost() + L"</A>";
  return LangText(L"frmAbout/strSupport", fallback);
}

long FlashMajorVersion(long version) {
  wchar_t hex[16];
  swprintf(hex, 16, L"%lX", static_cast<unsigned long>(version));
  const std::wstring digits = hex;
  if (digits.size() <= 4) return 0;
  return static_cast<long>(std::wcstoul(digits.substr(0, digits.size() - 4).c_str(), nullptr, 16) & 0xFF);
}

std::wstring InfoText(long flashVersion) {
  std::wstring info = L"<B><FONT size=\"14\">" + GetAppVersion() + L"</FONT></B> | Divur Ozazir and Tools" + L"<BR>Powered by Adobe Flash " + std::to_wstring(FlashMajorVersion(flashVersion)) +
                      L"<BR><BR>";
  const std::wstring credits = GetXMLText(LangDoc(), L"LANG/@credits", L"");
  if (!credits.empty()) info += HTMLEncode(credits) + L"<BR><BR>";
  return info;
}

std::wstring IntroDocument() {
  return L"<?xml version=\"1.0\"?><INTRO>" + kLine + Element(L"FONT", LangFont.Name) +
         Element(L"SUPPORT", SupportText()) + L"</INTRO>";
}

std::wstring AboutDocument(long flashVersion) {
  return L"<?xml version=\"1.0\"?><ABOUT>" + kLine + Element(L"FONT", LangFont.Name) +
         Element(L"INFO", InfoText(flashVersion)) + Element(L"SUPPORT", SupportText()) + L"</ABOUT>";
}

std::wstring SavePageDocument(const std::wstring& name, const std::wstring& text) {
  const std::wstring path = UserDataFolder + name;
  return SaveXML(path, text) ? path : std::wstring();
}

std::wstring PageAddress(const std::wstring& movie, const std::wstring& document, const std::wstring& timeOfDay) {
  return movie + L"?myXML=" + URLEncode(document) + L"&time=" + timeOfDay;
}

std::wstring TimeOfDayText() {
  wchar_t text[64] = {};
  if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, 64) <= 0) return L"";
  return text;
}

bool AnswerPageCommand(const std::wstring& command) {
  if (UpperInvariant(command) != L"GOWEB") return false;
  ShellOpen(GetWebSiteURL(), L"open");
  return true;
}

}  // namespace tools
