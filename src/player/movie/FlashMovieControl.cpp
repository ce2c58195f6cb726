// The Flash control behind the player's movie-control interface.
#include "platform/flash/control/FlashControl.h"
#include "player/movie/MovieControl.h"

namespace player {
namespace {

class FlashMovieControl final : public MovieControl {
 public:
  explicit FlashMovieControl(flash::FlashControl& c) : c_(c) {}

  void LoadMovie(long layer, const std::wstring& url) override { c_.LoadMovie(layer, url); }
  void SetAlignMode(long mode) override { c_.SetAlignMode(mode); }
  long ScaleMode() const override { return c_.ScaleMode(); }
  void SetScaleMode(long mode) override { c_.SetScaleMode(mode); }
  std::wstring Quality2() const override { return c_.Quality2(); }
  void SetQuality2(const std::wstring& quality) override { c_.SetQuality2(quality); }
  void SetBGColor(const std::wstring& color) override { c_.SetBGColor(color); }
  void SetLoop(bool loop) override { c_.SetLoop(loop); }
  long Volume() const override { return c_.Volume(); }
  void SetVolume(long volume) override { c_.SetVolume(volume); }
  void SetPan(long pan) override { c_.SetPan(pan); }
  void SetVariable(const std::wstring& name, const std::wstring& value) override { c_.SetVariable(name, value); }
  std::wstring GetVariable(const std::wstring& name) const override { return c_.GetVariable(name); }
  void Play() override { c_.Play(); }
  void Stop() override { c_.Stop(); }
  void Rewind() override { c_.Rewind(); }
  void GotoFrame(long frame) override { c_.GotoFrame(frame); }
  long CurrentFrame() const override { return c_.CurrentFrame(); }
  long FrameNum() const override { return c_.FrameNum(); }
  long TotalFrames() const override { return c_.TotalFrames(); }
  bool Playing() const override { return c_.Playing(); }
  void SetPlaying(bool playing) override { c_.SetPlaying(playing); }

 private:
  flash::FlashControl& c_;
};

}  // namespace

std::unique_ptr<MovieControl> WrapFlashControl(flash::FlashControl& control) {
  return std::make_unique<FlashMovieControl>(control);
}

}  // namespace player
