#include "platform/flash/play/MovieSounds.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace flash {
namespace {

constexpr uint64_t kLead = media::kOutputRate / 3;  // stream frames decoded ahead of the mix

void LiveClips(const Clip& clip, std::set<const Clip*>& out) {
  if (clip.playing) out.insert(&clip);
  for (const auto& [depth, obj] : clip.objects)
    if (obj.clip) LiveClips(*obj.clip, out);
}

}  // namespace

MovieSounds::MovieSounds(const MovieDefinition& movie, std::function<std::shared_ptr<media::Mixer>()> mixer,
                         uint64_t owner)
    : movie_(movie), mixerOf_(std::move(mixer)), owner_(owner) {
  media_.emplace(&movie, IndexMovieMedia(movie));
}

MovieSounds::~MovieSounds() { StopStreams(); }

const MovieMedia& MovieSounds::MediaOf(const Clip& clip) {
  const MovieDefinition* movie = clip.movie ? clip.movie : &movie_;
  auto it = media_.find(movie);
  if (it == media_.end()) it = media_.emplace(movie, IndexMovieMedia(*movie)).first;
  return it->second;
}

bool MovieSounds::Mixing() {
  if (!mixer_) mixer_ = mixerOf_();
  return mixer_ != nullptr;
}

// The clip's channel, with the mix scripts set for it.
uint64_t MovieSounds::Channel(const Clip& clip) {
  const uint64_t channel = SoundChannelOf(clip);
  if (mixOf_) mixer_->SetChannelMix(owner_, channel, mixOf_(clip));
  return channel;
}

std::shared_ptr<const media::SoundClip> MovieSounds::ClipOf(const Clip& clip, uint16_t sound) {
  // Decoded once per definition (an id may be defined again later).
  const MovieDefinition& movie = clip.movie ? *clip.movie : movie_;
  const Character* ch = movie.Find(sound, clip.home ? clip.home->frame : 0);
  auto it = clips_.find(ch);
  if (it != clips_.end()) return it->second;
  return clips_[ch] = ch ? DecodeDefinedSound(*ch) : nullptr;
}

void MovieSounds::Play(const Clip& clip, const SoundStart& start) {
  if (!Mixing()) return;
  if (start.info.stop) {
    mixer_->StopKey(owner_, start.sound);
    return;
  }
  if (auto sound = ClipOf(clip, start.sound)) mixer_->Start(sound, start.info, owner_, start.sound, Channel(clip));
}

void MovieSounds::FrameEntered(const Clip& clip, int frame) {
  const TimelineMedia* timeline = MediaOf(clip).Of(clip.timeline);
  if (!timeline) return;
  auto starts = timeline->starts.find(frame);
  if (starts != timeline->starts.end())
    for (const SoundStart& s : starts->second) Play(clip, s);
  if (!timeline->stream || timeline->stream->blocks.empty()) return;
  auto it = std::find_if(streams_.begin(), streams_.end(), [&](const Stream& s) { return s.clip == &clip; });
  if (it != streams_.end() && frame == it->entered + 1) {
    it->entered = frame;
    Feed(*it);  // blocks that come after silence are timed from this frame's start
    return;
  }
  if (it != streams_.end()) {
    StopStream(*it);
    streams_.erase(it);
  }
  const SoundStream& source = *timeline->stream;
  if (source.blocks.rbegin()->first < frame) return;  // the stream is over by this frame
  if (!Mixing()) return;
  Stream s;
  s.clip = &clip;
  s.leads = !clip.parent && clip.level == 0 && clip.movie == &movie_;
  s.source = &source;
  s.voice = mixer_->OpenStream(owner_, Channel(clip));
  if (!s.voice) return;
  s.decoder = std::make_unique<media::SoundDecoder>(source.format);
  s.entered = s.next = frame;
  s.last = source.blocks.rbegin()->first;
  streams_.push_back(std::move(s));
  Feed(streams_.back());
}

