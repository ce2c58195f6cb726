// MovieClip: the script object of a clip, the property table shared with
// text fields and buttons, and the MovieClip methods (timeline, entries
// made by scripts, depths, geometry, dragging, masks, loading, drawing).
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/script/builtins/Builtins.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::String;
using script::Value;
using script::Vm;

constexpr double kPi = 3.14159265358979323846;
const wchar_t* const kPropertyNames[script::kPropCount] = {
    L"_x", L"_y", L"_xscale", L"_yscale", L"_currentframe", L"_totalframes", L"_alpha", L"_visible",
    L"_width", L"_height", L"_rotation", L"_target", L"_framesloaded", L"_name", L"_droptarget", L"_url",
    L"_highquality", L"_focusrect", L"_soundbuftime", L"_quality", L"_xmouse", L"_ymouse"};

// What scripts see of a matrix: scales in percent and a rotation in degrees.
void Decompose(DisplayObject& e) {
  if (e.transformKnown) return;
  const Matrix& m = e.matrix;
  e.xscale = std::hypot(m.a, m.b) * 100;
  e.yscale = std::hypot(m.c, m.d) * 100;
  if (m.a * m.d - m.b * m.c < 0) e.yscale = -e.yscale;
  e.rotation = std::atan2(m.b, m.a) * 180 / kPi;
  e.transformKnown = true;
}

void Recompose(DisplayObject& e) {
  const double r = e.rotation * kPi / 180, xs = e.xscale / 100, ys = e.yscale / 100;
  e.matrix.a = xs * std::cos(r), e.matrix.b = xs * std::sin(r);
  e.matrix.c = -ys * std::sin(r), e.matrix.d = ys * std::cos(r);
  e.scripted = true;
}

double Finite(Vm& vm, const Value& v, bool& ok) {
  const double d = vm.ToNumber(v);
  ok = std::isfinite(d);
  return d;
}

}  // namespace

int PropertyIndex(MovieScripts& owner, String* key) {
  for (size_t i = 0; i < owner.propertyKeys.size(); ++i)
    if (owner.propertyKeys[i] == key) return static_cast<int>(i);
  return -1;
}

Value EntryProperty(MovieScripts& owner, Clip* parent, DisplayObject* entry, Clip* clip, int index) {
  Vm& vm = owner.Vm();
  const Clip* base = clip ? clip : parent;
  switch (index) {
    case script::kPropX: return Value::Number(entry ? entry->matrix.tx / 20.0 : 0);
    case script::kPropY: return Value::Number(entry ? entry->matrix.ty / 20.0 : 0);
    case script::kPropXScale:
    case script::kPropYScale:
    case script::kPropRotation: {
      if (!entry) return Value::Number(index == script::kPropRotation ? 0 : 100);
      Decompose(*entry);
      return Value::Number(index == script::kPropXScale ? entry->xscale
                           : index == script::kPropYScale ? entry->yscale
                                                          : entry->rotation);
    }
    case script::kPropCurrentFrame: return Value::Number(clip ? clip->frame + 1 : 1);
    case script::kPropTotalFrames:
    case script::kPropFramesLoaded:
      return Value::Number(clip ? static_cast<double>(owner.Player().TimelineOf(*clip).frames.size()) : 1);
    case script::kPropAlpha: return Value::Number(entry ? entry->color.ma * 100.0 / 256 : 100);
    case script::kPropVisible: return Value::Bool(entry ? entry->visible : true);
    case script::kPropWidth:
    case script::kPropHeight: {
      double box[4];
      if (!entry) {
        if (!clip || !owner.ClipBounds(*clip, Matrix{}, box)) return Value::Number(0);
      } else {
        double local[4];
        if (!owner.LocalBounds(clip ? clip->parent : parent, *entry, local)) return Value::Number(0);
        const Xform m = Xform::From(entry->matrix);
        box[0] = box[1] = 1e300, box[2] = box[3] = -1e300;
        for (int i = 0; i < 4; ++i) {
          const double px = local[(i & 1) ? 2 : 0], py = local[(i & 2) ? 3 : 1];
          box[0] = std::min(box[0], m.X(px, py)), box[2] = std::max(box[2], m.X(px, py));
          box[1] = std::min(box[1], m.Y(px, py)), box[3] = std::max(box[3], m.Y(px, py));
        }
      }
      return Value::Number(std::round(((index == script::kPropWidth ? box[2] - box[0] : box[3] - box[1]) / 20) * 100) /
                           100);
    }
    case script::kPropTarget: {
      if (clip && clip->object) return vm.Str(clip->object->Path(true));
      std::wstring path = parent && parent->object ? parent->object->Path(true) : L"";
      if (path == L"/") path.clear();
      return vm.Str(path + L"/" + (entry ? entry->name : L""));
    }
    case script::kPropName: return vm.Str(entry ? entry->name : L"");
    case script::kPropDropTarget: return vm.Str(owner.DropTarget());
    case script::kPropUrl: {
      std::wstring url = L"file:///" + owner.MoviePath();
      std::replace(url.begin(), url.end(), L'\\', L'/');
      return vm.Str(url);
    }
    case script::kPropHighQuality: return Value::Number(1);
    case script::kPropFocusRect: return Value::Bool(true);
    case script::kPropSoundBufTime: return Value::Number(5);
    case script::kPropQuality: return Value::Str(vm.Intern(L"HIGH"));
    case script::kPropXMouse:
    case script::kPropYMouse: {
      const Matrix world = owner.WorldOfEntry(clip ? clip->parent : parent, clip ? clip->entry : entry);
      script::Value none = Value::Number(0);
      Xform inverse;
      if (!Xform::From(world).Invert(inverse)) return none;
      const double x = inverse.X(owner.MouseX(), owner.MouseY()), y = inverse.Y(owner.MouseX(), owner.MouseY());
      return Value::Number(std::round((index == script::kPropXMouse ? x : y) / 20));
    }
    default: (void)base; return Value::Undefined();
  }
}

