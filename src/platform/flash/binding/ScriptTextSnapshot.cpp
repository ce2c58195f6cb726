// TextSnapshot (MovieClip.getTextSnapshot): the characters of the static
// texts on a clip's display list, in depth order, as their fonts' code
// tables name them, with the selection scripts set, searching, the
// character nearest a point and each character's run information.
#include <algorithm>
#include <cmath>
#include <cwctype>

#include "platform/flash/binding/MovieScripts.h"
#include "base/TextConv.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/parse/TextRecords.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

constexpr size_t kMaxCharacters = 1u << 20;

struct Glyph {
  wchar_t ch = L'?';
  int text = 0, run = 0;   // which text on the list, which run in it
  double x = 0, y = 0;     // the origin on the baseline, clip twips
  double width = 0, height = 0;
  std::wstring font;
  Rgba color;
  Xform matrix;            // the text's twips to the clip's
  int indexInRun = 0;
  bool selected = false;
};

class SnapshotState final : public script::State {
 public:
  std::vector<Glyph> glyphs;
  uint32_t selectColor = 0xFFFF00;
};

SnapshotState* Snapshot(const CallInfo& c) { return script::StateOf<SnapshotState>(c.thisv); }

void Collect(MovieScripts& owner, const Clip& clip, std::vector<Glyph>& out) {
  int textIndex = 0;
  for (const auto& [depth, entry] : clip.objects) {
    const Character* ch = entry.character ? owner.Player().Find(&clip, entry.character) : nullptr;
    if (!ch || (ch->tagCode != SwfTag::DefineText && ch->tagCode != SwfTag::DefineText2) || entry.clip) continue;
    const TextData text = ReadText(*ch);
    const Xform toClip = Xform::From(entry.matrix) * text.matrix;
    int runIndex = 0;
    for (const GlyphRun& run : text.runs) {
      const Character* fontChar = owner.Player().Find(&clip, run.font);
      const Font font = fontChar ? ReadFont(*fontChar) : Font{};
      for (size_t i = 0; i < run.glyphs.size() && out.size() < kMaxCharacters; ++i) {
        Glyph g;
        const PlacedGlyph& p = run.glyphs[i];
        if (p.index < font.codes.size()) g.ch = static_cast<wchar_t>(font.codes[p.index]);
        g.text = textIndex, g.run = runIndex, g.indexInRun = static_cast<int>(i);
        g.x = toClip.X(p.x, run.y), g.y = toClip.Y(p.x, run.y);
        const double next = i + 1 < run.glyphs.size() ? run.glyphs[i + 1].x : p.x + run.height * 0.6;
        g.width = std::fabs(toClip.X(next, run.y) - g.x);
        g.height = run.height * std::hypot(toClip.c, toClip.d);
        g.font = font.name, g.color = run.color, g.matrix = toClip;
        out.push_back(std::move(g));
      }
      ++runIndex;
    }
    ++textIndex;
  }
}

size_t Index(Vm& vm, const Value& v, size_t count) {
  const double d = vm.ToNumber(v);
  if (!(d > 0)) return 0;
  return static_cast<size_t>(std::min(std::floor(d), double(count)));
}

// The text of the glyphs from begin to end (selected ones only when asked),
// with line breaks between texts and runs on other lines when asked.
std::wstring TextOf(const std::vector<Glyph>& glyphs, size_t begin, size_t end, bool selectedOnly, bool lineEndings) {
  std::wstring out;
  const Glyph* last = nullptr;
  for (size_t i = begin; i < end && i < glyphs.size(); ++i) {
    const Glyph& g = glyphs[i];
    if (selectedOnly && !g.selected) continue;
    if (lineEndings && last && (last->text != g.text || std::fabs(last->y - g.y) > 1)) out += L'\n';
    out += g.ch;
    last = &g;
  }
  return out;
}

Value GetCount(Vm&, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  return Value::Number(s ? static_cast<double>(s->glyphs.size()) : 0);
}

Value GetText(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  if (!s) return vm.Str(L"");
  const size_t n = s->glyphs.size(), begin = Index(vm, c.Arg(0), n), end = Index(vm, c.Arg(1), n);
  return vm.Str(TextOf(s->glyphs, begin, std::max(begin, end), false, vm.ToBool(c.Arg(2))));
}

Value GetSelectedText(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  return vm.Str(s ? TextOf(s->glyphs, 0, s->glyphs.size(), true, vm.ToBool(c.Arg(0))) : L"");
}

Value FindText(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  if (!s) return Value::Number(-1);
  std::wstring all = TextOf(s->glyphs, 0, s->glyphs.size(), false, false), wanted = vm.ToText(c.Arg(1));
  if (!vm.ToBool(c.Arg(2))) {
    all = LowerInvariant(all);
    wanted = LowerInvariant(wanted);
  }
  const size_t at = wanted.empty() ? std::wstring::npos : all.find(wanted, Index(vm, c.Arg(0), all.size()));
  return Value::Number(at == std::wstring::npos ? -1.0 : static_cast<double>(at));
}

