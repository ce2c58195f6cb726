// An FLV file held in memory, indexed for playing: its audio and video tags
// in file order with their times, the video's key frames (from the
// metadata's key frame table when it names real key frames, else found by
// scanning the tags) and the duration. Tags are views into the bytes, which
// the caller keeps alive. A tag cut by the end of the file ends the index.
// An H.264 picture's tag carries its composition offset: it is presented at
// its tag time plus that offset (pictures come in decoding order).
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace flash::media {

struct FlvTag {
  uint32_t time = 0;  // milliseconds
  std::span<const uint8_t> data;  // the body (starting with the format byte)
  bool key = false;   // video: a key frame
  int32_t composition = 0;  // H.264 pictures: milliseconds from decoding to presenting

  // Milliseconds: when the picture is presented (never before 0).
  uint32_t Presented() const {
    const int64_t t = static_cast<int64_t>(time) + composition;
    return t > 0 ? static_cast<uint32_t>(t) : 0;
  }
};

class FlvStream {
 public:
  // False when the bytes are no FLV file.
  bool Open(std::span<const uint8_t> bytes);

  const std::vector<FlvTag>& Video() const { return video_; }
  const std::vector<FlvTag>& Audio() const { return audio_; }
  // Seconds: the metadata's duration, else the last tag's time.
  double Duration() const { return duration_; }
  // The index among Video() of the last key frame presented at or before
  // time (ms); 0 when there is none before.
  size_t KeyFrameAtOrBefore(uint32_t time) const;
  // The last video tag (in file order) whose tag time is at or before time (ms); -1 before the first.
  long FrameAt(uint32_t time) const;
  // Whether the key frames came from the metadata's table.
  bool KeyFramesFromMetadata() const { return fromMetadata_; }
  uint32_t Width() const { return width_; }
  uint32_t Height() const { return height_; }

 private:
  void ReadMetadata(std::span<const uint8_t> body, std::vector<double>& times, std::vector<double>& positions);

  std::vector<FlvTag> video_, audio_;
  std::vector<size_t> keys_;  // indices into video_, ascending
  double duration_ = 0;
  bool fromMetadata_ = false;
  uint32_t width_ = 0, height_ = 0;
};

}  // namespace flash::media