void SetEntryProperty(MovieScripts& owner, Clip* parent, DisplayObject* entry, int index, const Value& v) {
  if (!entry) return;
  Vm& vm = owner.Vm();
  bool ok = true;
  switch (index) {
    case script::kPropX:
    case script::kPropY: {
      const double d = Finite(vm, v, ok);
      if (!ok) return;
      int32_t& t = index == script::kPropX ? entry->matrix.tx : entry->matrix.ty;
      t = static_cast<int32_t>(std::lround(std::clamp(d * 20, -1e9, 1e9)));
      entry->scripted = true;
      break;
    }
    case script::kPropXScale:
    case script::kPropYScale:
    case script::kPropRotation: {
      double d = Finite(vm, v, ok);
      if (!ok) return;
      Decompose(*entry);
      if (index == script::kPropRotation) {
        d = std::fmod(d, 360);
        if (d > 180) d -= 360;
        if (d < -180) d += 360;
        entry->rotation = d;
      } else {
        (index == script::kPropXScale ? entry->xscale : entry->yscale) = std::clamp(d, -1e6, 1e6);
      }
      Recompose(*entry);
      break;
    }
    case script::kPropAlpha: {
      const double d = Finite(vm, v, ok);
      if (!ok) return;
      entry->color.ma = static_cast<int32_t>(std::lround(std::clamp(d, -1e6, 1e6) * 256 / 100));
      entry->scripted = true;
      break;
    }
    case script::kPropVisible: entry->visible = vm.ToBool(v); break;
    case script::kPropWidth:
    case script::kPropHeight: {
      const double d = Finite(vm, v, ok);
      double local[4];
      if (!ok || d < 0 || !owner.LocalBounds(parent, *entry, local)) return;
      const double size = index == script::kPropWidth ? local[2] - local[0] : local[3] - local[1];
      if (size <= 0) return;
      Decompose(*entry);
      (index == script::kPropWidth ? entry->xscale : entry->yscale) = std::min(d * 20 / size * 100, 1e6);
      Recompose(*entry);
      break;
    }
    case script::kPropName:
      entry->name = vm.ToText(v);
      entry->nameKey = nullptr;
      if (parent) parent->Named(*entry);
      break;
    default: return;  // read-only
  }
  (void)parent;
  owner.Player().Changed();
}

// ---- MovieClipObject -----------------------------------------------------------------------

MovieClipObject::MovieClipObject(MovieScripts& owner, Object* proto, Clip* clip)
    : script::ClipObject(proto, script::ObjClass::Clip), owner_(owner), clip_(clip) {
  hooks_ = true;
}

