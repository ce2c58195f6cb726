// The thumbnail generator's run, without a window: from a source folder (or
// one movie) it finds the movies and projectors, writes a JPEG beside each
// one it can read, optionally the index "Flash Info.xml", launches a program
// at the end when asked and reports what it did. The window (frmGenerator)
// and the script's Generate drive it through three seams: the maker that
// renders and saves one thumbnail, and the host that shows progress, launches
// and shows the summary. Only thumbnails actually written are counted: the
// files the maker still writes are waited for before the count is taken and
// the index written. A run works on a copy of the settings taken when it
// starts: what changes them meanwhile reaches the next run, never the one
// going on. A source must be a full path (a relative one is refused, never
// taken from the program's folder).
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "moviefiles/SWFInfo.h"
#include "player/start/OptionSet.h"

namespace tools {

inline constexpr int kMaxThumbnailSide = 4096;
inline const wchar_t kIndexFileName[] = L"Flash Info.xml";

// One thumbnail to make.
struct ThumbnailJob {
  std::wstring Target;     // the JPEG file
  int Width = 0, Height = 0;
  std::wstring BackColor;  // "RRGGBB", or "" for the movie's own colour
  long Quality = 90;       // 0..100
  bool Show = false;       // show it in the preview while generating
  bool Watermark = false;  // the picture LogoPath drawn over it
  std::wstring LogoPath;
};

// A thumbnail handed on that could not be written, and why.
struct UnwrittenThumbnail {
  std::wstring Target, Reason;
};

// Renders a movie and writes its JPEG, or hands the picture on to be written
// while the next movie renders; false when no thumbnail comes of it.
class ThumbnailMaker {
 public:
  virtual ~ThumbnailMaker() = default;
  virtual bool Make(const SWFInfo& record, const ThumbnailJob& job) = 0;
  // Waits until every thumbnail handed on is written; those that were not.
  virtual std::vector<UnwrittenThumbnail> Finish() { return {}; }
};

// What the run shows and asks of its surroundings.
class GeneratorHost {
 public:
  virtual ~GeneratorHost() = default;
  virtual void Stage(const std::wstring& text) = 0;    // what the run does now
  virtual void Current(const std::wstring& file) = 0;  // the file at work
  virtual void Status(double fraction) = 0;            // 0..1 of the files done
  virtual bool Launch(const std::wstring& program) = 0;  // true when it started
  // The summary; true when the user asked to see the files (offered only when some were made).
  virtual bool Summary(const std::wstring& text, bool offerShowFiles) = 0;
  virtual void Explore(const std::wstring& folder) = 0;
  virtual void Problem(const std::wstring& text) = 0;  // the run could not start
  // The player's movie: a copy taken out of a projector it plays is kept.
  virtual std::wstring PlayingMovie() { return L""; }
};

struct GeneratorOutcome {
  bool Started = false;       // false: the source was missing or relative (nothing done)
  bool Cancelled = false;
  long MovieCount = 0, FoldersSearched = 0, ThumbsCreated = 0;
  bool IndexFailed = false;   // asked for and not written
  bool IndexKept = false;     // asked for, but the run was cancelled: an earlier index stays as it was
  std::wstring IndexPath;
  std::wstring Folder;        // the source folder (a single movie's own folder)
  bool Launched = false;
};

class GeneratorRun {
 public:
  // settings: those every run starts from (the option set's).
  GeneratorRun(player::GeneratorSettings& settings, ThumbnailMaker& maker, GeneratorHost& host)
      : live_(settings), maker_(maker), host_(host) {}

  // The search, the thumbnails and the index, over a copy of the settings. A
  // folder source gets its trailing "\" (stored back); a missing or relative
  // source is reported (autoMode, a script's run: only logged) and nothing is
  // done. A cancelled run writes no index.
  GeneratorOutcome Run(bool autoMode);
  // The end of a run that started: the program launched when asked, then
  // (unless autoMode) the summary, and the folder opened when the user asks.
  void Finish(GeneratorOutcome& outcome, bool autoMode);
  // Ends the run before its next file (or during the search).
  void RequestStop() { stop_ = true; }
  bool StopRequested() const { return stop_; }
  bool Running() const { return running_; }
  // The settings of the run going on, or of the last one.
  const player::GeneratorSettings& Settings() const { return settings_; }

 private:
  void MakeOne(const std::wstring& file, const std::wstring& indexFolder, std::wstring* index, GeneratorOutcome& out);

  player::GeneratorSettings& live_;
  player::GeneratorSettings settings_;
  ThumbnailMaker& maker_;
  GeneratorHost& host_;
  bool stop_ = true;
  bool running_ = false;
};

// The thumbnail's size: the fixed size, or the movie's size in per cent
// (rounded half to even, at least 1); at most kMaxThumbnailSide a side
// (a per-cent size keeps the movie's shape).
std::pair<int, int> ThumbnailSize(const player::GeneratorSettings& settings, const SWFInfo& record);
// An attribute or text value of the index: "&", "<", ">", quote and the
// white space that attributes would lose as references; characters XML
// cannot hold dropped.
std::wstring IndexEscape(const std::wstring& text);
// A movie's line of the index (relative folder "" for the source's own folder).
std::wstring IndexLine(const SWFInfo& record, const std::wstring& relativeFolder);
std::wstring IndexHead();
// The summary's text.
std::wstring SummaryText(const GeneratorOutcome& outcome, const player::GeneratorSettings& settings);

}  // namespace tools
