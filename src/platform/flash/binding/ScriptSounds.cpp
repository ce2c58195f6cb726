// The Sound class: a sound of the library (attachSound) or an MP3 file
// beside the movie (loadSound), started and stopped by scripts, and the
// volume, pan and transform of its target clip's sounds (or of every sound).
#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/script/builtins/Builtins.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

constexpr double kFrameMs = 1000.0 / media::kOutputRate;

SoundObject* ThisSound(const CallInfo& c) { return script::ThisAs<SoundObject>(c, script::ObjClass::Sound); }

// The clip a sound belongs to for the library and its channel: its target, else level 0.
Clip* OwnClip(SoundObject& s, bool& gone) {
  Clip* clip = s.media.TargetClip(s.target, gone);
  return clip ? clip : &s.media.Scripts().Player().Root();
}

void AttachSound(Vm& vm, SoundObject& s, const std::wstring& name) {
  bool gone = false;
  Clip* clip = OwnClip(s, gone);
  if (gone) return;
  MoviePlayer& player = s.media.Scripts().Player();
  const uint16_t id = player.MovieOf(clip).Exported(name);
  const Character* ch = id ? player.Find(clip, id) : nullptr;
  auto sound = ch ? s.media.Decoded(*ch) : nullptr;
  if (!sound) return;
  s.media.Stop(s);
  s.sound = std::move(sound);
  s.key = id;
  s.file.clear();
  vm.GetHeap().Grow(&s, -static_cast<ptrdiff_t>(std::exchange(s.counted, 0)));
  s.durationMs = static_cast<double>(s.sound->Frames()) * kFrameMs;
  s.bytesTotal = 0;
  s.lastMs = 0;
}