bool MovieClipObject::GetHook(Vm& vm, String* key, Value& out) {
  if (!key->Size() || key->Data()[0] != L'_') return false;
  const int index = PropertyIndex(owner_, key);
  if (index >= 0) {
    out = GetProperty(vm, index);
    return true;
  }
  if (key == owner_.parentKey) {
    ClipObject* p = ParentClip();
    out = p ? Value::Obj(p) : Value::Undefined();
    return true;
  }
  if (key == owner_.rootKey) {
    out = Value::Obj(RootClip());
    return true;
  }
  return false;
}

bool MovieClipObject::SetHook(Vm& vm, String* key, const Value& v) {
  if (!key->Size() || key->Data()[0] != L'_') return false;
  const int index = PropertyIndex(owner_, key);
  if (index < 0) return false;
  SetProperty(vm, index, v);
  return true;
}

// The child of the lowest depth bearing the name.
bool MovieClipObject::LateHook(Vm& vm, String* key, Value& out) {
  if (!clip_) return false;
  const DisplayObject* found = nullptr;
  clip_->ForEachNamed(key->View(), [&](DisplayObject& entry) {
    if (entry.name.empty() || (found && found->depth < entry.depth)) return;
    if (!entry.nameKey) entry.nameKey = vm.Key(entry.name);
    if (entry.nameKey != key) return;
    const Value v = owner_.ValueOf(*clip_, entry);
    if (v.IsUndefined()) return;
    found = &entry;
    out = v;
  });
  return found != nullptr;
}

void MovieClipObject::EnumerateHook(Vm& vm, std::vector<String*>& names) {
  if (!clip_) return;
  for (auto it = clip_->objects.rbegin(); it != clip_->objects.rend(); ++it)
    if (!it->second.name.empty() && !owner_.ValueOf(*clip_, it->second).IsUndefined())
      names.push_back(vm.Intern(it->second.name));
}

bool MovieClipObject::NativeString(Vm&, std::wstring& out) {
  out = Path(false);
  return true;
}

script::ClipObject* MovieClipObject::ParentClip() {
  return clip_ && clip_->parent ? owner_.ObjectOf(*clip_->parent) : nullptr;
}

// The main timeline of the clip's level (a movie loaded into a clip has no root of its own).
script::ClipObject* MovieClipObject::RootClip() {
  Clip* top = clip_;
  for (int hops = 0; top && top->parent && hops < 64; ++hops) top = top->parent;
  return owner_.ObjectOf(top && !top->parent ? *top : owner_.Player().Root());
}

Object* MovieClipObject::Child(Vm& vm, String* key) {
  Value v;
  return LateHook(vm, key, v) ? v.ObjectOrNull() : nullptr;
}

std::wstring MovieClipObject::Path(bool slashes) {
  if (!clip_) return L"";
  std::vector<const std::wstring*> names;
  const Clip* c = clip_;
  for (; c && c->entry && names.size() < 64; c = c->parent) names.push_back(&c->entry->name);
  const std::wstring level = L"_level" + std::to_wstring(c && !c->parent ? c->level : 0);
  std::wstring out = slashes ? (c && !c->parent && c->level ? level : L"") : level;
  for (auto it = names.rbegin(); it != names.rend(); ++it) out += (slashes ? L"/" : L".") + **it;
  return slashes && out.empty() ? L"/" : out;
}

int MovieClipObject::CurrentFrame() { return clip_ ? clip_->frame : 0; }

int MovieClipObject::TotalFrames() {
  return clip_ ? static_cast<int>(owner_.Player().TimelineOf(*clip_).frames.size()) : 0;
}

int MovieClipObject::FrameOfLabel(const std::wstring& label) {
  return clip_ ? owner_.Player().TimelineOf(*clip_).FrameOfLabel(label) : -1;
}

void MovieClipObject::GotoFrame(Vm&, int frame, int play) {
  if (clip_) owner_.Player().ScriptGoto(*clip_, frame, play);
}

void MovieClipObject::SetPlaying(bool playing) {
  if (clip_) clip_->playing = playing;
}

void MovieClipObject::CallFrame(Vm&, int frame) {
  if (clip_) owner_.Player().CallFrame(*clip_, frame);
}

