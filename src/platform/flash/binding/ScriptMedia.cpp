#include "platform/flash/binding/ScriptMedia.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

#include "platform/flash/parse/MovieMedia.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptObjects.h"

namespace flash {
namespace {

using script::Value;

constexpr double kFrameMs = 1000.0 / media::kOutputRate;
constexpr double kStreamLead = 0.5;       // seconds of a streaming sound decoded ahead
constexpr size_t kStreamChunk = 16 << 10;  // file bytes decoded at a time
constexpr int kMaxNesting = 32;

// A 2x2 channel matrix, rows the output channels: out = m * (left, right).
struct Gain {
  double m[2][2] = {{1, 0}, {0, 1}};
};

Gain GainOf(const SoundSettings& s) {
  const double v = std::max(s.volume, 0.0) / 100;
  Gain g;
  g.m[0][0] = s.ll / 100 * v, g.m[0][1] = s.rl / 100 * v;
  g.m[1][0] = s.lr / 100 * v, g.m[1][1] = s.rr / 100 * v;
  return g;
}

Gain Then(const Gain& first, const Gain& second) {
  Gain r;
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) r.m[i][j] = second.m[i][0] * first.m[0][j] + second.m[i][1] * first.m[1][j];
  return r;
}

}  // namespace

ScriptMedia::ScriptMedia(MovieScripts& scripts) : scripts_(scripts) {
  InstallSoundClass(*this, scripts.Vm());
  InstallVideoClasses(*this, scripts.Vm());
}

ScriptMedia::~ScriptMedia() = default;

std::shared_ptr<media::Mixer> ScriptMedia::Mixer() {
  const auto& mixer = scripts_.Environment().mixer;
  return mixer ? mixer() : nullptr;
}

uint64_t ScriptMedia::Owner() const { return scripts_.Environment().soundOwner; }

double ScriptMedia::Now() const { return scripts_.Environment().clock(); }

std::shared_ptr<const media::SoundClip> ScriptMedia::Decoded(const Character& sound) {
  auto it = decoded_.find(&sound);
  if (it == decoded_.end()) it = decoded_.emplace(&sound, DecodeDefinedSound(sound)).first;
  return it->second;
}

// ---- Settings and mixes ---------------------------------------------------------------------

Clip* ScriptMedia::TargetClip(const Value& target, bool& gone) {
  gone = false;
  script::Object* o = target.ObjectOrNull();
  if (!o && target.IsString()) {
    script::Vm& vm = scripts_.Vm();
    o = vm.ResolveTarget(vm.Host().Level(0), vm.ToText(target));
    if (!o) gone = true;
  }
  if (!o) return nullptr;
  Clip* clip = o->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(o)->TheClip() : nullptr;
  gone = clip == nullptr;
  return clip;
}

SoundSettings& ScriptMedia::SettingsOf(Clip* clip) {
  if (!clip) return scripts_.Player().GlobalSound();
  if (!clip->sound) clip->sound = std::make_unique<SoundSettings>();
  return *clip->sound;
}

media::ChannelMix ScriptMedia::MixOf(const Clip& clip) const {
  Gain g;
  int hops = 0;
  for (const Clip* c = &clip; c && hops < 64; c = c->parent, ++hops)
    if (c->sound) g = Then(g, GainOf(*c->sound));
  g = Then(g, GainOf(scripts_.Player().GlobalSound()));
  return media::ChannelMix{g.m[0][0] * 100, g.m[1][0] * 100, g.m[0][1] * 100, g.m[1][1] * 100};
}

void ScriptMedia::SettingsChanged(Clip* clip) {
  // Only channels that have had sounds (so a movie without sound opens no device).
  std::vector<const Clip*> sounded;
  auto note = [&](Clip& c) {
    if (c.soundChannel) sounded.push_back(&c);
  };
  if (!clip) {
    scripts_.EachClip(note);
  } else {
    std::function<void(Clip&, int)> walk = [&](Clip& c, int nesting) {
      if (nesting > kMaxNesting) return;
      note(c);
      for (auto& [depth, entry] : c.objects)
        if (entry.clip) walk(*entry.clip, nesting + 1);
    };
    walk(*clip, 0);
  }
  auto mixer = sounded.empty() ? nullptr : Mixer();
  if (!mixer) return;
  for (const Clip* c : sounded) mixer->SetChannelMix(Owner(), c->soundChannel, MixOf(*c));
}

// ---- Sounds -------------------------------------------------------------------------------------