void MovieSounds::ButtonChanged(const Clip& parent, uint16_t button, uint8_t from, uint8_t to) {
  const MovieMedia& media = MediaOf(parent);
  auto it = media.buttonSounds.find(button);
  if (it == media.buttonSounds.end()) return;
  // Over-up to idle, idle to over-up, over-up to over-down, over-down to over-up.
  int index = -1;
  if (from == kButtonOver && to == kButtonUp) index = 0;
  if (from == kButtonUp && to == kButtonOver) index = 1;
  if (from == kButtonOver && to == kButtonDown) index = 2;
  if (from == kButtonDown && to == kButtonOver) index = 3;
  if (index >= 0 && static_cast<size_t>(index) < it->second.size() && it->second[index]) Play(parent, *it->second[index]);
}

void MovieSounds::Feed(Stream& s) {
  const uint64_t played = mixer_->Played(s.voice);
  const double frameSamples = media::kOutputRate / movie_.PlayRate();
  const int ahead = static_cast<int>(std::ceil(kLead / frameSamples)) + 1;
  const bool dry = played >= s.fed;  // everything fed was mixed: the next samples are heard at once
  // Marks heard long ago go.
  const auto old = std::find_if(s.marks.begin(), s.marks.end(), [&](const Stream::Mark& m) { return m.end + media::kOutputRate > played; });
  s.marks.erase(s.marks.begin(), old);
  while (!s.closed && s.fed < played + kLead && (s.flowing || s.next <= s.entered + ahead)) {
    if (s.next > s.last) {
      pcm_.clear();
      s.decoder->Finish(pcm_);
      mixer_->Append(s.voice, pcm_);
      mixer_->CloseStream(s.voice);
      s.closed = true;
      break;
    }
    auto block = s.source->blocks.find(s.next);
    if (block != s.source->blocks.end()) {
      std::span<const uint8_t> data = block->second;
      // MP3 blocks open with their sample count and seek samples.
      if (s.source->format.codec == media::SoundCodec::Mp3) data = data.size() >= 4 ? data.subspan(4) : std::span<const uint8_t>{};
      pcm_.clear();
      s.decoder->Decode(data, pcm_);
      if (!pcm_.empty()) {
        if (dry && !s.flowing && s.fed == played && s.next > s.entered) {
          // Silence until the block's frame is due on the frame clock.
          const uint64_t gap = static_cast<uint64_t>((s.next - s.entered) * frameSamples);
          mixer_->Append(s.voice, std::vector<int16_t>(static_cast<size_t>(gap) * 2));
          s.fed += gap;
        }
        const uint64_t start = s.fed;
        mixer_->Append(s.voice, pcm_);
        s.fed += pcm_.size() / 2;
        s.marks.push_back(Stream::Mark{s.next, start, s.fed});
      }
      s.flowing = !pcm_.empty();
    } else {
      s.flowing = false;
    }
    ++s.next;
  }
}

void MovieSounds::StopStream(Stream& s) {
  if (mixer_ && s.voice) mixer_->Stop(s.voice);
  s.voice = 0;
}

void MovieSounds::StopStreams() {
  for (Stream& s : streams_) StopStream(s);
  streams_.clear();
}

void MovieSounds::Update(const MoviePlayer& player) {
  if (streams_.empty()) return;
  std::set<const Clip*> live;
  LiveClips(player.Root(), live);
  for (const auto& [n, level] : player.Levels()) LiveClips(*level, live);
  for (size_t i = 0; i < streams_.size();) {
    Stream& s = streams_[i];
    if (!live.count(s.clip) || !mixer_->IsPlaying(s.voice)) {
      StopStream(s);
      streams_.erase(streams_.begin() + static_cast<ptrdiff_t>(i));
      continue;
    }
    Feed(s);
    ++i;
  }
}

std::optional<int> MovieSounds::StreamFrame(size_t outputLatency) const {
  for (const Stream& s : streams_) {
    if (!s.leads || s.marks.empty()) continue;
    const uint64_t played = mixer_->Played(s.voice);
    const uint64_t heard = played > outputLatency ? played - outputLatency : 0;
    // The block whose samples are heard; none (silence, or nothing yet): the frame clock rules.
    auto it = std::upper_bound(s.marks.begin(), s.marks.end(), heard,
                               [](uint64_t v, const Stream::Mark& m) { return v < m.start; });
    if (it == s.marks.begin() || heard >= std::prev(it)->end) return std::nullopt;
    return std::prev(it)->frame;
  }
  return std::nullopt;
}

}  // namespace flash
