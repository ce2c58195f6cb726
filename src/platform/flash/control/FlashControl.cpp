#include "platform/flash/control/FlashControl.h"

#include "platform/flash/control/ClipPicture.h"
#include "platform/flash/pages/PageFactory.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "base/MappedFile.h"
#include "base/Clock.h"
#include "base/Handles.h"
#include "base/TextConv.h"
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/script/UrlQuery.h"
#include "platform/flash/render/SoftwareRenderer.h"
#include "platform/flash/media/SilentOutput.h"
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

bool ParseHexColor(const std::wstring& text, COLORREF& color) {
  if (text.size() != 6) return false;
  unsigned v = 0;
  for (wchar_t c : text) {
    if (!std::iswxdigit(c) || c > 0x7F) return false;
    v = v * 16 + static_cast<unsigned>(c <= L'9' ? c - L'0' : (c | 0x20) - L'a' + 10);
  }
  color = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  return true;
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

LRESULT FlashControl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  switch (msg) {
    case WM_PAINT: {
      RECT client{};
      GetClientRect(hwnd, &client);
      if (wp) return Paint(reinterpret_cast<HDC>(wp), client.right, client.bottom) ? 0 : 1;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (client.right > 0 && client.bottom > 0) {
        ScopedMemoryDC memory(dc);
        ScopedBitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
        if (memory && bitmap) {
          ScopedSelect use(memory.get(), bitmap.get());
          Paint(memory.get(), client.right, client.bottom);
          BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        }
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      // A stage that does not scale is as large as the control: its listeners hear.
      if (player_ && !page_ && scaleMode_ == kNoScale) {
        script::Vm& vm = player_->Scripts().Vm();
        vm.Broadcast(vm.GlobalObject(L"Stage"), L"onResize");
        AfterScripts();
      }
      break;
    case WM_TIMER:
      if (wp == kFrameTimer && IsWindowVisible(hwnd)) {
        Pump();
        CheckPointerLeft();
      }
      return 0;
    case kMsgEvents:
      posted_ = false;
      DrainEvents();
      return 0;
    case kMsgLoad: {
      const std::wstring path = std::exchange(pendingLoad_, {});
      if (path.empty()) return 0;
      // The movie its scripts put in their place keeps what they read.
      const bool read = ReadLocalFile();
      LoadMovie(0, path);
      readLocalFile_ = read;
      return 0;
    }
    case WM_MOUSEWHEEL:
      return 0;  // pages scroll only through TCallLabel
    case WM_MOUSEMOVE: {
      if (page_) {
        page_->MouseMove(*this, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), (wp & MK_LBUTTON) != 0);
        PostEvents();
        return 0;
      }
      double sx = 0, sy = 0;
      if (player_ && !page_ && StagePoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), sx, sy)) {
        player_->Scripts().Mouse(0, sx, sy);
        AfterScripts();
        if (!player_) return 0;
      }
      SyncButtons();
      Apply(buttons_.Move(ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), (wp & MK_LBUTTON) != 0));
      ShowPointer();
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      ::SetFocus(hwnd);
      if (page_) {
        if (msg == WM_LBUTTONDBLCLK)
          page_->DoubleClick(*this, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        else
          page_->MouseDown(*this, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        // The page follows a drag (its scroll bar) until the button is released.
        if (page_ && hwnd_ && GetCapture() != hwnd_) {
          SetCapture(hwnd_);
          captured_ = GetCapture() == hwnd_;
        }
        PostEvents();
        return 0;
      }
      double sx = 0, sy = 0;
      if (player_ && !page_ && StagePoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), sx, sy)) {
        FocusFieldAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        player_->Scripts().Mouse(1, sx, sy);
        AfterScripts();
        if (!player_) return 0;
      }
      SyncButtons();
      Apply(buttons_.Press(ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))));
      if (buttons_.Pressed() && hwnd_ && GetCapture() != hwnd_) {
        SetCapture(hwnd_);
        captured_ = GetCapture() == hwnd_;
      }
      ShowPointer();
      return 0;
    }
    case WM_LBUTTONUP: {
      if (page_) {
        if (captured_) {
          captured_ = false;
          ReleaseCapture();
        }
        page_->Click(*this, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
      }
      double sx = 0, sy = 0;
      if (player_ && StagePoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), sx, sy)) {
        player_->Scripts().Mouse(2, sx, sy);
        AfterScripts();
        if (!player_) return 0;
      }
      SyncButtons();
      Apply(buttons_.Release(ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))));
      if (captured_) {
        captured_ = false;
        ReleaseCapture();
      }
      ShowPointer();
      return 0;
    }
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (page_) {
        if (msg == WM_KEYDOWN && page_->Key(*this, static_cast<int>(wp))) {
          PostEvents();
          return 0;
        }
        break;
      }
      if (player_ && !page_) {
        player_->Scripts().Key(msg == WM_KEYDOWN, static_cast<int>(wp), static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(wp), MAPVK_VK_TO_CHAR)));
        AfterScripts();
        return 0;
      }
      break;
    case WM_CHAR:
      if (player_ && !page_) {
        player_->Scripts().Char(static_cast<wchar_t>(wp));
        AfterScripts();
        return 0;
      }
      break;
    case WM_MOUSELEAVE:
      Apply(buttons_.Leave());
      handShown_ = false;
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) {
        captured_ = false;
        if (buttons_.Pressed()) Apply(buttons_.Cancel());
      }
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == hwnd && LOWORD(lp) == HTCLIENT && WantsHand()) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, 0, 0);
      hwnd_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int FlashControl::Left() const {
  RECT r{};
  if (!hwnd_ || !GetWindowRect(hwnd_, &r)) return 0;
  MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r.left;
}

