// A folder's missing thumbnails made in the background: the window's timer
// calls Step, which makes thumbnails for a short slice of time and returns
// to the message loop, the entries whose cells are in view first, then the
// rest in list order. A run the user started shows the progress window
// (whose Stop ends it); one of the start-up runs without it. A new run
// replaces the one before; the page is told of each thumbnail made.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "player/movie/Thumbnails.h"

namespace player {

// One missing thumbnail: the entry's number on the page (from 1), the movie,
// the thumbnail's path and its name as the page knows it.
struct MissingThumbnail {
  int Item = 0;
  std::wstring Movie, ThumbPath, ThumbName;
};

// The window side of a run: what a run needs of the window.
class ThumbnailRunWindow {
 public:
  virtual ~ThumbnailRunWindow() = default;
  // Renders one thumbnail; the window's real snapshot, a fake in tests.
  virtual bool MakeThumbnail(const std::wstring& movie, const std::wstring& thumbPath, ThumbnailProgress* progress) = 0;
  // The entries whose cells the page shows now (from 1; first > last: none).
  virtual void VisibleItems(int& first, int& last) = 0;
  // A thumbnail was written: the page shows it (inView: its cell shows now).
  virtual void ThumbnailMade(const std::wstring& thumbName, bool inView) = 0;
  // After a run: the hidden snapshot window goes.
  virtual void EndThumbnails() = 0;
};

class ThumbnailRun {
 public:
  using Clock = std::function<double()>;  // seconds
  // The time one Step may take before it gives the message loop its turn.
  static constexpr double kSliceSeconds = 0.03;

  explicit ThumbnailRun(Clock clock = {});

  // Starts a run over jobs (sorted by Item); the run before ends first
  // (asked during a step: once the thumbnail being made is done).
  // progress: the progress window, or null for a run in the background.
  void Start(ThumbnailRunWindow& window, std::vector<MissingThumbnail> jobs, std::unique_ptr<ThumbnailProgress> progress);
  // Makes thumbnails until the slice is used (at least one): false when the
  // run is over (done, stopped by the progress window, or none running).
  bool Step(ThumbnailRunWindow& window);
  // Ends the run now (the page was left); asked during a step, once the
  // thumbnail being made is done.
  void Stop(ThumbnailRunWindow& window);
  bool Running() const { return running_; }
  int Made() const { return made_; }
  int Count() const { return static_cast<int>(jobs_.size()); }

 private:
  // The progress window's Stop was pressed.
  bool StopPressed() const { return progress_ && progress_->StopPressed(); }
  // The next job not made: one in view first, else the next in order; -1 when none.
  int Next(ThumbnailRunWindow& window, bool& inView);
  void End(ThumbnailRunWindow& window);

  struct Pending {
    std::vector<MissingThumbnail> jobs;
    std::unique_ptr<ThumbnailProgress> progress;
  };

  Clock clock_;
  std::vector<MissingThumbnail> jobs_;
  std::vector<bool> done_;
  size_t cursor_ = 0;  // every job before it is done
  int made_ = 0;
  double started_ = 0;
  bool running_ = false, busy_ = false, stopAsked_ = false;
  std::unique_ptr<ThumbnailProgress> progress_;
  std::unique_ptr<Pending> pending_;  // a run asked for while a step was busy
};

}  // namespace player
