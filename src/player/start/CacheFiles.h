// Emptying the movie cache folder by mode: 1 the movie copies ("*.swf",
// "*.exe", "*.tmp"), 2 everything, 3 the thumbnails ("*.jpg"), any other
// mode nothing. Only files directly in the folder are deleted.
#pragma once
#include <string>
#include <vector>

namespace player {

// Returns the number of files deleted; a pattern that matches nothing is no error.
int ClearCacheFiles(const std::wstring& cacheFolder, long mode);

// What the program wrote for the current user, removed by Uninstall.
struct ProgramData {
  std::wstring CacheFolder, UserDataFolder, UserSkinFolder;
  std::vector<std::wstring> KnownFiles;  // in the data folder: playlist, browse and page files, the log
};
// Empties and removes the cache folder, deletes the known files and the skin
// folder's tree, then removes the data folder when nothing else is left in it.
// Links and junctions inside are removed, never followed.
void RemoveProgramData(const ProgramData& data);

}  // namespace player
