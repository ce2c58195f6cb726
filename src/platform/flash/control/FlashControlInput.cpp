// The control's input: the pointer over the movie's buttons and clips, and
// the keyboard for its scripts and input text fields.
#include "platform/flash/control/FlashControl.h"

#include <windowsx.h>

#include "platform/flash/binding/MovieScripts.h"

namespace flash {

// ---- Mouse ------------------------------------------------------------------------

bool FlashControl::OnMouseMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_MOUSEMOVE:
      MouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), (wp & MK_LBUTTON) != 0);
      return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      MouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), msg == WM_LBUTTONDBLCLK);
      return true;
    case WM_LBUTTONUP:
      MouseUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return true;
    case WM_MOUSEWHEEL:
      return true;  // pages scroll only through TCallLabel
    case WM_MOUSELEAVE:
      Apply(buttons_.Leave());
      handShown_ = false;
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd_) {
        captured_ = false;
        if (buttons_.Pressed()) Apply(buttons_.Cancel());
      }
      return false;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wp) == hwnd_ && LOWORD(lp) == HTCLIENT && WantsHand()) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
      }
      return false;
    default:
      return false;
  }
}

void FlashControl::MouseMove(int x, int y, bool buttonDown) {
  if (page_) {
    page_->MouseMove(*this, x, y, buttonDown);
    PostEvents();
    return;
  }
  double sx = 0, sy = 0;
  if (player_ && StagePoint(x, y, sx, sy)) {
    scripts_->Mouse(0, sx, sy);
    AfterScripts();
    if (!player_) return;
  }
  SyncButtons();
  Apply(buttons_.Move(ButtonAt(x, y), buttonDown));
  ShowPointer();
}

void FlashControl::MouseDown(int x, int y, bool doubleClick) {
  ::SetFocus(hwnd_);
  if (page_) {
    if (doubleClick)
      page_->DoubleClick(*this, x, y);
    else
      page_->MouseDown(*this, x, y);
    // The page follows a drag (its scroll bar) until the button is released.
    if (page_ && hwnd_ && GetCapture() != hwnd_) {
      SetCapture(hwnd_);
      captured_ = GetCapture() == hwnd_;
    }
    PostEvents();
    return;
  }
  double sx = 0, sy = 0;
  if (player_ && StagePoint(x, y, sx, sy)) {
    FocusFieldAt(x, y);
    scripts_->Mouse(1, sx, sy);
    AfterScripts();
    if (!player_) return;
  }
  SyncButtons();
  Apply(buttons_.Press(ButtonAt(x, y)));
  if (buttons_.Pressed() && hwnd_ && GetCapture() != hwnd_) {
    SetCapture(hwnd_);
    captured_ = GetCapture() == hwnd_;
  }
  ShowPointer();
}

void FlashControl::MouseUp(int x, int y) {
  if (page_) {
    if (captured_) {
      captured_ = false;
      ReleaseCapture();
    }
    page_->Click(*this, x, y);
    return;
  }
  double sx = 0, sy = 0;
  if (player_ && StagePoint(x, y, sx, sy)) {
    scripts_->Mouse(2, sx, sy);
    AfterScripts();
    if (!player_) return;
  }
  SyncButtons();
  Apply(buttons_.Release(ButtonAt(x, y)));
  if (captured_) {
    captured_ = false;
    ReleaseCapture();
  }
  ShowPointer();
}

// ---- Keys ---------------------------------------------------------------------------

bool FlashControl::OnKeyMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  result = 0;
  if (msg == WM_GETDLGCODE) {
    result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    return true;
  }
  if (page_) {
    if (msg == WM_KEYDOWN && page_->Key(*this, static_cast<int>(wp))) {
      PostEvents();
      return true;
    }
    return false;
  }
  if (!player_) return false;
  if (msg == WM_CHAR)
    scripts_->Char(static_cast<wchar_t>(wp));
  else
    scripts_->Key(msg == WM_KEYDOWN, static_cast<int>(wp),
                           static_cast<wchar_t>(MapVirtualKeyW(static_cast<UINT>(wp), MAPVK_VK_TO_CHAR)));
  AfterScripts();
  return true;
}

// ---- Buttons ----------------------------------------------------------------------

// The levels top-most first; a path found in level n > 0 opens with -n.
std::optional<ButtonPath> FlashControl::ButtonAt(int x, int y) {
  if (!movie_ || !player_ || page_ || !hwnd_) return std::nullopt;
  RECT client{};
  GetClientRect(hwnd_, &client);
  MovieScripts& scripts = *scripts_;
  const FrameView view = ViewOf(client.right, client.bottom);
  auto isButton = [&scripts](const Clip& clip) { return scripts.IsButtonClip(clip); };
  const auto& levels = player_->Levels();
  for (auto it = levels.rbegin(); it != levels.rend(); ++it) {
    auto found = hitTester_.ButtonAt(*it->second->movie, *it->second, Origin(), view, x, y, isButton);
    if (found) {
      found->depths.insert(found->depths.begin(), -it->first);
      return found;
    }
  }
  return hitTester_.ButtonAt(*movie_, player_->Root(), Origin(), view, x, y, isButton);
}

