// Emptying the movie cache folder by mode: 1 the movie copies ("*.swf",
// "*.exe", "*.tmp"), 2 everything, 3 the thumbnails ("*.jpg"), any other
// mode nothing. Only files directly in the folder are deleted.
#pragma once
#include <string>

namespace player {

// Returns the number of files deleted; a pattern that matches nothing is no error.
int ClearCacheFiles(const std::wstring& cacheFolder, long mode);

}  // namespace player
