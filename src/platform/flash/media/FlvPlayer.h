// Plays an FLV file: the picture of any time, the last one presented at or
// before it (decoding on from the last picture, or from the key frame before
// it when that is nearer or the time lies behind), and its sound track fed
// into a mixer stream whose played samples are the video's clock while it
// plays. Pictures are numbered in the order they are presented, which H.264
// streams with reordered pictures store differently. The file is mapped
// while the player lives.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/MappedFile.h"
#include "platform/flash/media/FlvStream.h"
#include "platform/flash/media/Mixer.h"
#include "platform/flash/media/SoundDecoder.h"
#include "platform/flash/media/VideoDecoder.h"

namespace flash::media {

class FlvPlayer {
 public:
  // False when the file is missing or no FLV file.
  bool Open(const std::wstring& path);
  double Duration() const { return flv_.Duration(); }
  bool HasVideo() const { return !pictures_.empty(); }
  bool HasSound() const { return !flv_.Audio().empty(); }

  // Makes the picture shown at `seconds` current; true when it changed.
  bool ShowAt(double seconds);
  // The presentation time of the key frame at or before `seconds` (seconds itself without video).
  double KeyTime(double seconds) const;
  // The current picture as opaque 0xAARRGGBB rows, top-down; empty before the first.
  const std::vector<uint32_t>& Pixels() const { return pixels_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The number of the picture shown, counted in presentation order (-1 before the first).
  long Shown() const { return shown_; }

  // Sound: starts the track at `seconds` into a new stream of mixer (owned
  // by owner, on channel), feeds it up to lead seconds ahead, stops it.
  void StartSound(const std::shared_ptr<Mixer>& mixer, uint64_t owner, double seconds, uint64_t channel = 0);
  void FeedSound(double lead);
  void StopSound();
  // The sound's clock in seconds of the file; negative when no sound plays.
  double SoundClock(size_t outputLatency) const;

 private:
  void Decode(size_t index);
  // Where decoding starts for the picture presented `rank`-th: the last key
  // frame before it in the file that is not presented after it.
  size_t StartFor(long rank) const;
  void Convert();

  MappedFile file_;
  FlvStream flv_;
  std::vector<const FlvTag*> pictures_;  // the video tags that hold pictures, in file order
  std::vector<size_t> byRank_;           // indices into pictures_ in presentation order
  std::vector<long> rank_;               // each picture's place in presentation order
  std::unique_ptr<VideoDecoder> decoder_;
  size_t next_ = 0;     // the next picture to feed the decoder
  long shown_ = -1;
  long asked_ = -1;     // the picture last asked for
  int64_t converted_ = -2;
  std::vector<uint32_t> pixels_;
  int width_ = 0, height_ = 0;

  std::shared_ptr<Mixer> mixer_;
  VoiceId voice_ = 0;
  std::unique_ptr<SoundDecoder> sound_;
  size_t nextAudio_ = 0;
  bool closed_ = false;
  double soundStart_ = 0;  // the file's time of the first frame fed
  std::vector<int16_t> pcm_;
};

}  // namespace flash::media