int FlashControl::Top() const {
  RECT r{};
  if (!hwnd_ || !GetWindowRect(hwnd_, &r)) return 0;
  MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
  return r.top;
}

int FlashControl::Width() const {
  RECT r{};
  return hwnd_ && GetWindowRect(hwnd_, &r) ? r.right - r.left : 0;
}

int FlashControl::Height() const {
  RECT r{};
  return hwnd_ && GetWindowRect(hwnd_, &r) ? r.bottom - r.top : 0;
}

void FlashControl::Move(int left, int top, int width, int height) {
  if (hwnd_) MoveWindow(hwnd_, left, top, std::max(width, 0), std::max(height, 0), TRUE);
}

bool FlashControl::Visible() const { return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE); }

void FlashControl::SetVisible(bool visible) {
  if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void FlashControl::SetFocus() {
  if (hwnd_) ::SetFocus(hwnd_);
}

void FlashControl::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
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
  if (player_ && !page_) player_->Scripts().Vm().SetBudget(seconds);
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
    player_ = std::make_unique<MoviePlayer>(*movie_);
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
      // One folder per movie file, named from the file's name and a hash of its path.
      uint32_t hash = 2166136261u;
      for (wchar_t c : file) hash = (hash ^ static_cast<uint32_t>(towlower(c))) * 16777619u;
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
    player_ = std::make_unique<MoviePlayer>(*movie_, std::move(environment));
    sounds_->SetMixOf([this](const Clip& clip) { return player_->Scripts().Media().MixOf(clip); });
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
  if (player_->Scripts().UpdateMedia()) Invalidate();
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

// ---- Settings -----------------------------------------------------------------

long FlashControl::Quality() const { return quality2_ == L"Low" || quality2_ == L"AutoLow" ? 0 : 1; }

void FlashControl::SetQuality(long quality) { quality2_ = quality == 0 ? L"Low" : L"High"; }

void FlashControl::SetQuality2(const std::wstring& quality) {
  for (const wchar_t* name : {L"High", L"Medium", L"Low", L"AutoHigh", L"AutoLow"})
    if (CompareStringOrdinal(quality.c_str(), -1, name, -1, TRUE) == CSTR_EQUAL) quality2_ = name;
  Invalidate();
}

void FlashControl::SetScaleMode(long mode) {
  if (mode >= kShowAll && mode <= kNoScale) scaleMode_ = mode;
  Invalidate();
}

void FlashControl::SetAlignMode(long mode) {
  if (mode >= 0 && mode <= 15) alignMode_ = mode;
  Invalidate();
}

COLORREF FlashControl::BackgroundColor() const {
  if (hasBGColor_) return bgColor_;
  if (movie_ && movie_->background) return *movie_->background;
  return RGB(255, 255, 255);
}

std::wstring FlashControl::BGColor() const {
  COLORREF c = BackgroundColor();
  wchar_t text[8];
  swprintf(text, 8, L"%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

void FlashControl::SetBGColor(const std::wstring& color) {
  COLORREF parsed;
  if (!ParseHexColor(color, parsed)) return;  // the movie's own colour stays
  bgColor_ = parsed;
  hasBGColor_ = true;
  Invalidate();
}

void FlashControl::SetVolume(long volume) {
  volume_ = std::clamp(volume, 0L, 100L);
  mixer_->SetVolume(static_cast<int>(volume_));
}

void FlashControl::SetPan(long pan) {
  pan_ = std::clamp(pan, -100L, 100L);
  mixer_->SetPan(static_cast<int>(pan_));
}

void FlashControl::StopSounds() {
  if (sounds_) sounds_->StopStreams();
  if (player_ && !page_) player_->Scripts().Media().StopAll();
  mixer_->StopOwner(loadSerial_);
}

void FlashControl::SetAudioMode(AudioMode mode) {
  audioMode_ = mode;
  output_.reset();
  noDevice_ = false;
}

std::shared_ptr<media::Mixer> FlashControl::SoundMixer() {
  if (audioMode_ == AudioMode::Manual) return mixer_;
  if (audioMode_ == AudioMode::None || noDevice_) return nullptr;
  if (output_ && output_->Failed()) {
    output_.reset();
    noDevice_ = true;  // the device stopped taking sound: play on without it
    return nullptr;
  }
  if (!output_ && audioMode_ == AudioMode::Silent) {
    output_ = std::make_unique<media::SilentOutput>(mixer_, [this] { return clock_(); });
  } else if (!output_) {
    auto sink = media::OpenWaveOut();
    if (!sink) {
      noDevice_ = true;
      return nullptr;
    }
    output_ = std::make_unique<media::AudioOutput>(mixer_, std::move(sink));
  }
  return mixer_;
}

// ---- Variables and labels -------------------------------------------------------

void FlashControl::SetVariable(const std::wstring& name, const std::wstring& value) {
  const std::wstring key = MovieVariables::Normalize(name);
  if (key == L"_alpha") {
    alpha_ = static_cast<int>(std::clamp(std::lround(_wtof(value.c_str())), 0L, 100L));
    Invalidate();
    return;
  }
  if (page_) {
    variables_.Set(key, value);
    page_->VariableWritten(*this, key, value);
    PostEvents();
    Invalidate();
    return;
  }
  if (!player_) return;
  Turn turn(*this, false);
  const uint64_t before = player_->Changes();
  player_->Scripts().SetVariable(name, value);
  AfterScripts();
  if (player_ && player_->Changes() != before) Invalidate();
}

std::wstring FlashControl::GetVariable(const std::wstring& name) const {
  const std::wstring key = MovieVariables::Normalize(name);
  if (key == L"_alpha") return std::to_wstring(alpha_);
  if (page_ || !player_) return variables_.Get(key);
  return player_->Scripts().GetVariable(name);
}

std::vector<std::pair<std::wstring, std::wstring>> FlashControl::RootVariables() {
  if (page_ || !player_) return {variables_.All().begin(), variables_.All().end()};
  return player_->Scripts().RootVariables();
}

void FlashControl::TCallLabel(const std::wstring& target, const std::wstring& label) {
  if (page_) {
    page_->CallLabel(*this, target, label);
    PostEvents();
    return;
  }
  if (!player_) return;
  Turn turn(*this, false);
  player_->CallLabel(target, label);
  AfterScripts();
  SyncButtons();
  Invalidate();
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
  for (auto& url : player_->Scripts().TakeLinks()) events_.push_back(Event{Event::kGetUrl, 0, std::move(url), L""});
  const std::wstring load = player_->Scripts().TakeReload();
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
  return readLocalFile_ || (player_ && player_->Scripts().ReadLocalFile());
}

void FlashControl::SetClock(std::function<double()> clock) {
  clock_ = clock ? std::move(clock) : std::function<double()>(MonotonicSeconds);
  Anchor();
}

void FlashControl::SetRenderer(std::unique_ptr<FlashRenderer> renderer) {
  renderer_ = renderer ? std::move(renderer) : std::make_unique<SoftwareRenderer>();
}

void FlashControl::SetLinkOpener(std::function<void(const std::wstring&)> opener) { linkOpener_ = std::move(opener); }

// ---- Buttons ----------------------------------------------------------------------

// The levels top-most first; a path found in level n > 0 opens with -n.
std::optional<ButtonPath> FlashControl::ButtonAt(int x, int y) {
  if (!movie_ || !player_ || page_ || !hwnd_) return std::nullopt;
  RECT client{};
  GetClientRect(hwnd_, &client);
  MovieScripts& scripts = player_->Scripts();
  const FrameView view = ViewOf(client.right, client.bottom);
  auto isButton = [&scripts](const Clip& clip) { return scripts.IsButtonClip(clip); };
  const auto& levels = player_->Levels();
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
    auto found = hitTester_.ButtonAt(*it->second->movie, *it->second, Origin(), view, x, y, isButton);
    if (found) {
      found->depths.insert(found->depths.begin(), -it->first);
      return found;
    }
  }
  return hitTester_.ButtonAt(*movie_, player_->Root(), Origin(), view, x, y, isButton);
}

bool FlashControl::StagePoint(int x, int y, double& sx, double& sy) {
  if (!movie_ || !hwnd_) return false;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const StageView view = ViewOf(client.right, client.bottom).view;
  if (view.scaleX <= 0 || view.scaleY <= 0) return false;
  sx = (x - view.left) / view.scaleX + movie_->frame.left;
  sy = (y - view.top) / view.scaleY + movie_->frame.top;
  return true;
}

// A click on an input text field gives it the keyboard; anywhere else takes it away.
void FlashControl::FocusFieldAt(int x, int y) {
  if (!player_ || !hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const FrameView view = ViewOf(client.right, client.bottom);
  std::optional<ButtonPath> field;
  const auto& levels = player_->Levels();
  for (auto it = levels.rbegin(); it != levels.rend() && !field; ++it)
    if ((field = hitTester_.FieldAt(*it->second->movie, *it->second, Origin(), view, x, y)))
      field->depths.insert(field->depths.begin(), -it->first);
  if (!field) field = hitTester_.FieldAt(*movie_, player_->Root(), Origin(), view, x, y);
  player_->Scripts().Focus(field ? &field->depths : nullptr);
  Invalidate();
}

// Draws each button in its new state and runs the actions its transition
// calls for, in the timeline that holds it; what they raise is posted.
void FlashControl::Apply(const std::vector<ButtonTransition>& transitions) {
  if (!player_ || transitions.empty()) return;
  const uint64_t changesBefore = player_->Changes();
  const bool wasPlaying = player_->Playing();
  bool repaint = false;
  for (const ButtonTransition& t : transitions) {
    if (!player_) return;
    Clip* parent = nullptr;
    DisplayObject* obj = player_->ObjectAt(t.button.depths, &parent);
    if (!obj || obj->character != t.button.character) continue;  // gone meanwhile
    if (obj->buttonState != t.state && !obj->clip) {
      if (sounds_) sounds_->ButtonChanged(*parent, t.button.character, obj->buttonState, t.state);
      obj->buttonState = t.state;
      repaint = true;
    }
    if (t.condition) player_->Scripts().ButtonEvent(t.button.depths, t.condition);
  }
  if (!player_) return;
  if (!wasPlaying && player_->Playing()) Anchor();
  SyncButtons();
  AfterScripts();
  if (repaint || player_->Changes() != changesBefore) Invalidate();
}

// After the display list changed: the tracked button shows its state again
// if it was placed anew, and is forgotten if it is gone.
void FlashControl::SyncButtons() {
  const auto& current = buttons_.Current();
  if (!current) return;
  DisplayObject* obj = player_ ? player_->ObjectAt(current->depths) : nullptr;
  if (!obj || obj->character != current->character) {
    buttons_.Reset();
    return;
  }
  if (obj->buttonState != buttons_.State() && !obj->clip) {
    obj->buttonState = buttons_.State();
    Invalidate();
  }
}

bool FlashControl::WantsHand() {
  const auto& current = buttons_.Current();
  if (!current || !movie_ || !player_ || buttons_.State() == kButtonUp) return false;
  Clip* parent = nullptr;
  DisplayObject* obj = player_->ObjectAt(current->depths, &parent);
  bool handlers = false;
  if (obj && (obj->clip || obj->object)) {
    // A clip or button with handlers shows the hand unless it says not to.
    script::Vm& vm = player_->Scripts().Vm();
    const script::Value self = obj->clip ? player_->Scripts().ValueOf(player_->Root(), *obj) : script::Value::Obj(obj->object);
    const script::Value hand = vm.Get(self, vm.Intern(L"useHandCursor"));
    if (!hand.IsUndefined() && !vm.ToBool(hand)) return false;
    if (obj->clip) return true;
    for (const wchar_t* name : {L"onPress", L"onRelease", L"onRollOver", L"onReleaseOutside"}) {
      const script::Value fn = vm.Get(self, vm.Intern(name));
      handlers = handlers || (fn.IsObject() && fn.AsObject()->IsCallable());
    }
  }
  if (handlers) return true;
  const int frame = parent && parent->home ? parent->home->frame : player_->CurrentFrame();
  return !hitTester_.ActionsOf(player_->MovieOf(parent), current->character, frame).empty();
}

// Called for the pointer's own messages: the cursor changes as soon as the
// pointer enters or leaves a button with actions.
void FlashControl::ShowPointer() {
  const bool hand = WantsHand();
  if (hand == handShown_) return;
  handShown_ = hand;
  SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
}

// The pointer left without a message saying so: the button it was over goes back up.
void FlashControl::CheckPointerLeft() {
  if (!buttons_.Current() || buttons_.Pressed() || !hwnd_) return;
  POINT pt{};
  if (!GetCursorPos(&pt) || WindowFromPoint(pt) == hwnd_) return;
  Apply(buttons_.Leave());
  handShown_ = false;
}

// ---- Painting ---------------------------------------------------------------------

int FlashControl::RenderQualityLevel() const {
  if (quality2_ == L"Low" || quality2_ == L"AutoLow") return kQualityLow;
  return quality2_ == L"Medium" ? kQualityMedium : kQualityHigh;
}

FrameView FlashControl::ViewOf(int width, int height) const {
  FrameView frame{width, height, RECT{0, 0, width, height}, StageView{}, RenderQualityLevel()};
  if (!movie_) return frame;
  frame.view = PlaceStage(movie_->frame, width, height, scaleMode_, alignMode_);
  // Show all and no border show nothing outside the stage.
  if (scaleMode_ == kShowAll || scaleMode_ == kNoBorder) {
    const RECT all = frame.clip, stage = frame.view.Rect(movie_->frame);
    IntersectRect(&frame.clip, &all, &stage);
  }
  return frame;
}

Matrix FlashControl::Origin() const {
  Matrix origin;
  if (movie_) origin.tx = -movie_->frame.left, origin.ty = -movie_->frame.top;
  return origin;
}

bool FlashControl::Paint(HDC dc, int width, int height) {
  if (!dc || width <= 0 || height <= 0) return false;
  RECT all{0, 0, width, height};
  ScopedBrush back(CreateSolidBrush(BackgroundColor()));
  FillRect(dc, &all, back.get());
  if (!movie_) return true;
  const FrameView frame = ViewOf(width, height);
  const StageView& view = frame.view;
  if (alpha_ <= 0) return true;
  // Below full opacity the content is drawn on a copy of the background and blended back.
  ScopedMemoryDC layer(alpha_ < 100 ? dc : nullptr);
  ScopedBitmap layerBitmap(alpha_ < 100 ? CreateCompatibleBitmap(dc, width, height) : nullptr);
  const bool blended = layer && layerBitmap;
  std::unique_ptr<ScopedSelect> use;
  HDC target = dc;
  if (blended) {
    use = std::make_unique<ScopedSelect>(layer.get(), layerBitmap.get());
    BitBlt(layer.get(), 0, 0, width, height, dc, 0, 0, SRCCOPY);
    target = layer.get();
  }
  bool drawn = true;
  if (page_ && page_->FillsControl()) {
    page_->Paint(target, RECT{0, 0, width, height}, 1.0);
  } else if (page_) {
    page_->Paint(target, view.Rect(movie_->frame), view.scaleX * 20);
  } else if (player_) {
    drawn = renderer_->DrawFrame(target, *movie_, player_->Root(), Origin(), frame);
    // Movies loaded into levels above, lowest first.
    for (const auto& [n, level] : player_->Levels())
      drawn = renderer_->DrawFrame(target, *level->movie, *level, Origin(), frame) && drawn;
  }
  if (blended) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha_ * 255 / 100), 0};
    AlphaBlend(dc, 0, 0, width, height, layer.get(), 0, 0, width, height, blend);
  }
  return drawn;
}

}  // namespace flash
