#include "platform/flash/binding/MovieScripts.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

#include "base/BinaryFile.h"
#include "base/ErrorLog.h"
#include "base/TextConv.h"
#include "moviefiles/BitStream.h"
#include "platform/flash/render/BitmapSurface.h"
#include "platform/flash/render/FlashRenderer.h"
#include "platform/flash/play/LoadedMovie.h"
#include "platform/flash/binding/MovieVariables.h"
#include "platform/flash/script/UrlQuery.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptEffects.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/render/ShapeCache.h"

namespace flash {
namespace {

using script::Object;
using script::Value;

constexpr int kMaxNesting = 32;
constexpr size_t kMaxLoadedFile = size_t(16) << 20;

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
  const size_t n = wcslen(prefix);
  return text.size() >= n &&
         CompareStringOrdinal(text.c_str(), static_cast<int>(n), prefix, static_cast<int>(n), TRUE) == CSTR_EQUAL;
}

// The code a clip event or key press sends as its key (the button and
// keyPress table): arrows, navigation keys and the like, else the character.
int KeyPressCode(int vk, wchar_t ascii) {
  switch (vk) {
    case VK_LEFT: return 1;
    case VK_RIGHT: return 2;
    case VK_HOME: return 3;
    case VK_END: return 4;
    case VK_INSERT: return 5;
    case VK_DELETE: return 6;
    case VK_BACK: return 8;
    case VK_RETURN: return 13;
    case VK_UP: return 14;
    case VK_DOWN: return 15;
    case VK_PRIOR: return 16;
    case VK_NEXT: return 17;
    case VK_TAB: return 18;
    case VK_ESCAPE: return 19;
    default: return ascii >= 32 && ascii < 128 ? ascii : 0;
  }
}

void Include(double box[4], bool& any, double x, double y) {
  if (!any) {
    box[0] = box[2] = x, box[1] = box[3] = y;
    any = true;
    return;
  }
  box[0] = std::min(box[0], x), box[2] = std::max(box[2], x);
  box[1] = std::min(box[1], y), box[3] = std::max(box[3], y);
}

// A box through a transform, as the box around its corners.
void Transformed(const Matrix& m, const double in[4], double box[4], bool& any) {
  const Xform x = Xform::From(m);
  for (int i = 0; i < 4; ++i) {
    const double px = in[(i & 1) ? 2 : 0], py = in[(i & 2) ? 3 : 1];
    Include(box, any, x.X(px, py), x.Y(px, py));
  }
}

}  // namespace

MovieScripts::MovieScripts(MoviePlayer& player, const PlayerEnvironment& environment)
    : player_(player), environment_(environment) {
  const size_t slash = environment_.moviePath.find_last_of(L"\\/");
  if (slash != std::wstring::npos) movieFolder_ = environment_.moviePath.substr(0, slash + 1);
  script::VmHost& host = *this;
  vm_ = std::make_unique<script::Vm>(std::max<uint8_t>(player.Movie().version, 4), host);
  double seed = environment_.clock();
  uint64_t bits = 0;
  std::memcpy(&bits, &seed, sizeof bits);
  vm_->Seed(bits ^ player.Movie().serial * 0x9E3779B97F4A7C15ull);
  // The movie may ask for a shorter budget than the host's, never a longer one.
  if (environment_.scriptSeconds > 0) vm_->SetBudget(environment_.scriptSeconds);
  if (player.Movie().scriptSeconds > 0) vm_->SetBudget(std::min<double>(vm_->Budget(), player.Movie().scriptSeconds));
  InstallMovieClipClass(*this, *vm_);
  InstallTextFieldClass(*this, *vm_);
  InstallPlayerClasses(*this, *vm_);
  InstallEffectProperties(*this, *vm_);
  media_ = std::make_unique<ScriptMedia>(*this);
}

MovieScripts::~MovieScripts() { ForgetLocalConnections(*this); }

// ---- The player's events ----------------------------------------------------------------

MovieClipObject* MovieScripts::ObjectOf(Clip& clip) {
  if (!clip.object) {
    Object* proto = vm_->Get(Value::Obj(vm_->Global()), Key(L"MovieClip")).ObjectOrNull();
    proto = proto ? vm_->Get(Value::Obj(proto), vm_->N().prototype).ObjectOrNull() : nullptr;
    clip.object = vm_->GetHeap().New<MovieClipObject>(*this, proto ? proto : vm_->objectProto, &clip);
  }
  return clip.object;
}

script::String* MovieScripts::NameKey(const std::wstring& name) { return vm_->Key(name); }

Value MovieScripts::ValueOf(Clip& parent, DisplayObject& entry) {
  (void)parent;
  if (entry.clip) return Value::Obj(ObjectOf(*entry.clip));
  if (entry.object) return Value::Obj(entry.object);
  return Value::Undefined();
}

void MovieScripts::Begin(Clip& root, const std::vector<std::pair<std::wstring, std::wstring>>& variables) {
  MovieClipObject* o = ObjectOf(root);
  for (const auto& [name, value] : variables) vm_->Set(Value::Obj(o), vm_->Intern(name), vm_->Str(value));
  vm_->Put(o, L"$version", Value::Str(vm_->Intern(L"WIN 32,0,0,0")), script::kDontEnum);
}