Value MovieClipObject::GetProperty(Vm&, int index) {
  return EntryProperty(owner_, clip_ ? clip_->parent : nullptr, Entry(), clip_, index);
}

void MovieClipObject::SetProperty(Vm&, int index, const Value& v) {
  SetEntryProperty(owner_, clip_ ? clip_->parent : nullptr, Entry(), index, v);
}

// The clone action carries the depth on the display list's own scale, as
// compilers write it (a script's depth plus kDepthOffset).
void MovieClipObject::Duplicate(Vm&, String* name, int depth) {
  DisplayObject* e = Entry();
  const int64_t scriptDepth = int64_t{depth} - kDepthOffset;
  if (e && clip_->parent && scriptDepth >= -kDepthOffset)
    owner_.Player().Duplicate(*e, *clip_->parent, name->Str(), static_cast<int32_t>(scriptDepth));
}

void MovieClipObject::Remove(Vm&) {
  DisplayObject* e = Entry();
  if (e && clip_->parent && e->depth >= kDepthOffset) owner_.Player().RemoveEntry(*clip_->parent, e->depth);
}

void MovieClipObject::StartDrag(Vm&, bool lockCenter, const double* constraint) {
  owner_.StartDrag(this, lockCenter, constraint);
}

void MovieClipObject::GetColor(double ct[8]) {
  const ColorTransform c = Entry() ? Entry()->color : ColorTransform{};
  const int32_t values[8] = {c.mr, c.ar, c.mg, c.ag, c.mb, c.ab, c.ma, c.aa};
  for (int i = 0; i < 8; ++i) ct[i] = (i % 2 == 0) ? values[i] * 100.0 / 256 : values[i];
}

void MovieClipObject::SetColor(const double ct[8]) {
  DisplayObject* e = Entry();
  if (!e) return;
  auto mult = [&](double v) { return static_cast<int32_t>(std::lround(std::clamp(v, -1e5, 1e5) * 256 / 100)); };
  auto add = [&](double v) { return static_cast<int32_t>(std::lround(std::clamp(v, -1e5, 1e5))); };
  e->color = ColorTransform{mult(ct[0]), mult(ct[2]), mult(ct[4]), mult(ct[6]), add(ct[1]), add(ct[3]), add(ct[5]),
                            add(ct[7])};
  e->scripted = true;
  owner_.Player().Changed();
}

// ---- MovieClip methods ------------------------------------------------------------------------

namespace {

MovieClipObject* ThisClip(const CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  return o && o->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(o) : nullptr;
}

void CopyProps(Vm& vm, const Value& from, Object* to) {
  Object* o = from.ObjectOrNull();
  if (!o || !to) return;
  for (String* name : vm.Enumerate(o)) vm.Set(Value::Obj(to), name, vm.Get(from, name));
}

// Timeline methods by magic: 0 play, 1 stop, 2 gotoAndPlay, 3 gotoAndStop, 4 nextFrame, 5 prevFrame.
Value TimelineMethod(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self || !self->TheClip()) return Value::Undefined();
  switch (c.callee->magic) {
    case 0: self->SetPlaying(true); break;
    case 1: self->SetPlaying(false); break;
    case 2:
    case 3: {
      script::ClipObject* clip = nullptr;
      int frame = 0;
      if (vm.FrameOf(self, c.Arg(0), clip, frame)) clip->GotoFrame(vm, frame, c.callee->magic == 2 ? 1 : 0);
      break;
    }
    case 4: self->GotoFrame(vm, self->CurrentFrame() + 1, 0); break;
    default: self->GotoFrame(vm, self->CurrentFrame() - 1, 0); break;
  }
  return Value::Undefined();
}

Value AttachMovie(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self || !self->TheClip()) return Value::Undefined();
  MovieScripts& owner = self->Owner();
  const uint16_t id = owner.Player().MovieOf(self->TheClip()).Exported(vm.ToText(c.Arg(0)));
  if (!id) return Value::Undefined();
  DisplayObject* e = owner.Player().Attach(*self->TheClip(), id, vm.ToText(c.Arg(1)), vm.ToInt32(c.Arg(2)));
  if (!e || !e->clip) return Value::Undefined();
  MovieClipObject* o = owner.ObjectOf(*e->clip);
  CopyProps(vm, c.Arg(3), o);
  owner.Construct(o);
  return Value::Obj(o);
}

