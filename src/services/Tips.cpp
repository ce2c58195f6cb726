#include "services/Tips.h"

#include <random>

#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "base/TextConv.h"
#include "services/XmlDocument.h"

std::vector<TipInfo> TipList;
long TipCount = 0;

namespace {

std::wstring CurrentLanguageName(long& langId) {
  if (CurLang >= 0 && CurLang < static_cast<long>(LanguageList.size())) {
    langId = LanguageList[CurLang].LangID;
    return LanguageList[CurLang].Name;
  }
  langId = 1033;
  return L"English";
}

bool IsDigits(const std::wstring& s) {
  if (s.empty()) return false;
  for (wchar_t c : s)
    if (c < L'0' || c > L'9') return false;
  return true;
}

bool IsIPv4(const std::wstring& s) {
  int parts = 0;
  size_t start = 0;
  while (true) {
    size_t dot = s.find(L'.', start);
    std::wstring part = s.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
    if (!IsDigits(part) || part.size() > 3 || TextToLong(part) > 255) return false;
    ++parts;
    if (dot == std::wstring::npos) break;
    start = dot + 1;
  }
  return parts == 4;
}

bool IsHostLabel(const std::wstring& label) {
  if (label.empty() || label.size() > 63 || label.front() == L'-' || label.back() == L'-') return false;
  for (wchar_t c : label) {
    bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

bool LoadTips() {
  long langId = 0;
  const std::wstring tipsFolder = MediaFolder + L"Tips\\";
  std::wstring file = tipsFolder + CurrentLanguageName(langId) + L".xml";
  if (!FileExists(file) && (langId == 1058 || langId == 1059)) file = tipsFolder + L"Russian.xml";
  if (!FileExists(file)) file = tipsFolder + L"English.xml";

  XmlDocument doc;
  if (!doc.Load(file)) {
    WriteLog(L"Tips Loading Failed (" + file + L"): " + doc.ParseError().reason + doc.ParseError().srcText);
    return false;
  }
  std::vector<XmlNode> nodes = doc.SelectNodes(L"TIPS/TIP");
  if (nodes.empty()) return false;

  std::vector<TipInfo> tips(nodes.size() + 1);
  for (size_t i = 0; i < nodes.size(); ++i) {
    TipInfo& t = tips[i];
    t.Title = GetXMLText(nodes[i], L"@title", L"");
    t.Action = GetXMLText(nodes[i], L"@action", L"");
    t.Link = GetXMLText(nodes[i], L"@link", L"");
    t.Help = GetXMLText(nodes[i], L"@help", L"");
    t.Kind = GetXMLText(nodes[i], L"@type", L"") == L"trick" ? 1 : 0;
    t.Text = GetXMLText(nodes[i], L".", L"");
    t.Icon = GetXMLText(nodes[i], L"@icon", L"");
    if (t.Icon.empty() || !FileExists(MediaFolder + t.Icon + L".png")) t.Icon = L"Skin/tip";
  }
  TipList = std::move(tips);
  TipCount = static_cast<long>(nodes.size());
  return true;
}

bool LoadLanguageAndTips() {
  const bool loaded = LoadLanguage();
  LoadTips();
  return loaded;
}

long PickRandomTip() {
  if (TipCount <= 0) return -1;
  static std::mt19937 generator{std::random_device{}()};
  return std::uniform_int_distribution<long>(0, TipCount - 1)(generator);
}

std::wstring TipTitleCaption(long index) {
  if (index < 0 || index >= TipCount) return L"";
  return std::to_wstring(index + 1) + L". " + TipList[index].Title;
}

TipPanelLayout LayoutTipPanel(int panelWidth, int titleTop, int titleHeight, int textHeight, int linkHeight,
                              bool hasLink) {
  TipPanelLayout l;
  l.Title = {28, titleTop, panelWidth - 36, titleHeight};
  l.Text = {8, l.Title.Top + titleHeight + 8, panelWidth - 16, textHeight};
  l.Link = {8, l.Text.Top + textHeight + 8, panelWidth - 16, linkHeight};
  l.LinkVisible = hasLink;
  l.PanelHeight = l.Link.Top + (hasLink ? linkHeight + 8 : 0);
  l.TopBand = {0, 0, panelWidth, l.Text.Top - 4};
  l.BottomBand = {0, l.PanelHeight - 8, panelWidth, 8};
  return l;
}

void OpenHelpPage(const std::wstring& topic) {
  std::wstring address = L"http://" + std::wstring(app::kWebHost) + L"/help/" + topic;
  if (!topic.empty()) address += L".html";
  ShellOpen(address, L"open");
}

bool IsWebHost(const std::wstring& text) {
  if (text.empty() || text.size() > 260) return false;
  std::wstring host = text;
  size_t colon = text.find(L':');
  if (colon != std::wstring::npos) {
    std::wstring port = text.substr(colon + 1);
    if (!IsDigits(port) || port.size() > 5 || TextToLong(port) < 1 || TextToLong(port) > 65535) return false;
    host = text.substr(0, colon);
  }
  if (IsIPv4(host)) return true;
  // A dotted host name: letters, digits and hyphens in each label, not all digits at the end.
  if (host.size() > 253 || host.find(L'.') == std::wstring::npos) return false;
  size_t start = 0;
  std::wstring label;
  while (true) {
    size_t dot = host.find(L'.', start);
    label = host.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
    if (!IsHostLabel(label)) return false;
    if (dot == std::wstring::npos) break;
    start = dot + 1;
  }
  return !IsDigits(label);
}

std::wstring GetWebSiteURL() {
  std::wstring host = LangText(L"PLAYER/MNUWEB", app::kWebHost);
  if (!IsWebHost(host)) host = app::kWebHost;
  return L"http://" + host + L"/";
}
