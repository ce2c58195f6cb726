// The interpreter of the action language of movies of versions 4 to 8: one
// per loaded movie. It runs decoded action lists (see ActionReader) against
// a target clip, keeps the global object and the built-in classes, converts
// values by the movie's version, and stays safe with any byte code: calls
// nest at most 256 deep, the operand stack, registers, strings, arrays and
// the heap are bounded, and a run that breaks a bound stops with a warning
// to the host while the movie goes on. Runs have a budget on the host's
// clock (15 seconds, shared by every run of one turn of the host): a movie
// whose script outlasts it, or whose host is interrupted (its window is
// asked to close), has its scripts stopped for good, and the run is cut at
// once; the movie's timeline goes on without them.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/flash/script/ActionReader.h"
#include "platform/flash/script/ClipObject.h"
#include "platform/flash/script/Object.h"

namespace flash::script {

class Vm;
struct VmFrame;
struct VmBlock;

// What the interpreter needs of the movie control.
class VmHost {
 public:
  virtual ~VmHost() = default;
  virtual void Trace(const std::wstring& text) = 0;
  // A script was stopped (budget, recursion, memory); the movie goes on.
  virtual void Warn(const std::wstring& text) = 0;
  // The control's clock in seconds (getTimer and the budget).
  virtual double Seconds() = 0;
  // The time of day for Date, in milliseconds since 1970 (UTC).
  virtual double EpochMs() = 0;
  // GetURL (flags 0) and GetURL2 (its flags), from the code of clip.
  virtual void GetUrl(Vm&, const std::wstring& /*url*/, const std::wstring& /*target*/, uint8_t /*flags*/,
                      ClipObject* /*clip*/) {}
  virtual ClipObject* Level(int /*n*/) { return nullptr; }
  virtual void EndDrag() {}
  virtual void ToggleQuality() {}
  virtual void StopSounds() {}
  // Values the host holds (clips on the stage, queued events).
  virtual void Roots(Tracer&) {}
  // Reads a file a script names (LoadVars, XML, loadVariables): only a
  // relative path inside the movie's own folder; false for anything else.
  virtual bool ReadMovieFile(const std::wstring& /*url*/, std::string& /*bytes*/) { return false; }
  // Where this movie's shared objects are kept; empty: they are not kept.
  virtual std::wstring SharedObjectFolder() { return L""; }
  virtual void ShowMouse(bool /*shown*/) {}
  // The stage's size in pixels (Stage.width and height).
  virtual void StageSize(double& width, double& height) { width = height = 0; }
  // Stage.scaleMode and Stage.align as the control's settings.
  virtual std::wstring StageScaleMode() { return L"showAll"; }
  virtual void SetStageScaleMode(const std::wstring&) {}
  virtual std::wstring StageAlign() { return L""; }
  virtual void SetStageAlign(const std::wstring&) {}
  // The host's current turn (one message of its window, say), 0 outside
  // any: the runs of one turn share one budget.
  virtual uint64_t Turn() { return 0; }
  // True when every script must stop at once (the host is closing).
  virtual bool Interrupted() { return false; }
};

// Property keys the interpreter and the built-ins use often.
struct Names {
  String *length, *prototype, *constructor, *proto, *ctor, *thisName, *global, *root, *parent, *arguments, *callee,
      *caller, *superName, *toString, *valueOf, *empty, *level0, *undefinedText, *nullText, *trueText, *falseText,
      *nanText, *objectText, *functionText, *movieclipText, *stringText, *numberText, *booleanText, *message,
      *name, *interfaces;
};

struct Timer {
  int id = 0;
  Value fn, object;
  String* method = nullptr;
  std::vector<Value> args;
  double intervalMs = 0, due = 0;
  bool once = false;
};

class Vm {
 public:
  static constexpr int kMaxDepth = 256;
  static constexpr double kBudgetSeconds = 15;  // the longest budget
  // A call of a built-in counts as this many instructions against the
  // budget's looks at the clock (one built-in may do much work).
  static constexpr int64_t kBuiltinSteps = 1024;
  static constexpr size_t kDefaultHeapLimit = size_t(256) << 20;