Value CreateEmptyMovieClip(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self || !self->TheClip()) return Value::Undefined();
  DisplayObject* e = self->Owner().Player().CreateEmpty(*self->TheClip(), vm.ToText(c.Arg(0)), vm.ToInt32(c.Arg(1)));
  return e && e->clip ? Value::Obj(self->Owner().ObjectOf(*e->clip)) : Value::Undefined();
}

Value CreateTextField(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self || !self->TheClip()) return Value::Undefined();
  auto twips = [&](uint32_t i) {
    const double d = vm.ToNumber(c.Arg(i));
    return static_cast<LONG>(std::isfinite(d) ? std::clamp(d * 20, -1e8, 1e8) : 0);
  };
  const RECT bounds{twips(2), twips(3), twips(2) + std::max<LONG>(twips(4), 0), twips(3) + std::max<LONG>(twips(5), 0)};
  DisplayObject* e =
      self->Owner().Player().CreateText(*self->TheClip(), vm.ToText(c.Arg(0)), vm.ToInt32(c.Arg(1)), bounds);
  return e && e->object ? Value::Obj(e->object) : Value::Undefined();
}

Value DuplicateMovieClip(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  DisplayObject* entry = self ? self->Entry() : nullptr;
  if (!entry || !self->TheClip()->parent) return Value::Undefined();
  DisplayObject* e = self->Owner().Player().Duplicate(*entry, *self->TheClip()->parent, vm.ToText(c.Arg(0)),
                                                      vm.ToInt32(c.Arg(1)));
  if (!e || !e->clip) return Value::Undefined();
  MovieClipObject* o = self->Owner().ObjectOf(*e->clip);
  CopyProps(vm, c.Arg(2), o);
  self->Owner().Construct(o);
  return Value::Obj(o);
}

Value RemoveMovieClip(Vm& vm, CallInfo& c) {
  if (MovieClipObject* self = ThisClip(c)) self->Remove(vm);
  return Value::Undefined();
}

// 0 getDepth, 1 getNextHighestDepth, 2 getInstanceAtDepth, 3 swapDepths.
Value Depths(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip) return Value::Undefined();
  switch (c.callee->magic) {
    case 0: return Value::Number(clip->entry ? clip->entry->depth - kDepthOffset : -kDepthOffset);
    case 1: {
      int32_t next = 0;
      if (!clip->objects.empty() && clip->objects.rbegin()->first >= kDepthOffset)
        next = std::min<int64_t>(clip->objects.rbegin()->first - kDepthOffset + 1, 1048575);
      return Value::Number(next);
    }
    case 2: {
      const double d = vm.ToNumber(c.Arg(0));
      if (!std::isfinite(d)) return Value::Undefined();
      auto it = clip->objects.find(static_cast<int32_t>(d) + kDepthOffset);
      return it == clip->objects.end() ? Value::Undefined() : self->Owner().ValueOf(*clip, it->second);
    }
    default: {
      if (!clip->entry || !clip->parent) return Value::Undefined();
      int32_t other = 0;
      const Value t = c.Arg(0);
      if (Object* o = t.ObjectOrNull()) {
        if (o->Class() != script::ObjClass::Clip) return Value::Undefined();
        auto* mc = static_cast<MovieClipObject*>(o);
        if (!mc->TheClip() || mc->TheClip()->parent != clip->parent || !mc->Entry()) return Value::Undefined();
        other = mc->Entry()->depth;
      } else {
        const double d = vm.ToNumber(t);
        if (!std::isfinite(d) || d < -kDepthOffset || d > kMaxScriptDepth - kDepthOffset) return Value::Undefined();
        other = static_cast<int32_t>(d) + kDepthOffset;
      }
      self->Owner().Player().SwapDepths(*clip->parent, clip->entry->depth, other);
      return Value::Undefined();
    }
  }
}

