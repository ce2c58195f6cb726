#include "player/movie/MovieLoader.h"

#include <shlwapi.h>

#include "base/ErrorLog.h"
#include "moviefiles/MovieCache.h"
#include "moviefiles/Projector.h"
#include "moviefiles/SWFModule.h"
#include "player/start/CommandLine.h"
#include "player/movie/Transport.h"
#include "services/AppIdentity.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace player {
namespace {

std::wstring WithoutQuotes(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'"') out += c;
  return out;
}

bool IsFolder(const std::wstring& path) { return !path.empty() && PathIsDirectoryW(path.c_str()); }

// The size of a file, or -1 when it cannot be read.
long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// The checks before reading: "" when the file may be read.
std::wstring CheckFile(const std::wstring& file) {
  if (!FileExists(file)) {
    WriteLog(L"Not found");
    return L"File Not Found";
  }
  if (FileSize(file) < 8) {
    WriteLog(L"File is too short!");
    return L"File is Too Small to Be Valid";
  }
  return L"";
}

// A load that failed: the movie still in the control (if any) goes on under
// the heartbeat with its own record.
void LoadFailed(PlayerHost& host, const std::wstring& file, const std::wstring& failure, bool internal) {
  PlayerState& s = host.State();
  ++s.FailedLoads;
  MovieControl* c = host.Control();
  const bool movieStays = c && c->TotalFrames() > 0;
  s.CurrentSWFInfo = movieStays ? s.LoadedSWFInfo : SWFInfo{};
  if (!internal && s.Browsed) host.ShowBrowsePage(true, failure);
  host.ShowNotice(LangText(L"Player/strLoadFailed", L"The movie could not be loaded") + L": " + failure + L"\r\n" +
                  file);
  WriteLog(L"Failed to load, since " + failure);
  if (movieStays) host.SetHeartbeat(true);
}

// Replaces a projector by the movie taken out of it: the movie is moved to
// the projector's path & ".swf" (never over an existing file) and the
// projector goes to the Recycle Bin. True when the moved movie was loaded.
bool ReplaceProjector(PlayerHost& host, const std::wstring& projector, const std::wstring& query,
                      const SWFInfo& info) {
  const std::wstring target = projector + L".swf";
  if (PathFileExistsW(target.c_str())) {
    WriteLog(L"Projector kept: " + target + L" exists");
    return false;
  }
  if (!MoveFileExW(info.Path.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED)) {
    WriteLog(L"Projector kept: the movie could not be moved to " + target);
    return false;
  }
  if (!host.Recycle(projector)) WriteLog(L"The projector could not be removed: " + projector);
  std::wstring next = target + query;
  LoadFlash(host, next, L"", false);
  return true;
}

void EnterOrLeaveBrowsePage(PlayerHost& host, bool browserPage) {
  PlayerState& s = host.State();
  MovieControl* c = host.Control();
  if (browserPage && !s.Browsed) {
    host.SetEnabled(L"mnuScale", false);
    s.SavedScaleMode = c ? c->ScaleMode() : host.Opts().ScaleMode;
    SetScaleMode(host, 3);
    if (host.WindowNormal() && !host.Checked(L"mnuKeepSize")) host.SizeForBrowsing();
    s.Browsed = true;
  } else if (!browserPage && s.Browsed) {
    host.SetEnabled(L"mnuScale", true);
    SetScaleMode(host, 0);
    s.Browsed = false;
  }
}

}  // namespace

bool IsProgramPage(const std::wstring& file) {
  if (FlashFolder.empty() || file.empty()) return false;
  for (const wchar_t* page : kProgramPages)
    if (SamePath(file, FlashFolder + page)) return true;
  return false;
}

void RunCommandLineStatement(PlayerHost& host, const std::wstring& line) {
  if (!IsScriptStatement(line)) {
    WriteLog(L"Not run: no statement after /exec");
    return;
  }
  PlayerState& s = host.State();
  const std::wstring statement = ScriptStatementOf(line);
  WriteLog(L"Execute script: " + statement);
  // The statement is shown on the browse page when that is what the window
  // shows (or nothing is loaded); a movie that plays stays: the statement acts on it.
  const MovieControl* shown = host.Control();
  if (s.Browsed || !shown || shown->FrameNum() < 0) host.ShowBrowsePage(true, L"Execution: " + statement + L" >> ");
  host.ExecuteStatement(statement);
}

