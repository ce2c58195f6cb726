// The program's own helper movies run as native pages: a tiny movie that
// carries the marker "swfzel:page=NAME" in its Metadata text is played by a
// page object of that name instead of its timeline. Pages talk to the
// control through PageHost (variables, FS commands, link opening, clock).
#pragma once
#include <windows.h>

#include <memory>
#include <string>

namespace flash {

namespace media {
class Mixer;
}

class PageHost {
 public:
  virtual ~PageHost() = default;
  virtual std::wstring Variable(const std::wstring& path) const = 0;
  // Sets a variable as the page (the page is not told about its own write).
  virtual void Publish(const std::wstring& path, const std::wstring& value) = 0;
  virtual void RaiseCommand(const std::wstring& command, const std::wstring& args) = 0;
  virtual void OpenLink(const std::wstring& url) = 0;
  virtual double Now() const = 0;  // seconds of the control's clock
  // The control's sound mixer, null when sound cannot be heard (no device).
  virtual std::shared_ptr<media::Mixer> SoundMixer() { return nullptr; }
  // Frames the output has queued but not played yet.
  virtual size_t SoundLatency() const { return 0; }
  // The owner the page's sounds are started under (stopped with the page).
  virtual uint64_t SoundOwner() const { return 0; }
  // The page's picture changed: paint again.
  virtual void Repaint() {}
};

class FlashPage {
 public:
  virtual ~FlashPage() = default;
  virtual int TotalFrames() const { return 1; }
  // After the load, with the address's variables set.
  virtual void Start(PageHost&) {}
  // A variable written from outside (SetVariable), every time, same value or not.
  virtual void VariableWritten(PageHost&, const std::wstring& /*path*/, const std::wstring& /*value*/) {}
  // Called by the control's frame clock.
  virtual void Tick(PageHost&) {}
  // Draws over the background; stage is the stage rectangle in the DC's pixels.
  virtual void Paint(HDC, const RECT& /*stage*/, double /*pixelsPerStagePixel*/) {}
  // A click at (x, y) in the control's pixels (the button's release).
  virtual void Click(PageHost&, int /*x*/, int /*y*/) {}
  // A page that lays itself out over the whole control (Paint then gets the
  // client rectangle and the scale 1) rather than over the stage.
  virtual bool FillsControl() const { return false; }
  // The pointer moved (pressed: the left button is down), the left button
  // went down, or was double-clicked, at (x, y) in the control's pixels.
  virtual void MouseMove(PageHost&, int /*x*/, int /*y*/, bool /*pressed*/) {}
  virtual void MouseDown(PageHost&, int /*x*/, int /*y*/) {}
  virtual void DoubleClick(PageHost&, int /*x*/, int /*y*/) {}
  // A key went down over the page; true when the page used it.
  virtual bool Key(PageHost&, int /*virtualKey*/) { return false; }
  // A frame label of a clip run from outside (TCallLabel).
  virtual void CallLabel(PageHost&, const std::wstring& /*target*/, const std::wstring& /*label*/) {}
};

}  // namespace flash