// The class a library symbol was registered to (Object.registerClass), or undefined.
Value MovieScripts::ClassOf(const Clip* parent, uint16_t character) {
  if (!character) return Value::Undefined();
  for (const auto& [name, id] : player_.MovieOf(parent).exports)
    if (id == character) return vm_->Get(Value::Obj(vm_->classRegistry), vm_->Intern(name));
  return Value::Undefined();
}

void MovieScripts::Construct(MovieClipObject* clip) {
  DisplayObject* entry = clip ? clip->Entry() : nullptr;
  const Value ctor = entry ? ClassOf(clip->TheClip()->parent, entry->character) : Value::Undefined();
  if (!ctor.IsObject()) return;
  held_.push_back(clip);
  vm_->Call(ctor, Value::Obj(clip), {});
  held_.pop_back();
}

void MovieScripts::Placed(Clip& parent, DisplayObject& entry, bool scripts) {
  if (entry.clip) {
    MovieClipObject* o = ObjectOf(*entry.clip);
    // A library symbol registered to a class takes its prototype and constructor.
    const Value ctor = ClassOf(&parent, entry.character);
    if (Object* proto = vm_->Get(ctor, vm_->N().prototype).ObjectOrNull()) o->SetProto(proto);
    if (!scripts) return;
    Event(o, &entry, kEventInitialize, nullptr, false);
    // A clip a script made is constructed by that script's call (after its initial properties).
    if (ctor.IsObject() && entry.placedFrame >= 0) {
      Queued q;
      q.kind = Queued::kConstruct;
      q.target = o;
      q.ctor = ctor;
      Enqueue(std::move(q));
    }
    Event(o, &entry, kEventConstruct, nullptr, false);
    Event(o, &entry, kEventLoad, L"onLoad", false);
    return;
  }
  const Character* ch = entry.character ? player_.Find(&parent, entry.character) : nullptr;
  const bool button = ch && (ch->tagCode == SwfTag::DefineButton || ch->tagCode == SwfTag::DefineButton2);
  const bool video = ch && ch->tagCode == SwfTag::DefineVideoStream;
  if (entry.text || ((button || video) && vm_->Version() >= 6)) {
    const wchar_t* cls = entry.text ? L"TextField" : button ? L"Button" : L"Video";
    Object* ctor = vm_->Get(Value::Obj(vm_->Global()), Key(cls)).ObjectOrNull();
    Object* proto = ctor ? vm_->Get(Value::Obj(ctor), vm_->N().prototype).ObjectOrNull() : nullptr;
    entry.object = vm_->GetHeap().New<EntryObject>(*this, proto ? proto : vm_->objectProto,
                                                   entry.text ? script::ObjClass::TextField
                                                   : button   ? script::ObjClass::Button
                                                              : script::ObjClass::Video,
                                                   &parent, &entry);
    if (entry.text && scripts) SyncField(parent, entry);
  }
}

void MovieScripts::DetachAll(DisplayObject& entry) {
  if (entry.object) {
    if (entry.object == focus_) focus_ = nullptr;
    static_cast<EntryObject*>(entry.object)->Detach();
  }
  if (!entry.clip) return;
  if (entry.clip->object) entry.clip->object->Detach();
  for (auto& [depth, child] : entry.clip->objects) DetachAll(child);
}

void MovieScripts::Removed(Clip& parent, DisplayObject& entry, bool scripts) {
  (void)parent;
  if (scripts && entry.clip && entry.clip->object) Event(entry.clip->object, &entry, kEventUnload, L"onUnload", false);
  DetachAll(entry);
}

void MovieScripts::Reloaded(Clip& clip) {
  std::erase_if(initDone_, [&](const auto& done) { return done.first == &clip; });
  MovieClipObject* o = ObjectOf(clip);
  o->Props().Clear();
  Object* ctor = vm_->Get(Value::Obj(vm_->Global()), Key(L"MovieClip")).ObjectOrNull();
  Object* proto = ctor ? vm_->Get(Value::Obj(ctor), vm_->N().prototype).ObjectOrNull() : nullptr;
  o->SetProto(proto ? proto : vm_->objectProto);
}

void MovieScripts::LevelGone(Clip& level) {
  std::erase_if(initDone_, [&](const auto& done) { return done.first == &level; });
  if (level.object) level.object->Detach();
}

void MovieScripts::FrameEntered(Clip& clip, int frame, size_t mark) {
  const Timeline& timeline = player_.TimelineOf(clip);
  if (frame < 0 || frame >= static_cast<int>(timeline.frames.size())) return;
  const FrameScript& fs = timeline.frames[static_cast<size_t>(frame)];
  if (fs.initActions.empty() && fs.doActions.empty()) return;
  std::vector<Queued> add;
  MovieClipObject* self = ObjectOf(clip);
  // A movie's init actions run in its main timeline, once for each time it is loaded.
  if (clip.timeline == -1)
    for (const auto& [sprite, code] : fs.initActions)
      if (initDone_.insert({&clip, sprite}).second) add.push_back(Queued{Queued::kCode, self, code});
  for (const auto& code : fs.doActions) add.push_back(Queued{Queued::kCode, self, code});
  mark = std::min(mark, queue_.size());
  queue_.insert(queue_.begin() + static_cast<ptrdiff_t>(mark), add.begin(), add.end());
}