  Vm(uint8_t version, VmHost& host, size_t heapLimit = kDefaultHeapLimit);
  ~Vm();
  Vm(const Vm&) = delete;
  Vm& operator=(const Vm&) = delete;

  uint8_t Version() const { return version_; }
  Heap& GetHeap() { return heap_; }
  VmHost& Host() { return host_; }
  const Names& N() const { return names_; }
  Object* Global() const { return global_; }

  // ---- Running --------------------------------------------------------------
  // The decoded form of an action record, read once and kept for the life
  // of the interpreter (keyed by where the bytes are).
  const Code* Decode(std::span<const uint8_t> actions);
  // Runs an action list with target as the timeline and this. False when
  // the list did not end normally (an uncaught throw is traced, a stop is
  // warned about).
  bool Run(const Code& code, Object* target, const Value& thisv);
  // Calls a function value (events, timers, built-ins calling back).
  Value Call(const Value& fn, const Value& thisv, std::span<const Value> args);
  // Calls obj[name](args) when it is a function; false when there is none.
  bool CallMethod(const Value& obj, String* name, std::span<const Value> args, Value* result = nullptr);
  // A run broke a bound or threw: what the built-ins check after calling back.
  bool Stopped() const { return pending_ != Pending::None; }
  void Throw(const Value& v);
  void Abort(const std::wstring& why);
  // Instructions run since the interpreter was made (built-ins weighted).
  uint64_t Steps() const;
  // The budget of a turn's runs in seconds (at most kBudgetSeconds).
  void SetBudget(double seconds);
  double Budget() const { return budget_; }
  // The movie's scripts were stopped for good: every run returns at once.
  bool Halted() const { return halted_; }

  // ---- Values ---------------------------------------------------------------
  double ToNumber(const Value& v);
  String* ToString(const Value& v);
  std::wstring ToText(const Value& v) { return ToString(v)->Str(); }
  bool ToBool(const Value& v);
  int32_t ToInt32(const Value& v);
  Value ToPrimitive(const Value& v, bool preferString = false);
  Object* ToObject(const Value& v);
  String* TypeOf(const Value& v);
  bool Equals(const Value& a, const Value& b);  // ==
  static bool StrictEquals(const Value& a, const Value& b);
  Value Less(const Value& a, const Value& b);   // true, false, or undefined (NaN)
  Value Add(const Value& a, const Value& b);    // Add2
  Value Str(std::wstring_view text);
  String* NumberText(double d);
  String* Intern(std::wstring_view text) { return heap_.Intern(text); }
  String* Key(std::wstring_view text) { return heap_.Key(text); }
  String* KeyOf(const Value& v);
  // Stops the run when a string of this many characters would be too long.
  bool CheckLength(size_t chars);

  // ---- Objects -------------------------------------------------------------
  Object* NewObject(Object* proto = nullptr);  // null: Object.prototype
  Array* NewArray(size_t reserve = 0);
  Function* NewNative(NativeFn fn, int magic = 0, Object* proto = nullptr);
  // Adds a built-in method (hidden from for..in) and returns it.
  Function* Method(Object* on, const wchar_t* name, NativeFn fn, int magic = 0);
  // Sets a property with flags (hidden built-ins).
  void Put(Object* on, const wchar_t* name, const Value& v, uint32_t flags = kDontEnum);
  void Put(Object* on, String* name, const Value& v, uint32_t flags = kDontEnum);
  // A constructor with its prototype (prototype.constructor set back).
  Function* Class(const wchar_t* name, NativeFn ctor, Object* prototype, int magic = 0);

  Value Get(const Value& obj, String* name);
  Value GetMember(const Value& obj, const Value& key);
  // False when neither the object nor its prototypes have the name.
  bool Find(Object* obj, String* key, const Value& thisv, Value& out);
  void Set(const Value& obj, String* name, const Value& v);
  void SetMember(const Value& obj, const Value& key, const Value& v);
  bool Has(Object* obj, String* key);
  bool HasOwn(Object* obj, String* key);
  bool Delete(Object* obj, String* key);
  bool SetArrayLength(Array* a, size_t length);
  bool ArrayPut(Array* a, size_t index, const Value& v);
  // The names for..in shows, in its order.
  std::vector<String*> Enumerate(Object* obj);
  bool InstanceOf(const Value& obj, Object* ctor);
  Value Construct(const Value& ctor, std::span<const Value> args);

