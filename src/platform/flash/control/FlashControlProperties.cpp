// The control's properties: its place in the container, the settings a host
// sets (quality, scale, alignment, colour, sound) and the movie's variables.
#include "platform/flash/control/FlashControl.h"
#include "base/TextConv.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/media/SilentOutput.h"

namespace flash {
namespace {

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

// ---- Extender members ------------------------------------------------------------

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

// ---- Settings -----------------------------------------------------------------

long FlashControl::Quality() const { return quality2_ == L"Low" || quality2_ == L"AutoLow" ? 0 : 1; }

void FlashControl::SetQuality(long quality) { quality2_ = quality == 0 ? L"Low" : L"High"; }

void FlashControl::SetQuality2(const std::wstring& quality) {
  for (const wchar_t* name : {L"High", L"Medium", L"Low", L"AutoHigh", L"AutoLow"})
    if (EqualNoCase(quality, name)) quality2_ = name;
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
  if (player_ && !page_) scripts_->Media().StopAll();
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
  scripts_->SetVariable(name, value);
  AfterScripts();
  if (player_ && player_->Changes() != before) Invalidate();
}

std::wstring FlashControl::GetVariable(const std::wstring& name) const {
  const std::wstring key = MovieVariables::Normalize(name);
  if (key == L"_alpha") return std::to_wstring(alpha_);
  if (page_ || !player_) return variables_.Get(key);
  return scripts_->GetVariable(name);
}

std::vector<std::pair<std::wstring, std::wstring>> FlashControl::RootVariables() {
  if (page_ || !player_) return {variables_.All().begin(), variables_.All().end()};
  return scripts_->RootVariables();
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

}  // namespace flash