void ScriptMedia::Start(SoundObject& s, double offsetSeconds, uint32_t loops) {
  if (!s.sound && s.file.empty()) return;
  bool gone = false;
  Clip* clip = TargetClip(s.target, gone);
  if (gone) return;
  const Clip& on = clip ? *clip : scripts_.Player().Root();
  if (!std::isfinite(offsetSeconds) || offsetSeconds < 0) offsetSeconds = 0;
  s.loops = std::max<uint32_t>(loops, 1);
  s.fromMs = std::min(offsetSeconds * 1000, s.durationMs);
  s.startedAt = Now();
  s.lastMs = s.fromMs;
  s.voice = 0;
  s.decoder.reset();
  auto mixer = Mixer();
  s.silent = !mixer;
  if (mixer) {
    // Ends heard while no script sound played (the timelines') are no news.
    if (sounds_.empty()) mixer->TakeFinished();
    const uint64_t channel = SoundChannelOf(on);
    mixer->SetChannelMix(Owner(), channel, MixOf(on));
    if (s.sound) {
      media::SoundInfo info;
      info.inPoint = static_cast<uint32_t>(s.fromMs / kFrameMs);
      info.loops = s.loops;
      s.voice = mixer->Start(s.sound, info, Owner(), s.key, channel);
    } else if ((s.voice = mixer->OpenStream(Owner(), channel))) {
      // A streaming sound plays once, decoded from the file's start.
      s.loops = 1;
      s.decoder = std::make_unique<media::SoundDecoder>(media::SoundFormat{media::SoundCodec::Mp3, 44100, true, true});
      s.filePos = 0;
      s.skip = static_cast<uint64_t>(s.fromMs / kFrameMs);
      s.closed = false;
      Feed(s);
    }
    if (!s.voice) return;  // too many sounds at once: this one is not heard
  }
  if (s.file.size() && !s.sound) s.loops = 1;
  s.playing = true;
  if (std::find(sounds_.begin(), sounds_.end(), &s) == sounds_.end()) sounds_.push_back(&s);
}

void ScriptMedia::Stop(SoundObject& s) {
  if (!s.playing) return;
  s.lastMs = PositionMs(s);
  if (s.voice)
    if (auto mixer = Mixer()) mixer->Stop(s.voice);
  s.playing = false;
  s.voice = 0;
  s.decoder.reset();
  std::erase(sounds_, &s);
}

double ScriptMedia::PositionMs(SoundObject& s) {
  if (!s.playing) return s.lastMs;
  if (s.silent) {
    const double per = s.durationMs - s.fromMs;
    const double elapsed = std::max(Now() - s.startedAt, 0.0) * 1000;
    if (per <= 0 || elapsed >= per * s.loops) return s.durationMs;
    return s.lastMs = s.fromMs + std::fmod(elapsed, per);
  }
  auto mixer = Mixer();
  if (mixer && mixer->IsPlaying(s.voice)) {
    const double at = static_cast<double>(mixer->Position(s.voice)) * kFrameMs;
    s.lastMs = s.sound ? at : s.fromMs + at;
  }
  return s.lastMs;
}

// Decodes a streaming sound's file ahead of what is heard; false once it is over.
bool ScriptMedia::Feed(SoundObject& s) {
  auto mixer = Mixer();
  if (!mixer || !s.decoder || s.closed) return false;
  std::vector<int16_t> pcm;
  while (!s.closed && mixer->Queued(s.voice) < kStreamLead * media::kOutputRate) {
    pcm.clear();
    if (s.filePos >= s.file.size()) {
      s.decoder->Finish(pcm);
      s.closed = true;
    } else {
      const size_t n = std::min(kStreamChunk, s.file.size() - s.filePos);
      s.decoder->Decode(std::span<const uint8_t>(s.file).subspan(s.filePos, n), pcm);
      s.filePos += n;
    }
    const size_t frames = pcm.size() / 2, dropped = static_cast<size_t>(std::min<uint64_t>(s.skip, frames));
    s.skip -= dropped;
    mixer->Append(s.voice, std::span<const int16_t>(pcm).subspan(dropped * 2));
    if (s.closed) mixer->CloseStream(s.voice);
  }
  return true;
}

// ---- Between frames and at frames -----------------------------------------------------------

bool ScriptMedia::Playing(NetStreamObject& stream) {
  std::erase_if(streams_, [](NetStreamObject* n) { return !n->player; });
  if (std::find(streams_.begin(), streams_.end(), &stream) != streams_.end()) return true;
  if (streams_.size() >= kMaxStreams) return false;
  streams_.push_back(&stream);
  return true;
}

