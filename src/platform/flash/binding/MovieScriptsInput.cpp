// The pointer and the keyboard as a movie's scripts see them: buttons and
// button-like clips, clip events and listeners of the mouse and keys, the
// focused input field, and dragging.
#include <windows.h>

#include <algorithm>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"

namespace flash {
namespace {

// The code a clip event or key press sends as its key (the button and
// keyPress table): arrows, navigation keys and the like, else the character.
int KeyPressCode(int vk, wchar_t ascii) {
  switch (vk) {
    case VK_LEFT: return 1;
    case VK_RIGHT: return 2;
    case VK_HOME: return 3;
    case VK_END: return 4;
    case VK_INSERT: return 5;
    case VK_DELETE: return 6;
    case VK_BACK: return 8;
    case VK_RETURN: return 13;
    case VK_UP: return 14;
    case VK_DOWN: return 15;
    case VK_PRIOR: return 16;
    case VK_NEXT: return 17;
    case VK_TAB: return 18;
    case VK_ESCAPE: return 19;
    default: return ascii >= 32 && ascii < 128 ? ascii : 0;
  }
}

}  // namespace

using script::Object;
using script::Value;

bool MovieScripts::IsButtonClip(const Clip& clip) {
  if (!clip.object || !clip.entry || !clip.entry->visible) return false;
  const Value self = Value::Obj(clip.object);
  const Value enabled = vm_->Get(self, Key(L"enabled"));
  if (!enabled.IsUndefined() && !vm_->ToBool(enabled)) return false;
  const uint32_t pointerEvents = kEventPress | kEventRelease | kEventReleaseOutside | kEventRollOver | kEventRollOut |
                                 kEventDragOver | kEventDragOut;
  if (clip.entry->eventMask & pointerEvents) return true;
  for (const wchar_t* handler :
       {L"onPress", L"onRelease", L"onReleaseOutside", L"onRollOver", L"onRollOut", L"onDragOver", L"onDragOut"}) {
    const Value fn = vm_->Get(self, Key(handler));
    if (fn.IsObject() && fn.AsObject()->IsCallable()) return true;
  }
  return false;
}

void MovieScripts::ButtonEvent(const std::vector<int32_t>& path, uint16_t condition) {
  Clip* parent = nullptr;
  DisplayObject* entry = player_.ObjectAt(path, &parent);
  if (!entry || !parent) return;
  static const struct {
    uint16_t condition;
    uint32_t event;
    const wchar_t* method;
  } kinds[] = {{kIdleToOverUp, kEventRollOver, L"onRollOver"},     {kOverUpToIdle, kEventRollOut, L"onRollOut"},
               {kOverUpToOverDown, kEventPress, L"onPress"},        {kOverDownToOverUp, kEventRelease, L"onRelease"},
               {kOverDownToOutDown, kEventDragOut, L"onDragOut"},   {kOutDownToOverDown, kEventDragOver, L"onDragOver"},
               {kOutDownToIdle, kEventReleaseOutside, L"onReleaseOutside"}};
  if (entry->clip) {
    MovieClipObject* o = ObjectOf(*entry->clip);
    for (const auto& k : kinds)
      if (k.condition & condition) Event(o, entry, k.event, k.method, false);
  } else {
    const Character* ch = player_.Find(parent, entry->character);
    MovieClipObject* timeline = ObjectOf(*parent);
    if (ch)
      for (const ButtonAction& a : ReadButtonActions(*ch, player_.MovieOf(parent).version))
        if (a.conditions & condition) Enqueue(Queued{Queued::kCode, timeline, a.code});
    if (entry->object)
      for (const auto& k : kinds)
        if (k.condition & condition) Event(entry->object, nullptr, 0, k.method, false);
  }
  Drain();
  AfterFrame();
}

void MovieScripts::Mouse(int kind, double stageX, double stageY) {
  mouseX_ = stageX, mouseY_ = stageY;
  if (kind == 0) Drag();
  if (kind == 2 && dragged_ && dragged_->TheClip()) {
    // Where a dragged clip is let go: the top-most other clip under the pointer.
    const Clip* dragged = dragged_->TheClip();
    std::wstring found;
    EachClip([&](Clip& c) {
      for (const Clip* p = &c; p; p = p->parent)
        if (p == dragged) return;
      if (c.entry && c.entry->visible && Covers(c.parent, *c.entry, stageX, stageY, false)) found = ObjectOf(c)->Path(true);
    });
    dropTarget_ = found;
  }
  const uint32_t event = kind == 0 ? kEventMouseMove : kind == 1 ? kEventMouseDown : kEventMouseUp;
  const wchar_t* method = kind == 0 ? L"onMouseMove" : kind == 1 ? L"onMouseDown" : L"onMouseUp";
  EachClip([&](Clip& c) {
    MovieClipObject* o = ObjectOf(c);
    Event(o, c.entry, event, method, false);
  });
  vm_->Broadcast(vm_->GlobalObject(L"Mouse"), method);
  Drain();
  AfterFrame();
}

void MovieScripts::Key(bool down, int virtualKey, wchar_t ascii) {
  vm_->SetKey(virtualKey, ascii, down);
  if (down && focus_ && focus_->Entry() && focus_->Entry()->text && focus_->Parent()) {
    if (focus_->Entry()->text->Key(virtualKey)) TypedInto(*focus_->Parent(), *focus_->Entry());
  }
  const uint32_t event = down ? kEventKeyDown : kEventKeyUp;
  const int code = down ? KeyPressCode(virtualKey, ascii) : 0;
  EachClip([&](Clip& c) {
    MovieClipObject* o = ObjectOf(c);
    Event(o, c.entry, event, nullptr, false);
    if (code && c.entry && (c.entry->eventMask & kEventKeyPress))
      for (const ClipEventRecord& r : c.entry->events)
        if ((r.events & kEventKeyPress) && r.keyCode == code) Enqueue(Queued{Queued::kCode, o, r.code});
    if (!code) return;
    for (auto& [depth, entry] : c.objects) {
      if (entry.clip || !entry.character) continue;
      const Character* ch = player_.Find(&c, entry.character);
      if (!ch || ch->tagCode != SwfTag::DefineButton2) continue;
      for (const ButtonAction& a : ReadButtonActions(*ch, player_.MovieOf(&c).version))
        if (a.keyCode == code) Enqueue(Queued{Queued::kCode, o, a.code});
    }
  });
  vm_->Broadcast(vm_->GlobalObject(L"Key"), down ? L"onKeyDown" : L"onKeyUp");
  Drain();
  AfterFrame();
}

void MovieScripts::Char(wchar_t ch) {
  if (!focus_ || !focus_->Entry() || !focus_->Entry()->text || !focus_->Parent()) return;
  if (focus_->Entry()->text->Type(ch)) TypedInto(*focus_->Parent(), *focus_->Entry());
  Drain();
  AfterFrame();
}

void MovieScripts::Focus(const std::vector<int32_t>* path) {
  DisplayObject* entry = path ? player_.ObjectAt(*path) : nullptr;
  const bool input = entry && entry->text && entry->text->input && entry->object;
  FocusField(input ? static_cast<EntryObject*>(entry->object) : nullptr);
  Drain();
}

bool MovieScripts::FocusField(EntryObject* field) {
  TextFieldState* next = field && field->Entry() ? field->Entry()->text.get() : nullptr;
  if (field && !next) return false;
  EntryObject* old = focus_;
  if (focus_ && focus_->Entry() && focus_->Entry()->text) {
    focus_->Entry()->text->focused = false;
    ++focus_->Entry()->text->version;
    player_.Changed();
  }
  focus_ = field;
  if (next) {
    next->focused = true;
    next->caret = next->data.text.size();
    ++next->version;
    player_.Changed();
  }
  if (old != field) FocusChanged(*this, old, field);
  return true;
}

void MovieScripts::StartDrag(MovieClipObject* clip, bool lockCenter, const double* constraint) {
  Clip* c = clip ? clip->TheClip() : nullptr;
  if (!c || !c->entry) return;
  dragged_ = clip;
  dragLock_ = lockCenter;
  dragConstrained_ = constraint != nullptr;
  if (constraint) std::copy(constraint, constraint + 4, dragRect_);
  // The pointer in the parent's twips, against the clip's place there.
  const Matrix parent = WorldOf(c->parent);
  Xform inverse;
  Xform::From(parent).Invert(inverse);
  const double px = inverse.X(mouseX_, mouseY_), py = inverse.Y(mouseX_, mouseY_);
  dragOffsetX_ = lockCenter ? 0 : c->entry->matrix.tx - px;
  dragOffsetY_ = lockCenter ? 0 : c->entry->matrix.ty - py;
  Drag();
}

void MovieScripts::StopDrag() { dragged_ = nullptr; }

void MovieScripts::Drag() {
  Clip* c = dragged_ ? dragged_->TheClip() : nullptr;
  if (!c || !c->entry) {
    dragged_ = nullptr;
    return;
  }
  Xform inverse;
  Xform::From(WorldOf(c->parent)).Invert(inverse);
  double x = inverse.X(mouseX_, mouseY_) + dragOffsetX_, y = inverse.Y(mouseX_, mouseY_) + dragOffsetY_;
  if (dragConstrained_) {
    x = std::clamp(x, std::min(dragRect_[0], dragRect_[2]) * 20, std::max(dragRect_[0], dragRect_[2]) * 20);
    y = std::clamp(y, std::min(dragRect_[1], dragRect_[3]) * 20, std::max(dragRect_[1], dragRect_[3]) * 20);
  }
  DisplayObject& e = *c->entry;
  e.matrix.tx = static_cast<int32_t>(std::lround(x));
  e.matrix.ty = static_cast<int32_t>(std::lround(y));
  e.scripted = true;
  player_.Changed();
}

}  // namespace flash
