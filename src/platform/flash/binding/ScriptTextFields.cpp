// TextField, Button and Video: the script object of an entry that is no
// clip, its part of the property table, a text field's own properties (text,
// HTML text, variable, colours, border, background, auto-size, input type
// and limits) and methods, and a button's (version 6 and later). A video's
// own properties and methods are ScriptVideos'.
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptMedia.h"
#include "platform/flash/binding/ScriptObjects.h"
#include "platform/flash/play/DeviceText.h"
#include "platform/flash/play/TextLayout.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::String;
using script::Value;
using script::Vm;

enum FieldProp {
  kText, kHtmlText, kHtml, kVariable, kTextColor, kBorder, kBorderColor, kBackground, kBackgroundColor, kAutoSize,
  kType, kMaxChars, kMultiline, kWordWrap, kPassword, kSelectable, kLength, kTextWidth, kTextHeight, kEmbedFonts,
  kFieldPropCount,
};
const wchar_t* const kFieldNames[kFieldPropCount] = {
    L"text",      L"htmlText", L"html",     L"variable",   L"textColor",  L"border",     L"borderColor",
    L"background", L"backgroundColor", L"autoSize", L"type", L"maxChars", L"multiline", L"wordWrap",
    L"password",  L"selectable", L"length", L"textWidth",  L"textHeight", L"embedFonts"};

uint32_t Rgb(const Rgba& c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }
Rgba FromRgb(int32_t v) { return Rgba{uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v), 255}; }

// The text's extent in twips, as the field draws it: set in its embedded
// font's glyphs, else in a device font (GDI's measure; roughly when GDI has
// none).
void Extent(MovieScripts& owner, const Clip* parent, const TextFieldState& f, double& width, double& height) {
  Font font;
  if (const Character* ch = f.data.hasFont ? owner.Player().Find(parent, f.data.font) : nullptr) font = ReadFont(*ch);
  if (DrawsGlyphs(font, f.data)) {
    const GlyphLayout layout = LayOutGlyphs(font, f.data);
    width = layout.width, height = layout.height;
    return;
  }
  const std::wstring text = f.data.password ? std::wstring(f.data.text.size(), L'*') : f.data.text;
  const int px = static_cast<int>(std::lround(std::clamp(f.data.height / 20.0, 1.0, 2000.0)));
  const double room = double(f.data.bounds.right - f.data.bounds.left) - 80 - f.data.leftMargin - f.data.rightMargin;
  const int wrap = f.data.wordWrap ? static_cast<int>(std::clamp(room / 20, 1.0, 1.0e6)) : 0;
  SIZE size{};
  if (MeasureDeviceText(text, font.name.empty() ? f.fontName : font.name, f.bold || font.bold, f.italic || font.italic,
                        px, wrap, size)) {
    width = size.cx * 20.0, height = size.cy * 20.0;
    return;
  }
  size_t longest = 0, lines = 1, run = 0;
  for (wchar_t c : f.data.text) {
    if (c == L'\r' || c == L'\n') {
      ++lines;
      run = 0;
    } else {
      longest = std::max(longest, ++run);
    }
  }
  width = longest * f.data.height * 0.55;
  height = lines * (f.data.height * 1.15 + f.data.leading);
}

}  // namespace

void FitFieldToText(MovieScripts& owner, const Clip* parent, TextFieldState& f) {
  if (f.autoSize == TextFieldState::kNone) return;
  double w = 0, h = 0;
  Extent(owner, parent, f, w, h);
  f.Fit(static_cast<int32_t>(std::ceil(w)), static_cast<int32_t>(std::ceil(h)));
}

EntryObject::EntryObject(MovieScripts& owner, Object* proto, script::ObjClass cls, Clip* parent, DisplayObject* entry)
    : Object(proto, cls), owner_(owner), parent_(parent), entry_(entry) {
  hooks_ = true;
}

