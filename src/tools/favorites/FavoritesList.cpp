#include "tools/favorites/FavoritesList.h"

#include "services/ShellMod.h"

namespace tools {

void FavoritesList::Add(const std::wstring& folder) {
  if (folder.empty()) return;
  const int at = selected_ + 1;  // after the selection; the top for none
  items_.insert(items_.begin() + at, AddBackslash(folder));
  selected_ = at;
}

void FavoritesList::Remove(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  Select(index);
}

void FavoritesList::Move(int index, int direction) {
  const int to = index + direction;
  if (index < 0 || index >= Count() || to < 0 || to >= Count()) return;
  std::swap(items_[static_cast<size_t>(index)], items_[static_cast<size_t>(to)]);
  selected_ = to;
}

FavoriteButtons FavoritesList::Buttons() const {
  FavoriteButtons b;
  b.Remove = selected_ >= 0;
  b.Up = selected_ > 0;
  b.Down = selected_ >= 0 && selected_ < Count() - 1;
  return b;
}

}  // namespace tools
