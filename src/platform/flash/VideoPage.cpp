#include "platform/flash/VideoPage.h"

#include <algorithm>
#include <cmath>

#include "base/TextConv.h"
#include "services/XmlDocument.h"

namespace flash {

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

void VideoPage::Start(PageHost& host) {
  XmlDocument page;
  if (page.Load(host.Variable(L"myXML"))) {
    XmlNode root = page.Root();
    source_ = root.SelectSingleNode(L"SOURCE").Text();
    width_ = TextToLong(root.SelectSingleNode(L"WIDTH").Text());
    height_ = TextToLong(root.SelectSingleNode(L"HEIGHT").Text());
    duration_ = std::max(TextToLong(root.SelectSingleNode(L"TIME").Text()), 0L) / 1000.0;
  }
  position_ = 0;
  lastTick_ = host.Now();
  PublishPosition(host);
}

void VideoPage::VariableWritten(PageHost& host, const std::wstring& path, const std::wstring& value) {
  if (path == L"seeking") {
    long thousandths = std::clamp(TextToLong(value), 0L, 1000L);
    position_ = duration_ * thousandths / 1000.0;
    PublishPosition(host);
  } else if (path == L"playing") {
    lastTick_ = host.Now();  // time spent paused does not count
  }
}

void VideoPage::Tick(PageHost& host) {
  const double now = host.Now();
  const double elapsed = std::max(now - lastTick_, 0.0);
  lastTick_ = now;
  if (host.Variable(L"playing") != L"1") return;
  position_ += elapsed;
  if (duration_ > 0 && position_ >= duration_) {
    position_ = duration_;
    host.Publish(L"playing", L"0");
  }
  PublishPosition(host);
}

void VideoPage::PublishPosition(PageHost& host) { host.Publish(L"myVideo.playheadTime", SecondsText(position_)); }

void VideoPage::Paint(HDC dc, const RECT& stage, double) {
  FillRect(dc, &stage, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace flash
