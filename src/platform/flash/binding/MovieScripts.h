// The scripts of one playing movie: the interpreter with the movie's
// classes (MovieClip, TextField, Button), the script object of every clip,
// text field and button on the stage, the queue of actions and events of a
// frame, the pointer and the keyboard as scripts see them (clip events,
// listeners, handlers, dragging, the focused input field), text fields bound
// to variables, and the host side of the interpreter: files only beside the
// movie (variables, movies and pictures loaded into clips and levels, sounds
// and videos), FS commands and links handed to the control, shared objects in
// the control's folder for the movie. Sounds and videos of scripts are
// ScriptMedia's. The player owns them as its TimelineScripts.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/play/TimelineScripts.h"
#include "platform/flash/script/Vm.h"

namespace flash {

class MovieClipObject;
class EntryObject;
class ScriptMedia;

class MovieScripts final : public TimelineScripts, private script::VmHost {
 public:
  // Queued actions and events past this many in one frame are dropped (go-to loops).
  static constexpr size_t kMaxQueuedPerFrame = 100000;
  // Movies and pictures loaded into clips and levels, all files together.
  static constexpr uint64_t kMaxLoadedBytes = uint64_t(64) << 20;

  MovieScripts(MoviePlayer& player, const PlayerEnvironment& environment);
  ~MovieScripts() override;
  // What a player is made with to have these scripts; made, when given, is
  // told the scripts the player then owns (for its creator to reach them).
  static TimelineScriptsFactory Factory(MovieScripts** made = nullptr);

  script::Vm& Vm() { return *vm_; }
  MoviePlayer& Player() { return player_; }
  ScriptMedia& Media() { return *media_; }

  // ---- From the player (TimelineScripts) ------------------------------------------------
  void Begin(Clip& root, const std::vector<std::pair<std::wstring, std::wstring>>& variables) override;
  size_t Mark() const override { return queue_.size(); }
  void Placed(Clip& parent, DisplayObject& entry, bool scripts) override;
  void Removed(Clip& parent, DisplayObject& entry, bool scripts) override;
  void Reloaded(Clip& clip) override;
  void LevelGone(Clip& level) override;
  void FrameEntered(Clip& clip, int frame, size_t mark) override;
  void QuietActions(Clip& clip, const FrameScript& frame) override;
  void EnterFrame() override;
  void Drain() override;
  void RunTimers() override;
  void MediaEvents() override;
  void AfterFrame() override;
  void RunFrameNow(Clip& clip, int frame) override;
  void Unload() override;
  Clip* ClipOf(const MovieClipObject& object) const override;
  // Between frames: sounds and videos of scripts go on (true when a picture
  // changed).
  bool UpdateMedia();

  // ---- From the control --------------------------------------------------------------
  void SetVariable(const std::wstring& path, const std::wstring& value);
  std::wstring GetVariable(const std::wstring& path);
  std::vector<std::pair<std::wstring, std::wstring>> RootVariables();
  // A clip that takes the pointer like a button (it has press, release or roll handlers).
  bool IsButtonClip(const Clip& clip);
  // A pointer transition (a ButtonCondition) of the button or button-like clip at path.
  void ButtonEvent(const std::vector<int32_t>& path, uint16_t condition);
  // The pointer at a point of the stage (twips): kind 0 move, 1 down, 2 up.
  void Mouse(int kind, double stageX, double stageY);
  // A key went down or up (virtual key, character); a character typed.
  void Key(bool down, int virtualKey, wchar_t ascii);
  void Char(wchar_t ch);
  // Gives the keyboard to the input field at path (null path: none).
  void Focus(const std::vector<int32_t>* path);
  // The text field that has the keyboard (null: none), and giving it to one
  // (null: to none); false for an object no longer on the stage.
  EntryObject* FocusedField() const { return focus_; }
  bool FocusField(EntryObject* field);
  // Addresses get-URL asked for (other than FS commands), and a movie a script loads into level 0.
  std::vector<std::wstring> TakeLinks() { return std::exchange(links_, {}); }
  std::wstring TakeReload() { return std::exchange(reload_, {}); }
  // Whether a script has read a file beside the movie (variables, XML, a sound).
  bool ReadLocalFile() const { return readLocalFile_; }
  void SetShowMouse(std::function<void(bool)> show) { showMouse_ = std::move(show); }
  void SetScaleModeHandlers(std::function<std::wstring()> get, std::function<void(const std::wstring&)> set) {
    getScaleMode_ = std::move(get), setScaleMode_ = std::move(set);
  }

