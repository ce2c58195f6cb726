// The timeline engine: the display list of a movie's main timeline and of
// the clips on it, stepped one frame at a time, with the movie's scripts (a
// TimelineScripts its creator makes) driving it as the frame model says: on
// each frame every playing timeline moves on and applies its display-list
// changes, clips placed get their load events, removed ones their unload,
// then every clip gets its enterFrame, then the queued frame actions run
// (init actions first, a parent's before its children's). Scripts change the
// lists too (attachMovie, duplicateMovieClip, swapDepths, removeMovieClip ...).
//
// Seeking by the host (GotoFrame) replays the frames from the start (or
// from the current frame when it lies ahead) and runs no scripts, so a frame
// reached by seeking shows the same display list as one reached by playing
// an unscripted movie. A script's go-to keeps the instances that stand in
// both frames (placed by the same tag), so their variables live on.
//
// Movies loaded by scripts play in clips or in levels above the main
// timeline (level 0): each clip knows the movie whose timeline and
// characters it shows, so a loaded movie keeps its own dictionary. The
// loaded definitions live as long as the player.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/flash/parse/ButtonRecords.h"
#include "platform/flash/play/ClipEvents.h"
#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/play/ScriptDrawing.h"
#include "platform/flash/play/ChildNames.h"
#include "platform/flash/play/TextFieldState.h"
#include "platform/flash/play/TimelineScripts.h"

namespace flash {

namespace script {
class Object;
class String;
}
namespace media {
class Mixer;
}
class MovieClipObject;
struct Clip;
struct Bitmap;
class BitmapSurface;
struct CachedSurface;

// Scripts' depths d are kept at kDepthOffset + d; the timeline's below it.
inline constexpr int32_t kDepthOffset = 16384;
inline constexpr int32_t kMaxScriptDepth = 2130690045;

// One entry of a display list.
struct DisplayObject {
  int32_t depth = 0;
  uint16_t character = 0;  // 0 for a clip or text field made by a script
  Matrix matrix;
  ColorTransform color;
  uint16_t ratio = 0;
  std::wstring name;
  script::String* nameKey = nullptr;  // the name as scripts look it up (made on first use)
  uint16_t clipDepth = 0;
  uint8_t buttonState = kButtonUp;  // the state a button is drawn in (the pointer's doing)
  std::unique_ptr<Clip> clip;       // the running timeline of a sprite

  // What scripts made of it.
  bool visible = true;
  bool scripted = false;  // a script placed, scaled or coloured it: the timeline no longer does
  int placedFrame = -1;   // the parent's frame whose tag placed it (-1: a script did)
  bool transformKnown = false;  // xscale, yscale and rotation hold what scripts set
  double xscale = 100, yscale = 100, rotation = 0;
  std::vector<ClipEventRecord> events;  // onClipEvent handlers
  uint32_t eventMask = 0;
  std::unique_ptr<TextFieldState> text;  // an edit text's state
  script::Object* object = nullptr;      // a text field's, button's or video's script object
  std::shared_ptr<const Bitmap> video;   // the picture a script's video shows (attachVideo)
  bool videoSmoothing = false;
  std::shared_ptr<BitmapSurface> bitmap;  // a script's bitmap (attachBitmap), drawn as it is at each paint
  bool bitmapSmoothing = false;

  // Filters, blend mode and bitmap caching (PlaceObject3 or scripts); once a
  // script set them the timeline no longer does.
  SurfaceEffects effects;
  bool effectsScripted = false;
  std::optional<RECT> scale9Grid;  // a scaling grid a script set, in the clip's twips (wins over the movie's)
  mutable std::shared_ptr<CachedSurface> cache;  // what the renderer kept of its finished layer
};

// What a script's Sound set for a clip (or for every sound): a volume in
// per cent and a channel transform in per cent (setPan sets one too).
struct SoundSettings {
  double volume = 100;
  double ll = 100, lr = 0, rl = 0, rr = 100;
  bool operator==(const SoundSettings&) const = default;
};

// A running timeline: the main timeline of a movie (timeline -1: the
// player's own, a level's or a movie loaded into a clip), a sprite's, or an
// empty one a script made.
struct Clip {
  Clip() = default;
  // Counted in counter, and in placed as well for a sprite a timeline placed.
  explicit Clip(size_t* counter, size_t* placed = nullptr) : counter_(counter), placed_(placed) {
    ++*counter_;
    if (placed_) ++*placed_;
  }
  ~Clip() {
    if (counter_) --*counter_;
    if (placed_) --*placed_;
  }
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;

  // Records the name of an entry of objects that was placed, renamed or
  // moved to another depth, so that ForEachNamed finds it.
  void Named(const DisplayObject& entry);
  // Calls fn(entry) for each entry that may bear name (compared without
  // case; fn checks), in no particular order.
  template <class Fn>
  void ForEachNamed(std::wstring_view name, Fn fn) {
    names.ForEach(name, [&](int32_t depth) {
      auto it = objects.find(depth);
      if (it != objects.end()) fn(it->second);
    });
  }