void MovieScripts::QuietActions(Clip& clip, const FrameScript& frame) {
  for (const auto& bytes : frame.doActions) {
    const script::Code* code = vm_->Decode(bytes);
    for (size_t i = 0; i < code->instrs.size(); ++i) {
      const script::Instr& in = code->instrs[i];
      if (in.op == script::kStop) clip.playing = false;
      else if (in.op == script::kPlay) clip.playing = true;
      else if (in.op == script::kDefineFunction || in.op == script::kDefineFunction2) i = in.arg2 - 1;
    }
  }
}

void MovieScripts::EachClip(Clip& clip, const std::function<void(Clip&)>& fn, int nesting) {
  if (nesting > kMaxNesting) return;
  fn(clip);
  for (auto& [depth, entry] : clip.objects)
    if (entry.clip) EachClip(*entry.clip, fn, nesting + 1);
}

void MovieScripts::EachClip(const std::function<void(Clip&)>& fn) {
  EachClip(player_.Root(), fn, 0);
  // (A level a script unloads meanwhile is not visited after it went.)
  std::vector<int> levels;
  for (const auto& [n, level] : player_.Levels()) levels.push_back(n);
  for (int n : levels)
    if (Clip* level = player_.Level(n)) EachClip(*level, fn, 0);
}

void MovieScripts::Event(Object* object, const DisplayObject* entry, uint32_t event, const wchar_t* method, bool now,
                         std::vector<Value> args) {
  std::vector<Queued> add;
  if (entry && (entry->eventMask & event))
    for (const ClipEventRecord& r : entry->events)
      if ((r.events & event) && event != kEventKeyPress)
        add.push_back(Queued{Queued::kCode, object, r.code, nullptr, {}, {}, event == kEventUnload});
  if (method) {
    script::String* key = Key(method);
    const Value fn = vm_->Get(Value::Obj(object), key);
    if (fn.IsObject() && fn.AsObject()->IsCallable()) {
      Queued q;
      q.kind = Queued::kMethod;
      q.target = object;
      q.method = key;
      q.args = std::move(args);
      q.evenIfGone = event == kEventUnload;
      add.push_back(std::move(q));
    }
  }
  for (Queued& q : add) {
    if (now) {
      held_.push_back(q.target);
      Run(q);
      held_.pop_back();
    } else {
      Enqueue(std::move(q));
    }
  }
}

void MovieScripts::EnterFrame() {
  // The clips are held while their handlers run: one may take another away.
  const size_t mark = held_.size();
  EachClip([&](Clip& c) { held_.push_back(ObjectOf(c)); });
  const size_t end = held_.size();
  for (size_t i = mark; i < end; ++i) {
    auto* object = static_cast<MovieClipObject*>(held_[i]);
    if (!object->TheClip()) continue;  // an earlier handler took it away
    Event(object, object->Entry(), kEventEnterFrame, L"onEnterFrame", true);
  }
  held_.resize(mark);
}

void MovieScripts::Enqueue(Queued q) {
  if (queue_.size() < kMaxQueuedPerFrame * 2) queue_.push_back(std::move(q));
}

void MovieScripts::Run(const Queued& q) {
  Object* target = q.target;
  if (!target) return;
  const bool clip = target->Class() == script::ObjClass::Clip;
  if (clip && !q.evenIfGone && !static_cast<MovieClipObject*>(target)->TheClip()) return;
  switch (q.kind) {
    case Queued::kCode:
      vm_->Run(*vm_->Decode(q.code), target, Value::Obj(target));
      break;
    case Queued::kMethod: {
      const Value fn = vm_->Get(Value::Obj(target), q.method);
      vm_->Call(fn, Value::Obj(target), q.args);
      break;
    }
    case Queued::kConstruct:
      vm_->Call(q.ctor, Value::Obj(target), {});
      break;
  }
}

void MovieScripts::Drain() {
  if (draining_) return;  // the outer drain goes on
  draining_ = true;
  size_t ran = 0;
  for (size_t i = 0; i < queue_.size(); ++i) {
    if (++ran > kMaxQueuedPerFrame) {
      Warn(L"more than " + std::to_wstring(kMaxQueuedPerFrame) + L" actions in one frame; the rest was dropped");
      break;
    }
    const Queued q = queue_[i];  // the entry stays queued (and kept alive) while it runs
    Run(q);
  }
  queue_.clear();
  draining_ = false;
  vm_->MaybeCollect();
}

void MovieScripts::RunFrameNow(Clip& clip, int frame) {
  const Timeline& timeline = player_.TimelineOf(clip);
  if (frame < 0 || frame >= static_cast<int>(timeline.frames.size())) return;
  MovieClipObject* self = ObjectOf(clip);
  held_.push_back(self);
  for (const auto& code : timeline.frames[static_cast<size_t>(frame)].doActions)
    vm_->Run(*vm_->Decode(code), self, Value::Obj(self));
  held_.pop_back();
}

