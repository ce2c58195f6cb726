#include "ui/SlideBar.h"

#include <algorithm>

#include "platform/forms/Form.h"
#include "platform/forms/PictureBox.h"
#include "platform/forms/Timer.h"
#include "services/Languages.h"
#include "services/Services.h"
#include "ui/DrawingModule.h"

namespace {

forms::PictureBox& MakeSurface(forms::Form& form, const SlideBarArgs& args) {
  forms::PictureBoxArgs a;
  a.Name = args.Name;
  a.Container = args.Container;
  a.Left = args.Left, a.Top = args.Top, a.Width = args.Width, a.Height = args.Height;
  a.TabStop = true;  // takes the focus, for Ctrl+Tab
  return form.Add<forms::PictureBox>(a);
}

forms::Timer& MakeTimer(forms::Form& form, const std::wstring& name) {
  forms::TimerArgs t;
  t.Name = name;
  t.Interval = 40;
  t.Enabled = false;
  return form.Add<forms::Timer>(t);
}

}  // namespace

SlideBar::Frame SlideBar::SelectionFrame(int step, int steps, long cellWidth, long height) {
  const double a = static_cast<BYTE>(RoundEven(128.0 / steps));
  Frame f;
  f.Alpha = static_cast<BYTE>(RoundEven(2.0 * step * a / steps + 48));
  f.Width = RoundEven(cellWidth + cellWidth * static_cast<double>(steps - step) / steps);
  f.Height = RoundEven(height + height * static_cast<double>(steps - step) / steps / 4);
  return f;
}

long SlideBar::SlideStep(long offset, long target) {
  const long step = RoundEven((target - offset) / 4.0);
  if (step != 0) return step;
  return target > offset ? 1 : target < offset ? -1 : 0;
}

SlideBar::SlideBar(forms::Form& form, const SlideBarArgs& args)
    : form_(form),
      box_(MakeSurface(form, args)),
      stateTimer_(MakeTimer(form, args.Name + L"_tmrState")),
      slideTimer_(MakeTimer(form, args.Name + L"_tmrSlide")),
      cellColour_(BlendColors(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), 128)) {
  stateTimer_.OnTimer = [this] { StateTick(); };
  slideTimer_.OnTimer = [this] { SlideTick(); };
  box_.OnMouseDown = [this](int button, int, int x, int) { MouseDown(button, x); };
  box_.OnMouseMove = [this](int button, int, int x, int) { MouseDown(button, x); };
  box_.OnKeyUp = [this](int& keyCode, int shift) { KeyUp(keyCode, shift); };
}

bool SlideBar::ControlsAlive() const {
  const auto& controls = form_.Controls();
  return std::find(controls.begin(), controls.end(), static_cast<forms::Control*>(&box_)) != controls.end();
}

SlideBar::~SlideBar() {
  // The form may outlive this object: its controls must no longer call back.
  if (!ControlsAlive()) return;
  stateTimer_.OnTimer = nullptr;
  slideTimer_.OnTimer = nullptr;
  stateTimer_.SetEnabled(false);
  slideTimer_.SetEnabled(false);
  box_.OnMouseDown = nullptr;
  box_.OnMouseMove = nullptr;
  box_.OnKeyUp = nullptr;
}

bool SlideBar::Animating() const { return stateTimer_.Enabled(); }
bool SlideBar::Sliding() const { return slideTimer_.Enabled(); }

void SlideBar::AddPanel(const std::wstring& caption, const std::wstring& key) { items_.push_back({caption, key}); }

void SlideBar::MakeCaptionFont(HDC dc) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  LOGFONTW lf = metrics.lfMenuFont;
  if (!LangFont.Name.empty()) {
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    lf.lfHeight = -RoundEven((LangFont.Size - 1) * dpi / 72.0);
    lf.lfWidth = 0;
    lf.lfWeight = FW_NORMAL;
    lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = FALSE;
    lf.lfCharSet = static_cast<BYTE>(LangFont.Charset);
    lstrcpynW(lf.lfFaceName, LangFont.Name.c_str(), LF_FACESIZE);
  }
  captionFont_.reset(CreateFontIndirectW(&lf));
}

void SlideBar::Create() {
  if (cellWidth_ == 0) cellWidth_ = 84;
  const long h = box_.ScaleHeight(), w = box_.ScaleWidth();
  const long count = Count();
  stripWidth_ = count * cellWidth_;
  selectedCell_.Create(cellWidth_, h);
  animationCell_.Create(cellWidth_, h);
  if (count > 0) strip_.Create(stripWidth_, h);
  MakeCaptionFont(box_.hDC());
  for (HDC dc : {selectedCell_.hdc(), strip_.hdc()}) {
    if (!dc) continue;
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, captionFont_.get());
  }
  stripFits_ = stripWidth_ < w;
  if (stripFits_) {
    DrawGradient(box_.hDC(), {stripWidth_, 0, w, h}, GetSysColor(COLOR_3DHIGHLIGHT), cellColour_, true);
    box_.Refresh();
  }
  for (long i = 0; i < count; ++i) DrawItem(i);
}

