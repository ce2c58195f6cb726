// Movie reading: GetSWFInfo classifies a file (plain or compressed movie, Flash
// video, projector), prepares it (cache copy, wrapper page, movie taken out of
// a projector) and fills the movie-information record.
#pragma once
#include <cstdint>
#include <span>
#include <string>

#include "moviefiles/SWFInfo.h"

class ByteReader;

// Fills info from the file at path. Header-only mode reads the start of a
// compressed movie through a small cache file; full mode makes Path an
// uncompressed copy. Returns "" or the error text; info is then cleared.
// LastError is left as the error text, or after a success as the warning about
// a damaged compressed body ("Movie Corrupted", "Movie Truncated") or "".
std::wstring GetSWFInfo(const std::wstring& path, SWFInfo& info, bool fullDecompress);
void ClearSWFInfo(SWFInfo& info);
// "RRGGBB" in upper-case hexadecimal.
std::wstring BytesToHexColor(uint8_t red, uint8_t green, uint8_t blue);
// The header's frame rate, an 8.8 fixed-point number, as the decimal of fewest
// digits that the rate stores as (29.97 for 29 + 248/256, 0.5, 12).
float FrameRateFromFixed(uint8_t fraction, uint8_t whole);
// A frame rate in its shortest form (up to 7 significant digits) with the
// given decimal separator: "29.97", "12", "0.5".
std::wstring FrameRateText(float rate, wchar_t decimal = L'.');
// A play time "m:ss" from a frame count and rate; "0:00" without a rate.
std::wstring FramesToTime(int32_t frames, float frameRate);
// The smallest whole number not below x.
long Ceiling(double x);

// Steps of GetSWFInfo over a movie's bytes. ReadSWFFrameRect reads the frame
// rectangle at the reader's position (just after the 8-byte header) and fails
// when the bytes end inside it.
bool ReadSWFFrameRect(ByteReader& reader, SWFInfo& info);
// Reads at most five tags from FirstTagOffset in the movie's first bytes:
// background colour and metadata (metadata over 1 MB is skipped). Returns 0,
// or how many of the movie's first bytes would hold a tag that the bytes cut
// off, for the caller to read that much and call again. A long tag whose body
// is not read (a shape, a bitmap) ends the scan without asking for its body.
uint64_t ReadSWFInfoTags(std::span<const uint8_t> movie, SWFInfo& info);
// The title and description of a Metadata tag's body: an RDF document read
// in the encoding it names (UTF-8 by default), whatever the movie's version.
void ReadSWFMetadata(std::span<const uint8_t> body, std::wstring& title, std::wstring& description);
