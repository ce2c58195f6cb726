// Paths of the movie code: a path made full against the current folder, the
// file name at a path's end (either separator), and whether a path lies inside
// a folder.
#pragma once
#include <string>

// The full form of path (GetFullPathNameW); path itself when that fails.
std::wstring FullPath(const std::wstring& path);
// The last part of path after "\" or "/" (the whole path when it has neither).
std::wstring FileNameOf(const std::wstring& path);
// True when the full form of path names something inside folder (not folder itself).
bool IsInsideFolder(const std::wstring& path, const std::wstring& folder);
