#include "platform/flash/control/FlashControl.h"

#include "platform/flash/control/ClipPicture.h"
#include "platform/flash/pages/PageFactory.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "base/MappedFile.h"
#include "base/Clock.h"
#include "base/TextConv.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/script/UrlQuery.h"
#include "platform/flash/render/SoftwareRenderer.h"
#include "moviefiles/MovieCache.h"
#include "services/Services.h"

namespace flash {
namespace {

constexpr UINT kMsgEvents = WM_APP + 0x311;
constexpr UINT kMsgLoad = WM_APP + 0x312;  // a movie the scripts load into level 0
constexpr UINT kTimerMs = 10;
constexpr ULONGLONG kCloseLookMs = 50;  // while scripts run, the queue is looked at for a close this often
constexpr long kMaxCatchUpFrames = 8;  // a late clock skips rather than racing through frames
constexpr long kMaxSoundCatchUp = 120;  // frames stepped at once to catch up with a stream

void RegisterClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kFlashWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

}  // namespace

FlashControl::FlashControl(HWND container, int left, int top, int width, int height)
    : renderer_(std::make_unique<SoftwareRenderer>()), clock_(MonotonicSeconds) {
  RegisterClassOnce(Proc);
  hwnd_ = CreateWindowExW(0, kFlashWindowClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, left, top,
                          width, height, container, nullptr, GetModuleHandleW(nullptr), this);
}

FlashControl::~FlashControl() {
  *alive_ = false;
  page_.reset();
  output_.reset();  // ends the sound thread
  if (hwnd_) {
    HWND hwnd = std::exchange(hwnd_, nullptr);
    SetWindowLongPtrW(hwnd, 0, 0);
    DestroyWindow(hwnd);
  }
}

// ---- Window -------------------------------------------------------------

LRESULT CALLBACK FlashControl::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<FlashControl*>(create->lpCreateParams);
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<FlashControl*>(GetWindowLongPtrW(hwnd, 0));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    Turn turn(*self, true);
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(hwnd, msg, wp, lp);  // nothing crosses the window procedure
  }
}

// Each message goes to the handler of its group; a handler that leaves a
// message unanswered lets the default window procedure have it too.
LRESULT FlashControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  LRESULT result = 0;
  bool answered = false;
  switch (msg) {
    case WM_PAINT:
    case WM_ERASEBKGND:
      answered = OnPaintMessage(msg, wp, lp, result);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
    case WM_SETCURSOR:
      answered = OnMouseMessage(msg, wp, lp, result);
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_GETDLGCODE:
      answered = OnKeyMessage(msg, wp, lp, result);
      break;
    case WM_TIMER:
      answered = OnTimerMessage(msg, wp, lp, result);
      break;
    case WM_SIZE:
      answered = OnSizeMessage(msg, wp, lp, result);
      break;
    case kMsgEvents:
    case kMsgLoad:
      answered = OnControlMessage(msg, wp, lp, result);
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return answered ? result : DefWindowProcW(hwnd, msg, wp, lp);
}

// The frame clock's timer: frames while the control is shown.
bool FlashControl::OnTimerMessage(UINT, WPARAM wp, LPARAM, LRESULT& result) {
  if (wp == kFrameTimer && IsWindowVisible(hwnd_)) {
    Pump();
    CheckPointerLeft();
  }
  result = 0;
  return true;
}

bool FlashControl::OnSizeMessage(UINT, WPARAM, LPARAM, LRESULT&) {
  // A stage that does not scale is as large as the control: its listeners hear.
  if (player_ && !page_ && scaleMode_ == kNoScale) {
    script::Vm& vm = scripts_->Vm();
    vm.Broadcast(vm.GlobalObject(L"Stage"), L"onResize");
    AfterScripts();
  }
  return false;
}

// The control's own posted messages: events to raise, a movie to load.
bool FlashControl::OnControlMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  result = 0;
  if (msg == kMsgEvents) {
    posted_ = false;
    DrainEvents();
    return true;
  }
  const std::wstring path = std::exchange(pendingLoad_, {});
  if (path.empty()) return true;
  // The movie its scripts put in their place keeps what they read.
  const bool read = ReadLocalFile();
  LoadMovie(0, path);
  readLocalFile_ = read;
  return true;
}

// ---- Turns and the scripts' budget ------------------------------------------------

FlashControl::Turn::Turn(FlashControl& control, bool message)
    : control_(control), alive_(control.alive_), outer_(control.turn_) {
  if (message || control_.turnDepth_ == 0) control_.turn_ = ++control_.turns_;
  ++control_.turnDepth_;
}