  // Classes registered for library symbols (Object.registerClass), by name.
  Object* classRegistry = nullptr;
  // Built-in prototypes.
  Object *objectProto = nullptr, *functionProto = nullptr, *arrayProto = nullptr, *stringProto = nullptr,
         *numberProto = nullptr, *booleanProto = nullptr, *dateProto = nullptr, *errorProto = nullptr;

  // ---- Clips -----------------------------------------------------------------
  // The clip a target path names ("/a/b", "_root.a", "../b", "a.b", "_level0"),
  // relative to from; null when there is none.
  ClipObject* ResolveTarget(Object* from, const std::wstring& path);
  // Object form of ResolveTarget: a dotted path may name any object.
  Object* ResolvePath(Object* from, std::wstring_view path);
  // Runs a frame given as a number (1-based) or "target:frame"/label text.
  bool FrameOf(ClipObject* base, const Value& frame, ClipObject*& clip, int& index);

  // ---- Timers (setInterval, setTimeout) -----------------------------------------
  // Runs the timers due at the host's clock, each at most once.
  void RunTimers();
  int AddTimer(Timer t);  // its id, 0 when there are too many
  void ClearTimer(int id);
  bool HasTimers() const { return !timers_.empty(); }

  // ---- Memory ----------------------------------------------------------------
  // Collects garbage when enough was allocated since the last time; only
  // between runs (the host's roots plus the interpreter's own).
  void Collect();
  void MaybeCollect();
  // Keeps a value alive while the host holds it outside the heap's reach.
  void Pin(const Value& v);
  void Unpin(const Value& v);

  // ---- Input and listeners ------------------------------------------------------
  // What the keyboard does, told by the host: Key.isDown, getCode, getAscii.
  void SetKey(int code, int ascii, bool down);
  bool KeyDown(int code) const { return code >= 0 && code < 256 && keysDown_[code]; }
  int LastKey() const { return lastKey_; }
  int LastAscii() const { return lastAscii_; }
  // Calls method(args) on every listener of a broadcaster (Key, Mouse, Stage
  // or an object AsBroadcaster set up).
  void Broadcast(Object* broadcaster, const wchar_t* method, std::span<const Value> args = {});
  // The global object of a name ("Key"), or null.
  Object* GlobalObject(const wchar_t* name);
  // Calls obj[method](args) once the running scripts are done (at the next RunTimers).
  void Later(const Value& obj, String* method, std::vector<Value> args);
  // Writes the shared objects back to their files (the movie unloads).
  void FlushSharedObjects();
  // Shared objects by file, and what loadVariables and LoadVars share.
  Object* sharedObjects = nullptr;

  // Random numbers (Math.random and RandomNumber), seeded for repeatable runs.
  double Random();
  void Seed(uint64_t seed) { random_ = seed ? seed : 1; }
  double StartSeconds() const { return startSeconds_; }

 private:
  using Frame = VmFrame;
  using Block = VmBlock;
  enum class Pending : uint8_t { None, Throw, Abort };
  static constexpr size_t kRegisterSpace = size_t(kMaxDepth + 4) * 256;
  static constexpr size_t kMinCollect = size_t(16) << 20;  // fresh bytes before a collection inside a run