  int timeline = -1;  // -1: the main timeline; -2: an empty clip
  int frame = 0;
  bool playing = true;
  std::map<int32_t, DisplayObject> objects;  // by depth
  ChildNames names;                          // where to look for an entry by its name (see Named)
  Clip* parent = nullptr;                    // the clip whose list holds this one
  DisplayObject* entry = nullptr;            // its entry there (null for the main timeline)
  MovieClipObject* object = nullptr;         // its script object
  std::unique_ptr<ScriptDrawing> drawing;    // what its drawing methods drew
  MovieClipObject* mask = nullptr;           // setMask: the clip whose shape shows this one
  bool scrolled = false;                     // scrollRect: only this rectangle (x, y, width, height in
  double scrollRect[4] = {};                 // the clip's pixels) shows, its corner at the clip's origin
  const MovieDefinition* movie = nullptr;    // whose timeline and characters it shows
  const Clip* home = nullptr;  // that movie's main timeline (itself for one): its frame says which definitions hold
  int level = 0;               // for the main timeline of a level: its number
  mutable uint64_t soundChannel = 0;     // the mixer channel of its sounds, made with the first (SoundChannelOf)
  std::unique_ptr<SoundSettings> sound;  // what scripts' Sound objects set for it

 private:
  size_t* counter_ = nullptr;
  size_t* placed_ = nullptr;
};

// Told of every frame a timeline enters by playing (where its sounds start).
class FrameListener {
 public:
  virtual ~FrameListener() = default;
  virtual void FrameEntered(const Clip& clip, int frame) = 0;
};

// The mixer channel of a clip's sounds, unique for the program's life.
uint64_t SoundChannelOf(const Clip& clip);

struct QueuedCommand {
  std::wstring command, args;
};

// What the player needs of the control.
struct PlayerEnvironment {
  std::function<double()> clock;  // seconds
  std::wstring moviePath;         // the file played (for files beside it)
  std::wstring sharedFolder;      // where shared objects are kept, "" for nowhere
  std::function<void(double& width, double& height)> stageSize;
  std::function<void()> stopSounds;  // StopSounds and stopAllSounds()
  // The control's mixer (null while nothing can be heard), the owner that
  // scripts' sounds are started under, and what the output has not played yet.
  std::function<std::shared_ptr<media::Mixer>()> mixer;
  uint64_t soundOwner = 0;
  std::function<size_t()> soundLatency;
  // Draws a clip's display list (without the clip's own place) through the
  // control's renderer: its twips through m into width x height premultiplied
  // pixels, transparent where nothing is drawn; false when nothing could be.
  std::function<bool(const Clip& clip, const Matrix& m, int width, int height, std::vector<uint32_t>& out)> drawClip;
  // The scripts' budget in seconds (0: the interpreter's own), the host's
  // current turn (its runs share one budget) and whether it is closing.
  double scriptSeconds = 0;
  std::function<uint64_t()> turn;
  std::function<bool()> interrupted;
};

class MoviePlayer {
 public:
  static constexpr size_t kMaxLiveClips = 10000;    // sprites placed by timelines at once
  static constexpr size_t kMaxScriptClips = 200000; // clips at once, those scripts made with them
  static constexpr int kMaxLevels = 256;       // levels above 0 at once
  static constexpr int kMaxLoadNesting = 8;    // movies loaded inside loaded movies

  // scripts makes the movie's scripts (it must be given), once the player
  // stands; the player owns them.
  MoviePlayer(const MovieDefinition& movie, const TimelineScriptsFactory& scripts, PlayerEnvironment environment = {});
  ~MoviePlayer();
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;

  int CurrentFrame() const { return root_.frame; }
  int TotalFrames() const { return static_cast<int>(movie_.root.frames.size()); }
  bool Playing() const { return root_.playing; }
  void SetPlaying(bool playing) { root_.playing = playing; }
  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }
  const Clip& Root() const { return root_; }
  Clip& Root() { return root_; }
  const MovieDefinition& Movie() const { return movie_; }
  TimelineScripts& Scripts() { return *scripts_; }

  // Enters frame 0 of a freshly loaded movie with the address's variables
  // set on the main timeline, and runs its scripts.
  void Start(const std::vector<std::pair<std::wstring, std::wstring>>& variables = {});
  // What the frame clock does once (see the top of this file); at its end
  // the main timeline goes back to 0 with Loop, else it stops.
  void Advance();
  // Goes to frame (clamped) and stops there, running no scripts.
  void GotoFrame(int frame);
  // Runs the actions of the labelled frame of a clip ("/" or "_root" or a
  // dotted path of instance names) without moving it; false when not found.
  bool CallLabel(const std::wstring& target, const std::wstring& label);
  // Counts changes to the display lists and to what scripts draw, so a
  // frame that changes nothing needs no repaint.
  uint64_t Changes() const { return changes_; }
  void Changed() { ++changes_; }
  // The entry reached through a path of depths from the main timeline down
  // through clips (a path that opens with -n starts at level n); null when
  // there is none. parent, when given, gets the clip whose list holds it.
  DisplayObject* ObjectAt(const std::vector<int32_t>& path, Clip** parent = nullptr);
  void SetFrameListener(FrameListener* listener) { listener_ = listener; }
  // FS commands raised by scripts since the last call.
  std::vector<QueuedCommand> TakeCommands();
  void Command(const std::wstring& command, const std::wstring& args) { commands_.push_back({command, args}); }
  // The movie unloads: unload events run and shared objects are written.
  void Unload();