bool FlashControl::StagePoint(int x, int y, double& sx, double& sy) {
  if (!movie_ || !hwnd_) return false;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const StageView view = ViewOf(client.right, client.bottom).view;
  if (view.scaleX <= 0 || view.scaleY <= 0) return false;
  sx = (x - view.left) / view.scaleX + movie_->frame.left;
  sy = (y - view.top) / view.scaleY + movie_->frame.top;
  return true;
}

// A click on an input text field gives it the keyboard; anywhere else takes it away.
void FlashControl::FocusFieldAt(int x, int y) {
  if (!player_ || !hwnd_) return;
  RECT client{};
  GetClientRect(hwnd_, &client);
  const FrameView view = ViewOf(client.right, client.bottom);
  std::optional<ButtonPath> field;
  const auto& levels = player_->Levels();
  for (auto it = levels.rbegin(); it != levels.rend() && !field; ++it)
    if ((field = hitTester_.FieldAt(*it->second->movie, *it->second, Origin(), view, x, y)))
      field->depths.insert(field->depths.begin(), -it->first);
  if (!field) field = hitTester_.FieldAt(*movie_, player_->Root(), Origin(), view, x, y);
  scripts_->Focus(field ? &field->depths : nullptr);
  Invalidate();
}

// Draws each button in its new state and runs the actions its transition
// calls for, in the timeline that holds it; what they raise is posted.
void FlashControl::Apply(const std::vector<ButtonTransition>& transitions) {
  if (!player_ || transitions.empty()) return;
  const uint64_t changesBefore = player_->Changes();
  const bool wasPlaying = player_->Playing();
  bool repaint = false;
  for (const ButtonTransition& t : transitions) {
    if (!player_) return;
    Clip* parent = nullptr;
    DisplayObject* obj = player_->ObjectAt(t.button.depths, &parent);
    if (!obj || obj->character != t.button.character) continue;  // gone meanwhile
    if (obj->buttonState != t.state && !obj->clip) {
      if (sounds_) sounds_->ButtonChanged(*parent, t.button.character, obj->buttonState, t.state);
      obj->buttonState = t.state;
      repaint = true;
    }
    if (t.condition) scripts_->ButtonEvent(t.button.depths, t.condition);
  }
  if (!player_) return;
  if (!wasPlaying && player_->Playing()) Anchor();
  SyncButtons();
  AfterScripts();
  if (repaint || player_->Changes() != changesBefore) Invalidate();
}

// After the display list changed: the tracked button shows its state again
// if it was placed anew, and is forgotten if it is gone.
void FlashControl::SyncButtons() {
  const auto& current = buttons_.Current();
  if (!current) return;
  DisplayObject* obj = player_ ? player_->ObjectAt(current->depths) : nullptr;
  if (!obj || obj->character != current->character) {
    buttons_.Reset();
    return;
  }
  if (obj->buttonState != buttons_.State() && !obj->clip) {
    obj->buttonState = buttons_.State();
    Invalidate();
  }
}

bool FlashControl::WantsHand() {
  const auto& current = buttons_.Current();
  if (!current || !movie_ || !player_ || buttons_.State() == kButtonUp) return false;
  Clip* parent = nullptr;
  DisplayObject* obj = player_->ObjectAt(current->depths, &parent);
  bool handlers = false;
  if (obj && (obj->clip || obj->object)) {
    // A clip or button with handlers shows the hand unless it says not to.
    script::Vm& vm = scripts_->Vm();
    const script::Value self = obj->clip ? scripts_->ValueOf(player_->Root(), *obj) : script::Value::Obj(obj->object);
    const script::Value hand = vm.Get(self, vm.Intern(L"useHandCursor"));
    if (!hand.IsUndefined() && !vm.ToBool(hand)) return false;
    if (obj->clip) return true;
    for (const wchar_t* name : {L"onPress", L"onRelease", L"onRollOver", L"onReleaseOutside"}) {
      const script::Value fn = vm.Get(self, vm.Intern(name));
      handlers = handlers || (fn.IsObject() && fn.AsObject()->IsCallable());
    }
  }
  if (handlers) return true;
  const int frame = parent && parent->home ? parent->home->frame : player_->CurrentFrame();
  return !hitTester_.ActionsOf(player_->MovieOf(parent), current->character, frame).empty();
}

// Called for the pointer's own messages: the cursor changes as soon as the
// pointer enters or leaves a button with actions.
void FlashControl::ShowPointer() {
  const bool hand = WantsHand();
  if (hand == handShown_) return;
  handShown_ = hand;
  SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
}

// The pointer left without a message saying so: the button it was over goes back up.
void FlashControl::CheckPointerLeft() {
  if (!buttons_.Current() || buttons_.Pressed() || !hwnd_) return;
  POINT pt{};
  if (!GetCursorPos(&pt) || WindowFromPoint(pt) == hwnd_) return;
  Apply(buttons_.Leave());
  handShown_ = false;
}

}  // namespace flash
