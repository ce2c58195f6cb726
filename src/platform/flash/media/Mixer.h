// The control's sound mixer: event sounds (decoded clips played with their
// sound info: in and out points, loops, an envelope) and streams (voices fed
// block by block, whose consumed samples are the stream's clock), mixed into
// 16-bit stereo at 44.1 kHz under a master volume and pan. Every voice has an
// owner (a movie, a sprite, a video) so that stopping an owner stops what it
// started, and a key (the sound's character) for "no multiple" and "stop".
// Thread-safe: the output's worker thread renders while the window's thread
// starts, feeds and stops voices; no call waits longer than one block's mix.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "platform/flash/media/SoundDecoder.h"

namespace flash::media {

struct EnvelopePoint {
  uint32_t position = 0;  // in 44.1 kHz frames from the start of the sound
  uint16_t left = 32768, right = 32768;  // 0 (silent) to 32768 (full)
};

// How an event sound plays (the movie's sound info).
struct SoundInfo {
  bool stop = false;        // stop the playing instances instead of starting one
  bool noMultiple = false;  // start only when no instance is playing
  std::optional<uint32_t> inPoint, outPoint;  // 44.1 kHz frames
  uint32_t loops = 1;
  std::vector<EnvelopePoint> envelope;
};

// A 2x2 channel mix in per cent (a script's sound transform): out left =
// ll% of left + rl% of right, out right = lr% of left + rr% of right.
struct ChannelMix {
  double ll = 100, lr = 0, rl = 0, rr = 100;
};

using VoiceId = uint64_t;

class Mixer {
 public:
  static constexpr size_t kMaxVoices = 256;

  // Starts (or, by info.stop, stops) an event sound; 0 when nothing started.
  VoiceId Start(std::shared_ptr<const SoundClip> clip, const SoundInfo& info, uint64_t owner, uint32_t key);
  // A stream voice, fed with Append; it ends when closed and played out.
  VoiceId OpenStream(uint64_t owner);
  void Append(VoiceId stream, std::span<const int16_t> stereo);
  // No more data will come: the stream ends once its queue is played.
  void CloseStream(VoiceId stream);
  // Frames of the voice mixed so far (for a stream: its clock); queued frames not yet mixed.
  uint64_t Played(VoiceId voice) const;
  size_t Queued(VoiceId voice) const;
  bool IsPlaying(VoiceId voice) const;
  bool IsPlaying(uint64_t owner, uint32_t key) const;

  void Stop(VoiceId voice);
  void StopKey(uint64_t owner, uint32_t key);
  void StopOwner(uint64_t owner);
  void StopAll();
  size_t VoiceCount() const;
  // Event voices that played to their end since the last call.
  std::vector<VoiceId> TakeFinished();

  // Master volume 0..100 and pan -100 (left only) .. 100 (right only).
  void SetVolume(int volume);
  void SetPan(int pan);
  // An owner's own mix (its volume and pan folded in by the caller).
  void SetOwnerMix(uint64_t owner, const ChannelMix& mix);

  // Mixes the next frames into out (stereo pairs), silence where nothing plays.
  void Render(std::span<int16_t> out);

 private:
  struct Voice {
    VoiceId id = 0;
    uint64_t owner = 0;
    uint32_t key = 0;
    std::shared_ptr<const SoundClip> clip;  // event sound
    bool stream = false, closed = false;
    std::vector<int16_t> queue;  // stream data not yet mixed, from queueStart
    size_t queueStart = 0;
    uint32_t from = 0, to = 0;  // event: frames [from, to) of the clip
    uint32_t loopsLeft = 1;
    uint64_t pos = 0;  // event: frame within the clip
    uint64_t played = 0;
    std::vector<EnvelopePoint> envelope;
    size_t envIndex = 0;
  };

  Voice* Find(VoiceId id);
  const Voice* Find(VoiceId id) const;
  bool MixVoice(Voice& v, float* acc, size_t frames, const ChannelMix& mix);  // false when finished
  void Envelope(Voice& v, uint64_t pos, float& left, float& right);

  mutable std::mutex mutex_;
  std::vector<Voice> voices_;
  std::map<uint64_t, ChannelMix> ownerMix_;
  std::vector<VoiceId> finished_;
  std::vector<float> acc_;
  VoiceId nextId_ = 1;
  int volume_ = 100, pan_ = 0;
};

}  // namespace flash::media
