#include "tools/thumbnails/frmShot.h"

#include "base/ErrorLog.h"
#include "platform/forms/CommandButton.h"
#include "platform/forms/Label.h"
#include "platform/forms/MessageLoop.h"
#include "platform/forms/PictureBox.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"
#include "ui/LanguageForms.h"
#include "ui/SmoothProgress.h"

namespace tools {
namespace {

constexpr int kWidth = 420, kHeight = 168;  // the band ends at 112
constexpr int kPreviewX = 16, kPreviewY = 8;
constexpr int kTextLeft = 152;

class RunProgress final : public player::ThumbnailProgress {
 public:
  explicit RunProgress(int count) { ShotWindow().Begin(count, this); }
  ~RunProgress() override { ShotWindow().End(); }
  void Step(int index, int count, const std::wstring& caption, const std::wstring& path) override {
    ShotWindow().Step(index, count, caption, path);
  }
  void Preview(const cDIBSection& picture) override { ShotWindow().Preview(picture); }
  void DoEvents() override { forms::DoEvents(); }
};

}  // namespace

frmShot& ShotWindow() { return Instance<frmShot>(); }

std::unique_ptr<player::ThumbnailProgress> OpenShotProgress(int count) { return std::make_unique<RunProgress>(count); }

frmShot::frmShot() : ToolWindow(L"frmShot", forms::FixedDialogArgs(L"Thumbnails Creation", kWidth, kHeight)) {}

frmShot::~frmShot() = default;

void frmShot::CreateControls() {
  auto wait = forms::Placed<forms::LabelArgs>(L"lblWait", kTextLeft, 12, kWidth - kTextLeft - 16, 34);
  wait.Caption = L"Please wait, while thumbnails are being created and saved...";
  wait.BackStyle = 0;
  wait.WordWrap = true;
  lblWait = &Add<forms::Label>(wait);
  SmoothProgressArgs bar;
  bar.Name = L"Progress";
  bar.Left = kTextLeft;
  bar.Top = 52;
  bar.Width = kWidth - kTextLeft - 16;
  bar.Height = 20;
  Progress = std::make_unique<SmoothProgress>(*this, bar);
  auto status = forms::Placed<forms::LabelArgs>(L"lblStatus", kTextLeft, 80, kWidth - kTextLeft - 16, 18);
  status.BackStyle = 0;
  status.UseMnemonic = false;
  lblStatus = &Add<forms::Label>(status);
  cbCancel = &AddButton(L"cbCancel", L"Stop");
  cbCancel->SetCausesValidation(false);
  cbCancel->OnClick = [this] { cbCancel_Click(); };
  forms::CommandButton& help = AddHelpButton();
  PlaceButtonRow({cbCancel, &help});
}

void frmShot::Form_Load() {
  ApplyLanguage(*this);
  // The main window takes no input while thumbnails are made.
  if (MainForm) EnableWindow(MainForm, FALSE);
  SetVisual();
  if (HDC dc = hDC()) DrawShadow(dc, kPreviewX, kPreviewY);
}

void frmShot::Form_Unload() {
  if (MainForm) EnableWindow(MainForm, TRUE);
  Progress.reset();
}

void frmShot::End() {
  run_ = nullptr;
  Close();
}

void frmShot::Begin(int count, player::ThumbnailProgress* run) {
  state_ = ShotProgress(count);
  run_ = run;
  lastShown_ = 0;
  Open(0);
  if (Progress) {
    Progress->SetStatus(0);
    Progress->Surface().SetVisible(state_.BarVisible());
  }
  cbCancel->SetEnabled(true);
}

void frmShot::Step(int index, int count, const std::wstring& caption, const std::wstring& path) {
  state_.Step(index, count, caption, path);
  if (!IsLoaded()) return;
  // Drawn about ten times a second: a fast run is not slowed by its own progress.
  const ULONGLONG now = GetTickCount64();
  if (index > 1 && index < count && now - lastShown_ < 100) {
    forms::DoEvents();
    return;
  }
  lastShown_ = now;
  if (Progress) {
    Progress->SetCaption(state_.Caption());
    Progress->SetStatus(state_.Fraction());
  }
  lblStatus->SetCaption(CompactPath(path, lblStatus->Width(), hDC()));
  forms::DoEvents();
}

void frmShot::Preview(const cDIBSection& picture) {
  if (GetTickCount64() - lastShown_ > 20) return;  // shown with the step just drawn
  HDC dc = IsLoaded() ? hDC() : nullptr;
  if (!dc || picture.Width() <= 0) return;
  BitBlt(dc, kPreviewX, kPreviewY, picture.Width(), picture.Height(), picture.hdc(), 0, 0, SRCCOPY);
  Refresh();
}

void frmShot::cbCancel_Click() {
  if (state_.Stop() && run_) run_->PressStop();
  cbCancel->SetEnabled(false);
}

}  // namespace tools
