#include "player/movie/FSCommands.h"

#include <algorithm>
#include <cwctype>

#include "base/ErrorLog.h"
#include "player/window/MovieFullScreen.h"
#include "player/movie/PlayerNumbers.h"
#include "player/movie/Transport.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"

namespace player {
namespace {

std::wstring Upper(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towupper(c); });
  return text;
}

bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && Upper(text.substr(0, prefix.size())) == Upper(prefix);
}

// An item number as a movie sends it: the leading number, to the nearest whole.
int ItemNumber(const std::wstring& args) { return static_cast<int>(RoundHalfEven(LeadingNumber(args))); }

void ReplacePlaylist(PlayerHost& host, const std::wstring& path) { OpenMovie(host, path); }

// Opens what a movie asked for: a web or mail address at once, anything
// else only after the user's Yes.
void OpenAsked(PlayerHost& host, const std::wstring& target) {
  // Longer than any address the shell takes: no question box the user cannot read through.
  constexpr size_t kLongestAddress = 2083;
  if (target.size() > kLongestAddress) {
    WriteLog(L"Not opened: an address of " + std::to_wstring(target.size()) + L" characters");
    return;
  }
  if (!IsWebAddress(target)) {
    // One No answers for the rest of the movie: a movie cannot keep asking.
    if (host.State().ExecDeclined) {
      WriteLog(L"Not opened: the user declined an earlier request of this movie");
      return;
    }
    const std::wstring text =
        LangText(L"Player/strExecAsk", L"The movie asks to open this file or address:") + L"\r\n\r\n" + target +
        L"\r\n\r\n" + LangText(L"Player/strExecAllow", L"Open it?");
    if (!host.AskYesNo(text, app::kTitle)) {
      host.State().ExecDeclined = true;
      WriteLog(L"Not opened: the user declined");
      return;
    }
  }
  host.ShellOpen(target, L"open");
}

void Exec(PlayerHost& host, const std::wstring& target) {
  WriteLog(L"Movie opened: '" + target + L"'");
  if (!host.Opts().FSCommand || target.empty()) return;
  OpenAsked(host, target);
}

// The program's own words: for its own pages only.
void OwnWord(PlayerHost& host, const std::wstring& word, const std::wstring& args) {
  PlayerState& s = host.State();
  if (word == L"MEOWMSG") {
    host.ShowMessage(args, L"Media Debug");
  } else if (word == L"MEOWOPEN") {
    host.ClickMenu(L"mnuOpen");
  } else if (word == L"MEOWHELP") {
    host.ClickMenu(L"mnuHelpMe");
  } else if (word == L"MEOWUPDATE") {
    host.ClickMenu(L"mnuUpd");
  } else if (word == L"MEOWLOAD") {
    ReplacePlaylist(host, args);
  } else if (word == L"GOWEB") {
    host.ClickMenu(L"mnuWeb");
  } else if (word == L"BROWSESCROLL") {
    s.BrowseScroll = static_cast<int>(RoundHalfEven(LeadingNumber(args)));
  } else if (word == L"SHOTCLICK") {
    const int n = ItemNumber(args);
    if (n < 1 || n > s.BrowseItemCount()) return;
    const BrowseItem item = s.BrowseItems[n - 1];
    if (item.Kind == kBrowseFolderKind)
      host.BrowseFolder(item.Path, false);
    else
      ReplacePlaylist(host, item.Path);
  } else if (word == L"SHOTOVER") {
    const int n = ItemNumber(args);
    if (n >= 0 && n <= s.BrowseItemCount()) s.HoverItem = n;
  } else if (word == L"MEOWSEARCH") {
    host.BrowseFolder(args.empty() ? host.Opts().CurrentFolder : args, false);
  } else if (word == L"MEOWUP") {
    GoLevelUp(host);
  } else if (word == L"MEOWBROWSE") {
    host.SelectBrowseFolder(args);
  }
}

}  // namespace

bool IsWebAddress(const std::wstring& target) {
  if (!StartsWithNoCase(target, L"http://") && !StartsWithNoCase(target, L"https://") &&
      !StartsWithNoCase(target, L"mailto:"))
    return false;
  return std::none_of(target.begin(), target.end(), [](wchar_t c) { return c <= L' ' || c == L'"' || c == 0x7F; });
}

void SWF_FSCommand(PlayerHost& host, const std::wstring& command, const std::wstring& args) {
  const std::wstring word = Upper(command);
  if (word == L"MEOWLOG") {
    WriteLog(L"Media debug :: " + args);
  } else if (word == L"FULLSCREEN") {
    if (!host.Opts().FSCommand) return;
    if (const std::optional<bool> on = TruthValue(args)) AskFullScreen(host, *on);
  } else if (word == L"EXEC") {
    Exec(host, args);
  } else if (word == L"QUIT") {
    if (host.Opts().FSCommand) host.Quit(L"Movie Request", true);
  } else if (host.State().InternalMovie) {
    OwnWord(host, word, args);
  } else {
    WriteLog(L"Movie command ignored (not one of the program's pages): " + command);
  }
}

void SWF_OnGetURL(PlayerHost& host, const std::wstring& url, const std::wstring& target) {
  if (StartsWithNoCase(url, L"javascript:")) return;
  if (!host.Opts().FSCommand || url.empty()) {
    WriteLog(L"Movie address not opened (movie commands are off): '" + url + L"' (" + target + L")");
    return;
  }
  WriteLog(L"Movie address: '" + url + L"' (" + target + L")");
  OpenAsked(host, url);
}

}  // namespace player