void MovieScripts::AfterFrame() {
  // Movies loaded into clips and levels arrive and run their first frame.
  LoadPendingMovies();
  // Variables loaded by loadVariables arrive, then their data events.
  std::vector<PendingLoad> loads = std::exchange(loads_, {});
  for (const PendingLoad& l : loads) {
    held_.push_back(l.target);
    if (l.ok) {
      std::wstring text = vm_->Version() >= 6 ? Utf8ToWide(l.bytes) : std::wstring(l.bytes.begin(), l.bytes.end());
      for (const auto& [name, value] : ParseQuery(text)) vm_->Set(Value::Obj(l.target), vm_->Intern(name), vm_->Str(value));
    }
    const DisplayObject* entry =
        l.target->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(l.target)->Entry() : nullptr;
    Event(l.target, entry, kEventData, L"onData", true);
    held_.pop_back();
  }
  if (!loads.empty()) Drain();
  // Text fields bound to variables show them.
  EachClip([&](Clip& c) {
    for (auto& [depth, entry] : c.objects)
      if (entry.text && !entry.text->data.variable.empty()) SyncField(c, entry);
  });
}

void MovieScripts::SyncField(Clip& parent, DisplayObject& entry) {
  TextFieldState& field = *entry.text;
  const std::wstring& path = field.data.variable;
  MovieClipObject* base = ObjectOf(parent);
  Object* holder = base;
  std::wstring name = path;
  const size_t split = path.find_last_of(L":.");
  if (split != std::wstring::npos) {
    holder = split ? vm_->ResolvePath(base, std::wstring_view(path).substr(0, split)) : base;
    name = path.substr(split + 1);
  }
  if (!holder) return;
  const Value v = vm_->Get(Value::Obj(holder), vm_->Intern(name));
  if (v.IsUndefined()) {
    // A field shows its own text until the variable exists; then they agree.
    if (!field.data.text.empty() || !field.html.empty())
      vm_->Set(Value::Obj(holder), vm_->Intern(name), vm_->Str(field.data.text));
    return;
  }
  const std::wstring text = vm_->ToText(v);
  const uint64_t before = field.version;
  if (field.data.html) {
    if (text != field.html) field.SetHtml(text);
  } else if (text != field.data.text) {
    field.SetText(text);
  }
  if (field.version != before) FitFieldToText(*this, &parent, field), player_.Changed();
}

void MovieScripts::TypedInto(Clip& parent, DisplayObject& entry) {
  TextFieldState& field = *entry.text;
  player_.Changed();
  if (!field.data.variable.empty()) {
    const std::wstring& path = field.data.variable;
    MovieClipObject* base = ObjectOf(parent);
    Object* holder = base;
    std::wstring name = path;
    const size_t split = path.find_last_of(L":.");
    if (split != std::wstring::npos) {
      holder = split ? vm_->ResolvePath(base, std::wstring_view(path).substr(0, split)) : base;
      name = path.substr(split + 1);
    }
    if (holder) vm_->Set(Value::Obj(holder), vm_->Intern(name), vm_->Str(field.data.text));
  }
  if (entry.object) Event(entry.object, nullptr, 0, L"onChanged", true, {Value::Obj(entry.object)});
}

void MovieScripts::Unload() {
  if (player_.Root().object) Event(player_.Root().object, nullptr, kEventUnload, L"onUnload", true);
  vm_->FlushSharedObjects();
}

// ---- The control's calls ---------------------------------------------------------------------

void MovieScripts::SetVariable(const std::wstring& path, const std::wstring& value) {
  MovieClipObject* root = ObjectOf(player_.Root());
  std::wstring p = MovieVariables::Normalize(path);
  Object* holder = root;
  std::wstring name = p;
  const size_t split = p.find_last_of(L":.");
  if (split != std::wstring::npos) {
    holder = split ? vm_->ResolvePath(root, std::wstring_view(p).substr(0, split)) : root;
    name = p.substr(split + 1);
  }
  if (!holder || name.empty()) return;
  held_.push_back(root);
  vm_->Set(Value::Obj(holder), vm_->Intern(name), vm_->Str(value));
  held_.pop_back();
  AfterFrame();
}

std::wstring MovieScripts::GetVariable(const std::wstring& path) {
  MovieClipObject* root = ObjectOf(player_.Root());
  std::wstring p = MovieVariables::Normalize(path);
  Object* holder = root;
  std::wstring name = p;
  const size_t split = p.find_last_of(L":.");
  if (split != std::wstring::npos) {
    holder = split ? vm_->ResolvePath(root, std::wstring_view(p).substr(0, split)) : root;
    name = p.substr(split + 1);
  }
  if (!holder || name.empty()) return L"";
  const Value v = vm_->Get(Value::Obj(holder), vm_->Intern(name));
  return v.IsNullish() ? L"" : vm_->ToText(v);
}

std::vector<std::pair<std::wstring, std::wstring>> MovieScripts::RootVariables() {
  std::vector<std::pair<std::wstring, std::wstring>> out;
  MovieClipObject* root = ObjectOf(player_.Root());
  const auto& slots = root->Props().Slots();
  for (const script::Slot& s : slots) {
    if (s.flags & script::kDontEnum) continue;
    const Value v = s.flags & script::kAccessor ? Value::Undefined() : s.value;
    out.emplace_back(s.name->Str(), v.IsObject() && v.AsObject()->IsCallable() ? L"[function]" : vm_->ToText(v));
  }
  return out;
}

