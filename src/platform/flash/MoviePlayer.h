// The timeline engine: the display list of a movie's main timeline and of
// the sprites on it, stepped one frame at a time. Seeking replays the frames
// from the start (or from the current frame when it lies ahead), so a frame
// reached by seeking shows the same display list as one reached by playing.
// Frame actions run when a frame is entered by playing; get-URL actions with
// an "FSCommand:" target are queued for the control to raise.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/flash/ButtonRecords.h"
#include "platform/flash/MovieDefinition.h"

namespace flash {

struct Clip;

// One entry of a display list.
struct DisplayObject {
  uint16_t depth = 0;
  uint16_t character = 0;
  Matrix matrix;
  ColorTransform color;
  uint16_t ratio = 0;
  std::wstring name;
  uint16_t clipDepth = 0;
  uint8_t buttonState = kButtonUp;  // the state a button is drawn in (the pointer's doing)
  std::unique_ptr<Clip> clip;  // the running timeline of a sprite
};

// A running timeline: the main timeline (timeline -1) or a sprite's.
struct Clip {
  Clip() = default;
  explicit Clip(size_t* counter) : counter_(counter) { ++*counter_; }
  ~Clip() {
    if (counter_) --*counter_;
  }
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;

  int timeline = -1;
  int frame = 0;
  bool playing = true;
  std::map<uint16_t, DisplayObject> objects;  // by depth
  const Clip* parent = nullptr;               // the clip whose list holds this one

 private:
  size_t* counter_ = nullptr;
};

// Told of every frame a timeline enters by playing (where its sounds start).
class FrameListener {
 public:
  virtual ~FrameListener() = default;
  virtual void FrameEntered(const Clip& clip, int frame) = 0;
};

struct QueuedCommand {
  std::wstring command, args;
};

class MoviePlayer {
 public:
  explicit MoviePlayer(const MovieDefinition& movie);

  int CurrentFrame() const { return root_.frame; }
  int TotalFrames() const { return static_cast<int>(movie_.root.frames.size()); }
  bool Playing() const { return root_.playing; }
  void SetPlaying(bool playing) { root_.playing = playing; }
  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }
  const Clip& Root() const { return root_; }
  const MovieDefinition& Movie() const { return movie_; }

  // Enters frame 0 of a freshly loaded movie and runs its actions.
  void Start();
  // What the frame clock does once: every sprite steps, then the main
  // timeline moves on (at its end: back to 0 with Loop, else it stops).
  void Advance();
  // Goes to frame (clamped) and stops there, running no main-timeline actions.
  void GotoFrame(int frame);
  // Runs the actions of the labelled frame of a clip ("/" or "_root" or a
  // dotted path of instance names) without moving it; false when not found.
  bool CallLabel(const std::wstring& target, const std::wstring& label);
  // Counts changes to the display lists (places, moves, removes, resets), so
  // a frame that changes nothing needs no repaint.
  uint64_t Changes() const { return changes_; }
  // The entry reached through a path of depths from the main timeline down
  // through sprites; null when there is none.
  DisplayObject* ObjectAt(const std::vector<uint16_t>& path);
  // Runs actions (a button's) in the timeline that holds the entry at path,
  // as frame actions run when playing; false when the entry is gone.
  bool RunActionsAt(const std::vector<uint16_t>& path, const std::vector<FrameAction>& actions);
  void SetFrameListener(FrameListener* listener) { listener_ = listener; }
  // FS commands raised by frame actions since the last call.
  std::vector<QueuedCommand> TakeCommands();

  // A text dump of the display list (depth, character, matrix, colour,
  // ratio, name, clip depth and each sprite's frame and list), for comparing.
  std::wstring Describe() const;

 private:
  const Timeline& TimelineOf(const Clip& clip) const;
  void Reset(Clip& clip);
  void Enter(Clip& clip, int frame, bool runActions, int nesting);
  void StepChildren(Clip& clip, bool runActions, int nesting);
  void StepClip(Clip& clip, bool runActions, int nesting);
  void Apply(Clip& clip, const PlaceCommand& cmd, bool runActions, int nesting);
  void NewObject(const Clip& owner, DisplayObject& obj, uint16_t character, bool runActions, int nesting);
  void RunActions(Clip& clip, const std::vector<FrameAction>& actions, bool mayMove, int nesting);
  void SeekClip(Clip& clip, int frame, int nesting);
  Clip* FindClip(const std::wstring& path);
  Clip* ClipHolding(const std::vector<uint16_t>& path, int& nesting);

  const MovieDefinition& movie_;
  size_t liveClips_ = 0;  // sprite instances alive, bounded against sprites that multiply
  Clip root_;
  bool loop_ = true;
  int seeking_ = 0;  // nested seeks running
  std::vector<QueuedCommand> commands_;
  uint64_t changes_ = 0;
  FrameListener* listener_ = nullptr;
};

}  // namespace flash