Value GetSelected(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  if (!s) return Value::Bool(false);
  const size_t n = s->glyphs.size(), begin = Index(vm, c.Arg(0), n), end = Index(vm, c.Arg(1), n);
  for (size_t i = begin; i < end; ++i)
    if (s->glyphs[i].selected) return Value::Bool(true);
  return Value::Bool(false);
}

Value SetSelected(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  if (!s) return Value::Undefined();
  const size_t n = s->glyphs.size(), begin = Index(vm, c.Arg(0), n), end = Index(vm, c.Arg(1), n);
  const bool select = c.argc > 2 ? vm.ToBool(c.args[2]) : true;
  for (size_t i = begin; i < end; ++i) s->glyphs[i].selected = select;
  return Value::Undefined();
}

Value SetSelectColor(Vm& vm, CallInfo& c) {
  if (SnapshotState* s = Snapshot(c)) s->selectColor = static_cast<uint32_t>(vm.ToInt32(c.Arg(0))) & 0xFFFFFF;
  return Value::Undefined();
}

// The character under a point of the clip (pixels), else the nearest within maxDistance; -1 for none.
Value HitTestTextNearPos(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  if (!s) return Value::Number(-1);
  const double x = vm.ToNumber(c.Arg(0)) * 20, y = vm.ToNumber(c.Arg(1)) * 20;
  const double reach = std::max(0.0, script::NumberOr(vm, c, 2, 0)) * 20;
  double best = reach;
  int found = -1;
  for (size_t i = 0; i < s->glyphs.size(); ++i) {
    const Glyph& g = s->glyphs[i];
    const double dx = x < g.x ? g.x - x : x > g.x + g.width ? x - g.x - g.width : 0;
    const double dy = y < g.y - g.height ? g.y - g.height - y : y > g.y ? y - g.y : 0;
    const double d = std::hypot(dx, dy);
    if (d <= best) best = d, found = static_cast<int>(i);
    if (d == 0) break;
  }
  return Value::Number(found);
}

Value GetTextRunInfo(Vm& vm, CallInfo& c) {
  SnapshotState* s = Snapshot(c);
  script::Array* out = vm.NewArray();
  if (!s) return Value::Obj(out);
  const size_t n = s->glyphs.size(), begin = Index(vm, c.Arg(0), n), end = Index(vm, c.Arg(1), n);
  for (size_t i = begin; i <= end && i < n; ++i) {
    const Glyph& g = s->glyphs[i];
    Object* o = vm.NewObject();
    vm.Put(o, L"indexInRun", Value::Number(g.indexInRun), 0);
    vm.Put(o, L"selected", Value::Bool(g.selected), 0);
    vm.Put(o, L"font", vm.Str(g.font), 0);
    vm.Put(o, L"color", Value::Number(static_cast<double>(uint32_t(g.color.a) << 24 | uint32_t(g.color.r) << 16 |
                                                          uint32_t(g.color.g) << 8 | g.color.b)), 0);
    vm.Put(o, L"height", Value::Number(g.height / 20), 0);
    const double m[6] = {g.matrix.a, g.matrix.b, g.matrix.c, g.matrix.d, g.x / 20, g.y / 20};
    const wchar_t* names[6] = {L"matrix_a", L"matrix_b", L"matrix_c", L"matrix_d", L"matrix_tx", L"matrix_ty"};
    for (int k = 0; k < 6; ++k) vm.Put(o, names[k], Value::Number(m[k]), 0);
    vm.ArrayPut(out, out->items.size(), Value::Obj(o));
  }
  return Value::Obj(out);
}

Value GetTextSnapshot(Vm& vm, CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  if (!o || o->Class() != script::ObjClass::Clip) return Value::Undefined();
  auto* clip = static_cast<MovieClipObject*>(o);
  const Value snapshot = script::NewOf(vm, L"TextSnapshot", {});
  Object* made = snapshot.ObjectOrNull();
  if (!made || !clip->TheClip()) return snapshot;
  auto* state = vm.GetHeap().New<SnapshotState>();
  Collect(clip->Owner(), *clip->TheClip(), state->glyphs);
  vm.GetHeap().Grow(state, static_cast<ptrdiff_t>(state->glyphs.size() * sizeof(Glyph)));
  script::Attach(made, state);
  return snapshot;
}

}  // namespace

void InstallTextSnapshot(MovieScripts&, Vm& vm, Object* movieClip) {
  Object* p = vm.NewObject();
  vm.Method(p, L"getCount", GetCount);
  vm.Method(p, L"getText", GetText);
  vm.Method(p, L"getSelectedText", GetSelectedText);
  vm.Method(p, L"findText", FindText);
  vm.Method(p, L"getSelected", GetSelected);
  vm.Method(p, L"setSelected", SetSelected);
  vm.Method(p, L"setSelectColor", SetSelectColor);
  vm.Method(p, L"hitTestTextNearPos", HitTestTextNearPos);
  vm.Method(p, L"getTextRunInfo", GetTextRunInfo);
  vm.Class(L"TextSnapshot", [](Vm&, CallInfo&) { return Value::Undefined(); }, p);
  if (movieClip) vm.Method(movieClip, L"getTextSnapshot", GetTextSnapshot);
}

}  // namespace flash