// The bounds of a clip in another's space (pixels): 0 getBounds, 1 getRect.
Value Bounds(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip) return Value::Undefined();
  MovieScripts& owner = self->Owner();
  double box[4] = {6710886.35, 6710886.35, 6710886.35, 6710886.35};
  Matrix toTarget = owner.WorldOf(clip);
  if (Object* t = c.Arg(0).ObjectOrNull(); t && t->Class() == script::ObjClass::Clip) {
    Xform inverse;
    Xform::From(owner.WorldOf(static_cast<MovieClipObject*>(t)->TheClip())).Invert(inverse);
    const Xform combined = inverse * Xform::From(toTarget);
    toTarget = Matrix{combined.a, combined.b, combined.c, combined.d, static_cast<int32_t>(std::lround(combined.tx)),
                      static_cast<int32_t>(std::lround(combined.ty))};
  } else if (c.argc == 0 || c.Arg(0).IsUndefined()) {
    toTarget = Matrix{};
  }
  double found[4];
  if (owner.ClipBounds(*clip, toTarget, found)) std::copy(found, found + 4, box), std::for_each(box, box + 4, [](double& d) { d /= 20; });
  Object* o = vm.NewObject();
  vm.Put(o, L"xMin", Value::Number(box[0]), 0);
  vm.Put(o, L"xMax", Value::Number(box[2]), 0);
  vm.Put(o, L"yMin", Value::Number(box[1]), 0);
  vm.Put(o, L"yMax", Value::Number(box[3]), 0);
  return Value::Obj(o);
}

Value HitTest(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip) return Value::Bool(false);
  MovieScripts& owner = self->Owner();
  double box[4];
  if (!owner.ClipBounds(*clip, owner.WorldOf(clip), box)) return Value::Bool(false);
  if (c.argc >= 2) {
    const double x = vm.ToNumber(c.Arg(0)) * 20, y = vm.ToNumber(c.Arg(1)) * 20;
    if (!(x >= box[0] && x <= box[2] && y >= box[1] && y <= box[3])) return Value::Bool(false);
    if (!vm.ToBool(c.Arg(2))) return Value::Bool(true);
    // The exact test: some visible entry's own area holds the point.
    bool hit = false;
    std::function<void(Clip&, int)> walk = [&](Clip& k, int depth) {
      if (hit || depth > 32) return;
      if (k.drawing) {
        double d[4];
        Xform inverse;
        if (k.drawing->Bounds(d[0], d[1], d[2], d[3]) && Xform::From(owner.WorldOf(&k)).Invert(inverse)) {
          const double lx = inverse.X(x, y), ly = inverse.Y(x, y);
          hit = lx >= d[0] && lx <= d[2] && ly >= d[1] && ly <= d[3];
        }
      }
      for (auto& [dd, e] : k.objects) {
        if (hit || !e.visible || e.clipDepth) continue;
        if (e.clip) walk(*e.clip, depth + 1);
        else hit = owner.Covers(&k, e, x, y, true);
      }
    };
    walk(*clip, 0);
    return Value::Bool(hit);
  }
  Object* t = c.Arg(0).ObjectOrNull();
  Clip* other = t && t->Class() == script::ObjClass::Clip ? static_cast<MovieClipObject*>(t)->TheClip() : nullptr;
  double b[4];
  if (!other || !owner.ClipBounds(*other, owner.WorldOf(other), b)) return Value::Bool(false);
  return Value::Bool(box[0] <= b[2] && b[0] <= box[2] && box[1] <= b[3] && b[1] <= box[3]);
}

// 0 localToGlobal, 1 globalToLocal: the point object's x and y change in place.
Value ConvertPoint(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Object* pt = c.Arg(0).ObjectOrNull();
  if (!self || !self->TheClip() || !pt) return Value::Undefined();
  const Value p = Value::Obj(pt);
  const double x = vm.ToNumber(vm.Get(p, vm.Intern(L"x"))) * 20, y = vm.ToNumber(vm.Get(p, vm.Intern(L"y"))) * 20;
  Xform m = Xform::From(self->Owner().WorldOf(self->TheClip()));
  if (c.callee->magic == 1 && !m.Invert(m)) return Value::Undefined();
  vm.Set(p, vm.Intern(L"x"), Value::Number(m.X(x, y) / 20));
  vm.Set(p, vm.Intern(L"y"), Value::Number(m.Y(x, y) / 20));
  return Value::Undefined();
}

