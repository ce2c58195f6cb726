#include "ui/SmoothProgress.h"

#include <algorithm>

#include "platform/forms/Form.h"
#include "platform/forms/PictureBox.h"
#include "services/Languages.h"
#include "services/ShellMod.h"
#include "ui/DrawingModule.h"

namespace {

forms::PictureBox& MakeSurface(forms::Form& form, const SmoothProgressArgs& args) {
  forms::PictureBoxArgs a;
  a.Name = args.Name;
  a.Container = args.Container;
  a.Left = args.Left, a.Top = args.Top, a.Width = args.Width, a.Height = args.Height;
  return form.Add<forms::PictureBox>(a);
}

}  // namespace

SmoothProgress::SmoothProgress(forms::Form& form, const SmoothProgressArgs& args)
    : box_(MakeSurface(form, args)) {
  fill_ = TrackWidth();
  Paint();
}

int SmoothProgress::TrackWidth() const { return std::max(0, box_.Width() - 2); }
int SmoothProgress::TrackHeight() const { return std::max(0, box_.Height() - 2); }

HFONT SmoothProgress::Font() {
  if (!font_) {
    forms::FontSpec spec = box_.ParentForm().Font();
    if (!LangFont.Name.empty()) {
      spec.Name = LangFont.Name;
      spec.Size = LangFont.Size;
      spec.Charset = static_cast<BYTE>(LangFont.Charset);
    }
    font_.reset(forms::CreateFontFromSpec(spec));
  }
  return font_.get();
}

void SmoothProgress::SetCaption(const std::wstring& caption) {
  HDC dc = box_.hDC();
  if (dc) {
    ScopedSelect font(dc, Font());
    caption_ = CompactPath(caption, TrackWidth(), dc);
  } else {
    caption_ = caption;
  }
  Paint();
}

void SmoothProgress::SetStatus(float fraction) {
  double f = fraction <= 1 ? fraction : 1.0;
  if (f < 0) f = 0;
  fill_ = static_cast<int>(RoundEven(TrackWidth() * f));
  Paint();
}

void SmoothProgress::Move(int left, int top, int width, int height) {
  box_.Move(left, top, width, height);
  fill_ = TrackWidth();
  Paint();
}

void SmoothProgress::Paint() {
  HDC dc = box_.hDC();
  if (!dc) return;
  const int w = box_.Width(), h = box_.Height(), tw = TrackWidth(), th = TrackHeight();
  // The frame: the margin around the track shows this gradient as a sunken edge.
  DrawGradient(dc, {0, 0, w, h}, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DHIGHLIGHT), true);
  DrawStyledGradient(dc, {1, 1, 1 + tw, 1 + th}, GetSysColor(COLOR_BTNSHADOW), true);
  if (fill_ > 0) {
    // The fill is the track's gradient in the highlight colour, cut at its width.
    ScopedRegion clip(CreateRectRgn(1, 1, 1 + fill_, 1 + th));
    SelectClipRgn(dc, clip.get());
    DrawStyledGradient(dc, {1, 1, 1 + tw, 1 + th}, GetSysColor(COLOR_HIGHLIGHT), true);
    SelectClipRgn(dc, nullptr);
  }
  if (!caption_.empty()) {
    ScopedSelect font(dc, Font());
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption_.c_str(), static_cast<int>(caption_.size()), &extent);
    const int top = 1 + (th - extent.cy) / 2 - 1;
    RECT text{1, top, 1 + tw, top + extent.cy};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text,
              DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  box_.Refresh();
}
