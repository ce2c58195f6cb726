#include "player/lists/FavoriteFolders.h"

#include <cwchar>

#include "services/RegistryModule.h"
#include "services/ShellMod.h"

namespace player {
namespace {

const wchar_t kSection[] = L"Favorites";
// More than anyone keeps; a damaged count does not read the registry for ever.
constexpr long kMostFavorites = 10000;

}  // namespace

void FavoriteFolders::Add(const std::wstring& folder) {
  if (folder.empty()) return;
  const std::wstring path = AddBackslash(folder);
  if (Find(path) < 0) folders_.push_back(path);
}

int FavoriteFolders::Find(const std::wstring& folder) const {
  const std::wstring path = AddBackslash(folder);
  for (size_t i = 0; i < folders_.size(); ++i)
    if (StrEqualNoCase(folders_[i], path)) return static_cast<int>(i);
  return -1;
}

void FavoriteFolders::Load(bool load) {
  folders_.clear();
  if (!load) return;
  const long last = std::wcstol(GetRegString(kSection, L"", L"0").c_str(), nullptr, 10);
  for (long i = 0; i <= last && i < kMostFavorites; ++i) Add(GetRegString(kSection, std::to_wstring(i), L""));
}

void FavoriteFolders::Save() const {
  SaveRegString(kSection, L"", std::to_wstring(static_cast<long>(folders_.size()) - 1));
  for (size_t i = 0; i < folders_.size(); ++i) SaveRegString(kSection, std::to_wstring(i), folders_[i]);
}

MenuListState FavoriteFolders::Menu(const FitPath& fit, const std::wstring& placeholder) const {
  MenuListState state;
  state.Placeholder = placeholder;
  state.PlaceholderVisible = false;
  for (const std::wstring& folder : folders_)
    state.Items.push_back({MenuCaptionOf(fit ? fit(folder, kFavoriteCaptionWidth) : folder), folder, true});
  return state;
}

}  // namespace player
