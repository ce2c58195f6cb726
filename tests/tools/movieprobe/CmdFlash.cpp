// Probe commands of the movie control: snapshot (one picture of a movie, at
// a frame sought or played to with its scripts run, or after a number of
// frame ticks from its start: --ticks 1 is the first frame with its actions
// run, each further tick one frame time of the movie's clock with its
// actions, clip events and intervals) and control (what the
// control reports after loading, or after playing some frames: the main
// timeline's variables, for comparing with other players).
#include <windows.h>

#include <algorithm>
#include <memory>

#include "Probe.h"
#include "images/IntelJPEGLibrary.h"
#include "images/cDIBSection.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/control/FrameTicks.h"
#include "platform/flash/pages/VideoPage.h"
#include "platform/flash/media/FlvPlayer.h"
#include "platform/forms/MessageLoop.h"

namespace {

bool EndsWithNoCase(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() &&
         CompareStringOrdinal(text.c_str() + text.size() - tail.size(), -1, tail.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Plays a loaded movie on from where the ticks stand until frame (0-based)
// is shown: every frame's actions and clip events run, no mouse input.
// False when the frame never came (the movie stopped before it).
bool PlayTo(flash::FlashControl& control, flash::FrameTicks& ticks, long frame) {
  const long limit = ticks.Ticks() + std::max(frame, 0L) * 4 + 1000;
  while (ticks.Ticks() < limit && control.CurrentFrame() != frame) ticks.Tick();
  return control.CurrentFrame() == frame;
}

constexpr wchar_t kSnapshotUsage[] =
    L"MOVIE|VIDEO.flv OUT.bmp|OUT.jpg [--frame N [--play]] [--ticks N] [--time SECONDS] [--size WxH] [--scale 0..3] "
    L"[--low] [--quality High|Medium|Low]";

// The most ticks a snapshot or report plays (a day at 12 frames a second).
constexpr long kMaxTicks = 24L * 3600 * 12;

// A hidden window that hosts the control.
struct Host {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"movieprobe", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ~Host() { DestroyWindow(hwnd); }
};

bool SaveDib(cDIBSection& dib, const std::wstring& path) {
  return EndsWithNoCase(path, L".jpg") ? SaveJPG(dib, path, 90) : dib.SavePicture(path);
}

// The picture a video shows at a time, scaled into the size keeping its aspect.
int VideoSnapshot(const probe::Args& args, double seconds, int width, int height) {
  flash::media::FlvPlayer player;
  if (!player.Open(args[0])) return probe::Fail(L"not a video: " + args[0]);
  player.ShowAt(seconds);
  if (player.Pixels().empty()) return probe::Fail(L"no picture at that time (or no decoder for the video)");
  if (width <= 0) width = player.Width(), height = player.Height();
  cDIBSection dib;
  if (!dib.Create(width, height)) return probe::Fail(L"can't create the bitmap");
  flash::DrawPicture(dib.hdc(), RECT{0, 0, width, height}, player.Pixels().data(), player.Width(), player.Height());
  if (!SaveDib(dib, args[1])) return probe::Fail(L"can't write " + args[1]);
  probe::Out(L"Frame", std::to_wstring(player.Shown()));
  probe::Out(L"Size", std::to_wstring(width) + L"x" + std::to_wstring(height));
  return 0;
}

int Snapshot(const probe::Args& args) {
  if (args.size() < 2) return probe::Fail(L"usage: snapshot " + std::wstring(kSnapshotUsage));
  long frame = 0, scale = 1, tickCount = 0;
  double seconds = -1;
  int width = 0, height = 0;
  bool low = false, play = false;
  std::wstring quality;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::wstring& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == L"--frame" && hasValue) {
      frame = _wtol(args[++i].c_str());
    } else if (a == L"--time" && hasValue) {
      seconds = _wtof(args[++i].c_str());
    } else if (a == L"--size" && hasValue) {
      if (swscanf(args[++i].c_str(), L"%dx%d", &width, &height) != 2 || width <= 0 || height <= 0)
        return probe::Fail(L"--size takes WxH");
    } else if (a == L"--scale" && hasValue) {
      scale = _wtol(args[++i].c_str());
    } else if (a == L"--low") {
      low = true;
    } else if (a == L"--play") {
      play = true;
    } else if (a == L"--ticks" && hasValue) {
      tickCount = _wtol(args[++i].c_str());
      if (tickCount < 1 || tickCount > kMaxTicks) return probe::Fail(L"--ticks takes 1 to " + std::to_wstring(kMaxTicks));
    } else if (a == L"--quality" && hasValue) {
      quality = args[++i];
    } else {
      return probe::Fail(L"unknown option " + a);
    }
  }
  if (seconds >= 0 || EndsWithNoCase(args[0], L".flv")) return VideoSnapshot(args, std::max(seconds, 0.0), width, height);
  Host host;
  flash::FlashControl control(host.hwnd, 0, 0, 16, 16);
  // Without a display (no X server under Wine) no window is made and nothing could be drawn.
  if (!host.hwnd || !control.hWnd()) return probe::Fail(L"can't draw: the movie control has no window (no display?)");
  control.SetAudioMode(flash::FlashControl::AudioMode::None);
  flash::FrameTicks ticks(control);
  if (!ticks.Load(args[0])) return probe::Fail(L"not a movie: " + args[0]);
  if (width <= 0) {
    width = std::max(control.Movie()->StageWidthPixels(), 1);
    height = std::max(control.Movie()->StageHeightPixels(), 1);
  }
  control.Move(0, 0, width, height);
  control.SetScaleMode(scale);
  control.SetQuality(low ? 0 : 1);
  if (!quality.empty()) control.SetQuality2(quality);
  if (tickCount > 0) {
    ticks.RunTo(tickCount);
  } else if (play) {
    if (!PlayTo(control, ticks, frame)) return probe::Fail(L"frame " + std::to_wstring(frame) + L" was never shown");
  } else {
    control.GotoFrame(frame);
  }
  cDIBSection dib;
  if (!dib.Create(width, height)) return probe::Fail(L"can't create the bitmap");
  if (SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dib.hdc()), 0) != 0)
    return probe::Fail(L"can't draw the movie at " + std::to_wstring(width) + L"x" + std::to_wstring(height));
  if (!SaveDib(dib, args[1])) return probe::Fail(L"can't write " + args[1]);
  probe::Out(L"Frame", std::to_wstring(control.FrameNum()));
  if (tickCount > 0) probe::Out(L"Ticks", std::to_wstring(ticks.Ticks()));
  probe::Out(L"Size", std::to_wstring(width) + L"x" + std::to_wstring(height));
  forms::DoEvents();
  return 0;
}

