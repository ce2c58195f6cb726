// The movie-information record: one movie file's facts as GetSWFInfo reads
// them. Each window keeps the records of its own movies; a default-made
// record is the blank one.
#pragma once
#include <cstdint>
#include <string>

struct SWFInfo {
  uint8_t Version = 0;
  bool Compressed = false;
  double MovieLength = 0;  // uncompressed length from the header; an FLV's file size
  int32_t FileSize = 0;    // size of the file asked for (a projector: the executable)
  int32_t MovieFileSize = 0;  // size of the movie as stored: the file's, a projector's movie's
  int32_t Width = 0;
  int32_t Height = 0;
  float FrameRate = 0;
  int32_t FrameCount = 0;
  std::wstring Path;             // the file to play and to read tags from
  std::wstring RequestedPath;    // the path given to GetSWFInfo (full mode: the decompressed movie)
  std::wstring HeaderCachePath;  // header-only cache file of a compressed movie
  std::wstring FileTitle;        // file name of RequestedPath with its extension
  int32_t FirstTagOffset = 0;    // 1-based position of the first tag in Path (or the cache copy)
  bool PathChanged = false;      // the movie was taken out of a projector
  bool IsFLV = false;
  uint8_t VideoCodecID = 0;
  int16_t VideoDataRate = 0;
  int16_t AudioDataRate = 0;
  std::wstring BackColor = std::wstring(6, L'\0');  // "RRGGBB"; six NULs when cleared
  std::wstring Title;
  std::wstring Description;
};
