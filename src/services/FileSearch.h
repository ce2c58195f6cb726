// Collects the files of a folder (optionally of its whole tree) that match a
// pattern. Runs on the window thread: it lets pending window messages run now
// and then, and stops as soon as the caller's cancel flag is set.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Searches Folder for files whose long names match Pattern ("*" and "?", any
// case; "*.*" matches every name) and, when Recurse is set, every sub-folder
// depth first. Names are taken in case-insensitive order. Each match is
// appended to Files as a full path and counted in FileCount; each sub-folder
// found adds 1 to DirCount when Recurse is set. CurrentFolder shows the folder
// being searched, as given. Reparse points (links, junctions) are never
// entered, nor is a folder already being searched. Returns the total size of
// the matches in bytes.
int64_t FindFiles(const std::wstring& folder, const std::wstring& pattern, long& fileCount, long& dirCount,
                  bool recurse, std::wstring& currentFolder, std::vector<std::wstring>& files, const bool& cancel);

// The identity of a folder (its volume's serial number and its file index),
// to notice a folder reached twice through links; false when the system does
// not tell (the folder is missing, or its file system gives every folder 0).
bool FolderIdentity(const std::wstring& folder, std::pair<uint64_t, uint64_t>& id);

// True when Name matches Pattern the way FindFiles compares long names.
bool MatchFileMask(const std::wstring& name, const std::wstring& pattern);

// How FindFiles lets the message loop run: after every listed entry, once
// more than IntervalSeconds have passed since the search began or last
// yielded (over the whole tree, not per folder), Pump is called (by default it
// dispatches the pending messages of this thread). Clock gives seconds; none
// means a steady clock.
struct SearchYield {
  double IntervalSeconds = 2.0;
  std::function<void()> Pump;
  std::function<double()> Clock;
};
SearchYield& FileSearchYield();