bool MovieScripts::IsButtonClip(const Clip& clip) {
  if (!clip.object || !clip.entry || !clip.entry->visible) return false;
  const Value self = Value::Obj(clip.object);
  const Value enabled = vm_->Get(self, Key(L"enabled"));
  if (!enabled.IsUndefined() && !vm_->ToBool(enabled)) return false;
  const uint32_t pointerEvents = kEventPress | kEventRelease | kEventReleaseOutside | kEventRollOver | kEventRollOut |
                                 kEventDragOver | kEventDragOut;
  if (clip.entry->eventMask & pointerEvents) return true;
  for (const wchar_t* handler :
       {L"onPress", L"onRelease", L"onReleaseOutside", L"onRollOver", L"onRollOut", L"onDragOver", L"onDragOut"}) {
    const Value fn = vm_->Get(self, Key(handler));
    if (fn.IsObject() && fn.AsObject()->IsCallable()) return true;
  }
  return false;
}

void MovieScripts::ButtonEvent(const std::vector<int32_t>& path, uint16_t condition) {
  Clip* parent = nullptr;
  DisplayObject* entry = player_.ObjectAt(path, &parent);
  if (!entry || !parent) return;
  static const struct {
    uint16_t condition;
    uint32_t event;
    const wchar_t* method;
  } kinds[] = {{kIdleToOverUp, kEventRollOver, L"onRollOver"},     {kOverUpToIdle, kEventRollOut, L"onRollOut"},
               {kOverUpToOverDown, kEventPress, L"onPress"},        {kOverDownToOverUp, kEventRelease, L"onRelease"},
               {kOverDownToOutDown, kEventDragOut, L"onDragOut"},   {kOutDownToOverDown, kEventDragOver, L"onDragOver"},
               {kOutDownToIdle, kEventReleaseOutside, L"onReleaseOutside"}};
  if (entry->clip) {
    MovieClipObject* o = ObjectOf(*entry->clip);
    for (const auto& k : kinds)
      if (k.condition & condition) Event(o, entry, k.event, k.method, false);
  } else {
    const Character* ch = player_.Find(parent, entry->character);
    MovieClipObject* timeline = ObjectOf(*parent);
    if (ch)
      for (const ButtonAction& a : ReadButtonActions(*ch, player_.MovieOf(parent).version))
        if (a.conditions & condition) Enqueue(Queued{Queued::kCode, timeline, a.code});
    if (entry->object)
      for (const auto& k : kinds)
        if (k.condition & condition) Event(entry->object, nullptr, 0, k.method, false);
  }
  Drain();
  AfterFrame();
}

void MovieScripts::Mouse(int kind, double stageX, double stageY) {
  mouseX_ = stageX, mouseY_ = stageY;
  if (kind == 0) Drag();
  if (kind == 2 && dragged_ && dragged_->TheClip()) {
    // Where a dragged clip is let go: the top-most other clip under the pointer.
    const Clip* dragged = dragged_->TheClip();
    std::wstring found;
    EachClip([&](Clip& c) {
      for (const Clip* p = &c; p; p = p->parent)
        if (p == dragged) return;
      if (c.entry && c.entry->visible && Covers(c.parent, *c.entry, stageX, stageY, false)) found = ObjectOf(c)->Path(true);
    });
    dropTarget_ = found;
  }
  const uint32_t event = kind == 0 ? kEventMouseMove : kind == 1 ? kEventMouseDown : kEventMouseUp;
  const wchar_t* method = kind == 0 ? L"onMouseMove" : kind == 1 ? L"onMouseDown" : L"onMouseUp";
  EachClip([&](Clip& c) {
    MovieClipObject* o = ObjectOf(c);
    Event(o, c.entry, event, method, false);
  });
  vm_->Broadcast(vm_->GlobalObject(L"Mouse"), method);
  Drain();
  AfterFrame();
}

void MovieScripts::Key(bool down, int virtualKey, wchar_t ascii) {
  vm_->SetKey(virtualKey, ascii, down);
  if (down && focus_ && focus_->Entry() && focus_->Entry()->text && focus_->Parent()) {
    if (focus_->Entry()->text->Key(virtualKey)) TypedInto(*focus_->Parent(), *focus_->Entry());
  }
  const uint32_t event = down ? kEventKeyDown : kEventKeyUp;
  const int code = down ? KeyPressCode(virtualKey, ascii) : 0;
  EachClip([&](Clip& c) {
    MovieClipObject* o = ObjectOf(c);
    Event(o, c.entry, event, nullptr, false);
    if (code && c.entry && (c.entry->eventMask & kEventKeyPress))
      for (const ClipEventRecord& r : c.entry->events)
        if ((r.events & kEventKeyPress) && r.keyCode == code) Enqueue(Queued{Queued::kCode, o, r.code});
    if (!code) return;
    for (auto& [depth, entry] : c.objects) {
      if (entry.clip || !entry.character) continue;
      const Character* ch = player_.Find(&c, entry.character);
      if (!ch || ch->tagCode != SwfTag::DefineButton2) continue;
      for (const ButtonAction& a : ReadButtonActions(*ch, player_.MovieOf(&c).version))
        if (a.keyCode == code) Enqueue(Queued{Queued::kCode, o, a.code});
    }
  });
  vm_->Broadcast(vm_->GlobalObject(L"Key"), down ? L"onKeyDown" : L"onKeyUp");
  Drain();
  AfterFrame();
}

