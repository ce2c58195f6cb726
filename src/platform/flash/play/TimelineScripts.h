// What the timeline engine (MoviePlayer) asks of the scripts of the movie it
// plays, at each step of the frame model: objects for the entries placed
// and events for those removed, a frame's actions queued and the queue run,
// the frame's close. The player owns them through this interface and makes
// them with the factory its creator hands it, so the engine knows nothing
// of the interpreter behind them.
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace flash {

class MoviePlayer;
class MovieClipObject;
struct Clip;
struct DisplayObject;
struct FrameScript;
struct PlayerEnvironment;

class TimelineScripts {
 public:
  virtual ~TimelineScripts() = default;

  // The movie starts: the main timeline's object with the address's variables.
  virtual void Begin(Clip& root, const std::vector<std::pair<std::wstring, std::wstring>>& variables) = 0;
  // Where the queue ends now (a frame entered queues its actions there).
  virtual size_t Mark() const = 0;
  // A new entry: its script object, and (with scripts) its init, construct and load events.
  virtual void Placed(Clip& parent, DisplayObject& entry, bool scripts) = 0;
  // An entry goes: its unload events (with scripts) and its objects let go.
  virtual void Removed(Clip& parent, DisplayObject& entry, bool scripts) = 0;
  // A clip starts showing a loaded movie: its object loses its variables and handlers.
  virtual void Reloaded(Clip& clip) = 0;
  // A level is taken away.
  virtual void LevelGone(Clip& level) = 0;
  // A frame was entered: its init actions (once per sprite) and actions
  // join the queue at mark, before what its new children queued.
  virtual void FrameEntered(Clip& clip, int frame, size_t mark) = 0;
  // A seek by the host passes a sprite frame: only its stop and play count.
  virtual void QuietActions(Clip& clip, const FrameScript& frame) = 0;
  // Every clip's enterFrame joins the queue.
  virtual void EnterFrame() = 0;
  // Runs the queue until it is empty.
  virtual void Drain() = 0;
  // Runs the timers that are due.
  virtual void RunTimers() = 0;
  // The completions and statuses of sounds and videos reach the scripts.
  virtual void MediaEvents() = 0;
  // After a frame's scripts: bound text fields follow their variables, loads arrive.
  virtual void AfterFrame() = 0;
  // Runs a frame's actions now (the Call action, TCallLabel).
  virtual void RunFrameNow(Clip& clip, int frame) = 0;
  // The movie unloads: unload events run and shared objects are written.
  virtual void Unload() = 0;
  // The clip a clip's script object stands for; null once the clip is gone.
  virtual Clip* ClipOf(const MovieClipObject& object) const = 0;
};

// Makes the scripts of a player, with the player's environment.
using TimelineScriptsFactory =
    std::function<std::unique_ptr<TimelineScripts>(MoviePlayer& player, const PlayerEnvironment& environment)>;

}  // namespace flash
