// A movie's scripts as they begin and end: the interpreter with the movie's
// classes installed, the scripts' sounds and videos, and the roots the
// collector starts from (clips, levels, queued work, loads, media).
#include <algorithm>
#include <cstring>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptEffects.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/binding/ScriptObjects.h"

namespace flash {

using script::Object;
using script::Value;

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

TimelineScriptsFactory MovieScripts::Factory(MovieScripts** made) {
  return [made](MoviePlayer& player, const PlayerEnvironment& environment) -> std::unique_ptr<TimelineScripts> {
    auto scripts = std::make_unique<MovieScripts>(player, environment);
    if (made) *made = scripts.get();
    return scripts;
  };
}

Clip* MovieScripts::ClipOf(const MovieClipObject& object) const { return object.TheClip(); }

void MovieScripts::StopSounds() {
  media_->StopAll();
  if (environment_.stopSounds) environment_.stopSounds();
}

bool MovieScripts::UpdateMedia() { return media_->Update(); }

void MovieScripts::MediaEvents() {
  media_->DispatchEvents();
  Drain();
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
