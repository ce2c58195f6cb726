#include "player/window/PlayerWindow.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cmath>

#include "base/ErrorLog.h"
#include "moviefiles/SWFInfo.h"
#include "moviefiles/SWFModule.h"
#include "player/commands/AppCommands.h"
#include "player/commands/CommandHost.h"
#include "player/start/CacheFiles.h"
#include "player/start/CommandLine.h"
#include "player/lists/MediaBrowser.h"
#include "player/movie/MovieLoader.h"
#include "player/start/MyFlashFolder.h"
#include "player/start/OptionStore.h"
#include "player/commands/PlayerMenus.h"
#include "player/window/PostedCalls.h"
#include "player/window/Shutdown.h"
#include "player/window/SkinSeam.h"
#include "skin/SkinLayout.h"
#include "services/AppIdentity.h"
#include "services/FileAssociations.h"
#include "services/Languages.h"
#include "services/Options.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "services/Tips.h"
#include "ui/LanguageForms.h"
#include "ui/OwnerDrawn.h"
#include "ui/Window.h"

namespace player {

PlayerWindow Player;

namespace {

constexpr int kAddressBarHeight = 22;

forms::FormArgs PlayerDesign() {
  forms::FormArgs d;
  d.Caption = std::wstring(app::kTitle) + L" - ";
  d.ClientWidth = 550;
  d.ClientHeight = 400;
  d.KeyPreview = true;
  d.BackColor = RGB(0, 0, 0);
  return d;
}

}  // namespace

// The window's side of the shut-down sequence.
class PlayerWindow::Steps : public QuitSteps {
 public:
  explicit Steps(PlayerWindow& w) : w_(w) {}
  bool WindowReady() const override { return PlayerReady && w_.IsLoaded(); }
  bool OptionsLoaded() const override { return w_.optionsLoaded_; }
  bool FirstInstance() const override { return w_.PrevInstanceWnd == nullptr && w_.handleWritten_; }
  void HideWindow() override { w_.Hide(); }
  void ClearPlaylist() override { w_.PlaylistClear(); }
  void ReleaseHooks() override {
    w_.UnregisterHotKeys();
    w_.UnhookFlashWindow();
    if (w_.hooked_) {
      w_.formX_.SetHookedForm(nullptr);
      w_.hooked_ = false;
    }
  }
  void SaveOptions() override { w_.SaveOpts(); }
  void RestoreScreenSaver() override { w_.SetSSState(w_.savedScreenSaver_); }
  void ClearCache() override {
    if (w_.optionsLoaded_) w_.ClearCacheFiles(Options().CacheMode);
  }
  void ResetInstanceHandle() override { SaveRegString(L"Window", L"hWnd", L"0"); }
  void SetNoFaultBoxes() override {
    if (RunningCompiled) SetErrorMode(SEM_NOGPFAULTERRORBOX);
  }
  void MarkNotReady() override { PlayerReady = false; }
  void UnloadWindows() override {
    w_.script_.Stop();
    UnloadAllForms();
  }
  void LogQuit(const std::wstring& reason) override {
    WriteLog(L"");
    WriteLog(L"<B>Quit: " + reason + L"</B>");
  }

