#include "tools/pages/PageDocuments.h"

#include <windows.h>

#include <cwchar>

#include "base/TextConv.h"
#include "platform/flash/control/FlashControl.h"
#include "player/commands/MenuCommands.h"
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

// The features the introduction names: the language's key, the name and what it does.
struct Feature {
  const wchar_t *key, *name, *text;
};
constexpr Feature kFeatures[] = {
    {L"Play", L"Play", L"Flash movies 4 to 8 with their scripts, Flash videos and projectors."},
    {L"Browse", L"Browse", L"A folder's movies as pictures; favourite folders take you back."},
    {L"Playlist", L"Playlists", L"Gather movies, repeat or shuffle them, and save the list."},
    {L"Info", L"Get Info", L"Size, frame rate, version, compression and titles of a movie."},
    {L"Thumbnails", L"Thumbnails", L"A picture of every movie in a folder, with an index of them."},
    {L"Extract", L"Extract", L"A movie's images, sounds and videos saved as files."},
    {L"Desktop", L"Desktop", L"A movie as screen saver, wallpaper or a window on the desktop."},
    {L"Look", L"Your way", L"Skins, visual styles, languages and hot keys."},
};

}  // namespace

std::wstring OverviewText() {
  std::wstring html = L"<B><FONT size=\"13\">" +
                      HTMLEncode(LangText(L"frmIntro/strOverview", L"What SWF.zel does for you")) +
                      L"</FONT></B><BR><FONT size=\"9\">";
  for (const Feature& f : kFeatures) {
    const std::wstring key = std::wstring(L"frmIntro/str") + f.key;
    html += L"<BR><B>" + HTMLEncode(LangText(key, f.name)) + L":</B> " + HTMLEncode(LangText(key + L"Text", f.text));
  }
  return html + L"</FONT>";
}

std::wstring SupportText() {
  const std::wstring mail = player::kSupportMail;
  const std::wstring fallback = L"<A HREF=\"mailto:" + mail + L"\">Support: " + mail + L"</A><BR><A HREF=\"" +
                                GetWebSiteURL() + L"\">Web Site: " + WebHost() + L"</A>";
  return LangText(L"frmAbout/strSupport", fallback);
}

std::wstring InfoText() {
  std::wstring control = LangText(L"frmAbout/strControl",
                                  L"Movie control: SWF.zel's own, playing Flash movies of versions %1 to %2 with "
                                  L"their scripts");
  for (const auto& [mark, version] : {std::pair{L"%1", flash::kPlayedVersionLow}, std::pair{L"%2", flash::kPlayedVersionHigh}})
    if (const size_t at = control.find(mark); at != std::wstring::npos) control.replace(at, 2, std::to_wstring(version));
  std::wstring info = L"<B><FONT size=\"14\">" + GetAppVersion() + L"</FONT></B> | Divur Ozazir and Tools<BR>" +
                      HTMLEncode(control) + L"<BR><BR>";
  const std::wstring credits = GetXMLText(LangDoc(), L"LANG/@credits", L"");
  if (!credits.empty()) info += HTMLEncode(credits) + L"<BR><BR>";
  return info;
}

std::wstring IntroDocument() {
  return L"<?xml version=\"1.0\"?><INTRO>" + kLine + Element(L"FONT", LangFont.Name) +
         Element(L"INFO", OverviewText()) + Element(L"SUPPORT", SupportText()) + L"</INTRO>";
}

std::wstring AboutDocument() {
  return L"<?xml version=\"1.0\"?><ABOUT>" + kLine + Element(L"FONT", LangFont.Name) +
         Element(L"INFO", InfoText()) + Element(L"SUPPORT", SupportText()) + L"</ABOUT>";
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
