#include "platform/flash/media/FlvPlayer.h"

#include <algorithm>
#include <cmath>

#include "platform/flash/media/VideoDecoderFactory.h"

namespace flash::media {
namespace {

constexpr uint64_t kMaxFile = 1ull << 31;
// Pictures fed past the target for decoders that give them out late (a
// threaded decoder holds about one picture per processor).
constexpr size_t kMaxLead = 64;

bool IsH264Config(const FlvTag& tag) { return (tag.data[0] & 15) == 7 && (tag.data.size() < 2 || tag.data[1] != 1); }

}  // namespace

bool FlvPlayer::Open(const std::wstring& path) {
  if (!file_.Open(path, kMaxFile) || !flv_.Open(file_.Bytes())) return false;
  for (const FlvTag& tag : flv_.Video())
    if (!IsH264Config(tag)) pictures_.push_back(&tag);
  byRank_.resize(pictures_.size());
  for (size_t i = 0; i < byRank_.size(); ++i) byRank_[i] = i;
  std::stable_sort(byRank_.begin(), byRank_.end(),
                   [&](size_t a, size_t b) { return pictures_[a]->Presented() < pictures_[b]->Presented(); });
  rank_.resize(pictures_.size());
  for (size_t r = 0; r < byRank_.size(); ++r) rank_[byRank_[r]] = static_cast<long>(r);
  if (!pictures_.empty()) decoder_ = CreateVideoDecoder(static_cast<VideoCodec>(pictures_.front()->data[0] & 15));
  if (decoder_)  // configuration packets first
    for (const FlvTag& tag : flv_.Video())
      if (IsH264Config(tag) && tag.data.size() > 1 && tag.data[1] == 0) decoder_->Decode(tag.data.subspan(1), false);
  return true;
}

void FlvPlayer::Decode(size_t index) {
  const FlvTag& tag = *pictures_[index];
  decoder_->Decode(tag.data.subspan(1), tag.key, rank_[index]);
}

size_t FlvPlayer::StartFor(long rank) const {
  size_t key = 0;
  for (size_t i = 0; i <= byRank_[static_cast<size_t>(rank)]; ++i)
    if (pictures_[i]->key && rank_[i] <= rank) key = i;
  return key;
}

bool FlvPlayer::ShowAt(double seconds) {
  if (!decoder_ || pictures_.empty()) return false;
  const uint32_t ms = static_cast<uint32_t>(std::clamp(seconds, 0.0, 4.0e6) * 1000 + 0.5);
  // The last picture presented at or before ms; the first one before any is.
  const auto after = std::upper_bound(byRank_.begin(), byRank_.end(), ms,
                                      [&](uint32_t t, size_t i) { return t < pictures_[i]->Presented(); });
  const long target = std::max<long>(static_cast<long>(after - byRank_.begin()) - 1, 0);
  const size_t stored = byRank_[static_cast<size_t>(target)];  // its place in the file
  if (target == asked_) return false;  // the same picture (or, when it was lost, the same stand-in)
  asked_ = target;
  const VideoImage* image = decoder_->Image();
  const int64_t have = image ? image->frame : -1;
  // Behind the target and no key frame between: decode on; else start at the key frame.
  const size_t key = StartFor(target);
  if (target < have || next_ > stored + kMaxLead || key > next_) {
    decoder_->Reset();
    next_ = key;
  }
  // The target itself (a decoder may still give out pictures from before a
  // reset: they carry their own numbers); when it is lost, what came last stays.
  auto reached = [&] { return decoder_->Image() && decoder_->Image()->frame == target; };
  while (!reached() && next_ < pictures_.size() && next_ <= stored + kMaxLead) Decode(next_++);
  if (!reached() && next_ >= pictures_.size()) decoder_->Flush(target);
  image = decoder_->Image();
  if (!image) return false;
  shown_ = static_cast<long>(image->frame);
  if (converted_ == image->frame) return false;
  Convert();
  return true;
}

void FlvPlayer::Convert() {
  const VideoImage& image = *decoder_->Image();
  // The container's size crops a decoder's coded frame (H.264 pads to whole macroblocks).
  const int w = flv_.Width() > 0 && static_cast<int>(flv_.Width()) <= image.width ? static_cast<int>(flv_.Width()) : image.width;
  const int h = flv_.Height() > 0 && static_cast<int>(flv_.Height()) <= image.height ? static_cast<int>(flv_.Height()) : image.height;
  VideoImage cropped = image;
  cropped.width = w;
  cropped.height = h;
  pixels_.resize(static_cast<size_t>(w) * h);
  ToArgb(cropped, pixels_.data(), w);
  width_ = w;
  height_ = h;
  converted_ = image.frame;
}

double FlvPlayer::KeyTime(double seconds) const {
  if (flv_.Video().empty()) return seconds;
  const uint32_t ms = static_cast<uint32_t>(std::clamp(seconds, 0.0, 4.0e6) * 1000 + 0.5);
  return flv_.Video()[flv_.KeyFrameAtOrBefore(ms)].Presented() / 1000.0;
}

void FlvPlayer::StartSound(const std::shared_ptr<Mixer>& mixer, uint64_t owner, double seconds, uint64_t channel) {
  StopSound();
  if (!mixer || flv_.Audio().empty()) return;
  const auto& audio = flv_.Audio();
  const uint32_t ms = static_cast<uint32_t>(std::max(seconds, 0.0) * 1000);
  nextAudio_ = 0;
  while (nextAudio_ < audio.size() && audio[nextAudio_].time < ms) ++nextAudio_;
  if (nextAudio_ >= audio.size()) return;
  sound_ = std::make_unique<SoundDecoder>(SoundFormat::FromByte(audio[nextAudio_].data[0]));
  if (!sound_->Supported()) {
    sound_.reset();
    return;
  }
  mixer_ = mixer;
  voice_ = mixer_->OpenStream(owner, channel);
  closed_ = false;
  soundStart_ = audio[nextAudio_].time / 1000.0;
}

void FlvPlayer::FeedSound(double lead) {
  if (!voice_ || !sound_) return;
  const auto& audio = flv_.Audio();
  const double played = static_cast<double>(mixer_->Played(voice_)) / kOutputRate;
  const double until = soundStart_ + played + lead;
  bool fed = false;
  while (nextAudio_ < audio.size() && audio[nextAudio_].time / 1000.0 <= until) {
    pcm_.clear();
    sound_->Decode(audio[nextAudio_].data.subspan(1), pcm_);
    mixer_->Append(voice_, pcm_);
    ++nextAudio_;
    fed = true;
  }
  if (!fed && nextAudio_ >= audio.size() && !closed_) {
    closed_ = true;
    pcm_.clear();
    sound_->Finish(pcm_);
    mixer_->Append(voice_, pcm_);
    mixer_->CloseStream(voice_);
  }
}

void FlvPlayer::StopSound() {
  if (mixer_ && voice_) mixer_->Stop(voice_);
  voice_ = 0;
  sound_.reset();
  mixer_.reset();
}

double FlvPlayer::SoundClock(size_t outputLatency) const {
  if (!voice_ || !mixer_ || !mixer_->IsPlaying(voice_)) return -1;
  const uint64_t played = mixer_->Played(voice_);
  return soundStart_ + static_cast<double>(played > outputLatency ? played - outputLatency : 0) / kOutputRate;
}

}  // namespace flash::media
