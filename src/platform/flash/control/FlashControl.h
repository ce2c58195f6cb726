// The movie control: a child window of class "MacromediaFlashPlayerActiveX"
// (empty title, CS_DBLCLKS) that loads a movie, runs its timeline and its
// scripts on a frame clock (frames go on while the main timeline is stopped,
// for the clips and scripts), keeps its variables and raises FSCommand,
// OnGetURL and OnReadyStateChange, with the members, events and numbering
// the player and the snapshot window use. Frames are 0-based. Content
// drawing goes through a FlashRenderer (our software renderer unless
// another is set).
//
// Events are raised from the control's own message handling (a posted
// message), never from inside a member call: a handler may load another
// movie into the control, run a modal loop or destroy the control.
// WM_PAINT with an HDC in wParam renders the current frame into that DC at
// the client size, without validating, and returns 0, or 1 when the frame
// could not be drawn. The window may be subclassed.
// The movie's buttons follow the pointer (over, down, their actions) from
// the mouse messages; the pointer leaving is a move over no button, a
// WM_MOUSELEAVE from the host's own tracking, or, on the frame timer, the
// cursor found over another window. The control never tracks the mouse
// (TrackMouseEvent) or hides the cursor itself; over a button with actions
// it shows the hand cursor. Clips with press, release or roll handlers take
// the pointer like buttons; the keyboard goes to the movie's scripts and to
// the input text field last clicked.
//
// The movie's scripts hold the control's thread for at most their budget in
// one turn of the control (a message, a Pump, a load, a member that runs
// scripts): a movie whose scripts outlast it has them stopped for good,
// and plays on without them. A close request to the control's top-level
// window (WM_CLOSE, the close command, a quit) stops them at once.
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/flash/control/ButtonTracker.h"
#include "platform/flash/pages/FlashPage.h"
#include "platform/flash/control/HitTester.h"
#include "platform/flash/render/FlashRenderer.h"
#include "platform/flash/play/MoviePlayer.h"
#include "platform/flash/play/MovieSounds.h"
#include "platform/flash/binding/MovieVariables.h"
#include "platform/flash/media/AudioOutput.h"

namespace flash {

class MovieScripts;

inline constexpr wchar_t kFlashWindowClass[] = L"MacromediaFlashPlayerActiveX";
// The address that unloads the control.
inline constexpr wchar_t kNoMovie[] = L"| no |";
// The identifier of the control's frame-clock timer (a window timer of its own window).
inline constexpr UINT_PTR kFrameTimer = 1;
// Major version reported by FlashVersion (above the low 16 bits), for pages
// that ask for a recent player; not what the control plays.
inline constexpr long kFlashMajorVersion = 32;
// The movie versions the control plays with their scripts.
inline constexpr int kPlayedVersionLow = 4, kPlayedVersionHigh = 8;

class FlashControl : private PageHost {
 public:
  // Creates the control's window as a child of container, at (left, top) in
  // the container's pixels.
  FlashControl(HWND container, int left, int top, int width, int height);
  ~FlashControl() override;
  FlashControl(const FlashControl&) = delete;
  FlashControl& operator=(const FlashControl&) = delete;

  // Extender members, in the container's pixels.
  HWND hWnd() const { return hwnd_; }
  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void Move(int left, int top, int width, int height);
  bool Visible() const;
  void SetVisible(bool visible);
  void SetFocus();

