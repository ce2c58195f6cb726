// Movie reading: GetSWFInfo classifies a file (plain or compressed movie, Flash
// video, projector), prepares it (cache copy, wrapper page, movie taken out of
// a projector) and fills the movie-information record.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "moviefiles/SWFInfo.h"

class FileWindow;
class ByteReader;

// Fills info from the file at path. Header-only mode reads the start of a
// compressed movie through a small cache file; full mode makes Path an
// uncompressed copy. Returns "" or the error text (also left in LastError, and
// info is then cleared).
std::wstring GetSWFInfo(const std::wstring& path, SWFInfo& info, bool fullDecompress);
void ClearSWFInfo(SWFInfo& info);
// "RRGGBB" in upper-case hexadecimal.
std::wstring BytesToHexColor(uint8_t red, uint8_t green, uint8_t blue);
// A play time "m:ss" from a frame count and rate; "0:00" without a rate.
std::wstring FramesToTime(int32_t frames, float frameRate);
// The smallest whole number not below x.
long Ceiling(double x);

// Steps of GetSWFInfo over a movie's bytes. ReadSWFFrameRect reads the frame
// rectangle at the reader's position (just after the 8-byte header) and fails
// when the bytes end inside it.
bool ReadSWFFrameRect(ByteReader& reader, SWFInfo& info);
// A tag's record header: its code and body length.
struct SWFTagHeader {
  uint32_t Code = 0;
  uint32_t Length = 0;
};
// Reads the record header at pos (short form, or long form with a 32-bit length) and
// moves pos to the tag's body; false when the header runs past the file's end.
bool ReadSWFTagHeader(FileWindow& file, uint64_t& pos, SWFTagHeader& tag);
// Reads at most five tags from FirstTagOffset: background colour and metadata.
void ReadSWFInfoTags(FileWindow& file, SWFInfo& info);
// The title and description of a Metadata tag's body (RDF text).
void ReadSWFMetadata(std::span<const uint8_t> body, uint8_t version, std::wstring& title,
                     std::wstring& description);