bool EntryObject::GetHook(Vm& vm, String* key, Value& out) {
  if (key->Size() && key->Data()[0] == L'_') {
    const int index = PropertyIndex(owner_, key);
    if (index >= 0) {
      out = entry_ ? EntryProperty(owner_, parent_, entry_, nullptr, index) : Value::Undefined();
      return true;
    }
    if (key == owner_.parentKey) {
      out = parent_ ? Value::Obj(owner_.ObjectOf(*parent_)) : Value::Undefined();
      return true;
    }
    return false;
  }
  if (class_ == script::ObjClass::Video) return VideoProperty(vm, entry_, key, out);
  if (class_ != script::ObjClass::TextField) return false;
  const auto& keys = owner_.fieldKeys;
  const auto at = std::find(keys.begin(), keys.end(), key);
  if (at == keys.end()) return false;
  if (!entry_ || !entry_->text) {
    out = Value::Undefined();
    return true;
  }
  const TextFieldState& f = *entry_->text;
  switch (static_cast<int>(at - keys.begin())) {
    case kText: out = vm.Str(f.data.text); break;
    case kHtmlText: out = vm.Str(f.HtmlText()); break;
    case kHtml: out = Value::Bool(f.data.html); break;
    case kVariable: out = f.data.variable.empty() ? Value::Null() : vm.Str(f.data.variable); break;
    case kTextColor: out = Value::Number(Rgb(f.data.color)); break;
    case kBorder: out = Value::Bool(f.data.border); break;
    case kBorderColor: out = Value::Number(Rgb(f.borderColor)); break;
    case kBackground: out = Value::Bool(f.background); break;
    case kBackgroundColor: out = Value::Number(Rgb(f.backgroundColor)); break;
    case kAutoSize: {
      static const wchar_t* sizes[] = {L"none", L"left", L"center", L"right"};
      out = Value::Str(vm.Intern(sizes[f.autoSize & 3]));
      break;
    }
    case kType: out = Value::Str(vm.Intern(f.input ? L"input" : L"dynamic")); break;
    case kMaxChars: out = f.data.maxLength ? Value::Number(f.data.maxLength) : Value::Null(); break;
    case kMultiline: out = Value::Bool(f.data.multiline); break;
    case kWordWrap: out = Value::Bool(f.data.wordWrap); break;
    case kPassword: out = Value::Bool(f.data.password); break;
    case kSelectable: out = Value::Bool(f.selectable); break;
    case kLength: out = Value::Number(static_cast<double>(f.data.text.size())); break;
    case kTextWidth:
    case kTextHeight: {
      double w = 0, h = 0;
      Extent(owner_, parent_, f, w, h);
      out = Value::Number(std::round((at - keys.begin() == kTextWidth ? w : h) / 20));
      break;
    }
    default: out = Value::Bool(f.data.useOutlines); break;
  }
  return true;
}

bool EntryObject::SetHook(Vm& vm, String* key, const Value& v) {
  if (key->Size() && key->Data()[0] == L'_') {
    const int index = PropertyIndex(owner_, key);
    if (index < 0) return false;
    SetEntryProperty(owner_, parent_, entry_, index, v);
    return true;
  }
  if (class_ == script::ObjClass::Video) {
    if (!SetVideoProperty(vm, entry_, key, v)) return false;
    owner_.Player().Changed();
    return true;
  }
  if (class_ != script::ObjClass::TextField) return false;
  const auto& keys = owner_.fieldKeys;
  const auto at = std::find(keys.begin(), keys.end(), key);
  if (at == keys.end()) return false;
  if (!entry_ || !entry_->text) return true;
  TextFieldState& f = *entry_->text;
  switch (static_cast<int>(at - keys.begin())) {
    case kText: f.SetText(vm.ToText(v)); break;
    case kHtmlText:
      f.SetHtml(vm.ToText(v));
      ApplyFieldStyleSheet(vm, *this);
      break;
    case kHtml: f.data.html = vm.ToBool(v); break;
    case kVariable: f.data.variable = v.IsNullish() ? L"" : vm.ToText(v); break;
    case kTextColor: f.data.color = FromRgb(vm.ToInt32(v)); break;
    case kBorder: f.data.border = vm.ToBool(v); break;
    case kBorderColor: f.borderColor = FromRgb(vm.ToInt32(v)); break;
    case kBackground: f.background = vm.ToBool(v); break;
    case kBackgroundColor: f.backgroundColor = FromRgb(vm.ToInt32(v)); break;
    case kAutoSize: {
      const std::wstring s = v.IsBool() ? (v.AsBool() ? L"left" : L"none") : vm.ToText(v);
      f.autoSize = s == L"left" ? TextFieldState::kLeft : s == L"center" ? TextFieldState::kCenter
                   : s == L"right" ? TextFieldState::kRight : TextFieldState::kNone;
      break;
    }
    case kType: f.input = vm.ToText(v) == L"input"; break;
    case kMaxChars: {
      const double d = vm.ToNumber(v);
      f.data.maxLength = static_cast<uint16_t>(std::isfinite(d) ? std::clamp(d, 0.0, 65535.0) : 0);
      break;
    }
    case kMultiline: f.data.multiline = vm.ToBool(v); break;
    case kWordWrap: f.data.wordWrap = vm.ToBool(v); break;
    case kPassword: f.data.password = vm.ToBool(v); break;
    case kSelectable: f.selectable = vm.ToBool(v); break;
    case kEmbedFonts: f.data.useOutlines = vm.ToBool(v); break;
    default: return true;  // read-only
  }
  FitFieldToText(owner_, parent_, f);
  ++f.version;
  owner_.Player().Changed();
  return true;
}