FlashControl::Turn::~Turn() {
  if (!*alive_) return;
  --control_.turnDepth_;
  control_.turn_ = outer_;
}

void FlashControl::SetScriptBudget(double seconds) {
  scriptSeconds_ = seconds;
  if (player_ && !page_) scripts_->Vm().SetBudget(seconds);
}

// Whether the window holding the control was asked to close (or the host's
// own check says it is ending): its queue is looked at (nothing taken from it) at most every kCloseLookMs while scripts
// run. A look would handle a message another thread sends (in the middle of
// the script), so there is none while one waits.
bool FlashControl::CloseRequested() {
  if (closing_ || !hwnd_) return closing_;
  const ULONGLONG now = GetTickCount64();
  if (closeLookTick_ && now - closeLookTick_ < kCloseLookMs) return false;
  closeLookTick_ = now;
  if (closeCheck_ && closeCheck_()) return closing_ = true;
  const DWORD queued = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_ALLPOSTMESSAGE | QS_SENDMESSAGE));
  if (!(queued & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) || (queued & QS_SENDMESSAGE)) return false;
  HWND root = GetAncestor(hwnd_, GA_ROOT);
  constexpr UINT kLook = PM_NOREMOVE | PM_QS_POSTMESSAGE;
  MSG msg{};
  closing_ = PeekMessageW(&msg, root, WM_CLOSE, WM_CLOSE, kLook) || PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, kLook) ||
             (PeekMessageW(&msg, root, WM_SYSCOMMAND, WM_SYSCOMMAND, kLook) && (msg.wParam & 0xFFF0) == SC_CLOSE);
  return closing_;
}

// ---- Loading --------------------------------------------------------------

void FlashControl::Unload() {
  if (hwnd_) KillTimer(hwnd_, kFrameTimer);
  buttons_.Reset();
  handShown_ = false;
  if (captured_) {
    captured_ = false;
    ReleaseCapture();
  }
  sounds_.reset();
  page_.reset();
  if (player_) player_->Unload();
  scripts_ = nullptr;
  player_.reset();
  movie_.reset();
  mixer_->StopOwner(loadSerial_);
  mixer_->ForgetMixes(loadSerial_);
  soundLed_ = false;
  ++loadSerial_;
  variables_.Clear();
  events_.clear();
  hasBGColor_ = false;
  alpha_ = 100;
  pageFrame_ = 0;
  pagePlaying_ = false;
  closing_ = false;
  Invalidate();
}

