// What the favourites manager does without its window: the working copy of
// the favourite folders with its selection, the edits (insert after the
// selection, remove, move up or down), the buttons' enabled states, and OK,
// which hands the list to the main window's favourites (duplicates collapse
// there, letter case ignored).
#pragma once
#include <string>
#include <vector>

namespace tools {

struct FavoriteButtons {
  bool Remove = false, Up = false, Down = false;
  bool operator==(const FavoriteButtons&) const = default;
};

class FavoritesList {
 public:
  FavoritesList() = default;
  explicit FavoritesList(std::vector<std::wstring> folders) : items_(std::move(folders)) {}

  const std::vector<std::wstring>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  int Selected() const { return selected_; }  // -1 for none
  void Select(int index) { selected_ = index >= 0 && index < Count() ? index : -1; }

  // A folder (given one trailing "\") after the selected entry, or at the
  // top when none is selected; it becomes the selected entry.
  void Add(const std::wstring& folder);
  // Removes the entry; the entry that now has its index is selected (none
  // when it was the last).
  void Remove(int index);
  // Swaps the entry with its neighbour above (-1) or below (+1) and selects
  // that place; nothing when the neighbour does not exist.
  void Move(int index, int direction);

  FavoriteButtons Buttons() const;

 private:
  std::vector<std::wstring> items_;
  int selected_ = -1;
};

}  // namespace tools
