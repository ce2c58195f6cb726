// What the movie information window shows, without its window: every row's
// text from one movie record, the captions of the file kinds (the main
// window's menu items), the language's words and the user's decimal
// separator. A record that was not read (no requested path) keeps the
// window's initial texts; so does any value that cannot be computed.
#pragma once
#include <optional>
#include <string>

#include "moviefiles/SWFInfo.h"

namespace tools {

struct MovieInfoTexts {
  // The captions of the Browser menu's kinds, as the language has them.
  std::wstring MovieType = L"Flash Movie (SWF)";
  std::wstring ProjectorType = L"Flash Projector (EXE)";
  std::wstring VideoType = L"Flash Video (FLV)";
  std::wstring OfOriginal = L"% of Original";
  std::wstring Video = L"video", Audio = L"audio", Average = L"average";
  wchar_t Decimal = L'.';
};

// The Summary page, row by row; the defaults are the initial texts.
struct MovieInfoRows {
  std::wstring Title, Description;
  std::wstring Type = L"Flash Movie";
  std::wstring Size = L"0";
  std::wstring Compression = L"None";
  std::wstring Version = L"??";
  std::wstring Bitrate = L"??";
  std::wstring Frame = L"0 x 0";
  std::wstring Time = L"0:00";
  std::wstring Modified = L"??";
  std::wstring Where;  // the full path (the window shortens it to its row)
  bool operator==(const MovieInfoRows&) const = default;
};

// modified: the file's date as the user reads it ("" when unknown).
MovieInfoRows InfoRows(const SWFInfo& info, const MovieInfoTexts& texts, const std::wstring& modified);

// A number rounded to at most `decimals` decimals (0 to 6, halves to even),
// written without grouping and without trailing zero decimals: 12, 45.3,
// 29.97. Nothing for a value that is not finite or too large to write this way.
std::optional<std::wstring> Rounded(double value, int decimals, wchar_t decimal);

// The texts of the language and of the main window's menus as they are now.
MovieInfoTexts CurrentInfoTexts();
// The date and time of a file's last change in the user's short date and
// time format; "" when the file cannot be read.
std::wstring FileModifiedText(const std::wstring& path);

}  // namespace tools