bool ScriptMedia::Update() {
  for (SoundObject* s : sounds_)
    if (s->decoder) Feed(*s);
  bool changed = false;
  const double now = Now();
  std::erase_if(streams_, [](NetStreamObject* n) { return !n->player; });
  for (NetStreamObject* stream : streams_) changed = Advance(*stream, now) || changed;
  if (changed) scripts_.Player().Changed();
  return changed;
}

void ScriptMedia::DispatchEvents() {
  auto mixer = sounds_.empty() ? nullptr : Mixer();
  std::vector<media::VoiceId> finished;
  if (mixer) finished = mixer->TakeFinished();
  const double now = Now();
  for (size_t i = 0; i < sounds_.size();) {
    SoundObject& s = *sounds_[i];
    bool over = false, heardToEnd = false;
    if (s.silent) {
      over = heardToEnd = (now - s.startedAt) * 1000 >= (s.durationMs - s.fromMs) * s.loops;
    } else if (std::find(finished.begin(), finished.end(), s.voice) != finished.end()) {
      over = heardToEnd = true;
    } else {
      over = !mixer || !mixer->IsPlaying(s.voice);  // stopped by others
    }
    if (!over) {
      ++i;
      continue;
    }
    s.lastMs = heardToEnd ? s.durationMs : PositionMs(s);
    s.playing = false;
    s.voice = 0;
    s.decoder.reset();
    sounds_.erase(sounds_.begin() + static_cast<ptrdiff_t>(i));
    if (heardToEnd) Later(Event{Event::kComplete, &s});
  }
  const std::vector<Event> events = std::exchange(events_, {});
  script::Vm& vm = scripts_.Vm();
  for (const Event& e : events) {
    std::vector<Value> args;
    const wchar_t* method = L"onSoundComplete";
    switch (e.kind) {
      case Event::kComplete: break;
      case Event::kLoad:
        method = L"onLoad";
        args.push_back(Value::Bool(e.ok));
        break;
      case Event::kStatus: {
        method = L"onStatus";
        script::Object* info = vm.NewObject();
        vm.Put(info, L"code", vm.Str(e.code), 0);
        vm.Put(info, L"level", vm.Str(e.level), 0);
        args.push_back(Value::Obj(info));
        break;
      }
      case Event::kMetaData: {
        method = L"onMetaData";
        script::Object* info = vm.NewObject();
        vm.Put(info, L"duration", Value::Number(e.numbers[0]), 0);
        vm.Put(info, L"width", Value::Number(e.numbers[1]), 0);
        vm.Put(info, L"height", Value::Number(e.numbers[2]), 0);
        args.push_back(Value::Obj(info));
        break;
      }
    }
    scripts_.Event(e.target, nullptr, 0, method, false, std::move(args));
  }
}

void ScriptMedia::StopAll() {
  std::vector<SoundObject*> playing = sounds_;
  for (SoundObject* s : playing) Stop(*s);
  for (NetStreamObject* n : streams_)
    if (n->player) n->player->StopSound();
}

void ScriptMedia::Trace(script::Tracer& t) const {
  for (SoundObject* s : sounds_) t.Mark(s);
  for (NetStreamObject* n : streams_) t.Mark(n);
  for (const Event& e : events_) t.Mark(e.target);
}

// ---- MP3 files ------------------------------------------------------------------------------------

double Mp3DurationMs(std::span<const uint8_t> file) {
  size_t pos = 0;
  // An ID3 tag in front: "ID3", version, flags, then its size in 7-bit bytes.
  if (file.size() >= 10 && file[0] == 'I' && file[1] == 'D' && file[2] == '3')
    pos = 10 + ((size_t(file[6] & 0x7F) << 21) | (size_t(file[7] & 0x7F) << 14) | (size_t(file[8] & 0x7F) << 7) |
                (file[9] & 0x7F));
  // A frame counts when the next one follows it (or the file ends): a
  // stray sync word in other data is no frame.
  auto frameAt = [&](size_t at, media::Mp3FrameInfo& info) {
    return at + 4 <= file.size() && file[at] == 0xFF && media::ParseMp3Header(file.subspan(at), info) &&
           info.bytes > 0 && info.rate > 0;
  };
  double ms = 0;
  while (pos + 4 <= file.size()) {
    media::Mp3FrameInfo info, next;
    if (frameAt(pos, info)) {
      const size_t end = pos + static_cast<size_t>(info.bytes);
      if (end >= file.size() || frameAt(end, next)) {
        ms += info.samples * 1000.0 / info.rate;
        pos = end;
        continue;
      }
    }
    ++pos;
  }
  return ms;
}

}  // namespace flash