 private:
  PlayerWindow& w_;
};

PlayerWindow::PlayerWindow()
    : Form(L"Player", PlayerDesign()),
      host_(MakePlayerHost(*this)),
      listsHost_(MakePlaylistHost(*this)),
      commands_(MakeCommandHost(*this)),
      browser_(MakeBrowserWindow(*this)),
      playlist_(*listsHost_),
      recent_(Options(), [](const std::wstring& path) { SHAddToRecentDocs(SHARD_PATHW, path.c_str()); }) {
  OnLoad = [this] { Form_Load(); };
  OnResize = [this] { Form_Resize(); };
  OnUnload = [this](bool&) {
    if (PlayerReady && !quitStarted_) Quit(L"Form Unload", true);
    UnhookFlashWindow();
    if (hooked_) {
      formX_.SetHookedForm(nullptr);
      hooked_ = false;
    }
    if (Skin().Reset) Skin().Reset();
    script_.Stop();
    control_.reset();
    swf_.reset();
    if (MainForm == hWnd()) MainForm = nullptr;
  };
  RegisterScriptMembers();
}

PlayerWindow::~PlayerWindow() {
  control_.reset();
  swf_.reset();
}

void PlayerWindow::CreateControls() {
  auto tip = forms::Placed<forms::TimerArgs>(L"tmrTip", 0, 0, 0, 0);
  tip.Interval = 45000;
  tip.Enabled = false;
  Add<forms::Timer>(tip);

  AddPlaylistBox();

  auto address = forms::Placed<forms::ComboBoxArgs>(L"AddressBar", 0, 0, 100, kAddressBarHeight);
  address.Visible = false;
  Add<forms::ComboBox>(address);
  WireAddressBar();

  auto update = forms::Placed<forms::TimerArgs>(L"tmrUpdate", 0, 0, 0, 0);
  update.Interval = 300;
  update.Enabled = false;
  Add<forms::Timer>(update).OnTimer = [this] { tmrUpdate_Timer(); };

  // The browse page's missing thumbnails: a slice of work at each tick.
  auto thumbs = forms::Placed<forms::TimerArgs>(L"tmrThumbs", 0, 0, 0, 0);
  thumbs.Interval = 15;
  thumbs.Enabled = false;
  Add<forms::Timer>(thumbs).OnTimer = [this] { ThumbnailTick(); };

  auto view = forms::Placed<forms::PictureBoxArgs>(L"View", 0, 0, 100, 100);
  view.BackColor = RGB(0, 0, 0);
  forms::PictureBox& viewBox = Add<forms::PictureBox>(view);
  viewBox.OnResize = [this] { View_Resize(); };
  viewBox.OnMouseMove = [this](int button, int shift, int x, int y) { View_MouseMove(button, shift, x, y); };
  viewBox.OnMouseDown = [this](int button, int shift, int x, int y) { View_MouseDown(button, shift, x, y); };

  // The failure notice over the movie area: a load that fails says so here.
  auto notice = forms::Placed<forms::PictureBoxArgs>(L"picNotice", 0, 0, 100, 56);
  notice.Container = &viewBox;
  notice.Visible = false;
  notice.BackColor = forms::SysColor(COLOR_INFOBK);
  forms::PictureBox& noticeBox = Add<forms::PictureBox>(notice);
  auto noticeText = forms::Placed<forms::LabelArgs>(L"lblNotice", 8, 6, 84, 44);
  noticeText.Container = &noticeBox;
  noticeText.BackStyle = 0;
  noticeText.WordWrap = true;
  noticeText.UseMnemonic = false;
  noticeText.ForeColor = forms::SysColor(COLOR_INFOTEXT);
  Add<forms::Label>(noticeText);

  AddMenus(PlayerMenuDesign());
  WireCommands();
}

// ---------------------------------------------------------------- life cycle

void PlayerWindow::Form_Load() {
  WriteLog(L"");
  WriteLog(L" :: Form Load");
  quitStarted_ = false;
  pendingQuit_ = {};
  caption_ = Caption();

  forms::PictureBox* view = Find<forms::PictureBox>(L"View");
  try {
    swf_ = std::make_unique<flash::FlashControl>(view->hWnd(), 0, 0, view->Width(), view->Height());
    swf_->SetVisible(true);
    control_ = WrapFlashControl(*swf_);
    swf_->OnFSCommand = [this](const std::wstring& command, const std::wstring& args) {
      SWF_FSCommand(command, args);
    };
    swf_->OnReadyStateChange = [this](long state) { SWF_OnReadyStateChange(state); };
    swf_->OnGetURL = [this](const std::wstring& url, const std::wstring& target) { SWF_OnGetURL(url, target); };
  } catch (...) {
    control_.reset();
    swf_.reset();
    ReportError(L"Loading Window (the movie control is not available)");
  }
  PlaylistClear();
  SaveDefaultRegion();

  // Only the first instance names its window as the one to hand over to.
  if (!PrevInstanceWnd) {
    SaveRegString(L"Window", L"hWnd", std::to_wstring(reinterpret_cast<uintptr_t>(hWnd())));
    handleWritten_ = true;
  }
  LoadOpts();
  // The heartbeat runs from here to the window's unload.
  if (auto* t = Find<forms::Timer>(L"tmrUpdate")) t->SetEnabled(true);

  if (RunningCompiled) {
    WireEvents();
    hooked_ = formX_.SetHookedForm(this);
    if (hooked_) formX_.SetDragDrop(true);
    RegisterHotKeys();
    HookFlashWindow(view->hWnd());
  }

  bool skinned = false;
  if (Skin().Load) {
    try {
      skinned = Skin().Load(*this);
    } catch (...) {
      skinned = false;
    }
  }
  SetSkinLoaded(skinned);
  if (skinned) UpdateSkin();
  FillLanguageMenu(*this);
  SetVisual();

  // Only a maximised window comes back in its state: a window saved while
  // minimised starts normal and on the screen.
  if (!MenuChecked(L"mnuFullScreen") && GetRegLong(L"Window", L"State", forms::vbNormal) == forms::vbMaximized)
    SetWindowState(forms::vbMaximized);

  forms::DoEvents();
  BringWindowToTop(hWnd());
  MainForm = hWnd();
  PlayerReady = true;
  SetFormIcon(hWnd(), MAKEINTRESOURCEW(1), true);

  script_.SetErrorSink([](const std::wstring& description) { WriteLog(L"Script error: " + description); });
  if (!script_.Start(L"Player", &members_, hWnd())) ReportError(L"Loading Player", script_.LastFailure());
}

void PlayerWindow::Form_Resize() {
  if (!IsLoaded()) return;
  const int w = Width(), h = Height();
  if (w == lastWidth_ && h == lastHeight_) return;
  lastWidth_ = w;
  lastHeight_ = h;
  if (WindowState() == forms::vbNormal && Browsed) {
    Options().BrowseWidth = forms::PixelsToTwips(w);
    Options().BrowseHeight = forms::PixelsToTwips(h);
  }
  UpdateSkin();
  if (!swf_ || CurrentSWFInfo.Width <= 0 || CurrentSWFInfo.Height <= 0) return;
  const double rx = static_cast<double>(swf_->Width()) / CurrentSWFInfo.Width;
  const double ry = static_cast<double>(swf_->Height()) / CurrentSWFInfo.Height;
  const bool anyZoom = MenuChecked(L"mnuZoom50") || MenuChecked(L"mnuZoom100") || MenuChecked(L"mnuZoom200");
  if (rx != ry && !anyZoom) return;
  SetChecked(L"mnuZoom50", false);
  SetChecked(L"mnuZoom100", false);
  SetChecked(L"mnuZoom200", false);
  if (rx != ry) return;
  if (rx == 1.0)
    SetChecked(L"mnuZoom100", true);
  else if (rx == 2.0)
    SetChecked(L"mnuZoom200", true);
  else if (rx == 0.5)
    SetChecked(L"mnuZoom50", true);
}

void PlayerWindow::Quit(const std::wstring& reason, bool save) {
  // Inside a script statement the engine is still running our call: the quit
  // is carried out once the statement has returned, and the rest of the
  // statement does not run.
  if (members_.InCall()) {
    if (!pendingQuit_.due) pendingQuit_ = {true, reason, save};
    throw ScriptAbort{};
  }
  if (quitStarted_) return;
  quitStarted_ = true;
  Steps steps(*this);
  RunQuit(steps, reason, save);
  PostQuitMessage(0);
}

void PlayerWindow::Minimize() { SetWindowState(forms::vbMinimized); }

void PlayerWindow::BrowseMedia() {
  WriteLog(L"");
  WriteLog(L" :: Media Browse");
  BrowseFolder(Host().Opts().CurrentFolder, true);
}

void PlayerWindow::Uninstall() {
  RemoveProgramData({CacheFolder, UserDataFolder, UserSkinFolder,
                     {LastPlayedFile, UserDataFolder + L"browse.xml", UserDataFolder + L"intro.xml",
                      UserDataFolder + L"about.xml", LogFile}});
  try {
    SetFileAssociations(false, false, false);
  } catch (...) {
  }
  Quit(L"Unistallation", false);
}

void PlayerWindow::ClearCacheFiles(long mode) { player::ClearCacheFiles(CacheFolder, mode); }

// ---------------------------------------------------------------- options

void PlayerWindow::LoadOpts() {
  WriteLog(L"");
  WriteLog(L" :: Load Options");
  OptionSet& o = Options();
  // The defaults that depend on the machine and the window.
  if (o.MyFlashFolder.empty()) o.MyFlashFolder = AddBackslash(GetSpecialFolder(CSIDL_PERSONAL)) + L"My Flash";
  const WindowPlace place = NormalPlacement();
  o.Place = place;
  if (o.Update.Build == 0) o.Update.Build = app::kVersionRevision;
  ReadOptionSet(o, TodayText());

  SetQuality(o.Quality);
  SetScaleMode(o.ScaleMode);
  curFlashAlpha = o.FlashAlpha;
  TogglePlaylist(o.Playlist ? kPlaylistShow : kPlaylistHide);
  SetChecked(L"mnuHideUI", o.HideUI);
  if (o.HideUI) FullScreen(true, true, true);
  SetRepeatMode(o.RepeatMode);
  SetChecked(L"mnuNonStop", o.NonStop);
  SetChecked(L"mnuShuffle", o.Shuffle);
  SetChecked(L"mnuSortForward", o.SortForward);
  SetChecked(L"mnuSortBack", !o.SortForward);
  SetChecked(L"mnuShowFolder", o.ShowFolder);
  SetChecked(L"mnuShowVideo", o.ShowVideo);
  SetChecked(L"mnuShowMovie", o.ShowMovie);
  SetChecked(L"mnuShowProjector", o.ShowProjector);
  for (const wchar_t* item : {L"mnuSortName", L"mnuSortType", L"mnuSortSize", L"mnuSortDate"}) {
    forms::Menu* m = MenuItem(item);
    if (m) m->SetChecked(StrEqualNoCase(m->Tag(), o.SortBy));
  }
  Volume = o.Volume;
  LastVolume = Volume;
  StereoPan = o.Pan;
  Muted = o.Mute;
  MuteSound(Muted);
  SetChecked(L"mnuTips", o.Tips);
  TimeMode = o.TimeMode;
  GenericProjectors = o.GenericProjectors;
  o.ProjectorPath = BinaryFolder + L"projector.dll";
  ProjectorStubPath = o.ProjectorPath;
  savedScreenSaver_ = FALSE;
  SystemParametersInfoW(SPI_GETSCREENSAVEACTIVE, 0, &savedScreenSaver_, 0);
  optionsLoaded_ = true;
  if (o.DisableScreenSaver) SetSSState(0);
  if (o.Update.Build < app::kVersionRevision && RunningCompiled) o.Update.Build = app::kVersionRevision;

  if (!PathIsDirectoryW(o.MyFlashFolder.c_str())) MakeDir(o.MyFlashFolder);
  MakeMyFlashFolder(o.MyFlashFolder);
  LastPlayedFile = UserDataFolder + L"Last Played.swfzel";
  ScreenShotsFolder = o.MyFlashFolder + L"ScreenShots\\";
  {
    // The browser's folder is the one saved, not the newest recent file's.
    const std::wstring folder = o.CurrentFolder;
    LoadRecent();
    o.CurrentFolder = folder;
  }
  LoadFavorites(true);

  SetChecked(L"mnuTopMost", o.TopMost);
  if (IsLoaded()) SetTopMost(hWnd(), o.TopMost);
  SetChecked(L"mnuMenuBar", o.MenuBar);
  MenuBar = o.MenuBar;
  SetChecked(L"mnuHandyKeys", o.HandyKeys);
  SetChecked(L"mnuKeepSize", o.KeepSize);
  SetChecked(L"mnuAspectRatio", o.AspectRatio);
  ScreenSaverEXE = o.ScreenSaverEXE;
  if (WindowState() == forms::vbNormal) ApplyPlacement();
  if (o.Centered) Center();
}

void PlayerWindow::SaveOpts() {
  WriteLog(L"");
  WriteLog(L" :: Save Options");
  OptionSet& o = Options();
  if (swf_) {
    o.Quality = swf_->Quality2();
    o.ScaleMode = ScaleModeToSave(*this, swf_->ScaleMode());
  }
  o.FlashAlpha = static_cast<uint8_t>(curFlashAlpha);
  o.Playlist = MenuChecked(L"mnuPlaylist");
  o.HideUI = MenuChecked(L"mnuHideUI");
  o.NonStop = MenuChecked(L"mnuNonStop");
  o.Shuffle = MenuChecked(L"mnuShuffle");
  o.SortForward = MenuChecked(L"mnuSortForward");
  o.ShowFolder = MenuChecked(L"mnuShowFolder");
  o.ShowVideo = MenuChecked(L"mnuShowVideo");
  o.ShowMovie = MenuChecked(L"mnuShowMovie");
  o.ShowProjector = MenuChecked(L"mnuShowProjector");
  for (const wchar_t* item : {L"mnuSortDate", L"mnuSortSize", L"mnuSortType", L"mnuSortName"}) {
    if (forms::Menu* m = MenuItem(item); m && m->Checked()) o.SortBy = m->Tag();
  }
  o.Volume = static_cast<uint8_t>(Muted ? LastVolume : Volume);
  o.Pan = static_cast<int16_t>(StereoPan);
  o.Mute = Muted;
  o.Tips = MenuChecked(L"mnuTips");
  o.OneInstance = OneInstance;
  o.TimeMode = TimeMode;
  if (CurLang >= 0 && CurLang < static_cast<long>(LanguageList.size())) o.Language = LanguageList[CurLang].Name;
  o.GenericProjectors = GenericProjectors;
  o.TopMost = MenuChecked(L"mnuTopMost");
  o.MenuBar = MenuChecked(L"mnuMenuBar");
  o.KeepSize = MenuChecked(L"mnuKeepSize");
  o.AspectRatio = MenuChecked(L"mnuAspectRatio");
  o.HandyKeys = MenuChecked(L"mnuHandyKeys");
  if (IsLoaded()) {
    o.Place = NormalPlacement();
    o.State = WindowState();
  }
  o.FontName = LangFont.Name;
  o.FontSize = LangFont.Size;
  WriteOptionSet(o);
  recent_.Save();
  favorites_.Save();
  try {
    SetFileAssociations(o.AssocSWF, o.AssocFLV, o.AssocPL);
  } catch (...) {
  }
}

WindowPlace PlayerWindow::NormalPlacement() const {
  WindowPlace place;
  if (!IsLoaded()) return place;
  // The restored rectangle whatever the state, so a window closed while
  // minimised or maximised comes back where it was last normal.
  WINDOWPLACEMENT wp{};
  wp.length = sizeof(wp);
  RECT r{};
  if (GetWindowPlacement(hWnd(), &wp)) {
    r = wp.rcNormalPosition;
  } else {
    GetWindowRect(hWnd(), &r);
  }
  place.Left = forms::PixelsToTwips(r.left);
  place.Top = forms::PixelsToTwips(r.top);
  place.Width = forms::PixelsToTwips(r.right - r.left);
  place.Height = forms::PixelsToTwips(r.bottom - r.top);
  return place;
}

void PlayerWindow::ApplyPlacement() {
  if (!IsLoaded()) return;
  const WindowPlace& p = Options().Place;
  RECT wanted{forms::TwipsToPixels(p.Left), forms::TwipsToPixels(p.Top),
              forms::TwipsToPixels(p.Left) + forms::TwipsToPixels(p.Width),
              forms::TwipsToPixels(p.Top) + forms::TwipsToPixels(p.Height)};
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT r = ClampToWorkArea(wanted, work);
  Move(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// ---------------------------------------------------------------- command line and scripts

void PlayerWindow::ProcessCommandLine(const std::wstring& text) {
  const std::wstring line = ScriptCommandLine(text);
  if (IsExecCommand(line)) {
    RunCommandLineStatement(Host(), line);
    return;
  }
  std::vector<std::wstring> names = SplitCommandLine(line);
  if (names.size() > kMaxCommandLineNames) {
    WriteLog(L"The command line names " + std::to_wstring(names.size()) + L" files: only the first " +
             std::to_wstring(kMaxCommandLineNames) + L" are taken");
    names.resize(kMaxCommandLineNames);
  }
  PlaylistClear();
  PlaylistAdd(names);
  PlaylistPlayItem(0);
}

void PlayerWindow::ExecuteStatement(const std::wstring& statement) {
  script_.ClearError();
  members_.ClearAborted();
  script_.Execute(statement);
  WriteLog(L"Script result: " + script_.LastError());
  if (pendingQuit_.due && !members_.InCall()) {
    PendingQuit quit = pendingQuit_;
    pendingQuit_ = {};
    Quit(quit.reason, quit.save);
  }
}

void PlayerWindow::CopyDataArrived(const std::wstring& text) {
  if (text.empty() || !IsLoaded() || quitStarted_) return;
  if (WindowState() == forms::vbMinimized)
    SetWindowState(MenuChecked(L"mnuFullScreen") ? forms::vbMaximized : forms::vbNormal);
  WriteLog(L"Other Instance Requested: \"" + text + L"\"");
  ProcessCommandLine(text);
}

// ---------------------------------------------------------------- movie loading

void PlayerWindow::ShowNotice(const std::wstring& text) {
  auto* box = Find<forms::PictureBox>(L"picNotice");
  auto* label = Find<forms::Label>(L"lblNotice");
  if (!box || !label) return;
  label->SetCaption(text);
  // The text is the notice window's own too, for whoever reads windows (screen readers, tests).
  if (box->hWnd()) SetWindowTextW(box->hWnd(), text.c_str());
  box->SetVisible(!text.empty());
  if (!text.empty()) {
    box->ZOrder(forms::vbBringToFront);
    View_Resize();
  }
}

std::wstring PlayerWindow::NoticeText() const {
  auto* box = Find<forms::PictureBox>(L"picNotice");
  auto* label = Find<forms::Label>(L"lblNotice");
  return box && label && box->Visible() ? label->Caption() : std::wstring();
}

// ---------------------------------------------------------------- geometry and views

Frame PlayerWindow::CurrentFrame() const {
  Frame f;
  f.XOffset = XOffset;
  f.YOffset = YOffset;
  f.SkinXOffset = SkinXOffset;
  f.SkinYOffset = SkinYOffset;
  f.MinWidth = MinWidth;
  f.MinHeight = MinHeight;
  return f;
}

void PlayerWindow::ZoomFlash(long percent, long count) {
  if (!IsLoaded() || WindowState() != forms::vbNormal) return;
  SetChecked(L"mnuKeepSize", false);
  if (percent <= 0) count = 0;
  RunZoomPasses(count, [this, percent] {
    SIZE present{swf_ ? swf_->Width() : 0, swf_ ? swf_->Height() : 0};
    const SIZE area = ZoomArea(CurrentSWFInfo.Width, CurrentSWFInfo.Height, percent, present);
    if (area.cx <= 0 || area.cy <= 0) return false;
    SIZE size = WindowSizeForArea(area, CurrentFrame());
    // No larger than the screens can show several times over.
    size.cx = std::min<long>(size.cx, 8L * std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), 640));
    size.cy = std::min<long>(size.cy, 8L * std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN), 480));
    POINT at{Left(), Top()};
    if (Options().Centered)
      at = CenteredOrigin(size, SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    if (at.x == Left() && at.y == Top() && size.cx == Width() && size.cy == Height()) return false;
    Move(at.x, at.y, size.cx, size.cy);
    return true;
  });
}

