// Sounds and videos as a movie's scripts see them: the Sound class (sounds
// of the library by export name, MP3 files beside the movie as event or
// streaming sounds, volume, pan and transform for a clip's sounds or for
// every sound, position, duration, onSoundComplete), NetConnection,
// NetStream (FLV files beside the movie: play, pause, seek, time, onStatus,
// onMetaData) and Video (the script object of a video on the stage, showing
// a stream by attachVideo). Sounds play through the control's mixer on
// their clip's channel; without a device they run silent on the control's
// clock, so positions move and completions come all the same. Between
// frames Update feeds streaming sounds and shows each stream's picture of
// the time; completions, statuses and loads reach the scripts at the next
// frame (DispatchEvents), in the order they happened.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/flash/render/FillPainter.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/media/FlvPlayer.h"
#include "platform/flash/media/Mixer.h"
#include "platform/flash/media/SoundDecoder.h"
#include "platform/flash/script/Vm.h"

namespace flash {

class MovieScripts;
class ScriptMedia;

// A Sound: what it plays and its last start.
class SoundObject final : public script::Object {
 public:
  SoundObject(ScriptMedia& media, script::Object* proto, const script::Value& target);

  bool GetHook(script::Vm& vm, script::String* key, script::Value& out) override;
  void Trace(script::Tracer& t) const override;

  ScriptMedia& media;
  script::Value target;  // a clip, or undefined for every sound
  // What it plays: a decoded sound (attached, or loaded as an event sound),
  // or an MP3 file played as it is decoded (loaded as a streaming sound).
  std::shared_ptr<const media::SoundClip> sound;
  uint32_t key = 0;  // the library sound's character (0 for a loaded one)
  std::vector<uint8_t> file;
  double durationMs = 0;
  double bytesTotal = 0;  // the loaded file's size
  size_t counted = 0;     // bytes it holds, counted against the scripts' heap
  // The last start: a voice of the mixer, or the clock's start when silent.
  media::VoiceId voice = 0;
  bool playing = false, silent = false;
  double startedAt = 0, fromMs = 0, lastMs = 0;
  uint32_t loops = 1;
  // A streaming sound's decoding.
  std::unique_ptr<media::SoundDecoder> decoder;
  size_t filePos = 0;
  uint64_t skip = 0;  // output frames still to drop (a start at an offset)
  bool closed = false;
};

// A NetStream: one FLV file at a time, its picture shared with the videos it is attached to.
class NetStreamObject final : public script::Object {
 public:
  NetStreamObject(ScriptMedia& media, script::Object* proto);
  ~NetStreamObject() override;

  bool GetHook(script::Vm& vm, script::String* key, script::Value& out) override;

  ScriptMedia& media;
  std::unique_ptr<media::FlvPlayer> player;
  std::shared_ptr<Bitmap> picture = std::make_shared<Bitmap>();
  double position = 0, duration = 0, lastClock = 0, bufferTime = 0.1, bytes = 0;
  bool paused = false, ended = false;
};

class ScriptMedia {
 public:
  // Decoded loaded sounds are cut at this length.
  static constexpr double kMaxEventSeconds = 300;
  // Streams open at once (each holds a file and a decoder's pictures).
  static constexpr size_t kMaxStreams = 16;

  explicit ScriptMedia(MovieScripts& scripts);  // installs the classes
  ~ScriptMedia();
  ScriptMedia(const ScriptMedia&) = delete;
  ScriptMedia& operator=(const ScriptMedia&) = delete;

  MovieScripts& Scripts() { return scripts_; }
  // The control's mixer (null: nothing can be heard), the owner of the
  // movie's sounds, the clock.
  std::shared_ptr<media::Mixer> Mixer();
  uint64_t Owner() const;
  double Now() const;

  // ---- Sound settings ---------------------------------------------------------------------
  // The clip a Sound's target names (null: every sound, or a clip gone).
  Clip* TargetClip(const script::Value& target, bool& gone);
  SoundSettings& SettingsOf(Clip* clip);
  // The mix of a clip's sounds: its own settings, then those of the clips
  // above it, then those for every sound.
  media::ChannelMix MixOf(const Clip& clip) const;
  // Settings changed for a clip (null: for every sound): the channels below
  // it that have had sounds take their new mix.
  void SettingsChanged(Clip* clip);

  // ---- Playing ---------------------------------------------------------------------------------
  void Start(SoundObject& s, double offsetSeconds, uint32_t loops);
  void Stop(SoundObject& s);
  double PositionMs(SoundObject& s);
  // An opened stream joins those moved on; false when too many are open.
  bool Playing(NetStreamObject& stream);
  // Between frames: streams fed and pictures shown; true when a picture changed.
  bool Update();
  // At a frame: completions, statuses and loads reach the scripts (queued).
  void DispatchEvents();
  // Every sound of the scripts stops (stopAllSounds, the control's StopSounds).
  void StopAll();
  void Trace(script::Tracer& t) const;

  // ---- Events for the next frame ------------------------------------------------------------
  struct Event {
    enum Kind { kComplete, kLoad, kStatus, kMetaData } kind;
    script::Object* target;
    bool ok = false;
    std::wstring code, level;
    double numbers[3] = {};
  };
  void Later(Event e) { events_.push_back(std::move(e)); }

  // A library sound decoded (kept per definition).
  std::shared_ptr<const media::SoundClip> Decoded(const Character& sound);

 private:
  bool Feed(SoundObject& s);
  bool Advance(NetStreamObject& stream, double now);

  MovieScripts& scripts_;
  std::vector<SoundObject*> sounds_;       // started and not yet over
  std::vector<NetStreamObject*> streams_;  // open streams
  std::vector<Event> events_;
  std::map<const Character*, std::shared_ptr<const media::SoundClip>> decoded_;
};

// The class installers (ScriptSounds.cpp, ScriptVideos.cpp).
void InstallSoundClass(ScriptMedia& media, script::Vm& vm);
void InstallVideoClasses(ScriptMedia& media, script::Vm& vm);
// A Video's own properties (width, height, smoothing, deblocking); false for other names.
bool VideoProperty(script::Vm& vm, DisplayObject* entry, script::String* key, script::Value& out);
bool SetVideoProperty(script::Vm& vm, DisplayObject* entry, script::String* key, const script::Value& v);

// The length of an MP3 file in milliseconds, from its frame headers.
double Mp3DurationMs(std::span<const uint8_t> file);

}  // namespace flash