void MovieScripts::Char(wchar_t ch) {
  if (!focus_ || !focus_->Entry() || !focus_->Entry()->text || !focus_->Parent()) return;
  if (focus_->Entry()->text->Type(ch)) TypedInto(*focus_->Parent(), *focus_->Entry());
  Drain();
  AfterFrame();
}

void MovieScripts::Focus(const std::vector<int32_t>* path) {
  DisplayObject* entry = path ? player_.ObjectAt(*path) : nullptr;
  const bool input = entry && entry->text && entry->text->input && entry->object;
  FocusField(input ? static_cast<EntryObject*>(entry->object) : nullptr);
  Drain();
}

bool MovieScripts::FocusField(EntryObject* field) {
  TextFieldState* next = field && field->Entry() ? field->Entry()->text.get() : nullptr;
  if (field && !next) return false;
  EntryObject* old = focus_;
  if (focus_ && focus_->Entry() && focus_->Entry()->text) {
    focus_->Entry()->text->focused = false;
    ++focus_->Entry()->text->version;
    player_.Changed();
  }
  focus_ = field;
  if (next) {
    next->focused = true;
    next->caret = next->data.text.size();
    ++next->version;
    player_.Changed();
  }
  if (old != field) FocusChanged(*this, old, field);
  return true;
}

void MovieScripts::RunTimers() { vm_->RunTimers(); }

// ---- Dragging ------------------------------------------------------------------------------------

void MovieScripts::StartDrag(MovieClipObject* clip, bool lockCenter, const double* constraint) {
  Clip* c = clip ? clip->TheClip() : nullptr;
  if (!c || !c->entry) return;
  dragged_ = clip;
  dragLock_ = lockCenter;
  dragConstrained_ = constraint != nullptr;
  if (constraint) std::copy(constraint, constraint + 4, dragRect_);
  // The pointer in the parent's twips, against the clip's place there.
  const Matrix parent = WorldOf(c->parent);
  Xform inverse;
  Xform::From(parent).Invert(inverse);
  const double px = inverse.X(mouseX_, mouseY_), py = inverse.Y(mouseX_, mouseY_);
  dragOffsetX_ = lockCenter ? 0 : c->entry->matrix.tx - px;
  dragOffsetY_ = lockCenter ? 0 : c->entry->matrix.ty - py;
  Drag();
}

void MovieScripts::StopDrag() { dragged_ = nullptr; }

void MovieScripts::Drag() {
  Clip* c = dragged_ ? dragged_->TheClip() : nullptr;
  if (!c || !c->entry) {
    dragged_ = nullptr;
    return;
  }
  Xform inverse;
  Xform::From(WorldOf(c->parent)).Invert(inverse);
  double x = inverse.X(mouseX_, mouseY_) + dragOffsetX_, y = inverse.Y(mouseX_, mouseY_) + dragOffsetY_;
  if (dragConstrained_) {
    x = std::clamp(x, std::min(dragRect_[0], dragRect_[2]) * 20, std::max(dragRect_[0], dragRect_[2]) * 20);
    y = std::clamp(y, std::min(dragRect_[1], dragRect_[3]) * 20, std::max(dragRect_[1], dragRect_[3]) * 20);
  }
  DisplayObject& e = *c->entry;
  e.matrix.tx = static_cast<int32_t>(std::lround(x));
  e.matrix.ty = static_cast<int32_t>(std::lround(y));
  e.scripted = true;
  player_.Changed();
}

// ---- Geometry --------------------------------------------------------------------------------

Matrix MovieScripts::WorldOf(const Clip* clip) const {
  std::vector<const DisplayObject*> chain;
  for (const Clip* c = clip; c && c->entry && chain.size() < 64; c = c->parent) chain.push_back(c->entry);
  Matrix m;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) m = Concat(m, (*it)->matrix);
  return m;
}

Matrix MovieScripts::WorldOfEntry(const Clip* parent, const DisplayObject* entry) const {
  const Matrix p = WorldOf(parent);
  return entry ? Concat(p, entry->matrix) : p;
}

bool MovieScripts::ClipBounds(const Clip& clip, const Matrix& m, double box[4], int nesting) {
  bool any = false;
  if (nesting > kMaxNesting) return false;
  double local[4];
  if (clip.scrolled) {
    // Only the scroll rectangle shows, at the clip's origin.
    const double r[4] = {0, 0, clip.scrollRect[2] * 20, clip.scrollRect[3] * 20};
    Transformed(m, r, box, any);
    return any;
  }
  if (clip.drawing && clip.drawing->Bounds(local[0], local[1], local[2], local[3])) Transformed(m, local, box, any);
  for (const auto& [depth, entry] : clip.objects) {
    if (!entry.visible || entry.clipDepth) continue;
    double child[4];
    const Matrix cm = Concat(m, entry.matrix);
    bool found = false;
    if (entry.clip) {
      found = ClipBounds(*entry.clip, cm, child, nesting + 1);
    } else if (LocalBounds(&clip, entry, local)) {
      bool unused = false;
      Transformed(cm, local, child, unused);
      found = true;
    }
    if (found) {
      Include(box, any, child[0], child[1]);
      Include(box, any, child[2], child[3]);
    }
  }
  return any;
}