  // A text dump of the display list (depth, character, matrix, colour,
  // ratio, name, clip depth and each sprite's frame and list), for comparing.
  std::wstring Describe() const;

  // ---- For scripts ---------------------------------------------------------------------
  const Timeline& TimelineOf(const Clip& clip) const;
  // A script's go-to: the display list of frame (clamped), its actions queued.
  void ScriptGoto(Clip& clip, int frame, int play);
  // Runs a frame's actions now (the Call action, TCallLabel).
  void CallFrame(Clip& clip, int frame);
  // New entries made by scripts in parent's list at a script depth (offset
  // added); null when the depth is taken by nothing removable or too many clips live.
  DisplayObject* Attach(Clip& parent, uint16_t character, const std::wstring& name, int32_t depth);
  DisplayObject* CreateEmpty(Clip& parent, const std::wstring& name, int32_t depth);
  DisplayObject* CreateText(Clip& parent, const std::wstring& name, int32_t depth, const RECT& bounds);
  DisplayObject* AttachBitmap(Clip& parent, int32_t depth, std::shared_ptr<BitmapSurface> bitmap, bool smoothing);
  DisplayObject* Duplicate(DisplayObject& source, Clip& parent, const std::wstring& name, int32_t depth);
  void RemoveEntry(Clip& parent, int32_t depth);
  bool SwapDepths(Clip& parent, int32_t depth, int32_t other);
  // Replaces a clip's timeline by nothing (unloadMovie).
  void Empty(Clip& clip);
  int MainFrame() const { return root_.frame; }
  size_t LiveClips() const { return liveClips_; }

  // ---- Loaded movies -------------------------------------------------------------------
  // The main timeline of level n (0: Root()); null when nothing is loaded there.
  Clip* Level(int n);
  // The levels above 0, lowest first.
  const std::map<int, std::unique_ptr<Clip>>& Levels() const { return levels_; }
  // Shows a movie in a clip (what the clip held goes, its unload events run)
  // or in level n > 0, from its first frame with its scripts; false when
  // too many movies are loaded inside one another or too many levels exist.
  bool LoadInto(Clip& clip, const MovieDefinition& movie);
  bool LoadLevel(int n, const MovieDefinition& movie);
  // The level n a movie loads into, made when missing (null when n is no
  // level or there are too many); LoadInto then shows the movie there.
  Clip* LevelFor(int n, const MovieDefinition& movie);
  void UnloadLevel(int n);
  // Keeps a loaded definition for the player's life.
  const MovieDefinition& Keep(std::unique_ptr<MovieDefinition> movie);
  // The movie a clip shows (the player's own for null) and a character of it
  // as defined at that movie's current frame.
  const MovieDefinition& MovieOf(const Clip* clip) const { return clip && clip->movie ? *clip->movie : movie_; }
  const Character* Find(const Clip* clip, uint16_t id) const;
  // The script sound settings for every sound.
  SoundSettings& GlobalSound() { return globalSound_; }

 private:
  void Reset(Clip& clip);
  void Enter(Clip& clip, int frame, bool scripts, int nesting);
  void StepChildren(Clip& clip, bool scripts, int nesting);
  void StepClip(Clip& clip, bool scripts, int nesting);
  void Apply(Clip& clip, const PlaceCommand& cmd, int frame, bool scripts, int nesting);
  void NewObject(Clip& owner, DisplayObject& obj, uint16_t character, bool scripts, int nesting);
  void Remove(Clip& clip, std::map<int32_t, DisplayObject>::iterator it, bool scripts);
  void SeekClip(Clip& clip, int frame, int nesting);
  void Rewind(Clip& clip, int frame, int nesting);
  void CollectClips(Clip& clip, std::vector<Clip*>& out, int nesting);
  int NestingOf(const Clip& clip) const;
  Clip* FindClip(const std::wstring& path);
  std::unique_ptr<Clip> NewClip(Clip& parent, DisplayObject& entry, int timeline);

  const MovieDefinition& movie_;
  PlayerEnvironment environment_;
  std::vector<std::unique_ptr<MovieDefinition>> loaded_;  // before the clips: they point into these
  size_t liveClips_ = 0;    // clips alive
  size_t placedClips_ = 0;  // those placed by timelines, bounded against sprites that multiply
  Clip root_;
  std::map<int, std::unique_ptr<Clip>> levels_;
  SoundSettings globalSound_;
  bool loop_ = true;
  std::vector<QueuedCommand> commands_;
  uint64_t changes_ = 0;
  std::unique_ptr<TimelineScripts> scripts_;
  struct RewindLists;  // a go-to back's working lists, kept so the next one takes no fresh memory
  std::unique_ptr<RewindLists> rewindLists_;
  FrameListener* listener_ = nullptr;
};

}  // namespace flash