bool EntryObject::NativeString(Vm&, std::wstring& out) {
  if (!entry_ || !parent_) return false;
  const std::wstring base = parent_->object ? parent_->object->Path(false) : L"_level0";
  out = base + L"." + entry_->name;
  return true;
}

namespace {

EntryObject* ThisEntry(const CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  if (!o || (o->Class() != script::ObjClass::TextField && o->Class() != script::ObjClass::Button)) return nullptr;
  return static_cast<EntryObject*>(o);
}

TextFieldState* ThisField(const CallInfo& c) {
  EntryObject* e = ThisEntry(c);
  return e && e->Entry() ? e->Entry()->text.get() : nullptr;
}

// setTextFormat([begin, [end,]] format) and setNewTextFormat(format): the
// whole field takes what the format sets.
Value SetTextFormat(Vm& vm, CallInfo& c) {
  TextFieldState* f = ThisField(c);
  if (!f || !c.argc) return Value::Undefined();
  const Value fmt = c.args[c.argc - 1];
  if (!fmt.IsObject()) return Value::Undefined();
  auto get = [&](const wchar_t* name) { return vm.Get(fmt, vm.Intern(name)); };
  if (const Value v = get(L"color"); !v.IsNullish()) f->data.color = FromRgb(vm.ToInt32(v));
  if (const Value v = get(L"size"); !v.IsNullish()) {
    const double d = vm.ToNumber(v);
    if (std::isfinite(d) && d > 0) f->data.height = static_cast<uint16_t>(std::min(d, 3000.0) * 20);
  }
  const Value font = get(L"font");
  if (!font.IsNullish()) f->fontName = vm.ToText(font);
  if (const Value v = get(L"bold"); !v.IsNullish()) f->bold = vm.ToBool(v);
  if (const Value v = get(L"italic"); !v.IsNullish()) f->italic = vm.ToBool(v);
  EntryObject* self = ThisEntry(c);
  if (!font.IsNullish()) {
    // The font's embedded glyphs when the movie has a font of that name (or
    // exports one under it); else the device font of that name.
    const Clip* parent = self->Parent();
    const int frame = parent && parent->home ? parent->home->frame : self->Owner().Player().MainFrame();
    const uint16_t id = FindEmbeddedFont(self->Owner().Player().MovieOf(parent), f->fontName, f->bold, f->italic, frame);
    f->data.hasFont = id != 0, f->data.font = id;
  }
  if (const Value v = get(L"align"); !v.IsNullish()) {
    const std::wstring a = vm.ToText(v);
    f->data.align = a == L"right" ? 1 : a == L"center" ? 2 : a == L"justify" ? 3 : 0;
  }
  if (const Value v = get(L"leftMargin"); !v.IsNullish()) f->data.leftMargin = static_cast<uint16_t>(std::clamp(vm.ToNumber(v), 0.0, 3000.0) * 20);
  if (const Value v = get(L"rightMargin"); !v.IsNullish()) f->data.rightMargin = static_cast<uint16_t>(std::clamp(vm.ToNumber(v), 0.0, 3000.0) * 20);
  if (const Value v = get(L"leading"); !v.IsNullish()) f->data.leading = static_cast<int16_t>(std::clamp(vm.ToNumber(v), -1000.0, 1000.0) * 20);
  FitFieldToText(self->Owner(), self->Parent(), *f);
  ++f->version;
  self->Owner().Player().Changed();
  return Value::Undefined();
}

Value GetTextFormat(Vm& vm, CallInfo& c) {
  TextFieldState* f = ThisField(c);
  const Value ctor = vm.Get(Value::Obj(vm.Global()), vm.Intern(L"TextFormat"));
  const Value fmt = vm.Construct(ctor, {});
  if (!f || !fmt.IsObject()) return fmt;
  vm.Set(fmt, vm.Intern(L"color"), Value::Number(Rgb(f->data.color)));
  vm.Set(fmt, vm.Intern(L"size"), Value::Number(f->data.height / 20.0));
  vm.Set(fmt, vm.Intern(L"font"), vm.Str(f->fontName.empty() ? L"Times New Roman" : f->fontName));
  vm.Set(fmt, vm.Intern(L"bold"), Value::Bool(f->bold));
  vm.Set(fmt, vm.Intern(L"italic"), Value::Bool(f->italic));
  static const wchar_t* aligns[] = {L"left", L"right", L"center", L"justify"};
  vm.Set(fmt, vm.Intern(L"align"), Value::Str(vm.Intern(aligns[f->data.align & 3])));
  vm.Set(fmt, vm.Intern(L"leftMargin"), Value::Number(f->data.leftMargin / 20.0));
  vm.Set(fmt, vm.Intern(L"rightMargin"), Value::Number(f->data.rightMargin / 20.0));
  vm.Set(fmt, vm.Intern(L"leading"), Value::Number(f->data.leading / 20.0));
  return fmt;
}

Value ReplaceSel(Vm& vm, CallInfo& c) {
  TextFieldState* f = ThisField(c);
  if (!f) return Value::Undefined();
  std::wstring text = f->data.text;
  const size_t at = std::min(f->caret, text.size());
  const std::wstring add = vm.ToText(c.Arg(0));
  text.insert(at, add);
  f->SetText(text);
  f->caret = at + add.size();
  FitFieldToText(ThisEntry(c)->Owner(), ThisEntry(c)->Parent(), *f);
  return Value::Undefined();
}

Value RemoveTextField(Vm&, CallInfo& c) {
  EntryObject* e = ThisEntry(c);
  if (e && e->Entry() && e->Parent() && e->Entry()->depth >= kDepthOffset)
    e->Owner().Player().RemoveEntry(*e->Parent(), e->Entry()->depth);
  return Value::Undefined();
}

Value GetDepth(Vm&, CallInfo& c) {
  EntryObject* e = ThisEntry(c);
  return e && e->Entry() ? Value::Number(e->Entry()->depth - kDepthOffset) : Value::Undefined();
}

}  // namespace

void InstallTextFieldClass(MovieScripts& owner, Vm& vm) {
  for (const wchar_t* name : kFieldNames) owner.fieldKeys.push_back(vm.Key(name));
  Object* field = vm.NewObject();
  vm.Method(field, L"setTextFormat", SetTextFormat);
  vm.Method(field, L"setNewTextFormat", SetTextFormat);
  vm.Method(field, L"getTextFormat", GetTextFormat);
  vm.Method(field, L"getNewTextFormat", GetTextFormat);
  vm.Method(field, L"replaceSel", ReplaceSel);
  vm.Method(field, L"removeTextField", RemoveTextField);
  vm.Method(field, L"getDepth", GetDepth);
  vm.Class(L"TextField", [](Vm&, CallInfo& c) { return c.thisv; }, field);

  Object* button = vm.NewObject();
  vm.Method(button, L"getDepth", GetDepth);
  vm.Put(button, L"enabled", Value::Bool(true));
  vm.Put(button, L"useHandCursor", Value::Bool(true));
  vm.Class(L"Button", [](Vm&, CallInfo& c) { return c.thisv; }, button);
}

}  // namespace flash
