#include "player/lists/RecentFiles.h"

#include <algorithm>

#include "services/RegistryModule.h"
#include "services/Services.h"
#include "services/ShellMod.h"

namespace player {
namespace {

const wchar_t kSection[] = L"Recent";

}  // namespace

bool RecentFiles::Add(const std::wstring& file) {
  // The remembered playlist is the program's own file, not one the user opened.
  if (file.empty() || file == LastPlayedFile) return true;
  const std::wstring folder = GetFolderPart(file);
  if (!folder.empty()) options_.CurrentFolder = folder;
  if (!options_.KeepHistory) return true;
  if (!files_.empty() && files_.front() == file) return false;
  Record(file, true);
  return true;
}

void RecentFiles::Record(const std::wstring& file, bool tellShell) {
  const int found = Find(file);
  if (found >= 0) files_.erase(files_.begin() + found);
  files_.insert(files_.begin(), file);
  if (files_.size() > static_cast<size_t>(kRecentFilesMax)) files_.resize(kRecentFilesMax);
  if (found < 0 && tellShell && tellShell_) tellShell_(file);
}

int RecentFiles::Find(const std::wstring& file) const {
  for (size_t i = 0; i < files_.size(); ++i)
    if (StrEqualNoCase(files_[i], file)) return static_cast<int>(i);
  return -1;
}

void RecentFiles::Load() {
  if (!options_.KeepHistory) {
    files_.clear();
    loadedWithHistory_ = false;
    return;
  }
  if (loadedWithHistory_) {
    // The files opened since then are newer than the registry's copy.
    files_.erase(std::remove_if(files_.begin(), files_.end(), [](const std::wstring& f) { return !FileExists(f); }),
                 files_.end());
    return;
  }
  files_.clear();
  for (int i = kRecentFilesMax - 1; i >= 0; --i) {
    const std::wstring file = GetRegString(kSection, std::to_wstring(i), L"");
    if (!file.empty() && file != LastPlayedFile && FileExists(file)) Record(file, false);
  }
  loadedWithHistory_ = true;
}

void RecentFiles::Save() const {
  std::vector<std::wstring> kept;
  if (options_.KeepHistory)
    for (const std::wstring& file : files_)
      if (FileExists(file)) kept.push_back(file);
  for (int i = kRecentFilesMax - 1; i >= 0; --i)
    SaveRegString(kSection, std::to_wstring(i), static_cast<size_t>(i) < kept.size() ? kept[i] : L"");
}

MenuListState RecentFiles::Menu(const FitPath& fit, const std::wstring& placeholder) const {
  MenuListState state;
  const bool on = options_.KeepHistory;
  state.SeparatorVisible = on;
  state.Placeholder = placeholder;
  state.PlaceholderVisible = on;
  if (!on) return state;
  for (const std::wstring& file : files_)
    state.Items.push_back({MenuCaptionOf(fit ? fit(file, kRecentCaptionWidth) : file), file, true});
  return state;
}

}  // namespace player