void PlayerWindow::Center() {
  if (!IsLoaded() || WindowState() != forms::vbNormal || !Options().Centered) return;
  const POINT at = CenteredOrigin(SIZE{Width(), Height()},
                                  SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  Move(at.x, at.y, Width(), Height());
}

void PlayerWindow::UpdateSkin() {
  if (!IsLoaded()) return;
  RECT client{};
  GetClientRect(hWnd(), &client);
  const int innerW = client.right, innerH = client.bottom;
  if (!MenuChecked(L"mnuHideUI")) {
    XOffset = Width() - innerW;
    YOffset = Height() - innerH;
  } else {
    XOffset = YOffset = 0;
  }
  auto* list = Find<forms::ListBox>(L"PlayList");
  auto* view = Find<forms::PictureBox>(L"View");
  auto* address = Find<forms::ComboBox>(L"AddressBar");
  if (SkinIsLoaded() && Skin().Arrange) {
    LockWindowUpdate(hWnd());
    try {
      const SkinLayout layout = Skin().Arrange(*this);
      SkinXOffset = layout.SkinXOffset;
      SkinYOffset = layout.SkinYOffset;
      MinWidth = layout.MinWidth;
      MinHeight = layout.MinHeight;
      UpdateRegion(false);
    } catch (...) {
    }
    LockWindowUpdate(nullptr);
    View_Resize();
    return;
  }
  SkinXOffset = SkinYOffset = 0;
  if (!list || !view) return;
  const int listW = list->Width();
  list->Move(innerW - listW, 0, listW, innerH);
  const int barH = address ? kAddressBarHeight : 0;
  const int viewH = std::max(0, innerH - (Browsed ? barH : 0));
  if (list->Visible()) {
    SkinXOffset = listW;
    view->Move(0, 0, std::max(0, innerW - listW), viewH);
    if (address) address->Move(0, innerH - barH, list->Left(), barH);
  } else {
    view->Move(0, 0, innerW, viewH);
    if (address) address->Move(0, innerH - barH, innerW, barH);
  }
  View_Resize();
}

void PlayerWindow::View_Resize() {
  if (flashHook_) flashHook_->LayoutChanged();
  auto* view = Find<forms::PictureBox>(L"View");
  if (!view) return;
  const int w = view->ScaleWidth(), h = view->ScaleHeight();
  if (swf_) {
    const RECT r = ControlRectInView(w, h, CurrentSWFInfo.Width, CurrentSWFInfo.Height, swf_->ScaleMode(),
                                     Options().Crop);
    swf_->Move(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  if (auto* notice = Find<forms::PictureBox>(L"picNotice"); notice && notice->Visible()) {
    notice->Move(0, 0, w, notice->Height());
    if (auto* label = Find<forms::Label>(L"lblNotice")) label->Move(8, 6, std::max(0, w - 16), notice->Height() - 12);
  }
}

void PlayerWindow::SetCaption(const std::wstring& caption) {
  // The caption is how a second start finds this window: it is set in every
  // mode (with the title bar hidden it is not seen, but still read).
  caption_ = caption;
  Form::SetCaption(caption);
}

void PlayerWindow::TogglePlaylist(int mode) {
  const bool was = MenuChecked(L"mnuPlaylist");
  const bool shown = mode == kPlaylistToggle ? !was : mode != kPlaylistHide;
  SetChecked(L"mnuPlaylist", shown);
  auto* list = Find<forms::ListBox>(L"PlayList");
  const bool hideUI = MenuChecked(L"mnuHideUI");
  if (list) list->SetVisible(shown && !(hideUI && HiddenFSPlaylist));
  if (!SkinIsLoaded() && !hideUI && IsLoaded() && list && WindowState() == forms::vbNormal &&
      list->Visible() != (SkinXOffset > 0)) {
    Move(Left(), Top(), Width() + (shown ? list->Width() : -list->Width()), Height());
  }
  if (SkinIsLoaded()) {
    SlydeTogglePlaylist();
    // The window widens or narrows for the pane only when it comes or goes.
    if (shown != was) SlydeResizeForPlaylist();
  }
  UpdateSkin();
  if (list) list->SetVisible(shown && !(MenuChecked(L"mnuHideUI") && HiddenFSPlaylist));
}

void PlayerWindow::MenuVisible(bool show) {
  SetChecked(L"mnuMenuBar", show);
  MenuBar = show;
  UpdateRegion(true);
}

void PlayerWindow::ZoomWindow(int state) {
  if (!IsLoaded()) return;
  if (state == 0)
    SetWindowState(forms::vbNormal);
  else if (state == 1)
    SetWindowState(forms::vbMaximized);
  else
    SetWindowState(WindowState() != forms::vbNormal ? forms::vbNormal : forms::vbMaximized);
}

void PlayerWindow::SetSSState(int flag) {
  SystemParametersInfoW(SPI_SETSCREENSAVEACTIVE, flag ? TRUE : FALSE, nullptr, 0);
}

// ---------------------------------------------------------------- menus and events

forms::Menu* PlayerWindow::MenuItem(const std::wstring& name, int index) const { return FindMenu(name, index); }

bool PlayerWindow::MenuChecked(const std::wstring& name, int index) const {
  forms::Menu* m = MenuItem(name, index);
  return m && m->Checked();
}

void PlayerWindow::SetChecked(const std::wstring& name, bool on, int index) {
  if (forms::Menu* m = MenuItem(name, index)) m->SetChecked(on);
}

bool PlayerWindow::ClickMenu(const std::wstring& name, int index) {
  forms::Menu* m = name.empty() ? nullptr : MenuItem(name, index);
  if (!m) return false;
  forms::Raise(L"Player menu", m->OnClick);
  return true;
}

void PlayerWindow::Unavailable(const std::wstring& operation) {
  WriteLog(L"Not available: " + operation);
}

void PlayerWindow::WireEvents() {
  formX_.ActivateApp = [this](bool& active) {
    // The global hot keys belong to the player only while it is the active program.
    if (active)
      RegisterHotKeys();
    else
      UnregisterHotKeys();
    NotActive = !active;
    if (IsLoaded()) DrawMenuBar(hWnd());
    SkinActivated(active);
  };
  formX_.HotKey = [this](long& id, LPARAM&) { HotKeyAction(id); };
  formX_.MouseEnter = [this](forms::Control& control) { SkinHovered(control, true); };
  formX_.MouseExit = [this](forms::Control& control) { SkinHovered(control, false); };
  formX_.AppCommand = [this](long command, long, long, bool& handled) {
    handled = DispatchAppCommand(
        command, [this](const std::wstring& item) { ClickMenu(item); }, [this] { BrowseFolder(Host().Opts().MyFlashFolder, false); });
  };
  // The sender waits on this message: take a copy of the text and answer at
  // once; the work is done from the message loop.
  formX_.CopyData = [](std::wstring& text, HWND&) {
    std::wstring copy = text;
    PostCall([copy] { Player.CopyDataArrived(copy); });
  };
  formX_.FileDropped = [this](std::vector<std::wstring>& files, long& x, long& y) {
    std::vector<std::wstring> dropped = files;
    POINT at{x, y};
    ClientToScreen(hWnd(), &at);
    bool onList = false;
    if (auto* list = Find<forms::ListBox>(L"PlayList"); list && list->Visible() && list->hWnd()) {
      RECT r{};
      GetWindowRect(list->hWnd(), &r);
      onList = at.x > r.left && at.x < r.right && at.y > r.top && at.y < r.bottom;
    }
    PostCall([this, dropped, onList] {
      if (!onList) PlaylistClear();
      PlaylistAdd(dropped);
      if (!onList) PlaylistPlayItem(0);
    });
  };
  formX_.GetMinMaxInfo = [this](long&, long&, long&, long&, long& minX, long& minY, long&, long&) {
    if (MinWidth > 0) minX = MinWidth;
    if (MinHeight > 0) minY = MinHeight;
  };
  formX_.Resizing = [this](long& l, long& t, long& r, long& b, int edge) {
    if (!MenuChecked(L"mnuAspectRatio") || Browsed) return;
    RECT rect{l, t, r, b};
    if (KeepAspectWhileSizing(rect, edge, CurrentSWFInfo.Width, CurrentSWFInfo.Height, CurrentFrame())) {
      l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    }
  };
}

}  // namespace player
