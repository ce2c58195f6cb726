// The option set: every setting the player keeps between runs, as plain
// values, with its registry layout (HKCU\Software\SWF.zel\<section>).
// Booleans are stored as the texts "True"/"False", numbers as REG_DWORD,
// texts as REG_SZ. Reading takes each value's current content as its
// default, so a default-made set read from an empty registry keeps the
// design defaults (OptionStore.h reads and writes it); the main window
// applies the values to itself.
// The tool windows' settings live here as plain structures: a window copies
// them in when it opens and out when its changes are applied.
#pragma once
#include <cstdint>
#include <string>

namespace player {

struct GeneratorSettings {
  bool Size = true;
  long Width = 120, Height = 90, Percent = 100;
  bool Color = true;
  std::wstring BackColor = L"FFFFFF";
  long Quality = 90;
  bool Show = true;
  std::wstring Source;  // the movie folder when read from an empty registry
  bool Recursive = true, Overwrite = true, Info = false, Exec = false;
  std::wstring App;
  bool Watermark = false;
  std::wstring LogoPath;
  bool operator==(const GeneratorSettings&) const = default;
};

struct ExtractorSettings {
  std::wstring Destination;  // the movie folder when read from an empty registry
  bool JPEG = true, PNG = false, Event = true, Stream = true, Video = false;
  bool operator==(const ExtractorSettings&) const = default;
};

struct DesktopSettings {
  bool Mute = true, Transparent = true;  // read only: the desktop window writes them
  bool operator==(const DesktopSettings&) const = default;
};

struct UpdateSettings {
  bool Auto = true;
  long Build = 0;      // the build last announced and declined, or the program's own
  std::wstring Date;   // last check, month-day-year
  bool operator==(const UpdateSettings&) const = default;
};

// The window's normal (restored) rectangle in twips.
struct WindowPlace {
  long Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const WindowPlace&) const = default;
};

struct OptionSet {
  // View
  std::wstring Quality = L"High";
  long ScaleMode = 2;
  uint8_t FlashAlpha = 100;
  bool Playlist = true;
  bool HideUI = false;
  // Playback
  long RepeatMode = 0;
  bool NonStop = false, Shuffle = false;
  // Browser
  bool SortForward = true, ShowFolder = true, ShowVideo = true, ShowMovie = true, ShowProjector = true;
  std::wstring SortBy = L"Name";
  // Sound
  uint8_t Volume = 100;
  int16_t Pan = 0;
  bool Mute = false;
  DesktopSettings Desktop;
  // System
  bool Intro = false, Tips = true;
  long CacheMode = 1, TimeMode = 0;
  bool FSCommand = true, GenericProjectors = true, RemoveProjectors = false;
  uint8_t OptionsPage = 0;
  bool DisableScreenSaver = false;
  bool OneInstance = true;  // read at start-up
  bool GPF = false;         // read at start-up, written back as read
  std::wstring Language;    // the language file's name, written only
  std::wstring ProjectorPath;
  // FileTypes
  bool AssocSWF = true, AssocFLV = true, AssocPL = true;
  // Thumbnails
  bool HQShots = true, Satellite = false;
  uint8_t ShotJpeg = 90, SampleFrom = 30, SampleTo = 50;
  // Update
  long UsageSeconds = 0;  // seconds of use saved so far
  long PlayTicks = 0;     // heartbeat ticks since the last save (not stored)
  long PlayedCount = 0;
  UpdateSettings Update;
  // Recent
  std::wstring MyFlashFolder;  // ends in "\"
  bool KeepHistory = true;
  std::wstring CurrentFolder;  // the media browser's folder
  // Window
  bool TopMost = false, MenuBar = true, HandyKeys = false, KeepSize = false, AspectRatio = false;
  bool Centered = true;
  uint8_t SkinColor = 0;
  bool Crop = true;
  long BrowseWidth = 12000, BrowseHeight = 8000;  // twips
  WindowPlace Place;                              // twips
  long State = 0;                                 // 0 normal, 1 minimised, 2 maximised
  uint8_t VisualStyle = 1;
  std::wstring FontName;
  float FontSize = 8;
  // ScreenSaver
  std::wstring ScreenSaverEXE;
  GeneratorSettings Generator;
  ExtractorSettings Decompiler;
  bool operator==(const OptionSet&) const = default;
};

// Today as "month-day-year" (the "Date" value's form).
std::wstring TodayText();

// The program-wide option set.
OptionSet& Options();

}  // namespace player
