// What the resource extractor window does without its window: the kind
// counters handed to ExtractResources, the destination made ready (one
// trailing "\", a missing folder offered to be made, a path that is not a
// full one, holds a character no name takes, is too long, is a file, lies in
// a missing folder, cannot be made or takes no files refused, each with its
// own message and before anything is made, so nothing is extracted into an
// unexpected place or left behind), and the summary of what was written.
#pragma once
#include <cstdint>
#include <string>

#include "player/start/OptionSet.h"

namespace tools {

// The questions the extractor asks; the window answers them with its
// message boxes, the tests with a script.
class ExtractorPrompts {
 public:
  virtual ~ExtractorPrompts() = default;
  // A message with one button (second "") or two; true for the second.
  virtual bool Ask(const std::wstring& prompt, const std::wstring& icon, const std::wstring& first,
                   const std::wstring& second) = 0;
  // Opens the folder in an Explorer window.
  virtual void ShowFolder(const std::wstring& folder) = 0;
  // The run's summary with Close and, when offered, Show Files (true when
  // chosen); the window's message box makes Close the default. By default one
  // more question.
  virtual bool Summary(const std::wstring& prompt, bool offerShowFiles);
};

// The counters in their order (JPEG images, lossless images, event sounds,
// stream sounds, video): 0 for a kind to extract, -1 for one to skip.
void KindCounters(const player::ExtractorSettings& kinds, int32_t (&counts)[5]);
bool AnyKind(const player::ExtractorSettings& kinds);

// A full path: a drive letter, ":" and "\", or "\\server\share".
bool IsFullFolderPath(const std::wstring& path);

enum class Destination { Ready, Cancelled, Refused };
// Makes dest its full form ending in one "\"; asks to make a missing folder
// (one level) and refuses, with a message naming the cause, a relative path,
// a forbidden character, a path too long for the files' names, a file, a
// folder whose parent is missing, one that could not be made (with the
// system's reason) and one that takes no files (a folder made for it is
// removed again).
Destination PrepareDestination(std::wstring& dest, ExtractorPrompts& prompts);

// The check boxes' captions in counter order.
struct KindNames {
  std::wstring Names[5] = {L"JPEG Compressed Images", L"Images with Lossless Compression", L"Event MP3 Sounds",
                           L"Streaming MP3 Sounds", L"Video Sorenson H.263"};
};
// "The following resources were extracted:" and one line per kind with files
// ("\r\nJPEG Compressed Images: 2"), or "No resources were extracted"; a run
// stopped by the user says so first. The bool tells whether anything was.
std::pair<std::wstring, bool> ExtractSummary(const int32_t (&counts)[5], const KindNames& names, bool stopped = false);

}  // namespace tools