void FlashControl::LoadMovie(long layer, const std::wstring& url) {
  if (layer != 0) return;  // only the base layer is used
  Turn turn(*this, false);
  std::wstring file, query;
  SplitAddress(url, file, query);
  // A colour the host set stays over the next movie (set before its load or
  // after); only unloading to no movie forgets it.
  const bool hadColor = hasBGColor_;
  Unload();
  readLocalFile_ = false;
  if (url == kNoMovie || file.empty()) return;
  hasBGColor_ = hadColor;
  // The movie keeps its own copy of the bytes (inflated or copied from the
  // mapping), so the file may be deleted or replaced once this returns.
  std::unique_ptr<MovieDefinition> movie;
  {
    MappedFile mapped;
    if (!mapped.Open(file, kMaxInflatedMovie) || ReadMovieDefinition(mapped.Bytes(), movie) != MovieError::None)
      return;
  }
  movie_ = std::move(movie);
  const auto variables = ParseQuery(query);
  for (auto& [name, value] : variables) variables_.Set(name, value);
  sounds_ = std::make_unique<MovieSounds>(*movie_, [this] { return SoundMixer(); }, loadSerial_);
  page_ = CreatePage(movie_->metadata);
  if (page_) {
    player_ = std::make_unique<MoviePlayer>(*movie_, MovieScripts::Factory(&scripts_));
    player_->SetFrameListener(sounds_.get());
    pagePlaying_ = true;
    page_->Start(*this);
  } else {
    PlayerEnvironment environment;
    environment.clock = [this] { return clock_(); };
    environment.moviePath = file;
    // Shared objects live in the program's data folder unless the host said otherwise.
    const std::wstring shared = !sharedFolder_.empty()         ? sharedFolder_
                                : !UserDataFolder.empty() ? UserDataFolder + L"SharedObjects\\"
                                                          : L"";
    if (!shared.empty()) {
      // One folder per movie file, named from the file's name and a hash of its
      // path. The hash folds case as the C library does (A to Z), so the
      // folders of earlier runs keep their names.
      uint32_t hash = 2166136261u;
      for (wchar_t c : LowerAscii(file)) hash = (hash ^ static_cast<uint32_t>(c)) * 16777619u;
      const size_t slash = file.find_last_of(L"\\/");
      std::wstring name = file.substr(slash == std::wstring::npos ? 0 : slash + 1);
      for (wchar_t& c : name)
        if (!iswalnum(c) && c != L'_' && c != L'-' && c != L'.') c = L'_';
      wchar_t suffix[16];
      swprintf(suffix, 16, L"_%08x", hash);
      environment.sharedFolder = shared + name + suffix + L"\\";
    }
    environment.stageSize = [this](double& w, double& h) {
      if (scaleMode_ == kNoScale && hwnd_) {
        RECT client{};
        GetClientRect(hwnd_, &client);
        w = client.right, h = client.bottom;
      } else {
        w = movie_->StageWidthPixels(), h = movie_->StageHeightPixels();
      }
    };
    environment.stopSounds = [this] { StopSounds(); };
    environment.mixer = [this] { return SoundMixer(); };
    environment.soundOwner = loadSerial_;
    environment.soundLatency = [this] { return SoundLatency(); };
    environment.drawClip = [this](const Clip& clip, const Matrix& m, int width, int height,
                                  std::vector<uint32_t>& out) {
      return renderer_ && player_ && DrawClipPicture(*renderer_, player_->MovieOf(&clip), clip, m, width, height, out);
    };
    environment.scriptSeconds = scriptSeconds_;
    environment.turn = [this] { return turnDepth_ > 0 ? turn_ : 0; };
    environment.interrupted = [this] { return CloseRequested(); };
    player_ = std::make_unique<MoviePlayer>(*movie_, MovieScripts::Factory(&scripts_), std::move(environment));
    sounds_->SetMixOf([this](const Clip& clip) { return scripts_->Media().MixOf(clip); });
    player_->SetLoop(loop_);
    player_->SetFrameListener(sounds_.get());
    player_->Start(variables);
    AfterScripts();
  }
  events_.push_back(Event{Event::kReady, 4});
  PostEvents();
  Anchor();
  if (hwnd_) SetTimer(hwnd_, kFrameTimer, kTimerMs, nullptr);
  Invalidate();
}

// ---- Timeline members -------------------------------------------------------

void FlashControl::Play() { SetPlaying(true); }
void FlashControl::Stop() { SetPlaying(false); }

void FlashControl::SetPlaying(bool playing) {
  if (page_) {
    pagePlaying_ = playing;
  } else if (player_) {
    if (playing && !player_->Playing()) Anchor();
    player_->SetPlaying(playing);
  }
}

bool FlashControl::Playing() const { return page_ ? pagePlaying_ : player_ && player_->Playing(); }

void FlashControl::SetLoop(bool loop) {
  loop_ = loop;
  if (player_) player_->SetLoop(loop);
}

void FlashControl::GotoFrame(long frame) {
  if (page_) {
    pageFrame_ = std::clamp<long>(frame, 0, page_->TotalFrames() - 1);
    pagePlaying_ = false;
  } else if (player_) {
    player_->GotoFrame(static_cast<int>(std::clamp<long>(frame, 0, player_->TotalFrames() - 1)));
    SyncButtons();
  }
  Invalidate();
}

void FlashControl::Rewind() { GotoFrame(0); }
void FlashControl::Back() { GotoFrame(std::max(CurrentFrame() - 1, 0L)); }
void FlashControl::Forward() { GotoFrame(CurrentFrame() + 1); }

long FlashControl::CurrentFrame() const {
  if (page_) return pageFrame_;
  return player_ ? player_->CurrentFrame() : -1;
}

long FlashControl::FrameNum() const { return CurrentFrame(); }

long FlashControl::TotalFrames() const {
  if (page_) return page_->TotalFrames();
  return player_ ? player_->TotalFrames() : 0;
}

void FlashControl::Anchor() {
  anchorTime_ = clock_();
  anchorFrames_ = 0;
  soundLed_ = false;
}

double FlashControl::FrameRate() const { return movie_ ? movie_->PlayRate() : MovieDefinition::kDefaultRate; }