// 0 startDrag(lock, left, top, right, bottom), 1 stopDrag.
Value DragMethod(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self) return Value::Undefined();
  if (c.callee->magic == 1) {
    self->Owner().StopDrag();
    return Value::Undefined();
  }
  double rect[4];
  const bool constrained = c.argc >= 5;
  for (int i = 0; i < 4 && constrained; ++i) rect[i] = vm.ToNumber(c.args[i + 1]);
  self->StartDrag(vm, vm.ToBool(c.Arg(0)), constrained ? rect : nullptr);
  return Value::Undefined();
}

Value SetMask(Vm&, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self || !self->TheClip()) return Value::Bool(false);
  Object* m = c.Arg(0).ObjectOrNull();
  self->TheClip()->mask = m && m->Class() == script::ObjClass::Clip && m != self ? static_cast<MovieClipObject*>(m) : nullptr;
  self->Owner().Player().Changed();
  return Value::Bool(true);
}

// 0 loadMovie, 1 unloadMovie, 2 loadVariables, 3 getURL.
Value Loading(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  if (!self || !self->TheClip()) return Value::Undefined();
  MovieScripts& owner = self->Owner();
  switch (c.callee->magic) {
    case 0: owner.LoadMovieInto(self->TheClip(), vm.ToText(c.Arg(0))); break;
    case 1: owner.Player().Empty(*self->TheClip()); break;
    case 2: owner.LoadVariablesInto(self, vm.ToText(c.Arg(0))); break;
    default: vm.Host().GetUrl(vm, vm.ToText(c.Arg(0)), c.argc > 1 ? vm.ToText(c.Arg(1)) : L"", 0, self); break;
  }
  return Value::Undefined();
}

Value BytesOf(Vm&, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  return Value::Number(self ? static_cast<double>(self->Owner().Player().MovieOf(self->TheClip()).bytes.size()) : 0);
}

Value SwfVersion(Vm&, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  return Value::Number(self ? self->Owner().Player().MovieOf(self->TheClip()).version : -1);
}

Rgba ColorArg(Vm& vm, const Value& rgb, const Value& alpha) {
  const int32_t v = vm.ToInt32(rgb);
  const double a = alpha.IsUndefined() ? 100 : vm.ToNumber(alpha);
  return Rgba{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v),
              static_cast<uint8_t>(std::lround(std::clamp(std::isfinite(a) ? a : 100, 0.0, 100.0) * 255 / 100))};
}

// The drawing methods by magic: 0 lineStyle, 1 beginFill, 2 beginGradientFill,
// 3 moveTo, 4 lineTo, 5 curveTo, 6 endFill, 7 clear.
Value Draw(Vm& vm, CallInfo& c) {
  MovieClipObject* self = ThisClip(c);
  Clip* clip = self ? self->TheClip() : nullptr;
  if (!clip) return Value::Undefined();
  if (!clip->drawing) clip->drawing = std::make_unique<ScriptDrawing>();
  ScriptDrawing& d = *clip->drawing;
  auto n = [&](uint32_t i) {
    const double v = vm.ToNumber(c.Arg(i));
    return std::isfinite(v) ? v : 0.0;
  };
  switch (c.callee->magic) {
    case 0:
      if (c.argc == 0 || c.Arg(0).IsUndefined()) d.LineStyle(-1, Rgba{});
      else d.LineStyle(n(0), ColorArg(vm, c.Arg(1), c.Arg(2)), c.argc > 4 ? vm.ToText(c.Arg(4)) : L"normal");
      break;
    case 1: {
      if (c.argc == 0) break;
      FillStyle f;
      f.kind = kFillSolid;
      f.color = ColorArg(vm, c.Arg(0), c.Arg(1));
      d.BeginFill(f);
      break;
    }
    case 2: {
      FillStyle f;
      f.kind = vm.ToText(c.Arg(0)) == L"radial" ? kFillRadial : kFillLinear;
      auto items = [&](uint32_t i) -> std::vector<Value> {
        Object* o = c.Arg(i).ObjectOrNull();
        return o && o->Class() == script::ObjClass::Array ? static_cast<script::Array*>(o)->items : std::vector<Value>{};
      };
      const std::vector<Value> colors = items(1), alphas = items(2), ratios = items(3);
      for (size_t i = 0; i < colors.size() && i < 15; ++i) {
        GradientStop s;
        s.color = ColorArg(vm, colors[i], i < alphas.size() ? alphas[i] : Value::Number(100));
        s.ratio = static_cast<uint8_t>(std::clamp(i < ratios.size() ? vm.ToNumber(ratios[i]) : 0.0, 0.0, 255.0));
        f.stops.push_back(s);
      }
      if (f.stops.empty()) break;
      const Value m = c.Arg(4);
      auto get = [&](const wchar_t* k) {
        const double v = vm.ToNumber(vm.Get(m, vm.Intern(k)));
        return std::isfinite(v) ? v : 0.0;
      };
      if (vm.ToText(vm.Get(m, vm.Intern(L"matrixType"))) == L"box") {
        f.matrix = GradientBox(get(L"x"), get(L"y"), get(L"w"), get(L"h"), get(L"r"));
      } else {
        f.matrix = GradientMatrix(get(L"a"), get(L"b"), get(L"d"), get(L"e"), get(L"g"), get(L"h"));
      }
      d.BeginFill(f);
      break;
    }
    case 3: d.MoveTo(n(0), n(1)); break;
    case 4: d.LineTo(n(0), n(1)); break;
    case 5: d.CurveTo(n(0), n(1), n(2), n(3)); break;
    case 6: d.EndFill(); break;
    default: d.Clear(); break;
  }
  self->Owner().Player().Changed();
  return Value::Undefined();
}