MovieMenus MovieMenuRules(const MovieFacts& f) {
  MovieMenus m{};
  const bool movie = !(f.internal || f.video);
  m.Playback = m.Convert = movie;
  m.Info = !f.internal;
  m.ShowExplorer = f.browserPage || !f.internal;
  m.Extract = !(f.extractorOpen || f.internal || f.video);
  m.Desktop = !(f.desktopOpen || f.internal || f.video);
  m.Thumbnail = !f.internal;
  m.ScreenSaver = f.screenSaverFileExists && !f.internal;
  m.PopPlay = m.PopStop = m.PopConvert = movie;
  m.PopInfo = !f.internal;
  m.ConvertFromProjector = f.fromProjector;
  return m;
}

void ApplyMovieMenus(PlayerHost& host, const MovieMenus& m) {
  host.SetEnabled(L"MenuPlayback", m.Playback);
  host.SetEnabled(L"mnuConvert", m.Convert);
  host.SetEnabled(L"mnuInfo", m.Info);
  host.SetEnabled(L"mnuShowExplorer", m.ShowExplorer);
  host.SetEnabled(L"mnuExtract", m.Extract);
  host.SetEnabled(L"mnuDesktop", m.Desktop);
  host.SetEnabled(L"mnuThumbnail", m.Thumbnail);
  host.SetEnabled(L"mnuScreenSaver", m.ScreenSaver);
  host.SetMenuVisible(L"mnuPopPlay", m.PopPlay);
  host.SetMenuVisible(L"mnuPopStop", m.PopStop);
  host.SetMenuVisible(L"mnuPopConvert", m.PopConvert);
  host.SetMenuVisible(L"mnuPopInfo", m.PopInfo);
  host.SetMenuCaption(L"mnuConvert", m.ConvertFromProjector ? LangText(L"Player/mnuConvertEXE", L"Convert EXE to SWF")
                                                            : LangText(L"Player/mnuConvert", L"Convert to EXE"));
}

long ScaleModeToSave(const PlayerState& state, long controlScaleMode) {
  return state.Browsed ? state.SavedScaleMode : controlScaleMode;
}

