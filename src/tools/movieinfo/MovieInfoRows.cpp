#include "tools/movieinfo/MovieInfoRows.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "moviefiles/SWFModule.h"
#include "player/window/PlayerWindow.h"
#include "services/Languages.h"
#include "services/ShellMod.h"

namespace tools {
namespace {

std::wstring CodecName(uint8_t codec) {
  switch (codec) {
    case 2: return L"Sorenson H.263";
    case 3: return L"Screen Video";
    case 4: return L"On2 Truemotion VP6";
    case 6: return L"Screen Video 2";
    default: return L"";
  }
}

std::wstring VersionText(uint8_t version) {
  switch (version) {
    case 6: return L"6 \"MX\"";
    case 7: return L"7 \"MX 2004\"";
    default: return std::to_wstring(version);
  }
}

}  // namespace

std::optional<std::wstring> Rounded(double value, int decimals, wchar_t decimal) {
  decimals = std::clamp(decimals, 0, 6);
  long long unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  const double units = std::nearbyint(value * unit);  // the default rounding mode: halves to even
  if (!std::isfinite(units) || std::fabs(units) > 9e17) return std::nullopt;
  const long long n = static_cast<long long>(units);
  const unsigned long long magnitude = static_cast<unsigned long long>(n < 0 ? -n : n);
  std::wstring text = (n < 0 ? L"-" : L"") + std::to_wstring(magnitude / unit);
  std::wstring fraction = std::to_wstring(magnitude % unit + unit).substr(1);  // with its leading zeros
  while (!fraction.empty() && fraction.back() == L'0') fraction.pop_back();
  if (!fraction.empty()) text += decimal + fraction;
  return text;
}

MovieInfoRows InfoRows(const SWFInfo& info, const MovieInfoTexts& texts, const std::wstring& modified) {
  MovieInfoRows rows;
  if (info.RequestedPath.empty()) return rows;  // nothing was read: the initial texts

  rows.Title = info.Title.empty() ? info.FileTitle : info.Title;
  rows.Description = info.Description;
  rows.Type = info.IsFLV ? texts.VideoType : info.PathChanged ? texts.ProjectorType : texts.MovieType;
  if (info.MovieLength >= 0 && std::isfinite(info.MovieLength))
    rows.Size = FormatByteSize(static_cast<int64_t>(info.MovieLength));

  // The movie's own size: a projector's executable holds more than the movie.
  if (info.Compressed && info.MovieLength > 0)
    if (auto ratio = Rounded(info.MovieFileSize / info.MovieLength * 100, 1, texts.Decimal))
      rows.Compression = *ratio + texts.OfOriginal;
  if (const std::wstring codec = CodecName(info.VideoCodecID); !codec.empty()) rows.Compression = codec;

  rows.Version = VersionText(info.Version);

  if (info.VideoDataRate != 0) {
    rows.Bitrate = std::to_wstring(info.VideoDataRate) + L" kbps";
    if (info.AudioDataRate != 0)
      rows.Bitrate += L" (" + texts.Video + L") + " + std::to_wstring(info.AudioDataRate) + L" kbps (" + texts.Audio +
                      L")";
  } else if (info.FrameCount != 0 && info.FrameRate != 0) {
    // Bytes per second of play, as kilobits.
    const double seconds = info.FrameCount / static_cast<double>(info.FrameRate);
    if (auto rate = Rounded(info.MovieLength / seconds * 8 / 1000, 1, texts.Decimal))
      rows.Bitrate = *rate + L" kbps (" + texts.Average + L")";
  }

  // A movie's rate has at most three decimals; a video's measured one is cut there.
  if (auto fps = Rounded(info.FrameRate, 3, texts.Decimal))
    rows.Frame = std::to_wstring(info.Width) + L"x" + std::to_wstring(info.Height) + L", " + *fps + L" fps";
  rows.Time = FramesToTime(info.FrameCount, info.FrameRate) + L" (" + std::to_wstring(info.FrameCount) + L")";
  if (!modified.empty()) rows.Modified = modified;
  rows.Where = info.RequestedPath;
  return rows;
}

MovieInfoTexts CurrentInfoTexts() {
  MovieInfoTexts t;
  player::PlayerHost& host = player::Player.Host();
  auto caption = [&host](const wchar_t* item, std::wstring& text) {
    const std::wstring shown = host.MenuCaption(item);
    if (!shown.empty()) text = shown;
  };
  caption(L"mnuShowMovie", t.MovieType);
  caption(L"mnuShowProjector", t.ProjectorType);
  caption(L"mnuShowVideo", t.VideoType);
  t.OfOriginal = LangText(L"frmInfo/strOfOrig", t.OfOriginal);
  t.Video = LangText(L"frmInfo/txtVideo", t.Video);
  t.Audio = LangText(L"frmInfo/txtAudio", t.Audio);
  t.Average = LangText(L"frmInfo/txtAverage", t.Average);
  wchar_t decimal[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, decimal, 8) > 1) t.Decimal = decimal[0];
  return t;
}

std::wstring FileModifiedText(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return L"";
  SYSTEMTIME utc, local;
  if (!FileTimeToSystemTime(&data.ftLastWriteTime, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
    return L"";
  wchar_t date[80] = {}, time[80] = {};
  if (!GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 80, nullptr) ||
      !GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &local, nullptr, time, 80))
    return L"";
  return std::wstring(date) + L" " + time;
}

}  // namespace tools
