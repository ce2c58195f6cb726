#include "player/OptionSet.h"

#include <windows.h>

#include <cmath>

#include "services/AppIdentity.h"
#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace player {
namespace {

// One reader and one writer per kind, so that every value of the table goes
// through the same rule: a missing or unreadable value keeps the default.
struct Section {
  const wchar_t* name;
  void Read(const wchar_t* value, bool& target) const { target = GetRegBool(name, value, target); }
  void Read(const wchar_t* value, long& target) const { target = GetRegLong(name, value, target); }
  void Read(const wchar_t* value, uint8_t& target) const {
    target = static_cast<uint8_t>(GetRegLong(name, value, target) & 0xFF);
  }
  void Read(const wchar_t* value, int16_t& target) const {
    target = static_cast<int16_t>(GetRegLong(name, value, target) & 0xFFFF);
  }
  void Read(const wchar_t* value, std::wstring& target) const { target = GetRegString(name, value, target); }

  void Write(const wchar_t* value, bool v) const { SaveRegBool(name, value, v); }
  void Write(const wchar_t* value, long v) const { SaveRegLong(name, value, v); }
  void Write(const wchar_t* value, uint8_t v) const { SaveRegLong(name, value, v); }
  void Write(const wchar_t* value, int16_t v) const { SaveRegLong(name, value, v); }
  void Write(const wchar_t* value, const std::wstring& v) const { SaveRegString(name, value, v); }
};

constexpr Section kView{L"View"}, kPlayback{L"Playback"}, kBrowser{L"Browser"}, kSound{L"Sound"},
    kDesktop{L"Desktop"}, kSystem{L"System"}, kFileTypes{L"FileTypes"}, kThumbnails{L"Thumbnails"},
    kUpdate{L"Update"}, kRecent{L"Recent"}, kWindow{L"Window"}, kScreenSaver{L"ScreenSaver"},
    kGenerator{L"Generator"}, kDecompiler{L"Decompiler"};

}  // namespace

std::wstring TodayText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return std::to_wstring(now.wMonth) + L"-" + std::to_wstring(now.wDay) + L"-" + std::to_wstring(now.wYear);
}

OptionSet& Options() {
  static OptionSet options;
  return options;
}

