// MovieClipLoader: loads a movie or JPEG picture beside the movie into a
// clip or a level, under the same rules as loadMovie, and tells its
// listeners (itself among them) how it goes: onLoadStart as the file begins
// to arrive, onLoadProgress for each part of it, onLoadComplete once all of
// it is in, onLoadInit once the loaded movie's first frame ran, onLoadError
// when it cannot be loaded. getProgress gives a clip's bytes loaded and
// total (of a load still arriving, the part in so far); unloadClip empties
// a clip or takes a level away.
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

MovieScripts& Owner(const CallInfo& c) { return *static_cast<MovieScripts*>(c.callee->hostData); }

// A target: a clip, a level number, or a path ("_level1", "_root.a").
bool Target(MovieScripts& owner, const Value& v, MovieClipObject*& clip, int& level) {
  clip = nullptr, level = -1;
  if (v.IsNumber()) {
    const double d = v.AsNumber();
    if (!std::isfinite(d) || d < 0 || d > MoviePlayer::kMaxLevels) return false;
    level = static_cast<int>(d);
    return true;
  }
  if (v.IsString()) {
    const std::wstring text = owner.Vm().ToText(v);
    if (text.rfind(L"_level", 0) == 0 && text.size() > 6 && text.size() < 10 &&
        text.find_first_not_of(L"0123456789", 6) == std::wstring::npos) {
      level = std::stoi(text.substr(6));
      if (level > 0 || !owner.Player().Level(0)) return level <= MoviePlayer::kMaxLevels;
    }
  }
  clip = ClipArg(owner, v);
  return clip && clip->TheClip();
}

Value LoaderCtor(Vm& vm, CallInfo& c) {
  Object* o = script::Fresh(c);
  if (!o) return Value::Undefined();
  script::MakeBroadcaster(vm, o);
  vm.CallMethod(Value::Obj(o), vm.Intern(L"addListener"), std::span<const Value>(&c.thisv, 1));
  return Value::Undefined();
}

Value LoadClip(Vm& vm, CallInfo& c) {
  MovieScripts& owner = Owner(c);
  Object* self = c.thisv.ObjectOrNull();
  MovieClipObject* clip = nullptr;
  int level = -1;
  if (!self || !Target(owner, c.Arg(1), clip, level)) return Value::Bool(false);
  const std::wstring url = vm.ToText(c.Arg(0));
  if (clip) owner.LoadMovieInto(clip->TheClip(), url, self);
  else owner.LoadMovieNum(level, url, self);
  return Value::Bool(true);
}

Value UnloadClip(Vm&, CallInfo& c) {
  MovieScripts& owner = Owner(c);
  MovieClipObject* clip = nullptr;
  int level = -1;
  if (!Target(owner, c.Arg(0), clip, level)) return Value::Bool(false);
  if (clip) {
    owner.Player().Empty(*clip->TheClip());
  } else if (level > 0 && owner.Player().Level(level)) {
    owner.Player().UnloadLevel(level);
  } else {
    return Value::Bool(false);
  }
  return Value::Bool(true);
}

Value GetProgress(Vm& vm, CallInfo& c) {
  MovieScripts& owner = Owner(c);
  MovieClipObject* clip = nullptr;
  int level = -1;
  uint64_t loaded = 0, total = 0;
  if (Target(owner, c.Arg(0), clip, level) && !owner.LoadingInto(clip ? clip->TheClip() : nullptr, level, loaded, total))
    if (Clip* shown = clip ? clip->TheClip() : owner.Player().Level(level))
      loaded = total = owner.Player().MovieOf(shown).bytes.size();
  Object* o = vm.NewObject();
  vm.Put(o, L"bytesLoaded", Value::Number(static_cast<double>(loaded)), 0);
  vm.Put(o, L"bytesTotal", Value::Number(static_cast<double>(total)), 0);
  return Value::Obj(o);
}

}  // namespace

void ClipLoaderEvent(MovieScripts& owner, Object* loader, const Value& target, LoadPhase phase, uint64_t loaded,
                     uint64_t total) {
  Vm& vm = owner.Vm();
  auto tell = [&](const wchar_t* event, std::vector<Value> more) {
    std::vector<Value> args{Value::Str(vm.Intern(event)), target};
    args.insert(args.end(), more.begin(), more.end());
    owner.QueueCall(loader, L"broadcastMessage", std::move(args));
  };
  switch (phase) {
    case kLoadStart: tell(L"onLoadStart", {}); break;
    case kLoadProgress:
      tell(L"onLoadProgress", {Value::Number(static_cast<double>(loaded)), Value::Number(static_cast<double>(total))});
      break;
    case kLoadComplete: tell(L"onLoadComplete", {Value::Number(0)}); break;
    case kLoadRan: tell(L"onLoadInit", {}); break;
    case kLoadMissing: tell(L"onLoadError", {Value::Str(vm.Intern(L"URLNotFound")), Value::Number(0)}); break;
    default: tell(L"onLoadError", {Value::Str(vm.Intern(L"LoadNeverCompleted")), Value::Number(0)}); break;
  }
}

MovieClipObject* ClipArg(MovieScripts& owner, const Value& v) {
  if (Object* o = v.ObjectOrNull()) return o->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(o) : nullptr;
  if (!v.IsString()) return nullptr;
  script::ClipObject* found = owner.Vm().ResolveTarget(owner.ObjectOf(owner.Player().Root()), owner.Vm().ToText(v));
  return found && found->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(found) : nullptr;
}

void InstallClipLoader(MovieScripts& owner, Vm& vm) {
  Object* p = vm.NewObject();
  vm.Method(p, L"loadClip", LoadClip)->hostData = &owner;
  vm.Method(p, L"unloadClip", UnloadClip)->hostData = &owner;
  vm.Method(p, L"getProgress", GetProgress)->hostData = &owner;
  vm.Class(L"MovieClipLoader", LoaderCtor, p);
}

}  // namespace flash
