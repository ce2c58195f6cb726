#include "player/movie/FSCommands.h"

#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "player/window/MovieFullScreen.h"
#include "player/movie/PlayerNumbers.h"
#include "player/movie/Transport.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"

namespace player {
namespace {

// An item number as a movie sends it: the leading number, to the nearest whole.
int ItemNumber(const std::wstring& args) { return static_cast<int>(RoundHalfEven(LeadingNumber(args))); }

void ReplacePlaylist(PlayerHost& host, const std::wstring& path) { OpenMovie(host, path); }

// Whether the movie has read a file of this machine: then it may no longer
// reach the network unasked.
bool MovieReadLocalFile(PlayerHost& host) {
  const MovieControl* c = host.Control();
  return c && c->ReadLocalFile();
}

// Opens what a movie asked for: a web or mail address at once, anything
// else, and any address once the movie has read a local file, only after
// the user's Yes (No the default).
void OpenAsked(PlayerHost& host, const std::wstring& target) {
  // Longer than any address the shell takes: no question box the user cannot read through.
  constexpr size_t kLongestAddress = 2083;
  if (target.size() > kLongestAddress) {
    WriteLog(L"Not opened: an address of " + std::to_wstring(target.size()) + L" characters");
    return;
  }
  const bool readLocal = MovieReadLocalFile(host);
  if (!IsWebAddress(target) || readLocal) {
    // One No answers for the rest of the movie: a movie cannot keep asking.
    if (host.State().ExecDeclined) {
      WriteLog(L"Not opened: the user declined an earlier request of this movie");
      return;
    }
    const std::wstring ask = readLocal ? LangText(L"Player/strExecAskRead",
                                                  L"The movie has read files of this computer and asks to open this "
                                                  L"address:")
                                       : LangText(L"Player/strExecAsk", L"The movie asks to open this file or address:");
    const std::wstring text = ask + L"\r\n\r\n" + target + L"\r\n\r\n" + LangText(L"Player/strExecAllow", L"Open it?");
    if (!host.AskYesNo(text, app::kTitle)) {
      host.State().ExecDeclined = true;
      WriteLog(L"Not opened: the user declined");
      return;
    }
  }
  host.ShellOpen(target, L"open");
}

void Exec(PlayerHost& host, const std::wstring& given) {
  WriteLog(L"Movie opened: '" + given + L"'");
  const std::wstring target = TrimAddress(given);
  if (!host.Opts().FSCommand || target.empty()) return;
  if (IsScriptAddress(target)) {
    WriteLog(L"Not opened: a script address");
    return;
  }
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
  const std::wstring word = UpperInvariant(command);
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

std::wstring TrimAddress(const std::wstring& text) {
  size_t first = 0, end = text.size();
  while (first < end && (text[first] <= L' ' || text[first] == 0x7F)) ++first;
  while (end > first && (text[end - 1] <= L' ' || text[end - 1] == 0x7F)) --end;
  return text.substr(first, end - first);
}

bool IsScriptAddress(const std::wstring& address) {
  return StartsWithNoCase(address, L"javascript:") || StartsWithNoCase(address, L"vbscript:");
}

void SWF_OnGetURL(PlayerHost& host, const std::wstring& given, const std::wstring& target) {
  const std::wstring url = TrimAddress(given);
  if (IsScriptAddress(url)) {
    WriteLog(L"Movie address dropped (a script address)");
    return;
  }
  if (!host.Opts().FSCommand || url.empty()) {
    WriteLog(L"Movie address not opened (movie commands are off): '" + url + L"' (" + target + L")");
    return;
  }
  WriteLog(L"Movie address: '" + url + L"' (" + target + L")");
  OpenAsked(host, url);
}

}  // namespace player