Value Nothing(Vm&, CallInfo&) { return Value::Undefined(); }

}  // namespace

void InstallMovieClipClass(MovieScripts& owner, Vm& vm) {
  for (const wchar_t* name : kPropertyNames) owner.propertyKeys.push_back(vm.Key(name));
  owner.parentKey = vm.Key(L"_parent");
  owner.rootKey = vm.Key(L"_root");
  Object* p = vm.NewObject();
  const wchar_t* timeline[] = {L"play", L"stop", L"gotoAndPlay", L"gotoAndStop", L"nextFrame", L"prevFrame"};
  for (int i = 0; i < 6; ++i) vm.Method(p, timeline[i], TimelineMethod, i);
  vm.Method(p, L"attachMovie", AttachMovie);
  vm.Method(p, L"createEmptyMovieClip", CreateEmptyMovieClip);
  vm.Method(p, L"createTextField", CreateTextField);
  vm.Method(p, L"duplicateMovieClip", DuplicateMovieClip);
  vm.Method(p, L"removeMovieClip", RemoveMovieClip);
  vm.Method(p, L"getDepth", Depths, 0);
  vm.Method(p, L"getNextHighestDepth", Depths, 1);
  vm.Method(p, L"getInstanceAtDepth", Depths, 2);
  vm.Method(p, L"swapDepths", Depths, 3);
  vm.Method(p, L"getBounds", Bounds, 0);
  vm.Method(p, L"getRect", Bounds, 1);
  vm.Method(p, L"hitTest", HitTest);
  vm.Method(p, L"localToGlobal", ConvertPoint, 0);
  vm.Method(p, L"globalToLocal", ConvertPoint, 1);
  vm.Method(p, L"startDrag", DragMethod, 0);
  vm.Method(p, L"stopDrag", DragMethod, 1);
  vm.Method(p, L"setMask", SetMask);
  vm.Method(p, L"loadMovie", Loading, 0);
  vm.Method(p, L"unloadMovie", Loading, 1);
  vm.Method(p, L"loadVariables", Loading, 2);
  vm.Method(p, L"getURL", Loading, 3);
  vm.Method(p, L"getBytesLoaded", BytesOf);
  vm.Method(p, L"getBytesTotal", BytesOf);
  vm.Method(p, L"getSWFVersion", SwfVersion);
  const wchar_t* drawing[] = {L"lineStyle", L"beginFill", L"beginGradientFill", L"moveTo",
                              L"lineTo",    L"curveTo",   L"endFill",           L"clear"};
  for (int i = 0; i < 8; ++i) vm.Method(p, drawing[i], Draw, i);
  vm.Put(p, L"enabled", Value::Bool(true));
  vm.Put(p, L"useHandCursor", Value::Bool(true));
  vm.Class(L"MovieClip", [](Vm&, CallInfo& c) { return c.thisv; }, p);
  vm.Method(vm.Global(), L"updateAfterEvent", Nothing);
}

}  // namespace flash