bool MovieScripts::LocalBounds(const Clip* parent, const DisplayObject& entry, double box[4]) {
  if (entry.clip) return ClipBounds(*entry.clip, Matrix{}, box);
  if (entry.bitmap) {
    box[0] = box[1] = 0, box[2] = entry.bitmap->Width() * 20.0, box[3] = entry.bitmap->Height() * 20.0;
    return !entry.bitmap->Disposed();
  }
  if (entry.text) {
    const RECT& b = entry.text->data.bounds;
    box[0] = b.left, box[1] = b.top, box[2] = b.right, box[3] = b.bottom;
    return true;
  }
  const Character* ch = entry.character ? player_.Find(parent, entry.character) : nullptr;
  if (!ch) return false;
  const SwfTag tag = ch->tagCode;
  if (IsShape(tag) || IsMorph(tag) || tag == SwfTag::DefineText || tag == SwfTag::DefineText2 ||
      tag == SwfTag::DefineEditText) {
    ByteReader r(ch->body);
    int32_t x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    if (!ReadRectRecord(r, x0, x1, y0, y1)) return false;
    box[0] = x0, box[1] = y0, box[2] = x1, box[3] = y1;
    return true;
  }
  if (tag == SwfTag::DefineButton || tag == SwfTag::DefineButton2) {
    bool any = false;
    for (const ButtonPart& part : ReadButtonParts(*ch)) {
      if (!(part.states & kButtonUp)) continue;
      const Character* pc = player_.Find(parent, part.character);
      if (!pc || pc == ch || pc->tagCode == SwfTag::DefineButton || pc->tagCode == SwfTag::DefineButton2) continue;
      DisplayObject fake;
      fake.character = part.character;
      double local[4];
      if (pc->sprite < 0 && LocalBounds(parent, fake, local)) Transformed(part.matrix, local, box, any);
    }
    return any;
  }
  if (tag == SwfTag::DefineVideoStream) {
    // The video's rectangle: frames, width and height follow the id.
    ByteReader r(ch->body);
    uint32_t frames = 0, w = 0, h = 0;
    if (!r.U16LE(frames) || !r.U16LE(w) || !r.U16LE(h) || !w || !h) return false;
    box[0] = box[1] = 0, box[2] = w * 20.0, box[3] = h * 20.0;
    return true;
  }
  return false;
}

bool MovieScripts::Covers(const Clip* parent, const DisplayObject& entry, double stageX, double stageY, bool) {
  double box[4];
  if (!LocalBounds(parent, entry, box)) return false;
  Xform inverse;
  if (!Xform::From(WorldOfEntry(parent, &entry)).Invert(inverse)) return false;
  const double x = inverse.X(stageX, stageY), y = inverse.Y(stageX, stageY);
  return x >= box[0] && x <= box[2] && y >= box[1] && y <= box[3];
}

// ---- Files -------------------------------------------------------------------------------------

bool MovieScripts::SandboxPath(const std::wstring& movieFolder, const std::wstring& url, std::wstring& path,
                               bool* missing) {
  if (missing) *missing = false;
  if (movieFolder.empty()) return false;
  std::wstring u = url.substr(0, url.find(L'?'));
  u = PercentDecode(u);
  if (u.empty() || u.find(L':') != std::wstring::npos || u[0] == L'/' || u[0] == L'\\') return false;
  std::wstring out = movieFolder;
  size_t start = 0;
  bool any = false;
  while (start <= u.size()) {
    size_t end = u.find_first_of(L"/\\", start);
    if (end == std::wstring::npos) end = u.size();
    const std::wstring part = u.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == L".") continue;
    if (part == L".." || part.find_first_of(L"<>\"|*?") != std::wstring::npos) return false;
    // The names of devices (CON, NUL, COM1 ...) name no file in any folder.
    std::wstring stem = part.substr(0, part.find(L'.'));
    for (wchar_t& c : stem) c = static_cast<wchar_t>(towupper(c));
    while (!stem.empty() && stem.back() == L' ') stem.pop_back();
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* d : devices)
      if (stem == d) return false;
    if (stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) && iswdigit(stem[3])) return false;
    if (any) out += L'\\';
    out += part;
    any = true;
  }
  if (!any) return false;
  const DWORD attributes = GetFileAttributesW(out.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (missing) *missing = true;
    return false;
  }
  path = out;
  return true;
}

std::wstring MovieScripts::Sandboxed(const std::wstring& url, bool* missing) const {
  std::wstring path;
  return SandboxPath(movieFolder_, url, path, missing) ? path : L"";
}

bool MovieScripts::ReadMovieFile(const std::wstring& url, std::string& bytes) {
  bool missing = false;
  const std::wstring path = Sandboxed(url, &missing);
  if (path.empty()) {
    if (!missing) Warn(L"a script may only read files beside the movie: '" + url + L"' was refused");
    return false;
  }
  BinaryFile f;
  if (!f.OpenRead(path)) return false;
  const int64_t size = f.Size();
  if (size < 0 || size > static_cast<int64_t>(kMaxLoadedFile)) return false;
  bytes.assign(static_cast<size_t>(size), '\0');
  if (!f.ReadExactAt(0, std::span<uint8_t>(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()))) return false;
  readLocalFile_ = true;
  return true;
}

