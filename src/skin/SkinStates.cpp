#include "skin/SkinStates.h"

#include <cmath>

#include "base/ErrorLog.h"
#include "platform/forms/Forms.h"
#include "skin/SkinHost.h"
#include "skin/SkinItems.h"

namespace {

constexpr int kFadeMax = 20;

HWND TimerWindow() { return SkinWindow ? SkinWindow->Window().hWnd() : nullptr; }

const forms::Picture* StatePicture(const SkinItem& item, int state) {
  switch (state) {
    case SkinStateUp: return item.HasUp ? &item.PicUp : nullptr;
    case SkinStateOver: return item.HasOver ? &item.PicOver : nullptr;
    case SkinStateDown: return item.HasDown ? &item.PicDown : nullptr;
    case SkinStateDisabled: return item.HasDisabled ? &item.PicDisabled : nullptr;
    default: return nullptr;
  }
}

void StopFade(SkinItem& item) {
  if (item.TimerID != 0) KillTimer(TimerWindow(), item.TimerID);
  item.TimerID = 0;
}

}  // namespace

UINT SkinFadeInterval(int state) { return (state == SkinStateOver || state == SkinStateDisabled) ? 30 : 60; }

void SetSkinItemState(int index, int& state) {
  SkinItem* item = SkinItemAt(index);
  if (!item) return;
  if (state == SkinStateNone && !item->Stretch) return;
  bool changed = true;
  if (state == SkinStateNone) {
    state = item->State;
    changed = false;
  }
  const forms::Picture* picture = StatePicture(*item, state);
  if (!picture) return;
  if (item->State == state) changed = false;
  item->State = state;
  if (auto* box = dynamic_cast<forms::PictureBox*>(item->Control)) {
    if (!item->FadeDib) item->FadeDib = std::make_unique<cDIBSection>();
    item->FadeDib->CreateFromPicture(picture->Handle());
    HWND window = TimerWindow();
    if (changed && window) {
      bool rising = state == SkinStateOver || state == SkinStateDisabled;
      item->FadeStep = rising ? 1 : -1;
      item->FadeMax = kFadeMax;
      if (state == SkinStateUp) item->FadePos = kFadeMax;
      // The identifier is the item index: a running fade of the item is replaced.
      if (SetTimer(window, static_cast<UINT_PTR>(index), SkinFadeInterval(state), SkinTimerProc)) {
        item->TimerID = static_cast<UINT_PTR>(index);
      }
    } else {
      box->PaintPicture(*picture, 0, 0, box->Width(), box->Height());
      box->Refresh();
    }
  } else if (auto* image = dynamic_cast<forms::Image*>(item->Control)) {
    image->SetPicture(*picture);
  }
}

int SkinFadeAlpha(int index) {
  SkinItem* item = SkinItemAt(index);
  if (!item || item->FadeMax <= 0) return -1;
  double alpha = static_cast<double>(item->FadePos * 255) / item->FadeMax;
  if (item->FadeStep < 0) alpha = 255 - alpha;
  return static_cast<int>(std::nearbyint(alpha));
}

void CALLBACK SkinTimerProc(HWND, UINT, UINT_PTR idEvent, DWORD) {
  try {
    int index = static_cast<int>(idEvent);
    SkinItem* item = SkinItemAt(index);
    if (!item) {
      KillTimer(TimerWindow(), idEvent);
      return;
    }
    int alpha = SkinFadeAlpha(index);
    auto* box = dynamic_cast<forms::PictureBox*>(item->Control);
    if (box && item->FadeDib && item->FadeDib->hdc() && alpha >= 0) {
      BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(alpha), 0};
      AlphaBlend(box->hDC(), 0, 0, box->Width(), box->Height(), item->FadeDib->hdc(), 0, 0,
                 item->FadeDib->Width(), item->FadeDib->Height(), blend);
      box->Refresh();
    }
    item->FadePos += item->FadeStep;
    if (item->FadePos > item->FadeMax) {
      item->FadePos = item->FadeMax;
      StopFade(*item);
    } else if (item->FadePos < 0) {
      item->FadePos = 0;
      StopFade(*item);
    }
  } catch (...) {
    // Nothing leaves a timer callback.
  }
}

void SetSkinView(const std::wstring& name) {
  if (!SkinLoaded || !SkinWindow) return;
  std::wstring wanted = UpperInvariant(name);
  int found = 0;
  for (int i = 1; i <= SkinItemCount() && !found; ++i) {
    const SkinItem& item = *SkinItemAt(i);
    if (item.Type == SkinTypeView && UpperInvariant(item.Name) == wanted) found = i;
  }
  if (!found) {
    SetError(5, L"Skin", L"No such view \"" + name + L"\"");
    ReportError(L"Set Skin View " + name);
    return;
  }
  forms::Form& form = SkinWindow->Window();
  if (forms::Control* current = SkinControl(CurrentView)) current->SetVisible(false);
  auto* view = dynamic_cast<forms::PictureBox*>(SkinControl(found));
  if (!view) return;
  view->SetVisible(false);
  view->Move(0, 0, form.ScaleWidth(), form.ScaleHeight());
  form.SetBackColor(view->BackColor());
  if (forms::PictureBox* movie = SkinWindow->MovieView()) movie->SetContainer(view);
  if (forms::Control* flash = SkinWindow->MovieControl()) flash->ZOrder(forms::vbSendToBack);
  view->SetVisible(true);
  CurrentView = found;
  SkinWindow->UpdateSkin();
}

namespace {

template <class Get>
long SumToWindow(const forms::Control& control, HWND hWnd, Get get) {
  long sum = 0;
  const forms::Control* c = &control;
  while (c && c->hWnd() != hWnd) {
    sum += get(*c);
    forms::Container* outer = c->Container();
    if (!outer || outer->hWnd() == hWnd) break;
    c = outer->AsControl();
  }
  return sum;
}

}  // namespace

long GetControlLeft(const forms::Control& control, HWND hWnd) {
  return SumToWindow(control, hWnd, [](const forms::Control& c) { return c.Left(); });
}

long GetControlTop(const forms::Control& control, HWND hWnd) {
  return SumToWindow(control, hWnd, [](const forms::Control& c) { return c.Top(); });
}

void CutSkinRegions(HRGN target, HWND hWnd, int dx, int dy) {
  for (const SkinRegion& region : SkinRegions) {
    if (!region.Region || !region.Control) continue;
    ScopedRegion copy(CreateRectRgn(0, 0, 0, 0));
    if (!copy || CombineRgn(copy.get(), region.Region.get(), nullptr, RGN_COPY) == ERROR) continue;
    OffsetRgn(copy.get(), GetControlLeft(*region.Control, hWnd) + dx, GetControlTop(*region.Control, hWnd) + dy);
    CombineRgn(target, target, copy.get(), RGN_XOR);
  }
}
