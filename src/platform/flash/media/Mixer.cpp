#include "platform/flash/media/Mixer.h"

#include <algorithm>
#include <utility>

namespace flash::media {
namespace {

constexpr size_t kMaxFinished = 1024;

// Rounds half away from zero and saturates.
int16_t Clamp16(float v) {
  const int r = static_cast<int>(std::clamp(v, -32768.0f, 32767.0f) + (v >= 0 ? 0.5f : -0.5f));
  return static_cast<int16_t>(std::clamp(r, -32768, 32767));
}

}  // namespace

Mixer::Voice* Mixer::Find(VoiceId id) {
  for (Voice& v : voices_)
    if (v.id == id) return &v;
  return nullptr;
}

const Mixer::Voice* Mixer::Find(VoiceId id) const {
  for (const Voice& v : voices_)
    if (v.id == id) return &v;
  return nullptr;
}

VoiceId Mixer::Start(std::shared_ptr<const SoundClip> clip, const SoundInfo& info, uint64_t owner, uint32_t key) {
  std::lock_guard lock(mutex_);
  if (info.stop) {
    std::erase_if(voices_, [&](const Voice& v) { return !v.stream && v.owner == owner && v.key == key; });
    return 0;
  }
  if (!clip) return 0;
  if (info.noMultiple)
    for (const Voice& v : voices_)
      if (!v.stream && v.owner == owner && v.key == key) return 0;
  if (voices_.size() >= kMaxVoices) return 0;
  const uint32_t frames = static_cast<uint32_t>(std::min<size_t>(clip->Frames(), UINT32_MAX));
  Voice v;
  v.from = std::min(info.inPoint.value_or(0), frames);
  v.to = std::clamp(info.outPoint.value_or(frames), v.from, frames);
  if (info.outPoint && *info.outPoint == 0) v.to = frames;  // no out point
  if (v.from >= v.to) return 0;
  v.id = nextId_++;
  v.owner = owner;
  v.key = key;
  v.clip = std::move(clip);
  v.loopsLeft = std::max<uint32_t>(info.loops, 1);
  v.pos = v.from;
  v.envelope = info.envelope;
  voices_.push_back(std::move(v));
  return voices_.back().id;
}

VoiceId Mixer::OpenStream(uint64_t owner) {
  std::lock_guard lock(mutex_);
  if (voices_.size() >= kMaxVoices) return 0;
  Voice v;
  v.id = nextId_++;
  v.owner = owner;
  v.stream = true;
  voices_.push_back(std::move(v));
  return voices_.back().id;
}

void Mixer::Append(VoiceId stream, std::span<const int16_t> stereo) {
  std::lock_guard lock(mutex_);
  Voice* v = Find(stream);
  if (!v || !v->stream || v->closed) return;
  if (v->queueStart > 0 && v->queueStart * 2 > v->queue.size()) {
    v->queue.erase(v->queue.begin(), v->queue.begin() + static_cast<ptrdiff_t>(v->queueStart));
    v->queueStart = 0;
  }
  v->queue.insert(v->queue.end(), stereo.begin(), stereo.begin() + static_cast<ptrdiff_t>(stereo.size() & ~size_t{1}));
}

void Mixer::CloseStream(VoiceId stream) {
  std::lock_guard lock(mutex_);
  if (Voice* v = Find(stream)) v->closed = true;
}

uint64_t Mixer::Played(VoiceId voice) const {
  std::lock_guard lock(mutex_);
  const Voice* v = Find(voice);
  return v ? v->played : 0;
}

size_t Mixer::Queued(VoiceId voice) const {
  std::lock_guard lock(mutex_);
  const Voice* v = Find(voice);
  return v && v->stream ? (v->queue.size() - v->queueStart) / 2 : 0;
}

bool Mixer::IsPlaying(VoiceId voice) const {
  std::lock_guard lock(mutex_);
  return Find(voice) != nullptr;
}

bool Mixer::IsPlaying(uint64_t owner, uint32_t key) const {
  std::lock_guard lock(mutex_);
  return std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) { return !v.stream && v.owner == owner && v.key == key; });
}

void Mixer::Stop(VoiceId voice) {
  std::lock_guard lock(mutex_);
  std::erase_if(voices_, [&](const Voice& v) { return v.id == voice; });
}

void Mixer::StopKey(uint64_t owner, uint32_t key) {
  std::lock_guard lock(mutex_);
  std::erase_if(voices_, [&](const Voice& v) { return !v.stream && v.owner == owner && v.key == key; });
}

void Mixer::StopOwner(uint64_t owner) {
  std::lock_guard lock(mutex_);
  std::erase_if(voices_, [&](const Voice& v) { return v.owner == owner; });
  ownerMix_.erase(owner);
}

void Mixer::StopAll() {
  std::lock_guard lock(mutex_);
  voices_.clear();
  ownerMix_.clear();
}