void MovieScripts::LoadVariablesInto(Object* target, const std::wstring& url) {
  if (!target) return;
  PendingLoad load{target, {}, ReadMovieFile(url, load.bytes)};
  loads_.push_back(std::move(load));
}

void MovieScripts::QueueCall(Object* target, const wchar_t* method, std::vector<Value> args) {
  Queued q;
  q.kind = Queued::kMethod;
  q.target = target;
  q.method = Key(method);
  q.args = std::move(args);
  Enqueue(std::move(q));
}

// ---- The interpreter's host -------------------------------------------------------------------

void MovieScripts::Trace(const std::wstring& text) { WriteLog(L"Movie trace :: " + text); }

void MovieScripts::Warn(const std::wstring& text) { WriteLog(L"Movie script :: " + text); }

double MovieScripts::EpochMs() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime, u.HighPart = ft.dwHighDateTime;
  return static_cast<double>(u.QuadPart / 10000) - 11644473600000.0;
}

void MovieScripts::GetUrl(script::Vm& vm, const std::wstring& url, const std::wstring& target, uint8_t flags,
                          script::ClipObject* clip) {
  if (StartsWithNoCase(url, L"FSCommand:")) {
    player_.Command(url.substr(10), target);
    return;
  }
  Object* base = clip ? static_cast<Object*>(clip) : ObjectOf(player_.Root());
  bool level = StartsWithNoCase(target, L"_level");
  int number = 0;
  for (size_t i = 6; level && i < target.size(); ++i) {
    if (!iswdigit(target[i]) || number > 100000) return;
    number = number * 10 + (target[i] - L'0');
  }
  if (level && target.size() == 6) return;
  script::ClipObject* into = nullptr;
  if (level) {
    into = Level(number);
  } else if (flags & 0x02) {
    into = vm.ResolveTarget(base, target);
  }
  if (flags & 0x01) {
    LoadVariablesInto(into ? into : (flags & 0x02) ? nullptr : ObjectOf(player_.Root()), url);
    return;
  }
  if (level && number > 0) {
    if (url.empty())
      player_.UnloadLevel(number);
    else
      LoadMovieNum(number, url);
    return;
  }
  if (level || (flags & 0x02)) {
    auto* mc = static_cast<MovieClipObject*>(into);
    if (!mc || !mc->TheClip()) return;
    if (url.empty()) {
      player_.Empty(*mc->TheClip());
    } else {
      LoadMovieInto(mc->TheClip(), url);
    }
    return;
  }
  // Blanks and control characters around an address are no part of it.
  size_t first = 0, end = url.size();
  while (first < end && url[first] <= L' ') ++first;
  while (end > first && url[end - 1] <= L' ') --end;
  const std::wstring address = url.substr(first, end - first);
  if (StartsWithNoCase(address, L"javascript:") || StartsWithNoCase(address, L"print:") || address.empty()) return;
  links_.push_back(address);
}

script::ClipObject* MovieScripts::Level(int n) {
  Clip* level = player_.Level(n);
  return level ? ObjectOf(*level) : nullptr;
}

void MovieScripts::StopSounds() {
  media_->StopAll();
  if (environment_.stopSounds) environment_.stopSounds();
}

bool MovieScripts::UpdateMedia() { return media_->Update(); }

void MovieScripts::MediaEvents() {
  media_->DispatchEvents();
  Drain();
}

void MovieScripts::StageSize(double& width, double& height) {
  if (environment_.stageSize) {
    environment_.stageSize(width, height);
  } else {
    width = player_.Movie().StageWidthPixels(), height = player_.Movie().StageHeightPixels();
  }
}

void MovieScripts::TraceClips(script::Tracer& t, const Clip& clip, int nesting) const {
  if (nesting > kMaxNesting + 2) return;
  t.Mark(clip.object);
  t.Mark(clip.mask);
  for (const auto& [depth, entry] : clip.objects) {
    t.Mark(entry.object);
    t.Mark(entry.nameKey);
    if (entry.clip) TraceClips(t, *entry.clip, nesting + 1);
  }
}

void MovieScripts::Roots(script::Tracer& t) {
  TraceClips(t, player_.Root(), 0);
  for (const auto& [n, level] : player_.Levels()) TraceClips(t, *level, 0);
  for (const PendingMovie& l : movieLoads_) {
    t.Mark(l.target);
    t.Mark(l.loader);
  }
  media_->Trace(t);
  for (const Queued& q : queue_) {
    t.Mark(q.target);
    t.Mark(q.method);
    t.Mark(q.ctor);
    for (const Value& v : q.args) t.Mark(v);
  }
  for (const PendingLoad& l : loads_) t.Mark(l.target);
  for (Object* o : held_) t.Mark(o);
  for (script::String* k : propertyKeys) t.Mark(k);
  for (script::String* k : fieldKeys) t.Mark(k);
  t.Mark(parentKey);
  t.Mark(rootKey);
  t.Mark(dragged_);
  t.Mark(focus_);
}

}  // namespace flash
