// The main window's playback operations: each hands the window's host to
// the unit that holds the operation (loader, transport, heartbeat, FS
// commands, tools).
#include "moviefiles/SWFInfo.h"
#include "player/movie/FSCommands.h"
#include "player/movie/Heartbeat.h"
#include "player/movie/MovieLoader.h"
#include "player/window/PlayerWindow.h"
#include "player/commands/ToolOperations.h"
#include "player/movie/Transport.h"
#include "player/window/PlayerHostAdaptor.h"
#include "services/ShellMod.h"
#include "services/Tips.h"

namespace player {

PlayerHost& PlayerWindow::Host() { return *host_; }

void PlayerWindow::LoadFlash(std::wstring path, std::wstring caption, bool browserPage) {
  player::LoadFlash(Host(), path, std::move(caption), browserPage);
}
void PlayerWindow::ConvertMovie(const SWFInfo& info) { player::ConvertMovie(Host(), info); }
void PlayerWindow::ShowMovieInfo(const SWFInfo& info) { player::ShowMovieInfo(Host(), info); }
void PlayerWindow::Properties() { ShowMovieInfo(CurrentSWFInfo); }

void PlayerWindow::SetQuality(const std::wstring& quality) { player::SetQuality(Host(), quality); }
void PlayerWindow::SetScaleMode(long mode) { player::SetScaleMode(Host(), mode); }
void PlayerWindow::SetRepeatMode(long mode) { player::SetRepeatMode(Host(), mode); }
void PlayerWindow::SetFlashAlpha(int percent) { player::SetFlashAlpha(Host(), percent); }
void PlayerWindow::SetSound(int volume, int pan) { player::SetSound(Host(), volume, pan); }
void PlayerWindow::MuteSound(bool mute) { player::MuteSound(Host(), mute); }
void PlayerWindow::PlayMedia() { player::PlayMedia(Host()); }
void PlayerWindow::PauseMedia() { player::PauseMedia(Host()); }
void PlayerWindow::PlayPauseMedia() { player::PlayPauseMedia(Host()); }
void PlayerWindow::StopMedia() { player::StopMedia(Host()); }
void PlayerWindow::GoToFrame(double fraction) { player::GoToFrame(Host(), fraction); }
void PlayerWindow::FFwd() { player::FFwd(Host()); }
void PlayerWindow::Rwd() { player::Rwd(Host()); }
double PlayerWindow::MoviePercent() { return player::MoviePercent(Host()); }
void PlayerWindow::ToggleTimeMode() { player::ToggleTimeMode(Host()); }
void PlayerWindow::PlayNext() { player::PlayNext(Host()); }
void PlayerWindow::PlayPrev() { player::PlayPrev(Host()); }
int PlayerWindow::PlayRandom() { return player::PlayRandom(Host()); }
void PlayerWindow::StartPlayList() { PlaylistPlayItem(0); }
void PlayerWindow::ClearPlaylist() { PlaylistClear(); }
void PlayerWindow::GoLevelUp() { player::GoLevelUp(Host()); }
void PlayerWindow::GoBack() { StepHistory(-1); }
void PlayerWindow::GoForward() { StepHistory(1); }
void PlayerWindow::UpdateInfo() { Host().UpdateSkinState(); }
void PlayerWindow::WebUpdate(bool automatic) { player::WebUpdate(Host(), automatic); }
void PlayerWindow::SetAsSS(const std::wstring& movie) { player::SetAsSS(Host(), movie); }
void PlayerWindow::Generate(long width, long height, const std::wstring& source, long quality, bool overwrite) {
  player::Generate(Host(), width, height, source, quality, overwrite);
}
void PlayerWindow::ShowTG() { Host().ShowForm(L"frmGenerator", 0); }
void PlayerWindow::HelpMe() { OpenHelpPage(L""); }
void PlayerWindow::GoWeb(const std::wstring& page) { ::ShellOpen(GetWebSiteURL() + page, L"open"); }
void PlayerWindow::tmrUpdate_Timer() { player::tmrUpdate_Timer(Host()); }
void PlayerWindow::SWF_FSCommand(const std::wstring& command, const std::wstring& args) {
  player::SWF_FSCommand(Host(), command, args);
}
void PlayerWindow::SWF_OnGetURL(const std::wstring& url, const std::wstring& target) {
  player::SWF_OnGetURL(Host(), url, target);
}
void PlayerWindow::SWF_OnReadyStateChange(long state) { player::SWF_OnReadyStateChange(Host(), state); }

void PlayerWindow::StepHistory(int step) {
  auto* bar = Find<forms::ComboBox>(L"AddressBar");
  if (!bar) return;
  const int to = HistoryStep(bar->ListIndex(), bar->ListCount(), step);
  if (to < 0) return;
  bar->SetListIndex(to);
  Host().BrowseFolder(bar->List(to), false);
}

}  // namespace player