size_t Mixer::VoiceCount() const {
  std::lock_guard lock(mutex_);
  return voices_.size();
}

std::vector<VoiceId> Mixer::TakeFinished() {
  std::lock_guard lock(mutex_);
  return std::exchange(finished_, {});
}

void Mixer::SetVolume(int volume) {
  std::lock_guard lock(mutex_);
  volume_ = std::clamp(volume, 0, 100);
}

void Mixer::SetPan(int pan) {
  std::lock_guard lock(mutex_);
  pan_ = std::clamp(pan, -100, 100);
}

void Mixer::SetOwnerMix(uint64_t owner, const ChannelMix& mix) {
  std::lock_guard lock(mutex_);
  ownerMix_[owner] = mix;
}

// The envelope's levels at a frame of the clip: straight lines between its
// points, the first level before the first point and the last after the last.
void Mixer::Envelope(Voice& v, uint64_t pos, float& left, float& right) {
  const auto& e = v.envelope;
  if (pos < e[v.envIndex].position) v.envIndex = 0;  // looped back
  while (v.envIndex + 1 < e.size() && pos >= e[v.envIndex + 1].position) ++v.envIndex;
  const EnvelopePoint& a = e[v.envIndex];
  if (v.envIndex + 1 >= e.size() || pos <= a.position) {
    left = a.left / 32768.0f;
    right = a.right / 32768.0f;
    return;
  }
  const EnvelopePoint& b = e[v.envIndex + 1];
  const float t = static_cast<float>(pos - a.position) / static_cast<float>(b.position - a.position);
  left = (a.left + (static_cast<float>(b.left) - a.left) * t) / 32768.0f;
  right = (a.right + (static_cast<float>(b.right) - a.right) * t) / 32768.0f;
}

bool Mixer::MixVoice(Voice& v, float* acc, size_t frames, const ChannelMix& m) {
  const float ll = static_cast<float>(m.ll / 100), lr = static_cast<float>(m.lr / 100);
  const float rl = static_cast<float>(m.rl / 100), rr = static_cast<float>(m.rr / 100);
  size_t done = 0;
  while (done < frames) {
    const int16_t* src = nullptr;
    size_t n = 0;
    if (v.stream) {
      const size_t avail = (v.queue.size() - v.queueStart) / 2;
      if (avail == 0) return !v.closed;  // a stream waiting for data stays
      n = std::min(avail, frames - done);
      src = v.queue.data() + v.queueStart;
      v.queueStart += n * 2;
    } else {
      if (v.pos >= v.to) {
        if (--v.loopsLeft == 0) return false;
        v.pos = v.from;
      }
      n = static_cast<size_t>(std::min<uint64_t>(v.to - v.pos, frames - done));
      src = v.clip->samples.data() + v.pos * 2;
    }
    float* out = acc + done * 2;
    if (v.envelope.empty()) {
      for (size_t i = 0; i < n; ++i) {
        const float l = src[2 * i], r = src[2 * i + 1];
        out[2 * i] += l * ll + r * rl;
        out[2 * i + 1] += l * lr + r * rr;
      }
    } else {
      for (size_t i = 0; i < n; ++i) {
        float el, er;
        Envelope(v, v.pos + i, el, er);
        const float l = src[2 * i] * el, r = src[2 * i + 1] * er;
        out[2 * i] += l * ll + r * rl;
        out[2 * i + 1] += l * lr + r * rr;
      }
    }
    if (!v.stream) v.pos += n;
    v.played += n;
    done += n;
  }
  if (v.stream) return true;
  return !(v.pos >= v.to && v.loopsLeft <= 1);
}

void Mixer::Render(std::span<int16_t> out) {
  const size_t frames = out.size() / 2;
  std::lock_guard lock(mutex_);
  acc_.assign(frames * 2, 0.0f);
  for (size_t i = 0; i < voices_.size();) {
    Voice& v = voices_[i];
    auto mix = ownerMix_.find(v.owner);
    const bool alive = MixVoice(v, acc_.data(), frames, mix == ownerMix_.end() ? ChannelMix{} : mix->second);
    if (alive) {
      ++i;
      continue;
    }
    if (!v.stream && finished_.size() < kMaxFinished) finished_.push_back(v.id);
    voices_.erase(voices_.begin() + static_cast<ptrdiff_t>(i));
  }
  const float volume = volume_ / 100.0f;
  const float left = volume * (pan_ > 0 ? (100 - pan_) / 100.0f : 1.0f);
  const float right = volume * (pan_ < 0 ? (100 + pan_) / 100.0f : 1.0f);
  for (size_t i = 0; i < frames; ++i) {
    out[2 * i] = Clamp16(acc_[2 * i] * left);
    out[2 * i + 1] = Clamp16(acc_[2 * i + 1] * right);
  }
  if (out.size() % 2) out.back() = 0;
}

}  // namespace flash::media
