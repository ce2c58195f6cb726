// TextField.styleSheet: a text field with a style sheet shows its HTML text
// through it (elements styled display:none left out, blocks on lines of
// their own, the field's format the style of its first character), keeps
// the HTML as set for htmlText, and takes no typing. The StyleSheet class
// itself is ClassStyleSheet's.
#include "platform/flash/binding/MovieScripts.h"
#include "platform/flash/binding/ScriptClasses.h"
#include "platform/flash/binding/ScriptObjects.h"

namespace flash {
namespace {

using script::CallInfo;
using script::Object;
using script::Value;
using script::Vm;

EntryObject* ThisField(const CallInfo& c) {
  Object* o = c.thisv.ObjectOrNull();
  return o && o->Class() == script::ObjClass::TextField ? static_cast<EntryObject*>(o) : nullptr;
}

Value GetSheet(Vm&, CallInfo& c) {
  EntryObject* f = ThisField(c);
  return f && f->primitive.IsObject() ? f->primitive : Value::Undefined();
}

Value SetSheet(Vm& vm, CallInfo& c) {
  EntryObject* f = ThisField(c);
  if (!f) return Value::Undefined();
  f->primitive = c.Arg(0).IsObject() ? c.Arg(0) : Value::Undefined();
  if (f->Entry() && f->Entry()->text) {
    TextFieldState& field = *f->Entry()->text;
    // Without a sheet the HTML shows as it is again.
    if (!f->primitive.IsObject() && field.data.html) field.SetHtml(field.html);
  }
  ApplyFieldStyleSheet(vm, *f);
  return Value::Undefined();
}

}  // namespace

void ApplyFieldStyleSheet(Vm& vm, EntryObject& field) {
  DisplayObject* entry = field.Entry();
  if (!entry || !entry->text || !field.primitive.IsObject()) return;
  TextFieldState& f = *entry->text;
  if (!f.data.html) return;
  std::wstring text;
  const Value format = script::StyleSheetFormat(vm, field.primitive, f.html, text);
  if (!format.IsObject()) return;
  f.data.text = text;
  f.input = false;
  f.caret = std::min(f.caret, f.data.text.size());
  ++f.version;
  vm.CallMethod(Value::Obj(&field), vm.Intern(L"setTextFormat"), std::span<const Value>(&format, 1));
  field.Owner().Player().Changed();
}

void InstallFieldStyles(MovieScripts&, Vm& vm, Object* textField) {
  Object* proto = textField ? vm.Get(Value::Obj(textField), vm.N().prototype).ObjectOrNull() : nullptr;
  script::InstallStyleSheet(vm, textField);
  if (proto) script::Property(vm, proto, L"styleSheet", GetSheet, SetSheet);
}

}  // namespace flash