  // ---- For the script objects -----------------------------------------------------------
  MovieClipObject* ObjectOf(Clip& clip);
  // Runs the constructor of the class a script-made clip's symbol is registered to.
  void Construct(MovieClipObject* clip);
  // The class a library symbol of the movie parent shows is registered to.
  script::Value ClassOf(const Clip* parent, uint16_t character);
  // The script value of an entry of parent's list (a clip, text field or button object).
  script::Value ValueOf(Clip& parent, DisplayObject& entry);
  script::String* NameKey(const std::wstring& name);
  // The transform from an entry's (or a clip's) own twips to the stage's.
  Matrix WorldOf(const Clip* clip) const;
  Matrix WorldOfEntry(const Clip* parent, const DisplayObject* entry) const;
  // The bounds in an entry's own twips of what it draws (parent: the clip
  // whose list holds it); false when nothing.
  bool LocalBounds(const Clip* parent, const DisplayObject& entry, double box[4]);
  bool ClipBounds(const Clip& clip, const Matrix& m, double box[4], int nesting = 0);
  // Whether what the entry draws covers a stage point (twips); shape: exactly, else its bounds.
  bool Covers(const Clip* parent, const DisplayObject& entry, double stageX, double stageY, bool shape);
  double MouseX() const { return mouseX_; }
  double MouseY() const { return mouseY_; }
  void StartDrag(MovieClipObject* clip, bool lockCenter, const double* constraint);
  void StopDrag();
  std::wstring DropTarget() const { return dropTarget_; }
  // Runs the clip event records of an entry that match, and the handler
  // method, now or queued; args go to the method.
  void Event(script::Object* object, const DisplayObject* entry, uint32_t event, const wchar_t* method, bool now,
             std::vector<script::Value> args = {});
  // Loads a movie or a JPEG picture (beside the movie) into a clip or a
  // level once the frame's scripts are done (into level 0: the control
  // replaces the movie), or variables into an object.
  // loader: a MovieClipLoader that hears how the load goes (ClipLoaderEvent).
  void LoadMovieInto(Clip* clip, const std::wstring& url, script::Object* loader = nullptr);
  void LoadMovieNum(int level, const std::wstring& url, script::Object* loader = nullptr);
  // Bytes a MovieClipLoader's load moves each turn.
  static constexpr uint64_t kLoadStep = 16 * 1024;
  // A MovieClipLoader's load into clip (null: into level) still arriving:
  // the bytes in so far, of all.
  bool LoadingInto(const Clip* clip, int level, uint64_t& loaded, uint64_t& total) const;
  // Calls target[method](args) after the actions queued before it.
  void QueueCall(script::Object* target, const wchar_t* method, std::vector<script::Value> args);
  void LoadVariablesInto(script::Object* target, const std::wstring& url);
  // The file a script names, only inside the movie's folder; false for anything
  // else (missing: the name was allowed but there is no such file).
  static bool SandboxPath(const std::wstring& movieFolder, const std::wstring& url, std::wstring& path,
                          bool* missing = nullptr);
  std::wstring Sandboxed(const std::wstring& url, bool* missing = nullptr) const;
  script::String* Key(const wchar_t* name) { return vm_->Key(name); }
  const std::wstring& MoviePath() const { return environment_.moviePath; }
  const PlayerEnvironment& Environment() const { return environment_; }
  // Every clip of every level, parents before children.
  void EachClip(const std::function<void(Clip&)>& fn);
  bool Quiet() const { return quiet_; }
  // The keys of the property table ("_x" ... "_ymouse") and of a few other names.
  std::vector<script::String*> propertyKeys, fieldKeys;
  script::String *parentKey = nullptr, *rootKey = nullptr;