void ReadOptionSet(OptionSet& o, const std::wstring& today) {
  kView.Read(L"Quality", o.Quality);
  kView.Read(L"ScaleMode", o.ScaleMode);
  kView.Read(L"FlashAlpha", o.FlashAlpha);
  kView.Read(L"Playlist", o.Playlist);
  kView.Read(L"HideUI", o.HideUI);

  kPlayback.Read(L"RepeatMode", o.RepeatMode);
  kPlayback.Read(L"NonStop", o.NonStop);
  kPlayback.Read(L"Shuffle", o.Shuffle);

  kBrowser.Read(L"SortForward", o.SortForward);
  kBrowser.Read(L"ShowFolder", o.ShowFolder);
  kBrowser.Read(L"ShowVideo", o.ShowVideo);
  kBrowser.Read(L"ShowMovie", o.ShowMovie);
  kBrowser.Read(L"ShowProjector", o.ShowProjector);
  kBrowser.Read(L"SortBy", o.SortBy);

  kSound.Read(L"Volume", o.Volume);
  kSound.Read(L"Pan", o.Pan);
  kSound.Read(L"Mute", o.Mute);

  kDesktop.Read(L"Mute", o.Desktop.Mute);
  kDesktop.Read(L"Transparent", o.Desktop.Transparent);

  kSystem.Read(L"Intro", o.Intro);
  kSystem.Read(L"Tips", o.Tips);
  kSystem.Read(L"CacheMode", o.CacheMode);
  kSystem.Read(L"TimeMode", o.TimeMode);
  kSystem.Read(L"FSCommand", o.FSCommand);
  kSystem.Read(L"GenericProjectors", o.GenericProjectors);
  kSystem.Read(L"RemoveProjectors", o.RemoveProjectors);
  kSystem.Read(L"OptionsPage", o.OptionsPage);
  kSystem.Read(L"DisableScreenSaver", o.DisableScreenSaver);

  kFileTypes.Read(L"SWF", o.AssocSWF);
  kFileTypes.Read(L"FLV", o.AssocFLV);
  kFileTypes.Read(L"PL", o.AssocPL);

  kThumbnails.Read(L"HQShots", o.HQShots);
  kThumbnails.Read(L"Satellite", o.Satellite);
  kThumbnails.Read(L"ShotJpeg", o.ShotJpeg);
  kThumbnails.Read(L"SampleFrom", o.SampleFrom);
  kThumbnails.Read(L"SampleTo", o.SampleTo);

  kUpdate.Read(L"Auto", o.Update.Auto);
  kUpdate.Read(L"Usage", o.UsageSeconds);
  kUpdate.Read(L"Played", o.PlayedCount);
  // A number; older versions wrote it as text, which reads the same.
  kUpdate.Read(L"Build", o.Update.Build);
  kUpdate.Read(L"Date", o.Update.Date);
  if (o.Update.Date.empty()) {
    o.Update.Date = today;
    kUpdate.Write(L"Date", o.Update.Date);
  }

  kRecent.Read(L"MyFlash", o.MyFlashFolder);
  o.MyFlashFolder = AddBackslash(o.MyFlashFolder);
  kRecent.Read(L"History", o.KeepHistory);
  if (o.CurrentFolder.empty()) o.CurrentFolder = o.MyFlashFolder;
  kRecent.Read(L"", o.CurrentFolder);

  kWindow.Read(L"TopMost", o.TopMost);
  kWindow.Read(L"MenuBar", o.MenuBar);
  kWindow.Read(L"HandyKeys", o.HandyKeys);
  kWindow.Read(L"KeepSize", o.KeepSize);
  kWindow.Read(L"AspectRatio", o.AspectRatio);
  kWindow.Read(L"Centered", o.Centered);
  kWindow.Read(L"SkinColor", o.SkinColor);
  kWindow.Read(L"Crop", o.Crop);
  kWindow.Read(L"BrowseWidth", o.BrowseWidth);
  kWindow.Read(L"BrowseHeight", o.BrowseHeight);
  kWindow.Read(L"Left", o.Place.Left);
  kWindow.Read(L"Top", o.Place.Top);
  kWindow.Read(L"Width", o.Place.Width);
  kWindow.Read(L"Height", o.Place.Height);
  kWindow.Read(L"State", o.State);

  kScreenSaver.Read(L"", o.ScreenSaverEXE);
  if (o.ScreenSaverEXE.empty()) o.ScreenSaverEXE = AppFolder + app::kScreenSaverFile;

  GeneratorSettings& g = o.Generator;
  if (g.Source.empty()) g.Source = o.MyFlashFolder;
  kGenerator.Read(L"Size", g.Size);
  kGenerator.Read(L"Width", g.Width);
  kGenerator.Read(L"Height", g.Height);
  kGenerator.Read(L"Percent", g.Percent);
  kGenerator.Read(L"Color", g.Color);
  kGenerator.Read(L"BackColor", g.BackColor);
  kGenerator.Read(L"Quality", g.Quality);
  kGenerator.Read(L"Show", g.Show);
  kGenerator.Read(L"Source", g.Source);
  kGenerator.Read(L"Recursive", g.Recursive);
  kGenerator.Read(L"Overwrite", g.Overwrite);
  kGenerator.Read(L"Info", g.Info);
  kGenerator.Read(L"Execute", g.Exec);
  kGenerator.Read(L"App", g.App);
  kGenerator.Read(L"Watermark", g.Watermark);
  kGenerator.Read(L"LogoPath", g.LogoPath);

  ExtractorSettings& d = o.Decompiler;
  if (d.Destination.empty()) d.Destination = o.MyFlashFolder;
  kDecompiler.Read(L"Destination", d.Destination);
  kDecompiler.Read(L"JPEG", d.JPEG);
  kDecompiler.Read(L"PNG", d.PNG);
  kDecompiler.Read(L"Event", d.Event);
  kDecompiler.Read(L"Stream", d.Stream);
  kDecompiler.Read(L"Video", d.Video);
}

