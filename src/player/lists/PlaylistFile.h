// The playlist file (".swfzel"): an XML document whose root PLAYLIST holds
// one element per entry, the entry's full path as its text. The writer marks
// the file with the program title, the build that wrote it and the playing
// entry; the reader takes every element child of PLAYLIST as an entry,
// whatever its name, and only entries that name a file: a script statement
// or a text holding control characters is no path, and a relative path is
// taken from the playlist file's folder.
#pragma once
#include <string>
#include <vector>

namespace player {

inline constexpr wchar_t kPlaylistExtension[] = L".swfzel";
// The build this program writes into its playlist files (files it reads may
// say any build up to its own).
inline constexpr long kPlaylistFileBuild = 680;

// Every "&", "<", ">" and '"' of the text as a character reference, so the
// text reads back as it stands ("a&#38;b" stays "a&#38;b").
std::wstring EscapeXmlText(const std::wstring& text);

// The document text for these entries, with the playing entry's index.
std::string PlaylistText(const std::vector<std::wstring>& items, long playing);

// Writes the playlist file (beside the old one first, which stays when the
// write fails); a path without extension gets ".swfzel". False on failure.
bool WritePlaylistFile(const std::wstring& path, const std::vector<std::wstring>& items, long playing);

enum class PlaylistFileStatus { Read, Unreadable, Incompatible };

struct PlaylistFileContent {
  PlaylistFileStatus Status = PlaylistFileStatus::Unreadable;
  std::vector<std::wstring> Entries;  // in document order
};

// Reads a playlist file. A file that does not parse is Unreadable; one whose
// build is missing, no number or above programBuild is Incompatible.
PlaylistFileContent ReadPlaylistFile(const std::wstring& path, long programBuild);

// The path an entry's text names, taken from folder when it is relative;
// "" when the text names no file path.
std::wstring PlaylistEntryPath(const std::wstring& text, const std::wstring& folder);

}  // namespace player
