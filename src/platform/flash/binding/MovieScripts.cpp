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
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/render/ShapeCache.h"

namespace flash {

using script::Object;
using script::Value;

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

Object* MovieScripts::FieldVariable(Clip& parent, const std::wstring& path, std::wstring& name) {
  if (path.empty()) return nullptr;
  MovieClipObject* base = ObjectOf(parent);
  name = path;
  const size_t split = path.find_last_of(L":.");
  if (split == std::wstring::npos) return base;
  name = path.substr(split + 1);
  return split ? vm_->ResolvePath(base, std::wstring_view(path).substr(0, split)) : base;
}

void MovieScripts::SyncField(Clip& parent, DisplayObject& entry) {
  TextFieldState& field = *entry.text;
  std::wstring name;
  Object* holder = FieldVariable(parent, field.data.variable, name);
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
  std::wstring name;
  if (Object* holder = FieldVariable(parent, field.data.variable, name))
    vm_->Set(Value::Obj(holder), vm_->Intern(name), vm_->Str(field.data.text));
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

void MovieScripts::RunTimers() { vm_->RunTimers(); }

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

script::ClipObject* MovieScripts::Level(int n) {
  Clip* level = player_.Level(n);
  return level ? ObjectOf(*level) : nullptr;
}

void MovieScripts::StageSize(double& width, double& height) {
  if (environment_.stageSize) {
    environment_.stageSize(width, height);
  } else {
    width = player_.Movie().StageWidthPixels(), height = player_.Movie().StageHeightPixels();
  }
}

}  // namespace flash
