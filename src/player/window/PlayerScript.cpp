// The script vocabulary of the main window: its public operations by name.
// Operations that are not built yet answer with a logged error.
#include <cmath>

#include "base/ErrorLog.h"
#include "moviefiles/SWFInfo.h"
#include "player/window/PlayerWindow.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "ui/LanguageForms.h"

namespace player {

void PlayerWindow::RegisterScriptMembers() {
  ScriptObject& o = members_;
  auto none = ScriptValue{};
  auto add = [&o](const wchar_t* name, std::function<void(const ScriptArgs&)> f) {
    o.Add(name, [f](const ScriptArgs& a) {
      f(a);
      return ScriptValue{};
    });
  };
  (void)none;

  add(L"Quit", [this](const ScriptArgs& a) { Quit(a.Text(0, L"Script Request"), a.Bool(1, true)); });
  add(L"Minimize", [this](const ScriptArgs&) { Minimize(); });
  add(L"BrowseMedia", [this](const ScriptArgs&) { BrowseMedia(); });
  add(L"Uninstall", [this](const ScriptArgs&) { Uninstall(); });
  add(L"LoadOpts", [this](const ScriptArgs&) { LoadOpts(); });
  add(L"SaveOpts", [this](const ScriptArgs&) { SaveOpts(); });
  add(L"ZoomFlash", [this](const ScriptArgs& a) { ZoomFlash(a.Long(0), a.Long(1, 0)); });
  add(L"Center", [this](const ScriptArgs&) { Center(); });
  add(L"ZoomWindow", [this](const ScriptArgs& a) { ZoomWindow(a.Long(0)); });
  add(L"UpdateSkin", [this](const ScriptArgs&) { UpdateSkin(); });
  add(L"View_Resize", [this](const ScriptArgs&) { View_Resize(); });
  add(L"FullScreen", [this](const ScriptArgs& a) { FullScreen(a.Bool(0), a.Bool(1), a.Bool(2)); });
  add(L"MenuVisible", [this](const ScriptArgs& a) { MenuVisible(a.Bool(0)); });
  // Mode: 1 toggles, 0 hides, anything else (VB's True is -1) shows.
  add(L"TogglePlaylist", [this](const ScriptArgs& a) { TogglePlaylist(static_cast<int>(a.Long(0))); });
  add(L"SetCaption", [this](const ScriptArgs& a) { SetCaption(a.Text(0)); });
  add(L"SetVisual", [this](const ScriptArgs&) { SetVisual(); });
  add(L"ShowPopUp", [this](const ScriptArgs& a) { ShowPopUp(a.Bool(0), a.Bool(1)); });
  add(L"HandyAction", [this](const ScriptArgs& a) { HandyAction(a.Long(0)); });
  add(L"HotKeyAction", [this](const ScriptArgs& a) { HotKeyAction(a.Long(0)); });
  add(L"FitWindow", [this](const ScriptArgs& a) { FitWindow(a.Long(0), a.Long(1), a.Long(2, 0)); });
  add(L"MoveWindow", [this](const ScriptArgs&) { MoveWindow(); });
  add(L"ResizeWindow", [this](const ScriptArgs&) { ResizeWindow(); });
  add(L"UpdateRegion", [this](const ScriptArgs& a) { UpdateRegion(a.Bool(0)); });
  add(L"ShowMenuBar", [this](const ScriptArgs& a) { ShowMenuBar(a.Bool(0)); });
  add(L"ShowFSControls", [this](const ScriptArgs& a) { ShowFSControls(a.Bool(0)); });
  add(L"ShowFSPlaylist", [this](const ScriptArgs& a) { ShowFSPlaylist(a.Bool(0)); });
  add(L"AssignMenus", [this](const ScriptArgs&) {
    if (RunningCompiled) AssignMenus();
  });
  // A skin item's element for a script: its window handle (0 for a windowless element or none).
  o.Add(L"xObj", [this](const ScriptArgs& a) -> ScriptValue {
    forms::Control* c = xObj(static_cast<int>(a.Long(0)));
    return static_cast<long>(reinterpret_cast<uintptr_t>(c ? c->hWnd() : nullptr));
  });
  o.Add(L"FitText", [this](const ScriptArgs& a) -> ScriptValue {
    ScopedWindowDC dc(hWnd());
    return CompactPath(a.Text(0), a.Long(1), dc.get());
  });
  add(L"PlayMedia", [this](const ScriptArgs&) { PlayMedia(); });
  add(L"PauseMedia", [this](const ScriptArgs&) { PauseMedia(); });
  add(L"PlayPauseMedia", [this](const ScriptArgs&) { PlayPauseMedia(); });
  add(L"StopMedia", [this](const ScriptArgs&) { StopMedia(); });
  add(L"SetQuality", [this](const ScriptArgs& a) { SetQuality(a.Text(0)); });
  add(L"SetScaleMode", [this](const ScriptArgs& a) { SetScaleMode(a.Long(0) & 0xFF); });
  add(L"SetRepeatMode", [this](const ScriptArgs& a) { SetRepeatMode(a.Long(0)); });
  add(L"SetSound", [this](const ScriptArgs& a) {
    SetSound(static_cast<int16_t>(a.Long(0)), static_cast<int16_t>(a.Long(1)));
  });
  add(L"MuteSound", [this](const ScriptArgs& a) { MuteSound(a.Bool(0)); });
  add(L"SetFlashAlpha", [this](const ScriptArgs& a) { SetFlashAlpha(static_cast<int>(a.Long(0) & 0xFF)); });
  add(L"StartPlayList", [this](const ScriptArgs&) { StartPlayList(); });
  add(L"OpenMedia", [this](const ScriptArgs& a) { OpenMedia(a.Bool(0)); });
  add(L"AddFavorite", [this](const ScriptArgs& a) { AddFavorite(a.Text(0)); });
  add(L"AddRecent", [this](const ScriptArgs& a) { AddRecent(a.Text(0)); });
  add(L"OpenMovie", [this](const ScriptArgs& a) { OpenMovie(a.Text(0)); });
  add(L"ClearPlaylist", [this](const ScriptArgs&) { ClearPlaylist(); });
  add(L"SetSSState", [this](const ScriptArgs& a) { SetSSState(static_cast<int>(a.Long(0))); });
  add(L"ToggleTimeMode", [this](const ScriptArgs&) { ToggleTimeMode(); });
  o.Add(L"MoviePercent", [this](const ScriptArgs&) -> ScriptValue { return MoviePercent(); });
  add(L"GoToFrame", [this](const ScriptArgs& a) { GoToFrame(a.Double(0)); });
  add(L"FFwd", [this](const ScriptArgs&) { FFwd(); });
  add(L"Rwd", [this](const ScriptArgs&) { Rwd(); });
  add(L"PlayNext", [this](const ScriptArgs&) { PlayNext(); });
  add(L"PlayPrev", [this](const ScriptArgs&) { PlayPrev(); });
  o.Add(L"PlayRandom", [this](const ScriptArgs&) -> ScriptValue { return static_cast<long>(PlayRandom()); });
  add(L"GoLevelUp", [this](const ScriptArgs&) { GoLevelUp(); });
  add(L"GoBack", [this](const ScriptArgs&) { GoBack(); });
  add(L"GoForward", [this](const ScriptArgs&) { GoForward(); });
  add(L"UpdateInfo", [this](const ScriptArgs&) { UpdateInfo(); });
  add(L"WebUpdate", [this](const ScriptArgs& a) { WebUpdate(a.Bool(0)); });
  add(L"SetAsSS", [this](const ScriptArgs& a) { SetAsSS(a.Text(0)); });
  add(L"Generate", [this](const ScriptArgs& a) {
    Generate(a.Long(0), a.Long(1), a.Text(2), a.Long(3), a.Bool(4));
  });
  add(L"ShowTG", [this](const ScriptArgs&) { ShowTG(); });
  add(L"Properties", [this](const ScriptArgs&) { Properties(); });
  add(L"HelpMe", [this](const ScriptArgs&) { HelpMe(); });
  add(L"GoWeb", [this](const ScriptArgs& a) { GoWeb(a.Text(0)); });
  add(L"About", [this](const ScriptArgs&) { ClickMenu(L"mnuAbout"); });

  add(L"BrowseFolder", [this](const ScriptArgs& a) { BrowseFolder(a.Text(0), a.Bool(1)); });
  add(L"SelectBrowseFolder", [this](const ScriptArgs& a) { SelectBrowseFolder(a.Text(0)); });
  add(L"SaveThumbnail", [this](const ScriptArgs&) { SaveThumbnail(); });
  o.Add(L"TakePicture", [this](const ScriptArgs& a) -> ScriptValue { return TakePicture(a.Bool(0)); });
  o.Add(L"SavePlaylist", [this](const ScriptArgs& a) -> ScriptValue { return PlaylistSave(a.Text(0)); });
}

}  // namespace player
