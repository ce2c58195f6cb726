#include "ui/frmFlashShot.h"

#include "platform/forms/MessageLoop.h"

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