  // Movie members.
  void LoadMovie(long layer, const std::wstring& url);
  void Play();
  void Stop();
  void Rewind();
  void Back();
  void Forward();
  void GotoFrame(long frame);
  long CurrentFrame() const;
  long FrameNum() const;  // -1 while no movie is loaded
  long TotalFrames() const;
  bool Playing() const;
  void SetPlaying(bool playing);
  bool Loop() const { return loop_; }
  void SetLoop(bool loop);
  long Quality() const;
  void SetQuality(long quality);
  std::wstring Quality2() const { return quality2_; }
  void SetQuality2(const std::wstring& quality);
  long ScaleMode() const { return scaleMode_; }
  void SetScaleMode(long mode);
  long AlignMode() const { return alignMode_; }
  void SetAlignMode(long mode);
  std::wstring BGColor() const;
  void SetBGColor(const std::wstring& color);
  void SetVariable(const std::wstring& name, const std::wstring& value);
  std::wstring GetVariable(const std::wstring& name) const;
  void TCallLabel(const std::wstring& target, const std::wstring& label);
  long FlashVersion() const { return kFlashMajorVersion << 16; }
  long Volume() const { return volume_; }
  void SetVolume(long volume);
  // The balance of the whole mix: -100 (left only) to 100 (right only).
  long Pan() const { return pan_; }
  void SetPan(long pan);
  // Stops every sound the movie started.
  void StopSounds();
  // Whether the movie (or one its scripts loaded in its place) has read a
  // file of this machine since the host loaded it: the host then asks the
  // user before opening any address the movie asks for (OnGetURL). The
  // control itself reads files beside the movie only and loads nothing
  // from the network.
  bool ReadLocalFile() const;

  // Where the sound goes: the wave output (opened with the first sound; a
  // machine without one plays nothing), nowhere, a mixer the caller renders,
  // or a device that plays nothing and takes the mix at the frame clock's pace.
  enum class AudioMode { Device, None, Manual, Silent };
  void SetAudioMode(AudioMode mode);
  const std::shared_ptr<media::Mixer>& AudioMixer() const { return mixer_; }

  // Events.
  std::function<void(const std::wstring& command, const std::wstring& args)> OnFSCommand;
  std::function<void(long state)> OnReadyStateChange;
  // A movie's get-URL to an address other than "FSCommand:" ("javascript:"
  // ones are dropped): the host decides whether it is opened.
  std::function<void(const std::wstring& url, const std::wstring& target)> OnGetURL;

  // The frame clock in seconds (an empty function restores the monotonic clock).
  void SetClock(std::function<double()> clock);
  // Frames a second the clock runs the loaded movie at (its header's rate, or
  // the default for a rate of 0).
  double FrameRate() const;
  // Runs what the clock makes due: frames at the movie's rate while playing,
  // and the page's clock. The window's timer calls it while the control is shown.
  void Pump();
  void SetRenderer(std::unique_ptr<FlashRenderer> renderer);
  // Opens a link the user clicked on a page (ShellExecute by default).
  void SetLinkOpener(std::function<void(const std::wstring&)> opener);
  // Renders the current frame into dc at width x height; false when it could not be drawn.
  bool Paint(HDC dc, int width, int height);
  COLORREF BackgroundColor() const;
  int Alpha() const { return alpha_; }

  const MovieDefinition* Movie() const { return movie_.get(); }
  const MoviePlayer* Player() const { return player_.get(); }
  MoviePlayer* Player() { return player_.get(); }
  // The scripts of the movie the player plays (null with no movie).
  MovieScripts* Scripts() { return scripts_; }
  FlashPage* Page() const { return page_.get(); }
  const MovieVariables& Variables() const { return variables_; }
  // The main timeline's variables as text (a page's variables for a page).
  std::vector<std::pair<std::wstring, std::wstring>> RootVariables();
  // The folder under which each movie's shared objects are kept ("" keeps none).
  void SetSharedObjectFolder(const std::wstring& folder) { sharedFolder_ = folder; }
  // How long the scripts may run in one turn, in seconds: at most (and by
  // default) the interpreter's 15; a movie's own ScriptLimits may shorten it.
  void SetScriptBudget(double seconds);
  // A host's own sign that it is ending (input that ends a screen saver, say),
  // asked beside the close requests while scripts run: true stops them at once.
  void SetCloseCheck(std::function<bool()> check) { closeCheck_ = std::move(check); }

 private:
  struct Event {
    enum Kind { kReady, kCommand, kGetUrl } kind = kCommand;
    long state = 0;
    std::wstring command, args;
  };
  // One turn of the control: the script runs inside share one budget. A
  // message to the window is a turn of its own (also one that comes inside
  // another's modal loop); a member called inside a turn joins it.
  class Turn {
   public:
    Turn(FlashControl& control, bool message);
    ~Turn();
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

