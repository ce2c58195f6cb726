#include "player/start/OptionTable.h"

#include <cwchar>
#include <type_traits>

#include "services/RegistryModule.h"

namespace player {
namespace {

using R = OptionRead;

// One accessor per field, so that nested settings have rows like any other.
#define OPT(member) +[](OptionSet& o) -> auto& { return o.member; }

const OptionRow kRows[] = {
    {L"View", L"Quality", OPT(Quality), R::Load, true},
    {L"View", L"ScaleMode", OPT(ScaleMode), R::Load, true},
    {L"View", L"FlashAlpha", OPT(FlashAlpha), R::Load, true},
    {L"View", L"Playlist", OPT(Playlist), R::Load, true},
    {L"View", L"HideUI", OPT(HideUI), R::Load, true},

    {L"Playback", L"RepeatMode", OPT(RepeatMode), R::Load, true},
    {L"Playback", L"NonStop", OPT(NonStop), R::Load, true},
    {L"Playback", L"Shuffle", OPT(Shuffle), R::Load, true},

    {L"Browser", L"SortForward", OPT(SortForward), R::Load, true},
    {L"Browser", L"ShowFolder", OPT(ShowFolder), R::Load, true},
    {L"Browser", L"ShowVideo", OPT(ShowVideo), R::Load, true},
    {L"Browser", L"ShowMovie", OPT(ShowMovie), R::Load, true},
    {L"Browser", L"ShowProjector", OPT(ShowProjector), R::Load, true},
    {L"Browser", L"SortBy", OPT(SortBy), R::Load, true},

    {L"Sound", L"Volume", OPT(Volume), R::Load, true},
    {L"Sound", L"Pan", OPT(Pan), R::Load, true},
    {L"Sound", L"Mute", OPT(Mute), R::Load, true},

    // The desktop window keeps its own two values.
    {L"Desktop", L"Mute", OPT(Desktop.Mute), R::Load, false},
    {L"Desktop", L"Transparent", OPT(Desktop.Transparent), R::Load, false},

    {L"System", L"Intro", OPT(Intro), R::Load, true},
    {L"System", L"Tips", OPT(Tips), R::Load, true},
    {L"System", L"CacheMode", OPT(CacheMode), R::Load, true},
    {L"System", L"OneInstance", OPT(OneInstance), R::StartUp, true},
    {L"System", L"TimeMode", OPT(TimeMode), R::Load, true},
    {L"System", L"OptionsPage", OPT(OptionsPage), R::Load, true},
    {L"System", L"Language", OPT(Language), R::StartUp, true},
    {L"System", L"FSCommand", OPT(FSCommand), R::Load, true},
    {L"System", L"GenericProjectors", OPT(GenericProjectors), R::Load, true},
    {L"System", L"RemoveProjectors", OPT(RemoveProjectors), R::Load, true},
    {L"System", L"Projector", OPT(ProjectorPath), R::Nowhere, true},
    {L"System", L"DisableScreenSaver", OPT(DisableScreenSaver), R::Load, true},
    {L"System", L"GPF", OPT(GPF), R::StartUp, true},

    {L"FileTypes", L"SWF", OPT(AssocSWF), R::Load, true},
    {L"FileTypes", L"FLV", OPT(AssocFLV), R::Load, true},
    {L"FileTypes", L"PL", OPT(AssocPL), R::Load, true},

    {L"Thumbnails", L"HQShots", OPT(HQShots), R::Load, true},
    {L"Thumbnails", L"Satellite", OPT(Satellite), R::Load, true},
    {L"Thumbnails", L"ShotJpeg", OPT(ShotJpeg), R::Load, true},
    {L"Thumbnails", L"SampleFrom", OPT(SampleFrom), R::Load, true},
    {L"Thumbnails", L"SampleTo", OPT(SampleTo), R::Load, true},

    // "Date" is written by the load when it is empty, and by the update check.
    {L"Update", L"Auto", OPT(Update.Auto), R::Load, true},
    {L"Update", L"Usage", OPT(UsageSeconds), R::Load, true},
    {L"Update", L"Played", OPT(PlayedCount), R::Load, true},
    {L"Update", L"Build", OPT(Update.Build), R::Load, true},  // older versions wrote text; it reads the same
    {L"Update", L"Date", OPT(Update.Date), R::Load, false},

    {L"Recent", L"MyFlash", OPT(MyFlashFolder), R::Load, true},
    {L"Recent", L"History", OPT(KeepHistory), R::Load, true},
    {L"Recent", L"", OPT(CurrentFolder), R::Load, true},

    {L"Window", L"Style", OPT(VisualStyle), R::StartUp, true},
    {L"Window", L"SkinColor", OPT(SkinColor), R::Load, true},
    {L"Window", L"TopMost", OPT(TopMost), R::Load, true},
    {L"Window", L"MenuBar", OPT(MenuBar), R::Load, true},
    {L"Window", L"HandyKeys", OPT(HandyKeys), R::Load, true},
    {L"Window", L"KeepSize", OPT(KeepSize), R::Load, true},
    {L"Window", L"AspectRatio", OPT(AspectRatio), R::Load, true},
    {L"Window", L"Centered", OPT(Centered), R::Load, true},
    {L"Window", L"Crop", OPT(Crop), R::Load, true},
    {L"Window", L"BrowseWidth", OPT(BrowseWidth), R::Load, true},
    {L"Window", L"BrowseHeight", OPT(BrowseHeight), R::Load, true},
    {L"Window", L"Left", OPT(Place.Left), R::Load, true},
    {L"Window", L"Top", OPT(Place.Top), R::Load, true},
    {L"Window", L"Width", OPT(Place.Width), R::Load, true},
    {L"Window", L"Height", OPT(Place.Height), R::Load, true},
    {L"Window", L"State", OPT(State), R::Load, true},
    {L"Window", L"FontName", OPT(FontName), R::StartUp, true},
    {L"Window", L"FontSize", OPT(FontSize), R::StartUp, true},

    // The program only reads the saver's path; installing a saver writes other values.
    {L"ScreenSaver", L"", OPT(ScreenSaverEXE), R::Load, false},

    {L"Generator", L"Size", OPT(Generator.Size), R::Load, true},
    {L"Generator", L"Width", OPT(Generator.Width), R::Load, true},
    {L"Generator", L"Height", OPT(Generator.Height), R::Load, true},
    {L"Generator", L"Percent", OPT(Generator.Percent), R::Load, true},
    {L"Generator", L"Color", OPT(Generator.Color), R::Load, true},
    {L"Generator", L"BackColor", OPT(Generator.BackColor), R::Load, true},
    {L"Generator", L"Quality", OPT(Generator.Quality), R::Load, true},
    {L"Generator", L"Show", OPT(Generator.Show), R::Load, true},
    {L"Generator", L"Source", OPT(Generator.Source), R::Load, true},
    {L"Generator", L"Recursive", OPT(Generator.Recursive), R::Load, true},
    {L"Generator", L"Overwrite", OPT(Generator.Overwrite), R::Load, true},
    {L"Generator", L"Info", OPT(Generator.Info), R::Load, true},
    {L"Generator", L"Execute", OPT(Generator.Exec), R::Load, true},
    {L"Generator", L"App", OPT(Generator.App), R::Load, true},
    {L"Generator", L"Watermark", OPT(Generator.Watermark), R::Load, true},
    {L"Generator", L"LogoPath", OPT(Generator.LogoPath), R::Load, true},

    {L"Decompiler", L"Destination", OPT(Decompiler.Destination), R::Load, true},
    {L"Decompiler", L"JPEG", OPT(Decompiler.JPEG), R::Load, true},
    {L"Decompiler", L"PNG", OPT(Decompiler.PNG), R::Load, true},
    {L"Decompiler", L"Event", OPT(Decompiler.Event), R::Load, true},
    {L"Decompiler", L"Stream", OPT(Decompiler.Stream), R::Load, true},
    {L"Decompiler", L"Video", OPT(Decompiler.Video), R::Load, true},
};

#undef OPT

std::wstring SizeText(float size) {
  wchar_t text[32];
  swprintf(text, 32, L"%g", static_cast<double>(size));
  return text;
}

}  // namespace

std::span<const OptionRow> OptionTable() { return kRows; }

void ReadOptionRow(const OptionRow& row, OptionSet& o) {
  const wchar_t* s = row.Section;
  const wchar_t* n = row.Name;
  std::visit(
      [&](auto field) {
        auto& target = field(o);
        using T = std::remove_reference_t<decltype(target)>;
        if constexpr (std::is_same_v<T, bool>) {
          target = GetRegBool(s, n, target);
        } else if constexpr (std::is_same_v<T, long>) {
          target = GetRegLong(s, n, target);
        } else if constexpr (std::is_same_v<T, uint8_t>) {
          target = static_cast<uint8_t>(GetRegLong(s, n, target) & 0xFF);
        } else if constexpr (std::is_same_v<T, int16_t>) {
          target = static_cast<int16_t>(GetRegLong(s, n, target) & 0xFFFF);
        } else if constexpr (std::is_same_v<T, float>) {
          const std::wstring text = GetRegString(s, n, SizeText(target));
          wchar_t* end = nullptr;
          const double v = wcstod(text.c_str(), &end);
          if (end != text.c_str() && *end == 0 && v > 0 && v < 1000) target = static_cast<float>(v);
        } else {
          target = GetRegString(s, n, target);
        }
      },
      row.Field);
}

void WriteOptionRow(const OptionRow& row, OptionSet& o) {
  const wchar_t* s = row.Section;
  const wchar_t* n = row.Name;
  std::visit(
      [&](auto field) {
        const auto& v = field(o);
        using T = std::remove_cvref_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          SaveRegBool(s, n, v);
        } else if constexpr (std::is_same_v<T, float>) {
          SaveRegString(s, n, SizeText(v));
        } else if constexpr (std::is_same_v<T, std::wstring>) {
          SaveRegString(s, n, v);
        } else {
          SaveRegLong(s, n, static_cast<long>(v));
        }
      },
      row.Field);
}

}  // namespace player
