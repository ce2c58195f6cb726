// Plays a movie's sounds through the control's mixer: event sounds as the
// timelines enter frames by playing, the sounds of button state changes, and
// each timeline's stream, decoded a little ahead of what is heard. A clip
// showing a loaded movie plays that movie's sounds. Each sound plays on its
// clip's channel, under the mix scripts' Sound objects set for the clip.
// While the main timeline's stream plays, its clock says which frame the
// timeline should show: the frame whose block's samples are being heard.
// Blocks that yield samples are decoded a third of a second ahead of what is
// heard; past blocks that yield none, at most that far ahead of the
// timeline. A block that yields no samples leads nothing, and one that comes
// after such blocks, when the stream ran dry, is played from its own frame's
// time: a stream that decodes to nothing leaves the frames to the frame clock. A
// stream stops with its timeline (stopped, removed, moved elsewhere: it
// starts again where the timeline plays on).
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/flash/parse/MovieMedia.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/media/Mixer.h"
#include "platform/flash/media/SoundDecoder.h"

namespace flash {

class MovieSounds : public FrameListener {
 public:
  // mixer: the mixer to play into, null while no sound can be heard.
  MovieSounds(const MovieDefinition& movie, std::function<std::shared_ptr<media::Mixer>()> mixer, uint64_t owner);
  ~MovieSounds() override;

  // The mix of a clip's sounds, asked when a sound starts in it (none: the plain mix).
  void SetMixOf(std::function<media::ChannelMix(const Clip&)> mixOf) { mixOf_ = std::move(mixOf); }
  void FrameEntered(const Clip& clip, int frame) override;
  // A button of parent's list went from one state to another (kButtonUp, kButtonOver, kButtonDown).
  void ButtonChanged(const Clip& parent, uint16_t button, uint8_t from, uint8_t to);
  // Feeds the streams; ends those whose timeline is gone or stopped.
  void Update(const MoviePlayer& player);
  // The main timeline's frame by its stream's clock, while one plays.
  std::optional<int> StreamFrame(size_t outputLatency) const;
  void StopStreams();

 private:
  struct Stream {
    const Clip* clip = nullptr;  // compared only: it may be gone until Update sees so
    bool leads = false;          // the player's main timeline: its clock leads the frames
    const SoundStream* source = nullptr;
    media::VoiceId voice = 0;
    std::unique_ptr<media::SoundDecoder> decoder;
    int entered = 0;    // the timeline's last frame
    int next = 0;       // the next frame whose block is fed
    int last = 0;       // the last frame with a block
    bool closed = false;
    bool flowing = false;  // the last block walked yielded samples
    uint64_t fed = 0;   // output frames fed
    // The blocks that yielded samples: each one's frame and where its samples lie in what was fed.
    struct Mark {
      int frame;
      uint64_t start, end;
    };
    std::vector<Mark> marks;
  };

  const MovieMedia& MediaOf(const Clip& clip);
  bool Mixing();
  uint64_t Channel(const Clip& clip);
  void Play(const Clip& clip, const SoundStart& start);
  void Feed(Stream& s);
  void StopStream(Stream& s);
  std::shared_ptr<const media::SoundClip> ClipOf(const Clip& clip, uint16_t sound);

  const MovieDefinition& movie_;
  std::map<const MovieDefinition*, MovieMedia> media_;  // indexed when a movie first plays a frame
  std::function<std::shared_ptr<media::Mixer>()> mixerOf_;
  std::function<media::ChannelMix(const Clip&)> mixOf_;
  std::shared_ptr<media::Mixer> mixer_;
  uint64_t owner_;
  std::map<const Character*, std::shared_ptr<const media::SoundClip>> clips_;
  std::vector<Stream> streams_;
  std::vector<int16_t> pcm_;
};

}  // namespace flash
