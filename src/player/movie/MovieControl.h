// What the player's operations use of the movie control, as a small
// interface: the window wraps its Flash control in it (FlashMovieControl),
// tests put a recording fake in its place. Frames are 0-based; FrameNum is
// -1 and TotalFrames 0 while no movie is loaded.
#pragma once
#include <memory>
#include <string>

namespace flash {
class FlashControl;
}

namespace player {

class MovieControl {
 public:
  virtual ~MovieControl() = default;

  virtual void LoadMovie(long layer, const std::wstring& url) = 0;
  virtual void SetAlignMode(long mode) = 0;
  virtual long ScaleMode() const = 0;
  virtual void SetScaleMode(long mode) = 0;
  virtual std::wstring Quality2() const = 0;
  virtual void SetQuality2(const std::wstring& quality) = 0;
  virtual void SetBGColor(const std::wstring& color) = 0;
  virtual void SetLoop(bool loop) = 0;
  virtual long Volume() const = 0;
  virtual void SetVolume(long volume) = 0;
  virtual void SetPan(long pan) = 0;  // -100 left .. 100 right
  virtual void SetVariable(const std::wstring& name, const std::wstring& value) = 0;
  virtual std::wstring GetVariable(const std::wstring& name) const = 0;

  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void Rewind() = 0;
  virtual void GotoFrame(long frame) = 0;
  virtual long CurrentFrame() const = 0;
  virtual long FrameNum() const = 0;
  virtual long TotalFrames() const = 0;
  virtual bool Playing() const = 0;
  virtual void SetPlaying(bool playing) = 0;
};

// The window's Flash control behind the interface (the control stays the window's).
std::unique_ptr<MovieControl> WrapFlashControl(flash::FlashControl& control);

}  // namespace player
