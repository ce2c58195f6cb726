// The recent files: the last five files opened, newest first, shown in the
// File menu (each item plays its file as a one-entry playlist) and kept in
// the registry section "Recent" as the values "0" (the newest) to "4".
// Opening a file moves it to the top (compared ignoring case); the
// remembered playlist is never one of them, and with the history off nothing
// is recorded, nothing told to the shell and empty slots are saved. Every
// file recorded sets the media browser's folder to the file's own.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "player/commands/MenuList.h"
#include "player/start/OptionSet.h"

namespace player {

inline constexpr int kRecentFilesMax = 5;
inline constexpr long kRecentCaptionWidth = 150;

// The system's own recent documents, told of each newly recorded file.
using TellShellRecent = std::function<void(const std::wstring& path)>;

class RecentFiles {
 public:
  // The options give KeepHistory and take CurrentFolder.
  RecentFiles(OptionSet& options, TellShellRecent tellShell)
      : options_(options), tellShell_(std::move(tellShell)) {}

  // Records a file as the most recent (AddRecent); false when the list stays
  // as it was (the file is the most recent already), its menu with it.
  bool Add(const std::wstring& file);
  // The index of the file ignoring case, -1 when it is not one (FindRecent).
  int Find(const std::wstring& file) const;
  // LoadRecent: with the history on, the registry's files that still exist;
  // while the history stays on since the last load, the files recorded since
  // then stay (missing ones leave). With the history off: none.
  void Load();
  // The slots "0" to "4": the existing files while the history is on, "" otherwise.
  void Save() const;

  const std::vector<std::wstring>& Files() const { return files_; }
  // The File menu's part: the items enabled, the disabled placeholder when
  // there is none, separator and placeholder hidden with the history off.
  MenuListState Menu(const FitPath& fit, const std::wstring& placeholder) const;

 private:
  void Record(const std::wstring& file, bool tellShell);

  OptionSet& options_;
  TellShellRecent tellShell_;
  std::vector<std::wstring> files_;
  bool loadedWithHistory_ = false;
};

}  // namespace player