void FlashControl::Pump() {
  if (!movie_) return;
  Turn turn(*this, false);
  if (output_) output_->Take();
  if (page_) {
    page_->Tick(*this);
    PostEvents();
    return;
  }
  // Frames go on while the main timeline is stopped: clips and scripts run.
  sounds_->Update(*player_);
  if (scripts_->UpdateMedia()) Invalidate();
  long long steps = 0;
  bool caughtUp = false;  // a late clock: the frames stepped do not count from the new anchor
  if (const auto soundFrame = sounds_->StreamFrame(SoundLatency())) {
    // The main timeline's stream is the clock: frames that drawing could
    // not keep up with are stepped through without being drawn.
    steps = std::min<long long>(*soundFrame - player_->CurrentFrame(), kMaxSoundCatchUp);
    soundLed_ = true;
  } else {
    if (soundLed_) {
      // Back to the frame clock: the stream's last frame was heard, the next is due now.
      Anchor();
      anchorTime_ -= 1 / FrameRate();
    }
    const double rate = FrameRate();
    const long long due = static_cast<long long>(std::floor((clock_() - anchorTime_) * rate + 1e-6)) - anchorFrames_;
    if (due <= 0) return;
    if (due > kMaxCatchUpFrames) Anchor(), caughtUp = true;
    steps = std::min<long long>(due, kMaxCatchUpFrames);
  }
  if (steps <= 0) return;
  const uint64_t changesBefore = player_->Changes();
  for (long long i = 0; i < steps && player_ && pendingLoad_.empty(); ++i) {
    player_->Advance();
    if (!caughtUp) ++anchorFrames_;
  }
  AfterScripts();
  // A frame that changes nothing on the stage repaints nothing.
  if (player_ && player_->Changes() != changesBefore) {
    SyncButtons();
    Invalidate();
  }
}

// ---- Events ---------------------------------------------------------------------

void FlashControl::QueueCommands() {
  if (!player_) return;
  for (auto& c : player_->TakeCommands())
    events_.push_back(Event{Event::kCommand, 0, std::move(c.command), std::move(c.args)});
}

// What scripts asked of the control: FS commands and addresses to raise,
// a movie to load in level 0 (after the running message is done).
void FlashControl::AfterScripts() {
  if (!player_) return;
  QueueCommands();
  for (auto& url : scripts_->TakeLinks()) events_.push_back(Event{Event::kGetUrl, 0, std::move(url), L""});
  const std::wstring load = scripts_->TakeReload();
  if (!load.empty() && hwnd_) {
    pendingLoad_ = load;
    PostMessageW(hwnd_, kMsgLoad, 0, 0);
  }
  PostEvents();
}

void FlashControl::RaiseCommand(const std::wstring& command, const std::wstring& args) {
  events_.push_back(Event{Event::kCommand, 0, command, args});
  PostEvents();
}

void FlashControl::PostEvents() {
  if (events_.empty() || posted_ || !hwnd_) return;
  posted_ = PostMessageW(hwnd_, kMsgEvents, 0, 0) != 0;
}

void FlashControl::DrainEvents() {
  if (draining_) return;  // the outer drain goes on once its handler returns
  draining_ = true;
  std::shared_ptr<bool> alive = alive_;
  while (!events_.empty()) {
    Event e = std::move(events_.front());
    events_.pop_front();
    if (e.kind == Event::kReady) {
      auto handler = OnReadyStateChange;
      if (handler) handler(e.state);
    } else if (e.kind == Event::kGetUrl) {
      auto handler = OnGetURL;
      if (handler) handler(e.command, e.args);
    } else {
      auto handler = OnFSCommand;
      if (handler) handler(e.command, e.args);
    }
    if (!*alive) return;  // the handler destroyed the control
  }
  draining_ = false;
}

void FlashControl::OpenLink(const std::wstring& url) {
  if (linkOpener_) {
    auto opener = linkOpener_;
    opener(url);
  } else {
    ShellExecuteW(hwnd_, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

bool FlashControl::ReadLocalFile() const {
  return readLocalFile_ || (player_ && scripts_->ReadLocalFile());
}

void FlashControl::SetClock(std::function<double()> clock) {
  clock_ = clock ? std::move(clock) : std::function<double()>(MonotonicSeconds);
  Anchor();
}

void FlashControl::SetRenderer(std::unique_ptr<FlashRenderer> renderer) {
  renderer_ = renderer ? std::move(renderer) : std::make_unique<SoftwareRenderer>();
}

void FlashControl::SetLinkOpener(std::function<void(const std::wstring&)> opener) { linkOpener_ = std::move(opener); }

}  // namespace flash