int Control(const probe::Args& args) {
  if (args.empty()) return probe::Fail(L"usage: control MOVIE [--goto N | --play N]");
  Host host;
  flash::FlashControl control(host.hwnd, 0, 0, 100, 100);
  flash::FrameTicks ticks(control);
  ticks.Load(args[0]);
  if (args.size() >= 3 && args[1] == L"--goto") control.GotoFrame(_wtol(args[2].c_str()));
  if (args.size() >= 3 && args[1] == L"--play") ticks.RunTo(1 + std::clamp(_wtol(args[2].c_str()), 0L, kMaxTicks));
  probe::Out(L"TotalFrames", std::to_wstring(control.TotalFrames()));
  probe::Out(L"FrameNum", std::to_wstring(control.FrameNum()));
  probe::Out(L"Playing", control.Playing() ? L"True" : L"False");
  probe::Out(L"BGColor", control.BGColor());
  for (const auto& [name, value] : control.RootVariables()) probe::Out(L"Variable " + name, value);
  forms::DoEvents();
  return control.FrameNum() < 0 ? 1 : 0;
}

probe::ProbeCommand snapshotCommand(L"snapshot", kSnapshotUsage, Snapshot);
probe::ProbeCommand controlCommand(L"control", L"MOVIE [--goto N | --play N]", Control);

}  // namespace
