#include "tools/settings/OptionsModel.h"
#include "base/TextConv.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cmath>
#include <cwchar>

#include "base/ErrorLog.h"
#include "player/start/MyFlashFolder.h"
#include "services/Languages.h"
#include "services/Options.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"

namespace tools {
namespace {

// The full path of a typed folder, ending in "\"; "" for an empty or relative text.
std::wstring FullFolder(const std::wstring& typed) {
  if (typed.empty() || PathIsRelativeW(typed.c_str())) return L"";
  const std::wstring full = FullPathName(typed);
  return full.empty() ? L"" : AddBackslash(full);
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return EqualNoCase(a, b);
}

bool MakeFolder(const std::wstring& folder) {
  if (PathIsDirectoryW(folder.c_str())) return true;
  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return PathIsDirectoryW(folder.c_str()) != FALSE;
}

}  // namespace

int StartPage(long stored) { return stored >= 0 && stored < kOptionsPageCount ? static_cast<int>(stored) : 0; }

OptionsFields LoadOptions(const player::OptionSet& o, const std::wstring& fontName) {
  OptionsFields f;
  f.ScreenSaver = o.DisableScreenSaver;
  f.Instance = o.OneInstance;
  f.Cache = static_cast<int>(o.CacheMode);
  f.Flash = o.AssocSWF;
  f.Video = o.AssocFLV;
  f.Playlist = o.AssocPL;
  f.MyFlash = o.MyFlashFolder;
  f.From = std::to_wstring(o.SampleFrom);
  f.To = std::to_wstring(o.SampleTo);
  f.HQShots = o.HQShots;
  f.Quality = std::to_wstring(o.ShotJpeg);
  f.Store = o.Satellite;
  f.SkinColor = o.SkinColor;
  f.Style = o.VisualStyle;
  f.Crop = o.Crop;
  f.Font = fontName;
  f.RemoveProj = o.RemoveProjectors;
  f.Centered = o.Centered;
  f.MRU = o.KeepHistory;
  f.Projector = o.GenericProjectors;
  f.FSCommand = o.FSCommand;
  return f;
}

std::optional<double> PercentValue(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::nullopt;
  const size_t last = text.find_last_not_of(L" \t");
  const std::wstring body = text.substr(first, last - first + 1);
  wchar_t* end = nullptr;
  const double value = std::wcstod(body.c_str(), &end);
  if (end != body.c_str() + body.size() || !std::isfinite(value)) return std::nullopt;
  // Only plain numbers: no hexadecimal or exponent forms.
  if (body.find_first_not_of(L"+-.0123456789") != std::wstring::npos) return std::nullopt;
  return value;
}

std::wstring ClampPercentText(const std::wstring& text) {
  const std::optional<double> value = PercentValue(text);
  if (value && *value > 100) return L"100";
  if (value && *value < 0) return L"0";
  return text;
}

std::wstring ValidateToText(const std::wstring& from, const std::wstring& to) {
  const std::wstring clamped = ClampPercentText(to);
  const std::optional<double> low = PercentValue(from), high = PercentValue(clamped);
  if (low && high && *low > *high) return ClampPercentText(from);
  return clamped;
}

uint8_t ByteField(const std::wstring& text, uint8_t previous) {
  const std::optional<double> value = PercentValue(text);
  if (!value) return previous;
  const double rounded = std::nearbyint(*value);
  return static_cast<uint8_t>(rounded < 0 ? 0 : rounded > 100 ? 100 : rounded);
}

FolderMoveResult MoveMyFlashFolder(const std::wstring& current, const std::wstring& typed) {
  FolderMoveResult result{FolderMove::Unchanged, current};
  const std::wstring target = FullFolder(typed);
  if (target.empty()) {
    WriteLog(L"My Flash folder not changed: \"" + typed + L"\" is no full path");
    result.Outcome = FolderMove::Refused;
    return result;
  }
  const std::wstring old = AddBackslash(current);
  const std::wstring oldFull = FullFolder(old);
  if (SameFolder(target, oldFull.empty() ? old : oldFull)) return result;
  // The new folder first: a move into a missing folder would rename the pictures folder into it.
  if (!MakeFolder(target)) {
    WriteLog(L"My Flash folder not changed: " + target + L" cannot be made");
    result.Outcome = FolderMove::Refused;
    return result;
  }
  if (!old.empty()) {
    const std::wstring shots = old + L"ScreenShots";
    if (PathIsDirectoryW(shots.c_str()) && !ShellCopyMove(shots, target, true, false))
      WriteLog(L"My Flash folder: the pictures folder stayed in " + old);
    const std::wstring ini = old + L"Desktop.ini";
    if (GetFileAttributesW(ini.c_str()) != INVALID_FILE_ATTRIBUTES) {
      SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
      SetFileAttributesW((target + L"Desktop.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!ShellCopyMove(ini, target, true, false)) DeleteFileW(ini.c_str());
    }
    PathUnmakeSystemFolderW(old.c_str());
    RemoveDirectoryW(old.c_str());  // only an empty folder goes
  }
  player::MakeMyFlashFolder(target);
  result.Outcome = FolderMove::Moved;
  result.Folder = target;
  return result;
}

void ApplyOptions(const OptionsFields& f, player::OptionSet& o, OptionsHost& host) {
  // 1. Start up and exit.
  o.OneInstance = f.Instance;
  OneInstance = f.Instance;
  o.DisableScreenSaver = f.ScreenSaver;
  o.CacheMode = f.Cache;
  // 2. The My Flash folder.
  const FolderMoveResult moved = MoveMyFlashFolder(o.MyFlashFolder, f.MyFlash);
  if (moved.Outcome == FolderMove::Refused) host.ReportFolderRefused(f.MyFlash);
  o.MyFlashFolder = moved.Folder;
  ScreenShotsFolder = o.MyFlashFolder + L"ScreenShots\\";
  // 3. File types: registered when the set is saved.
  o.AssocSWF = f.Flash;
  o.AssocFLV = f.Video;
  o.AssocPL = f.Playlist;
  // 4. Appearance.
  o.VisualStyle = static_cast<uint8_t>(f.Style);
  VisualStyle = f.Style;
  o.SkinColor = static_cast<uint8_t>(f.SkinColor);
  // 5. The interface font's face (its size stays).
  if (!f.Font.empty()) LangFont.Name = f.Font;
  // 6. The built-in skin's pictures are made again at its next load.
  SaveRegLong(L"View", L"ThemeHash", 0);
  // 7. Byte fields; To is never left below From.
  o.ShotJpeg = ByteField(f.Quality, o.ShotJpeg);
  o.SampleFrom = ByteField(f.From, o.SampleFrom);
  o.SampleTo = ByteField(f.To, o.SampleTo);
  if (o.SampleTo < o.SampleFrom) o.SampleTo = o.SampleFrom;
  // 8. The rest of the check boxes.
  o.HQShots = f.HQShots;
  o.Satellite = f.Store;
  o.FSCommand = f.FSCommand;
  o.GenericProjectors = f.Projector;
  GenericProjectors = f.Projector;
  o.RemoveProjectors = f.RemoveProj;
  o.KeepHistory = f.MRU;
  o.Centered = f.Centered;
  o.Crop = f.Crop;
  // 9. The main window.
  host.ViewResize();
  host.LoadRecent();
  host.SetSSState(o.DisableScreenSaver ? 0 : host.SavedScreenSaverState());
  host.SaveOpts();
}

}  // namespace tools
