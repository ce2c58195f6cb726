#include "ui/frmFlashShot.h"

#include "moviefiles/SWFModule.h"
#include "base/ErrorLog.h"
#include "platform/forms/MessageLoop.h"
#include "services/ShellMod.h"

namespace {

forms::FormArgs ShotFormDesign() {
  forms::FormArgs args;
  args.Caption = L"frmFlashShot";
  args.ClientWidth = 120;
  args.ClientHeight = 90;
  args.BorderStyle = forms::vbBSNone;
  args.ShowInTaskbar = false;
  args.ExStyle = WS_EX_TOOLWINDOW;
  return args;
}

}  // namespace

FlashShotForm frmFlashShot;

FlashShotForm::FlashShotForm() : forms::Form(L"frmFlashShot", ShotFormDesign()) {
  OnUnload = [this](bool&) {
    swf_.reset();
    hShotSWF = nullptr;
  };
}

FlashShotForm::~FlashShotForm() { swf_.reset(); }

void FlashShotForm::CreateControls() {
  RECT client{};
  GetClientRect(hWnd(), &client);
  swf_ = std::make_unique<flash::FlashControl>(hWnd(), 0, 0, client.right, client.bottom);
  hShotSWF = FindWindowExW(hWnd(), nullptr, flash::kFlashWindowClass, L"");
}

flash::FlashControl& FlashShotForm::SWF() {
  if (!IsLoaded() || !swf_) Load();
  if (!swf_) CreateControls();
  return *swf_;
}

void FlashShotForm::PaintInto(HDC dc) {
  SWF();
  if (hShotSWF) SendMessageW(hShotSWF, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

void FlashShotForm::DoEvents() { forms::DoEvents(); }

bool TakeMovieSnapshot(const SWFInfo& info, bool forceUnload, const ShotSettings& settings, long satellite) {
  return TakeMovieSnapshot(frmFlashShot, frmFlashShot.myDib, info, forceUnload, satellite, settings);
}

void PrepareShot(const std::wstring& movieFileName, const std::wstring& playingPath, bool forceUnload,
                 const ShotSettings& settings, long satellite) {
  SWFInfo record;
  if (movieFileName != flash::kNoMovie) {
    WriteLog(L"Reading Info " + movieFileName + L"... ", false);
    std::wstring result = GetSWFInfo(movieFileName, record, false);
    WriteLog(result.empty() ? L"Ok" : result);
  }
  TakeMovieSnapshot(record, forceUnload, settings, satellite);
  if (DeletesShotCopy(record, settings.CacheMode, playingPath) && FileExists(record.Path))
    DeleteFileW(record.Path.c_str());
}

uint8_t GetFlashPlayerVersion() {
  const long version = frmFlashShot.SWF().FlashVersion();
  frmFlashShot.Unload();
  const long major = (version >> 16) & 0xFFFF;
  return major > 0 && major <= 255 ? static_cast<uint8_t>(major) : 0;
}