void WriteOptionSet(OptionSet& o) {
  kView.Write(L"Quality", o.Quality);
  kView.Write(L"ScaleMode", o.ScaleMode);
  kView.Write(L"FlashAlpha", o.FlashAlpha);
  kView.Write(L"Playlist", o.Playlist);
  kView.Write(L"HideUI", o.HideUI);

  kPlayback.Write(L"RepeatMode", o.RepeatMode);
  kPlayback.Write(L"NonStop", o.NonStop);
  kPlayback.Write(L"Shuffle", o.Shuffle);

  kBrowser.Write(L"SortForward", o.SortForward);
  kBrowser.Write(L"ShowFolder", o.ShowFolder);
  kBrowser.Write(L"ShowVideo", o.ShowVideo);
  kBrowser.Write(L"ShowMovie", o.ShowMovie);
  kBrowser.Write(L"ShowProjector", o.ShowProjector);
  kBrowser.Write(L"SortBy", o.SortBy);

  kSound.Write(L"Volume", o.Volume);
  kSound.Write(L"Pan", o.Pan);
  kSound.Write(L"Mute", o.Mute);

  kSystem.Write(L"Intro", o.Intro);
  kSystem.Write(L"Tips", o.Tips);
  kSystem.Write(L"CacheMode", o.CacheMode);
  kSystem.Write(L"OneInstance", o.OneInstance);
  kSystem.Write(L"TimeMode", o.TimeMode);
  kSystem.Write(L"OptionsPage", o.OptionsPage);
  kSystem.Write(L"Language", o.Language);
  kSystem.Write(L"FSCommand", o.FSCommand);
  kSystem.Write(L"GenericProjectors", o.GenericProjectors);
  kSystem.Write(L"RemoveProjectors", o.RemoveProjectors);
  kSystem.Write(L"Projector", o.ProjectorPath);
  kSystem.Write(L"DisableScreenSaver", o.DisableScreenSaver);
  kSystem.Write(L"GPF", o.GPF);

  kFileTypes.Write(L"SWF", o.AssocSWF);
  kFileTypes.Write(L"FLV", o.AssocFLV);
  kFileTypes.Write(L"PL", o.AssocPL);

  kThumbnails.Write(L"HQShots", o.HQShots);
  kThumbnails.Write(L"Satellite", o.Satellite);
  kThumbnails.Write(L"ShotJpeg", o.ShotJpeg);
  kThumbnails.Write(L"SampleFrom", o.SampleFrom);
  kThumbnails.Write(L"SampleTo", o.SampleTo);

  // Seconds of use add up over every save: what was saved, plus the ticks
  // since (0.3 s each, to the nearest second, halves to even).
  o.UsageSeconds += static_cast<long>(std::nearbyint(static_cast<double>(o.PlayTicks) * 0.3));
  o.PlayTicks = 0;
  kUpdate.Write(L"Usage", o.UsageSeconds);
  kUpdate.Write(L"Played", o.PlayedCount);

  kWindow.Write(L"Style", o.VisualStyle);
  kWindow.Write(L"SkinColor", o.SkinColor);
  kWindow.Write(L"TopMost", o.TopMost);
  kWindow.Write(L"MenuBar", o.MenuBar);
  kWindow.Write(L"KeepSize", o.KeepSize);
  kWindow.Write(L"AspectRatio", o.AspectRatio);
  kWindow.Write(L"Left", o.Place.Left);
  kWindow.Write(L"Top", o.Place.Top);
  kWindow.Write(L"State", o.State);
  kWindow.Write(L"HandyKeys", o.HandyKeys);
  kWindow.Write(L"Centered", o.Centered);
  kWindow.Write(L"Crop", o.Crop);
  kWindow.Write(L"Width", o.Place.Width);
  kWindow.Write(L"Height", o.Place.Height);
  kWindow.Write(L"BrowseWidth", o.BrowseWidth);
  kWindow.Write(L"BrowseHeight", o.BrowseHeight);
  kWindow.Write(L"FontName", o.FontName);
  {
    wchar_t size[32];
    swprintf(size, 32, L"%g", static_cast<double>(o.FontSize));
    kWindow.Write(L"FontSize", std::wstring(size));
  }

  kUpdate.Write(L"Auto", o.Update.Auto);
  kUpdate.Write(L"Build", o.Update.Build);

  kRecent.Write(L"MyFlash", o.MyFlashFolder);
  kRecent.Write(L"History", o.KeepHistory);
  kRecent.Write(L"", o.CurrentFolder);

  const GeneratorSettings& g = o.Generator;
  kGenerator.Write(L"Size", g.Size);
  kGenerator.Write(L"Width", g.Width);
  kGenerator.Write(L"Height", g.Height);
  kGenerator.Write(L"Percent", g.Percent);
  kGenerator.Write(L"Color", g.Color);
  kGenerator.Write(L"BackColor", g.BackColor);
  kGenerator.Write(L"Quality", g.Quality);
  kGenerator.Write(L"Show", g.Show);
  kGenerator.Write(L"Source", g.Source);
  kGenerator.Write(L"Recursive", g.Recursive);
  kGenerator.Write(L"Overwrite", g.Overwrite);
  kGenerator.Write(L"Info", g.Info);
  kGenerator.Write(L"Execute", g.Exec);
  kGenerator.Write(L"App", g.App);
  kGenerator.Write(L"Watermark", g.Watermark);
  kGenerator.Write(L"LogoPath", g.LogoPath);

  const ExtractorSettings& d = o.Decompiler;
  kDecompiler.Write(L"Destination", d.Destination);
  kDecompiler.Write(L"JPEG", d.JPEG);
  kDecompiler.Write(L"PNG", d.PNG);
  kDecompiler.Write(L"Event", d.Event);
  kDecompiler.Write(L"Stream", d.Stream);
  kDecompiler.Write(L"Video", d.Video);
}

}  // namespace player
