// The favourite folders: folders the user returns to, in the order added,
// shown in the Browser menu's Favorite Folders (each item browses its
// folder) and kept in the registry section "Favorites": the default value
// is the highest index as text ("-1" for none), the values "0", "1", ... the
// folders. A folder is kept once (compared with its trailing "\", ignoring
// case); missing folders stay. Values beyond the count are ignored.
#pragma once
#include <string>
#include <vector>

#include "player/commands/MenuList.h"

namespace player {

inline constexpr long kFavoriteCaptionWidth = 300;

class FavoriteFolders {
 public:
  // Adds a folder unless it is there already (AddFavorite).
  void Add(const std::wstring& folder);
  // The index of the folder, -1 when it is not one (FindFavorite).
  int Find(const std::wstring& folder) const;
  // LoadFavorites: true reads the registry's list, false empties the list.
  void Load(bool load);
  void Save() const;

  const std::vector<std::wstring>& Folders() const { return folders_; }
  // The menu's part: one enabled item per folder; none shows nothing.
  MenuListState Menu(const FitPath& fit, const std::wstring& placeholder) const;

 private:
  std::vector<std::wstring> folders_;
};

}  // namespace player
