// The playlist file (".swfzel"): an XML document whose root PLAYLIST holds
// one element per entry, the entry's full path as its text. The writer marks
// the file with the program title, the build that wrote it and the playing
// entry; the reader takes every element child of PLAYLIST as an entry,
// whatever its name, and only entries that name a file: a script statement
// or a text holding control characters is no path, and every entry is
// given in its full form (a relative path taken from the playlist file's
// folder). A file larger than kMaxPlaylistFileBytes is not read.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace player {

inline constexpr wchar_t kPlaylistExtension[] = L".swfzel";
// The build this program writes into its playlist files (files it reads may
// say any build up to its own).
inline constexpr long kPlaylistFileBuild = 680;
// The largest playlist file read (32 MB: about 200,000 entries).
inline constexpr uint64_t kMaxPlaylistFileBytes = uint64_t(32) << 20;

// The document text for these entries, with the playing entry's index.
std::string PlaylistText(const std::vector<std::wstring>& items, long playing);

// Writes the playlist file (beside the old one first, which stays when the
// write fails); a path without extension gets ".swfzel". False on failure.
bool WritePlaylistFile(const std::wstring& path, const std::vector<std::wstring>& items, long playing);

enum class PlaylistFileStatus { Read, Unreadable, Incompatible, TooLarge };

struct PlaylistFileContent {
  PlaylistFileStatus Status = PlaylistFileStatus::Unreadable;
  std::vector<std::wstring> Entries;  // in document order
};

// Reads a playlist file. A file that does not parse is Unreadable; one whose
// build is missing, no number or above programBuild is Incompatible; one
// larger than kMaxPlaylistFileBytes is TooLarge (and not parsed).
PlaylistFileContent ReadPlaylistFile(const std::wstring& path, long programBuild);

// The path an entry's text names, taken from folder when it is relative;
// "" when the text names no file path.
std::wstring PlaylistEntryPath(const std::wstring& text, const std::wstring& folder);

}  // namespace player
