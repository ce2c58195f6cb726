// TextField.StyleSheet: named styles (objects of camel-case CSS properties
// with their text values) read from CSS text or a file beside the movie,
// set, read back as copies, listed and cleared, and turned into the
// TextFormat a text field shows (transform).
#include "base/TextConv.h"
#include "platform/flash/script/builtins/ClassKit.h"
#include "platform/flash/script/builtins/CssText.h"

namespace flash::script {
namespace {

constexpr size_t kMaxSheetFile = size_t(1) << 20;

class SheetState final : public State {
 public:
  Object* styles = nullptr;  // name -> style object, in the order added
  void Trace(Tracer& t) const override {
    State::Trace(t);
    t.Mark(styles);
  }
};

SheetState* Sheet(const Value& self) {
  SheetState* s = StateOf<SheetState>(self);
  return s && s->styles ? s : nullptr;
}

Value SheetCtor(Vm& vm, CallInfo& c) {
  if (Object* o = Fresh(c)) {
    auto* s = vm.GetHeap().New<SheetState>();
    s->styles = vm.NewObject(nullptr);
    s->styles->SetProto(nullptr);
    Attach(o, s);
  }
  return Value::Undefined();
}

Object* CopyStyle(Vm& vm, const Value& style) {
  Object* copy = vm.NewObject();
  if (Object* from = style.ObjectOrNull())
    for (String* name : vm.Enumerate(from)) vm.Set(Value::Obj(copy), name, vm.Get(style, name));
  return copy;
}

void SetStyle(Vm& vm, SheetState* s, String* name, const Value& style) {
  String* key = vm.GetHeap().Key(name);
  if (!style.IsObject()) {
    s->styles->Props().Remove(key);
    return;
  }
  vm.Put(s->styles, name, Value::Obj(CopyStyle(vm, style)), 0);
}

bool Parse(Vm& vm, SheetState* s, std::wstring_view css) {
  std::vector<CssRule> rules;
  if (!ParseCss(css, rules)) return false;
  for (const CssRule& r : rules) {
    Object* style = vm.NewObject();
    for (const auto& [name, value] : r.declarations) vm.Put(style, name.c_str(), vm.Str(value), 0);
    SetStyle(vm, s, vm.Intern(r.selector), Value::Obj(style));
  }
  return true;
}

Value ParseCSS(Vm& vm, CallInfo& c) {
  SheetState* s = Sheet(c.thisv);
  return Value::Bool(s && Parse(vm, s, vm.ToString(c.Arg(0))->View()));
}

Value GetStyle(Vm& vm, CallInfo& c) {
  SheetState* s = Sheet(c.thisv);
  Slot* slot = s ? s->styles->Props().Find(vm.KeyOf(c.Arg(0))) : nullptr;
  return slot ? Value::Obj(CopyStyle(vm, slot->value)) : Value::Null();
}

Value SetStyleMethod(Vm& vm, CallInfo& c) {
  if (SheetState* s = Sheet(c.thisv)) SetStyle(vm, s, vm.ToString(c.Arg(0)), c.Arg(1));
  return Value::Undefined();
}

Value GetStyleNames(Vm& vm, CallInfo& c) {
  Array* names = vm.NewArray();
  if (SheetState* s = Sheet(c.thisv))
    for (const Slot& slot : s->styles->Props().Slots()) vm.ArrayPut(names, names->items.size(), Value::Str(slot.name));
  return Value::Obj(names);
}

Value Clear(Vm&, CallInfo& c) {
  if (SheetState* s = Sheet(c.thisv)) s->styles->Props().Clear();
  return Value::Undefined();
}

// A style's declarations as text (their values converted).
CssDeclarations Declarations(Vm& vm, const Value& style) {
  CssDeclarations out;
  if (Object* o = style.ObjectOrNull())
    for (String* name : vm.Enumerate(o)) out.emplace_back(name->Str(), vm.ToText(vm.Get(style, name)));
  return out;
}

Value FormatOf(Vm& vm, const CssDeclarations& style) {
  const Value format = NewOf(vm, L"TextFormat", {});
  auto set = [&](const wchar_t* name, const Value& v) { vm.Set(format, vm.Intern(name), v); };
  auto number = [&](const wchar_t* name, const std::wstring& v) {
    const double d = CssNumber(v);
    if (!std::isnan(d)) set(name, Value::Number(d));
  };
  for (const auto& [name, value] : style) {
    if (name == L"color") {
      if (const int32_t rgb = CssColor(value); rgb >= 0) set(L"color", Value::Number(rgb));
    } else if (name == L"fontFamily") {
      std::wstring family = value.substr(0, value.find(L','));
      std::erase_if(family, [](wchar_t ch) { return ch == L'"' || ch == L'\''; });
      set(L"font", vm.Str(family));
    } else if (name == L"fontSize") {
      number(L"size", value);
    } else if (name == L"fontStyle") {
      set(L"italic", Value::Bool(value == L"italic"));
    } else if (name == L"fontWeight") {
      set(L"bold", Value::Bool(value == L"bold"));
    } else if (name == L"textDecoration") {
      set(L"underline", Value::Bool(value == L"underline"));
    } else if (name == L"textAlign") {
      set(L"align", vm.Str(value));
    } else if (name == L"marginLeft") {
      number(L"leftMargin", value);
    } else if (name == L"marginRight") {
      number(L"rightMargin", value);
    } else if (name == L"textIndent") {
      number(L"indent", value);
    } else if (name == L"leading") {
      number(L"leading", value);
    } else if (name == L"letterSpacing") {
      number(L"letterSpacing", value);
    } else if (name == L"kerning") {
      set(L"kerning", Value::Bool(value == L"true"));
    }
  }
  return format;
}

Value Transform(Vm& vm, CallInfo& c) {
  if (!c.Arg(0).IsObject()) return Value::Null();
  return FormatOf(vm, Declarations(vm, c.Arg(0)));
}

// load(url): the file beside the movie is read now; its styles and onLoad(success) come after the running scripts.
Value Load(Vm& vm, CallInfo& c) {
  SheetState* s = Sheet(c.thisv);
  if (!s) return Value::Bool(false);
  std::string bytes;
  bool ok = vm.Host().ReadMovieFile(vm.ToText(c.Arg(0)), bytes) && bytes.size() <= kMaxSheetFile;
  if (ok) {
    ok = Parse(vm, s, Utf8ToWide(bytes));
  }
  vm.Later(c.thisv, vm.Intern(L"onLoad"), {Value::Bool(ok)});
  return Value::Bool(true);
}

}  // namespace

Value StyleSheetFormat(Vm& vm, const Value& sheet, std::wstring_view html, std::wstring& text) {
  SheetState* s = Sheet(sheet);
  if (!s) return Value::Undefined();
  std::vector<std::pair<std::wstring, CssDeclarations>> styles;
  for (const Slot& slot : s->styles->Props().Slots())
    styles.emplace_back(ToLower(slot.name->View()), Declarations(vm, slot.value));
  const StyledHtml styled = ApplyStyles(html, [&](const std::wstring& selector) -> const CssDeclarations* {
    const std::wstring key = ToLower(selector);
    for (const auto& [name, declarations] : styles)
      if (name == key) return &declarations;
    return nullptr;
  });
  text = styled.text;
  return FormatOf(vm, styled.style);
}

void InstallStyleSheet(Vm& vm, Object* textField) {
  Object* p = vm.NewObject();
  vm.Method(p, L"parseCSS", ParseCSS);
  vm.Method(p, L"getStyle", GetStyle);
  vm.Method(p, L"setStyle", SetStyleMethod);
  vm.Method(p, L"getStyleNames", GetStyleNames);
  vm.Method(p, L"clear", Clear);
  vm.Method(p, L"transform", Transform);
  vm.Method(p, L"load", Load);
  Function* f = vm.Class(nullptr, SheetCtor, p);
  if (textField) vm.Put(textField, L"StyleSheet", Value::Obj(f));
}

}  // namespace flash::script