  void Execute(Frame& f, uint32_t pc);
  template <class Body>
  void Outer(Body body);
  Value Invoke(Function* fn, const Value& thisv, const Value* args, uint32_t argc, Object* home, bool construct);
  Value CallValue(const Value& fn, const Value& thisv, const Value* args, uint32_t argc, Object* home,
                  bool construct);
  bool CheckBudget();
  void StartRun();
  void Halt(const std::wstring& why);
  void EnsureStacks();
  void SetSteps(int64_t n);
  Object* ToObjectProto(const Value& v) const;
  bool FindMethod(Object* obj, String* key, const Value& thisv, Value& out, Object*& holder);
  Value GetPathVariable(Frame& f, String* name);
  Object* Step(Object* cur, std::wstring_view segment);
  ClipObject* ClipOf(Frame& f, const Value& v);
  void CheckHeap();
  void LeaveBlocks(Frame& f, uint32_t target);
  bool Unwind(Frame& f, uint32_t& pc);
  bool ReturnThroughFinally(Frame& f, const Value& v, uint32_t& pc);
  void Roots(Tracer& t);

  Value GetVariable(Frame& f, String* name);
  void SetVariable(Frame& f, String* name, const Value& v);
  void DefineLocal(Frame& f, String* name, const Value& v);
  bool DeleteVariable(Frame& f, String* name);
  bool SpecialName(Frame& f, String* key, Value& out);
  Object* VarTarget(Frame& f) const;
  ClipObject* TargetClip(Frame& f) const;
  Object* SuperOf(Frame& f);
  Value GetProp(Object* obj, String* key, const Value& thisv);
  void SetProp(Object* obj, String* name, const Value& v);
  Value CallGetter(const Value& fn, const Value& thisv);
  Value Watch(Object* obj, String* key, const Value& old, const Value& v);

  void OpGetProperty(Frame& f);
  void OpSetProperty(Frame& f);
  void OpGotoFrame2(Frame& f, const Instr& in);
  void OpCall(Frame& f);
  void OpEnumerate(Frame& f, const Value& obj);
  void OpStartDrag(Frame& f);
  void OpGetUrl2(Frame& f, uint8_t flags);
  void OpDefineFunction(Frame& f, const Instr& in);
  void OpCallFunction(Frame& f);
  void OpCallMethod(Frame& f);
  void OpNew(Frame& f, bool method);
  bool WaitedFrameLoaded(Frame& f, const Value& frame);

  Value Pop(const Frame& f);
  void Push(const Value& v);
  uint32_t PopCount(const Frame& f);

  uint8_t version_;
  VmHost& host_;
  Heap heap_;
  Names names_{};
  Object* global_ = nullptr;
  std::map<const uint8_t*, std::unique_ptr<Code>> codes_;
  std::vector<String*> smallInts_;  // keys "0".."255"

  // Operand stack and registers of the running calls.
  std::unique_ptr<Value[]> stack_, registers_;
  Value *sp_ = nullptr, *stackEnd_ = nullptr;
  size_t registerTop_ = 0;
  Frame* top_ = nullptr;
  int depth_ = 0, gcBlocked_ = 0, runs_ = 0;

  Pending pending_ = Pending::None;
  Value thrown_;
  std::wstring abortReason_;

  // Budget of the outermost run: instructions run = stepsBase_ - steps_.
  int64_t steps_ = 1 << 16, stepsBase_ = 1 << 16;
  uint64_t runStartSteps_ = 0;
  double runStart_ = 0;
  double budget_ = kBudgetSeconds;
  bool halted_ = false;
  uint64_t turn_ = 0;  // the host's turn the budget started in (0: none)
  double startSeconds_ = 0;

  std::vector<Timer> timers_, firing_;
  int nextTimer_ = 1;
  std::vector<Value> pinned_;
  bool keysDown_[256] = {};
  int lastKey_ = 0, lastAscii_ = 0;
  uint64_t random_ = 0x9E3779B97F4A7C15ull;
};

// An entry from the host: the budget starts with the outermost one, and a
// stop or an uncaught throw is warned about and cleared there.
template <class Body>
void Vm::Outer(Body body) {
  const bool outer = runs_ == 0;
  if (outer) StartRun();
  if (halted_ || pending_ != Pending::None) return;
  ++runs_;
  body();
  --runs_;
  if (outer && pending_ != Pending::None) {
    host_.Warn(pending_ == Pending::Throw ? L"uncaught exception: " + ToText(thrown_) : abortReason_);
    pending_ = Pending::None;
    thrown_ = Value::Undefined();
  }
}

}  // namespace flash::script