 private:
  static constexpr int kMaxNesting = 32;  // clips inside clips that walks follow
  struct Queued {
    enum Kind : uint8_t { kCode, kMethod, kConstruct } kind = kCode;
    script::Object* target = nullptr;
    std::span<const uint8_t> code;
    script::String* method = nullptr;
    script::Value ctor;
    std::vector<script::Value> args;
    bool evenIfGone = false;  // unload handlers run for a clip already gone
  };
  struct PendingLoad {
    script::Object* target;
    std::string bytes;
    bool ok;
  };
  struct PendingMovie {
    MovieClipObject* target;  // null: into level
    int level;
    std::wstring path;        // empty: the address was refused or names no file
    script::Object* loader = nullptr;
    uint64_t loaded = 0, total = 0;  // a MovieClipLoader's load: bytes told of so far, of all
    bool told = false;               // its listeners heard of every part
  };

  // script::VmHost
  void Trace(const std::wstring& text) override;
  void Warn(const std::wstring& text) override;
  double Seconds() override { return environment_.clock(); }
  double EpochMs() override;
  void GetUrl(script::Vm& vm, const std::wstring& url, const std::wstring& target, uint8_t flags,
              script::ClipObject* clip) override;
  script::ClipObject* Level(int n) override;
  void EndDrag() override { StopDrag(); }
  void StopSounds() override;
  void Roots(script::Tracer& t) override;
  bool ReadMovieFile(const std::wstring& url, std::string& bytes) override;
  std::wstring SharedObjectFolder() override { return environment_.sharedFolder; }
  void ShowMouse(bool shown) override {
    if (showMouse_) showMouse_(shown);
  }
  void StageSize(double& width, double& height) override;
  std::wstring StageScaleMode() override { return getScaleMode_ ? getScaleMode_() : L"showAll"; }
  void SetStageScaleMode(const std::wstring& mode) override {
    if (setScaleMode_) setScaleMode_(mode);
  }
  uint64_t Turn() override { return environment_.turn ? environment_.turn() : 0; }
  bool Interrupted() override { return environment_.interrupted && environment_.interrupted(); }

  void Run(const Queued& q);
  void Enqueue(Queued q);
  void TraceClips(script::Tracer& t, const Clip& clip, int nesting) const;
  void DetachAll(DisplayObject& entry);
  void EachClip(Clip& clip, const std::function<void(Clip&)>& fn, int nesting);
  void LoadPendingMovies();
  const MovieDefinition* LoadedMovie(const std::wstring& path);
  // The object and name a text field's variable path names ("a.b:c" -> a.b and
  // "c"), relative to the field's clip; null when there is none.
  script::Object* FieldVariable(Clip& parent, const std::wstring& path, std::wstring& name);
  void SyncField(Clip& parent, DisplayObject& entry);
  void Drag();
  void TypedInto(Clip& parent, DisplayObject& entry);

  MoviePlayer& player_;
  PlayerEnvironment environment_;
  std::wstring movieFolder_;
  std::unique_ptr<script::Vm> vm_;
  std::vector<Queued> queue_;
  std::set<std::pair<const Clip*, uint16_t>> initDone_;  // sprites (by their movie's main timeline) whose init actions ran
  std::vector<std::wstring> links_;
  std::wstring reload_;
  std::vector<PendingLoad> loads_;
  bool quiet_ = false;
  bool draining_ = false;
  bool readLocalFile_ = false;
  std::vector<script::Object*> held_;  // kept alive while they run
  std::vector<PendingMovie> movieLoads_;
  std::map<std::wstring, const MovieDefinition*> library_;  // loaded files by path (null: unreadable)
  uint64_t loadedBytes_ = 0;
  std::unique_ptr<ScriptMedia> media_;

  // Pointer and keyboard.
  double mouseX_ = 0, mouseY_ = 0;  // stage twips
  MovieClipObject* dragged_ = nullptr;
  bool dragLock_ = false, dragConstrained_ = false;
  double dragOffsetX_ = 0, dragOffsetY_ = 0, dragRect_[4] = {};
  std::wstring dropTarget_;
  EntryObject* focus_ = nullptr;
  std::function<void(bool)> showMouse_;
  std::function<std::wstring()> getScaleMode_;
  std::function<void(const std::wstring&)> setScaleMode_;
};

}  // namespace flash
