#include "platform/flash/pages/VideoPage.h"

#include <algorithm>
#include <cmath>

#include "base/TextConv.h"
#include "platform/flash/media/Mixer.h"
#include "services/XmlDocument.h"

namespace flash {
namespace {

constexpr double kSoundLead = 0.5;  // seconds of sound fed ahead of the clock

}  // namespace

std::wstring SecondsText(double seconds) {
  long long ms = std::llround(std::max(seconds, 0.0) * 1000);
  std::wstring text = std::to_wstring(ms / 1000);
  if (ms % 1000) {
    wchar_t frac[8];
    swprintf(frac, 8, L".%03lld", ms % 1000);
    std::wstring f = frac;
    while (f.back() == L'0') f.pop_back();
    text += f;
  }
  return text;
}

void DrawPicture(HDC dc, const RECT& rect, const uint32_t* pixels, int width, int height) {
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const int rw = rect.right - rect.left, rh = rect.bottom - rect.top;
  if (!pixels || width <= 0 || height <= 0 || rw <= 0 || rh <= 0) return;
  const double scale = std::min(static_cast<double>(rw) / width, static_cast<double>(rh) / height);
  const int w = std::max(1, static_cast<int>(std::lround(width * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(height * scale)));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int oldMode = SetStretchBltMode(dc, HALFTONE);
  POINT oldOrigin{};
  SetBrushOrgEx(dc, 0, 0, &oldOrigin);
  StretchDIBits(dc, rect.left + (rw - w) / 2, rect.top + (rh - h) / 2, w, h, 0, 0, width, height, pixels, &info,
                DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
  SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, nullptr);
}

VideoPage::~VideoPage() {
  if (player_) player_->StopSound();
}

void VideoPage::Start(PageHost& host) {
  XmlDocument page;
  if (page.Load(host.Variable(L"myXML"))) {
    XmlNode root = page.Root();
    source_ = root.SelectSingleNode(L"SOURCE").Text();
    width_ = TextToLong(root.SelectSingleNode(L"WIDTH").Text());
    height_ = TextToLong(root.SelectSingleNode(L"HEIGHT").Text());
    duration_ = std::max(TextToLong(root.SelectSingleNode(L"TIME").Text()), 0L) / 1000.0;
  }
  player_ = std::make_unique<media::FlvPlayer>();
  if (source_.empty() || !player_->Open(source_)) player_.reset();
  if (player_ && duration_ <= 0) duration_ = player_->Duration();
  position_ = 0;
  lastTick_ = host.Now();
  playing_ = false;
  Show(host);
  PublishPosition(host);
}

void VideoPage::Playing(PageHost& host, bool playing) {
  if (playing == playing_) return;
  playing_ = playing;
  lastTick_ = host.Now();  // time spent paused does not count
  if (!player_) return;
  if (playing)
    player_->StartSound(host.SoundMixer(), host.SoundOwner(), position_);
  else
    player_->StopSound();
}

void VideoPage::VariableWritten(PageHost& host, const std::wstring& path, const std::wstring& value) {
  if (path == L"seeking") {
    long thousandths = std::clamp(TextToLong(value), 0L, 1000L);
    position_ = duration_ * thousandths / 1000.0;
    if (player_ && playing_) player_->StartSound(host.SoundMixer(), host.SoundOwner(), position_);
    lastTick_ = host.Now();
    Show(host);
    PublishPosition(host);
  } else if (path == L"playing") {
    Playing(host, value == L"1");
  }
}

void VideoPage::Tick(PageHost& host) {
  const double now = host.Now();
  const double elapsed = std::max(now - lastTick_, 0.0);
  lastTick_ = now;
  Playing(host, host.Variable(L"playing") == L"1");
  if (!playing_) return;
  // The sound's clock while it plays, else the control's.
  const double sound = player_ ? player_->SoundClock(host.SoundLatency()) : -1;
  position_ = sound >= 0 ? std::max(sound, position_) : position_ + elapsed;
  if (player_) player_->FeedSound(kSoundLead);
  if (duration_ > 0 && position_ >= duration_) {
    position_ = duration_;
    host.Publish(L"playing", L"0");
    Playing(host, false);
  }
  Show(host);
  PublishPosition(host);
}

void VideoPage::Show(PageHost& host) {
  if (player_ && player_->ShowAt(position_)) host.Repaint();
}

void VideoPage::PublishPosition(PageHost& host) { host.Publish(L"myVideo.playheadTime", SecondsText(position_)); }

void VideoPage::Paint(HDC dc, const RECT& stage, double) {
  if (player_ && !player_->Pixels().empty())
    DrawPicture(dc, stage, player_->Pixels().data(), player_->Width(), player_->Height());
  else
    FillRect(dc, &stage, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace flash
