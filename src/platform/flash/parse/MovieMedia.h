// The sound and video tags of a movie, indexed once after it is read: the
// event sounds each frame of each timeline starts (StartSound, or
// StartSound2 by class name, and the sound info), each timeline's stream (SoundStreamHead and the block of every
// frame), the sounds of button state changes (DefineButtonSound) and the
// frames of each embedded video stream (VideoFrame by stream and number).
// Bodies are views into the movie's bytes.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/flash/parse/MovieDefinition.h"
#include "platform/flash/media/Mixer.h"
#include "platform/flash/media/SoundFormat.h"

namespace flash {

struct SoundStart {
  uint16_t sound = 0;
  media::SoundInfo info;
};

struct SoundStream {
  media::SoundFormat format;
  uint32_t samplesPerBlock = 0;  // at the stream's rate, as the head says
  std::map<int, std::span<const uint8_t>> blocks;  // frame -> block
};

struct TimelineMedia {
  std::map<int, std::vector<SoundStart>> starts;  // frame -> sounds started there
  std::optional<SoundStream> stream;
};

struct VideoStreamInfo {
  uint16_t frames = 0, width = 0, height = 0;
  uint8_t deblocking = 0;  // 0: as each frame says, 1: off, 2 and more: on
  bool smoothing = false;
  uint8_t codec = 0;
  std::map<uint16_t, std::span<const uint8_t>> frameData;  // frame number -> codec data
};

struct MovieMedia {
  TimelineMedia root;
  std::vector<TimelineMedia> sprites;  // parallel to MovieDefinition::sprites
  std::map<uint16_t, std::vector<std::optional<SoundStart>>> buttonSounds;  // button -> 4 transitions
  std::map<uint16_t, VideoStreamInfo> videos;
  std::map<std::string, uint16_t> classes;  // SymbolClass names (StartSound2 names its sound so)

  const TimelineMedia* Of(int timeline) const;
  bool Empty() const;
};

// Reads SOUNDINFO (the flags byte and what they announce).
bool ReadSoundInfo(ByteReader& r, media::SoundInfo& info);

MovieMedia IndexMovieMedia(const MovieDefinition& movie);

// A DefineSound decoded whole; null for any other character.
std::shared_ptr<const media::SoundClip> DecodeDefinedSound(const Character& sound);

}  // namespace flash