void LoadFlash(PlayerHost& host, std::wstring& path, std::wstring caption, bool browserPage) {
  WriteLog(L"");
  WriteLog(L" :: LoadFlash (" + path + L")... ");
  PlayerState& s = host.State();
  path = WithoutQuotes(path);
  // A file's path only: statements come from the command line alone.
  if (IsExecCommand(path)) {
    WriteLog(L"Not loaded: a script statement is no movie");
    return;
  }
  if (path.empty()) {
    host.BrowseMedia();
    return;
  }
  std::wstring file = path, query;
  if (const size_t q = path.rfind(L'?'); q != std::wstring::npos) {
    file = path.substr(0, q);
    query = path.substr(q);
  }
  const bool internal = IsProgramPage(file);
  host.SetHeartbeat(false);

  if (IsFolder(file)) {
    host.BrowseFolder(file, false);
    if (MovieControl* c = host.Control(); c && c->TotalFrames() > 0) host.SetHeartbeat(true);
    return;
  }
  SWFInfo info;
  std::wstring failure = CheckFile(file);
  if (failure.empty()) {
    const std::wstring error = GetSWFInfo(file, info, false);
    if (!error.empty()) {
      LastError = error;
      failure = error;
    }
  }
  if (!failure.empty()) {
    LoadFailed(host, file, failure, internal);
    return;
  }
  if (info.PathChanged && host.Opts().RemoveProjectors && ReplaceProjector(host, file, query, info)) return;

  s.CurrentSWFInfo = info;
  s.InternalMovie = internal;
  s.ShortMovie = info.FrameCount < 100;
  s.FailedLoads = 0;
  s.ExecDeclined = false;
  host.ShowNotice(L"");

  MovieFacts facts;
  facts.internal = internal;
  facts.video = info.IsFLV;
  facts.browserPage = browserPage;
  facts.fromProjector = info.PathChanged;
  facts.extractorOpen = host.FormOpen(L"frmDecompiler");
  facts.desktopOpen = host.FormOpen(L"frmDesktop");
  facts.screenSaverFileExists = FileExists(s.ScreenSaverEXE);
  ApplyMovieMenus(host, MovieMenuRules(facts));
  host.ShowAddressBar(browserPage);
  host.SetBrowseMenus(browserPage, !host.Checked(L"mnuHideUI"), false);
  EnterOrLeaveBrowsePage(host, browserPage);

  if (!host.Checked(L"mnuFullScreen") && !host.Checked(L"mnuKeepSize") && !s.Browsed) host.ZoomFlash(100, 1);
  s.NeedZoomFS = true;
  host.Center();

  if (MovieControl* c = host.Control()) {
    c->SetAlignMode(0);
    c->LoadMovie(0, info.Path + query);
    SetFlashAlpha(host, s.curFlashAlpha);
    if (!info.BackColor.empty() && info.BackColor[0] != L'\0') c->SetBGColor(info.BackColor);
    c->SetLoop(false);
    SetSound(host, s.Volume, s.StereoPan);
    host.View_Resize();
  }
  s.LoadedSWFInfo = info;
  if (caption.empty()) caption = info.FileTitle;
  host.SetCaption(std::wstring(app::kTitle) + L" - " + caption);
  host.SetHeartbeat(true);
  if (!internal) ++host.Opts().PlayedCount;
  s.MediaTitle = caption;
  // Rewound and started; Non Stop stays as the user set it.
  if (MovieControl* c = host.Control()) c->Rewind();
  PlayMedia(host);
  if (!internal) host.AddRecent(info.RequestedPath);
  if (host.SkinLoaded()) host.ShowSkinButtons();
}

void ConvertMovie(PlayerHost& host, const SWFInfo& info) {
  WriteLog(L"");
  WriteLog(L" :: SWF<->EXE Conversion");
  if (info.RequestedPath.empty() || info.IsFLV) {
    WriteLog(L"Nothing to convert");
    return;
  }
  SaveFileRequest request;
  request.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  request.FileName = GetCacheFileName(info.RequestedPath, L"", false, false);
  if (info.PathChanged) {
    request.Filter = L"Macromedia Flash (SWF)|*.swf|Flash Projector (EXE)|*.exe";
    request.Title = LangText(L"Player/mnuConvertEXE", L"Convert EXE to SWF");
  } else {
    request.Filter = L"Flash Projector (EXE)|*.exe|Macromedia Flash (SWF)|*.swf";
    request.Title = LangText(L"Player/mnuConvert", L"Convert to EXE");
  }
  request.InitialFolder = host.Opts().CurrentFolder;
  const SaveFileAnswer answer = host.AskSaveFile(request);
  if (answer.Path.empty()) return;
  std::wstring target = answer.Path;
  if (*PathFindExtensionW(target.c_str()) == L'\0')
    target += StrEqualNoCase(answer.FilterPattern, L"*.exe") ? L".exe" : L".swf";
  const bool toProjector = StrEqualNoCase(PathFindExtensionW(target.c_str()), L".exe");

  bool written = false;
  if (toProjector && !info.PathChanged) {
    written = CreateProjector(target, info).empty();
  } else {
    // A projector kept a projector is the file opened; a movie is the movie itself.
    const std::wstring& source = toProjector || !info.PathChanged ? info.RequestedPath : info.Path;
    written = CopyFileW(source.c_str(), target.c_str(), FALSE) != 0;
  }
  WriteLog(written ? L"Written: " + target : L"Failed to write " + target);
}

void ShowMovieInfo(PlayerHost& host, const SWFInfo& info) {
  host.ShowMovieForm(L"frmInfo", info, 1);
}

}  // namespace player