   private:
    FlashControl& control_;
    std::shared_ptr<bool> alive_;
    uint64_t outer_;  // the turn this one came inside
  };

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  // The handlers of the window's message groups: true answers the message
  // with result; false lets the default window procedure have it too.
  bool OnPaintMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool OnKeyMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool OnTimerMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool OnSizeMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  bool OnControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  void MouseMove(int x, int y, bool buttonDown);
  void MouseDown(int x, int y, bool doubleClick);
  void MouseUp(int x, int y);
  void Unload();
  bool CloseRequested();
  void Anchor();
  void QueueCommands();
  void AfterScripts();
  bool StagePoint(int x, int y, double& sx, double& sy);
  void FocusFieldAt(int x, int y);
  void PostEvents();
  void DrainEvents();
  void Invalidate();
  int RenderQualityLevel() const;
  FrameView ViewOf(int width, int height) const;
  Matrix Origin() const;

  // Buttons.
  std::optional<ButtonPath> ButtonAt(int x, int y);
  void Apply(const std::vector<ButtonTransition>& transitions);
  void SyncButtons();
  bool WantsHand();
  void ShowPointer();
  void CheckPointerLeft();

  // PageHost.
  std::wstring Variable(const std::wstring& path) const override { return variables_.Get(path); }
  void Publish(const std::wstring& path, const std::wstring& value) override { variables_.Set(path, value); }
  void RaiseCommand(const std::wstring& command, const std::wstring& args) override;
  void OpenLink(const std::wstring& url) override;
  double Now() const override { return clock_(); }
  std::shared_ptr<media::Mixer> SoundMixer() override;
  size_t SoundLatency() const override { return output_ ? output_->Latency() : 0; }
  uint64_t SoundOwner() const override { return loadSerial_; }
  void Repaint() override { Invalidate(); }

  HWND hwnd_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<MovieDefinition> movie_;
  std::unique_ptr<MoviePlayer> player_;
  MovieScripts* scripts_ = nullptr;  // the player's own
  std::unique_ptr<MovieSounds> sounds_;
  std::unique_ptr<FlashPage> page_;
  MovieVariables variables_;
  std::unique_ptr<FlashRenderer> renderer_;
  std::function<double()> clock_;
  std::function<void(const std::wstring&)> linkOpener_;
  std::deque<Event> events_;
  HitTester hitTester_;
  ButtonTracker buttons_;
  bool handShown_ = false;
  bool captured_ = false;  // the control took the capture for a pressed button
  bool posted_ = false, draining_ = false;

  // Frame clock: frames advanced since the anchor time.
  double anchorTime_ = 0;
  long long anchorFrames_ = 0;
  // A page's own frame number (its progress proxy) and play state.
  long pageFrame_ = 0;
  bool pagePlaying_ = false;

  bool loop_ = true;
  std::wstring quality2_ = L"High";
  long scaleMode_ = 0, alignMode_ = 0;
  bool hasBGColor_ = false;
  COLORREF bgColor_ = RGB(255, 255, 255);
  int alpha_ = 100;
  long volume_ = 100, pan_ = 0;
  std::wstring sharedFolder_;
  std::wstring pendingLoad_;  // a movie the scripts load into level 0
  double scriptSeconds_ = 0;  // 0: the interpreter's own budget
  uint64_t turn_ = 0, turns_ = 0;  // the current turn's number; turns so far
  int turnDepth_ = 0;
  bool closing_ = false;          // a close request was seen
  ULONGLONG closeLookTick_ = 0;   // when the queue was last looked at for one
  std::function<bool()> closeCheck_;
  bool readLocalFile_ = false;  // a movie before it in this load read a local file

  // Sound: the mixer lives with the control; the output (a worker thread) is
  // opened with the first sound and closed with the control.
  std::shared_ptr<media::Mixer> mixer_ = std::make_shared<media::Mixer>();
  std::unique_ptr<media::MixOutput> output_;
  AudioMode audioMode_ = AudioMode::Device;
  bool noDevice_ = false;
  bool soundLed_ = false;  // the last frames came by the main timeline's stream
  uint64_t loadSerial_ = 0;  // the owner of the loaded movie's sounds
};

}  // namespace flash