void SlideBar::DrawCaption(HDC dc, const RECT& cell, const std::wstring& text, COLORREF colour) {
  RECT measured = cell;
  DrawTextW(dc, text.c_str(), -1, &measured, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  RECT placed = cell;
  placed.top = cell.bottom - (measured.bottom - measured.top);
  SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), -1, &placed, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

void SlideBar::DrawItem(long index) {
  if (index < 0 || index >= Count()) return;
  const Item& item = items_[index];
  const long h = box_.ScaleHeight();
  const long imageX = RoundEven((cellWidth_ - 48) / 2.0), imageY = RoundEven((h - 48) / 2.0 - 6);
  if (index == selected_ && selectedCell_.hdc()) {
    HDC dc = selectedCell_.hdc();
    const RECT cell{0, 0, cellWidth_, h};
    DrawGradient(dc, cell, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DDKSHADOW), true);
    DrawPNG(ImagesFolder + item.Key, dc, imageX, imageY, false);
    DrawCaption(dc, cell, item.Caption, GetSysColor(COLOR_HIGHLIGHTTEXT));
    steps_ = AnimationSteps;
    step_ = 0;
    stateTimer_.SetEnabled(true);
    selectedRect_ = {selected_ * cellWidth_, 0, selected_ * cellWidth_ + cellWidth_, h};
    SlideIn();
  }
  if (!(index == selected_ && previous_ >= 0) && strip_.hdc()) {
    HDC dc = strip_.hdc();
    const RECT cell{index * cellWidth_, 0, index * cellWidth_ + cellWidth_, h};
    DrawStyledGradient(dc, cell, cellColour_, true);
    DrawPNG(ImagesFolder + item.Key, dc, cell.left + imageX, imageY, false);
    DrawCaption(dc, cell, item.Caption, GetSysColor(COLOR_BTNTEXT));
    if (stripFits_) BlitView();
  }
  if (index == selected_ && animationCell_.hdc() && strip_.hdc())
    BitBlt(animationCell_.hdc(), 0, 0, cellWidth_, h, strip_.hdc(), selectedRect_.left, selectedRect_.top, SRCCOPY);
}

void SlideBar::StateTick() {
  const long h = box_.ScaleHeight();
  if (step_ > steps_) step_ = steps_;
  const Frame f = SelectionFrame(step_, steps_, cellWidth_, h);
  ++step_;
  if (step_ >= steps_) {
    stateTimer_.SetEnabled(false);
    BitBlt(strip_.hdc(), selectedRect_.left, selectedRect_.top, cellWidth_, h, selectedCell_.hdc(), 0, 0, SRCCOPY);
  } else {
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, f.Alpha, 0};
    AlphaBlend(animationCell_.hdc(), RoundEven((cellWidth_ - f.Width) / 2.0), RoundEven((h - f.Height) / 2.0),
               f.Width, f.Height, selectedCell_.hdc(), 0, 0, cellWidth_, h, blend);
    BitBlt(strip_.hdc(), selectedRect_.left, selectedRect_.top, cellWidth_, h, animationCell_.hdc(), 0, 0, SRCCOPY);
  }
  BlitView();
}

void SlideBar::SlideIn() {
  const long w = box_.ScaleWidth();
  const long right = (selected_ + 1) * cellWidth_ - offset_;
  if (w < right)
    SetOffset((selected_ + 1) * cellWidth_ - w);
  else if (selected_ * cellWidth_ - offset_ < 0)
    SetOffset(selected_ * cellWidth_);
}

void SlideBar::SetOffset(long target) {
  target_ = target;
  slideTimer_.SetEnabled(true);
}

void SlideBar::SlideTick() {
  offset_ += SlideStep(offset_, target_);
  if (offset_ != target_) {
    // A half-transparent frame over the previous ones leaves a short trail.
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 128, 0};
    const long w = std::min<long>(box_.ScaleWidth(), stripWidth_ - offset_);
    if (w > 0) AlphaBlend(box_.hDC(), 0, 0, w, box_.ScaleHeight(), strip_.hdc(), offset_, 0, w, box_.ScaleHeight(), blend);
  } else {
    slideTimer_.SetEnabled(false);
  }
  BlitView();
}

void SlideBar::BlitView() {
  HDC dc = box_.hDC();
  if (offset_ == target_ && dc && strip_.hdc()) {
    const long w = std::min<long>(box_.ScaleWidth(), stripWidth_ - offset_);
    if (w > 0) BitBlt(dc, 0, 0, w, box_.ScaleHeight(), strip_.hdc(), offset_, 0, SRCCOPY);
  }
  box_.Refresh();
}

void SlideBar::ClickItem(long index) {
  if (index == selected_) return;
  forms::Raise(L"Click", OnClick, index);
  if (index < 0 || index >= Count() || index == selected_) return;
  previous_ = selected_;
  selected_ = index;
  DrawItem(previous_);
  DrawItem(selected_);
}

void SlideBar::KeyUp(int keyCode, int shift) {
  // Only Ctrl+Tab and Ctrl+Shift+Tab page; a plain Tab moves the focus and no more.
  if (keyCode != VK_TAB || Count() == 0) return;
  long next;
  if (shift == 2)
    next = selected_ + 1;
  else if (shift == 3)
    next = selected_ - 1;
  else
    return;
  if (next > Count() - 1) next = 0;
  if (next < 0) next = Count() - 1;
  ClickItem(next);
}

void SlideBar::MouseDown(int button, int x) {
  if (button != 1 || cellWidth_ <= 0) return;
  const long p = x + offset_;
  if (p >= 0 && p < stripWidth_) ClickItem(p / cellWidth_);
}