// An MP3 file beside the movie: decoded whole (an event sound) or as it
// plays (streaming, which starts at once). onLoad tells how it went, at the next frame.
void LoadSound(Vm& vm, SoundObject& s, const std::wstring& url, bool streaming) {
  s.media.Stop(s);
  vm.GetHeap().Grow(&s, -static_cast<ptrdiff_t>(std::exchange(s.counted, 0)));
  s.sound.reset();
  s.file.clear();
  s.key = 0;
  s.durationMs = s.bytesTotal = s.lastMs = 0;
  std::string bytes;
  double ms = 0;
  if (vm.Host().ReadMovieFile(url, bytes)) ms = Mp3DurationMs(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  // What it takes in memory counts against the scripts' heap.
  const double pcmBytes = std::min(ms / 1000, ScriptMedia::kMaxEventSeconds) * media::kOutputRate * 4;
  const size_t keep = streaming ? bytes.size() : static_cast<size_t>(pcmBytes);
  if (ms <= 0 || vm.GetHeap().Bytes() + keep > vm.GetHeap().Limit()) {
    s.media.Later(ScriptMedia::Event{ScriptMedia::Event::kLoad, &s, false});
    return;
  }
  s.bytesTotal = static_cast<double>(bytes.size());
  if (streaming) {
    s.file.assign(bytes.begin(), bytes.end());
    s.durationMs = ms;
    s.counted = s.file.size();
    vm.GetHeap().Grow(&s, static_cast<ptrdiff_t>(s.counted));
    s.media.Later(ScriptMedia::Event{ScriptMedia::Event::kLoad, &s, true});
    s.media.Start(s, 0, 1);
    return;
  }
  media::SoundDecoder decoder(media::SoundFormat{media::SoundCodec::Mp3, 44100, true, true});
  auto sound = std::make_shared<media::SoundClip>();
  const size_t most = static_cast<size_t>(ScriptMedia::kMaxEventSeconds * media::kOutputRate) * 2;
  const std::span<const uint8_t> file(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  for (size_t at = 0; at < file.size() && sound->samples.size() < most; at += 16 << 10)
    decoder.Decode(file.subspan(at, std::min<size_t>(16 << 10, file.size() - at)), sound->samples);
  decoder.Finish(sound->samples);
  if (sound->samples.size() > most) {
    vm.Host().Warn(L"'" + url + L"' is longer than a loaded sound may be; its end is left out");
    sound->samples.resize(most);
  }
  sound->samples.shrink_to_fit();
  const bool ok = sound->Frames() > 0;
  s.durationMs = static_cast<double>(sound->Frames()) * kFrameMs;
  if (ok) {
    s.counted = sound->samples.size() * 2;
    vm.GetHeap().Grow(&s, static_cast<ptrdiff_t>(s.counted));
    s.sound = std::move(sound);
  }
  s.media.Later(ScriptMedia::Event{ScriptMedia::Event::kLoad, &s, ok});
}

Value SoundCtor(Vm& vm, CallInfo& c) {
  ScriptMedia& media = *static_cast<ScriptMedia*>(c.callee->hostData);
  Object* proto = c.construct ? c.thisv.AsObject()->Proto() : vm.objectProto;
  return Value::Obj(vm.GetHeap().New<SoundObject>(media, proto, c.Arg(0)));
}

enum SoundMethod {
  kAttach, kStart, kStopSound, kSetVolume, kGetVolume, kSetPan, kGetPan, kSetTransform, kGetTransform, kBytesLoaded,
  kBytesTotal, kLoad,
};

Value SoundMethodFn(Vm& vm, CallInfo& c) {
  SoundObject* s = ThisSound(c);
  if (!s) return Value::Undefined();
  ScriptMedia& media = s->media;
  bool gone = false;
  Clip* clip = media.TargetClip(s->target, gone);
  auto number = [&](uint32_t i, double otherwise) {
    const double d = c.argc > i ? vm.ToNumber(c.args[i]) : otherwise;
    return std::isfinite(d) ? d : otherwise;
  };
  switch (c.callee->magic) {
    case kAttach: AttachSound(vm, *s, vm.ToText(c.Arg(0))); break;
    case kStart: media.Start(*s, number(0, 0), static_cast<uint32_t>(std::clamp(number(1, 1), 1.0, 65535.0))); break;
    case kStopSound: {
      if (gone) break;
      const Clip& on = clip ? *clip : media.Scripts().Player().Root();
      // (A clip that never had a sound has no channel: nothing of it to stop.)
      auto mixer = !clip || on.soundChannel ? media.Mixer() : nullptr;
      if (c.argc == 0) {
        // A clip's Sound stops the clip's sounds; one for every sound stops them all.
        if (!clip) vm.Host().StopSounds();
        else if (mixer) mixer->StopChannel(on.soundChannel);
        media.Stop(*s);
        break;
      }
      const uint16_t id = media.Scripts().Player().MovieOf(&on).Exported(vm.ToText(c.Arg(0)));
      if (!id) break;
      if (s->key == id) media.Stop(*s);
      if (mixer && !clip) mixer->StopKey(media.Owner(), id);
      if (mixer && clip) mixer->StopChannel(on.soundChannel, id);
      break;
    }
    case kSetVolume:
    case kSetPan:
    case kSetTransform: {
      if (gone) break;
      SoundSettings& set = media.SettingsOf(clip);
      if (c.callee->magic == kSetVolume) {
        set.volume = std::clamp(number(0, set.volume), 0.0, 10000.0);
      } else if (c.callee->magic == kSetPan) {
        const double pan = std::clamp(number(0, 0), -100.0, 100.0);
        set.ll = pan > 0 ? 100 - pan : 100, set.rr = pan < 0 ? 100 + pan : 100;
        set.lr = set.rl = 0;
      } else {
        const Value t = c.Arg(0);
        if (!t.IsObject()) break;
        double* fields[] = {&set.ll, &set.lr, &set.rr, &set.rl};
        const wchar_t* names[] = {L"ll", L"lr", L"rr", L"rl"};
        for (int i = 0; i < 4; ++i) {
          const Value v = vm.Get(t, vm.Intern(names[i]));
          const double d = v.IsUndefined() ? *fields[i] : vm.ToNumber(v);
          if (std::isfinite(d)) *fields[i] = std::clamp(d, -10000.0, 10000.0);
        }
      }
      media.SettingsChanged(clip);
      break;
    }
    case kGetVolume: return Value::Number(gone ? 100 : media.SettingsOf(clip).volume);
    case kGetPan: {
      if (gone) return Value::Number(0);
      const SoundSettings& set = media.SettingsOf(clip);
      return Value::Number(std::clamp(set.rr - set.ll, -100.0, 100.0));
    }
    case kGetTransform: {
      const SoundSettings set = gone ? SoundSettings{} : media.SettingsOf(clip);
      Object* o = vm.NewObject();
      vm.Put(o, L"ll", Value::Number(set.ll), 0);
      vm.Put(o, L"lr", Value::Number(set.lr), 0);
      vm.Put(o, L"rr", Value::Number(set.rr), 0);
      vm.Put(o, L"rl", Value::Number(set.rl), 0);
      return Value::Obj(o);
    }
    case kBytesLoaded:
    case kBytesTotal: return Value::Number(s->bytesTotal);
    case kLoad: LoadSound(vm, *s, vm.ToText(c.Arg(0)), vm.ToBool(c.Arg(1))); break;
    default: break;
  }
  return Value::Undefined();
}

}  // namespace

SoundObject::SoundObject(ScriptMedia& media, Object* proto, const Value& target)
    : Object(proto, script::ObjClass::Sound), media(media), target(target) {
  hooks_ = true;
}

bool SoundObject::GetHook(Vm& vm, script::String* key, Value& out) {
  const auto name = key->View();
  if (name == L"position") {
    out = Value::Number(std::round(media.PositionMs(*this)));
    return true;
  }
  if (name == L"duration") {
    out = Value::Number(std::round(durationMs));
    return true;
  }
  (void)vm;
  return false;
}

void SoundObject::Trace(script::Tracer& t) const {
  Object::Trace(t);
  t.Mark(target);
}

void InstallSoundClass(ScriptMedia& media, Vm& vm) {
  Object* proto = vm.NewObject();
  const struct {
    const wchar_t* name;
    int magic;
  } methods[] = {{L"attachSound", kAttach},     {L"start", kStart},          {L"stop", kStopSound},
                 {L"setVolume", kSetVolume},    {L"getVolume", kGetVolume},  {L"setPan", kSetPan},
                 {L"getPan", kGetPan},          {L"setTransform", kSetTransform}, {L"getTransform", kGetTransform},
                 {L"getBytesLoaded", kBytesLoaded}, {L"getBytesTotal", kBytesTotal}, {L"loadSound", kLoad}};
  for (const auto& m : methods) vm.Method(proto, m.name, SoundMethodFn, m.magic);
  vm.Class(L"Sound", SoundCtor, proto)->hostData = &media;
}

}  // namespace flash
