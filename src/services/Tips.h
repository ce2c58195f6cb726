// Tips of the current language (MediaFolder\Tips\<language>.xml, root "TIPS",
// one "TIP" element each), the random choice, the tip panel's layout, and the
// addresses of the help pages and the web site.
#pragma once
#include <string>
#include <vector>

struct TipInfo {
  std::wstring Title;
  std::wstring Text;
  std::wstring Action;  // script statement run by the link line
  std::wstring Link;    // caption of the link line
  long Kind = 0;        // 1 for "trick"
  std::wstring Icon;    // image name under MediaFolder, without ".png"
  std::wstring Help;    // help topic
};

extern std::vector<TipInfo> TipList;  // TipCount tips (the list has one spare entry at the end)
extern long TipCount;

// Loads the tips of the current language; False (keeping the tips loaded
// before) when no file loads or it holds no tip.
bool LoadTips();
// Loads language CurLang (LoadLanguage), then its tips; True when the language's
// file loaded. What the program calls whenever the language changes.
bool LoadLanguageAndTips();
// A uniformly chosen index 0..TipCount-1; -1 without tips.
long PickRandomTip();

// Where the tip panel's parts go, in pixels of the panel, for a panel width
// and the heights of its three labels (measured for the widths given here).
struct TipRect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};
struct TipPanelLayout {
  TipRect Title, Text, Link;
  bool LinkVisible = false;
  int PanelHeight = 0;
  TipRect TopBand;     // gradient from the highlight colour to the info colour
  TipRect BottomBand;  // gradient back, the last 8 pixels
  int IconX = 4, IconY = 4;
};
TipPanelLayout LayoutTipPanel(int panelWidth, int titleTop, int titleHeight, int textHeight, int linkHeight,
                              bool hasLink);
// Caption of the title label for tip Index: "<Index + 1>. <Title>".
std::wstring TipTitleCaption(long index);

// Opens the help page of Topic on the product web site through ShellOpen;
// an empty topic opens the help index.
void OpenHelpPage(const std::wstring& topic);
// "http://<host>/": the host comes from the language text PLAYER/MNUWEB when
// that is a host name or IPv4 address with an optional port, else the built-in host.
std::wstring GetWebSiteURL();
bool IsWebHost(const std::wstring& text);
