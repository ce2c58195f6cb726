// Conversions and comparisons of values, by the movie's version: undefined
// is "" and 0 before version 7 and "undefined" and NaN from it; strings are
// true only when they read as a non-zero number before version 7, when they
// are not empty from it; version 4 arithmetic reads text that is no number
// as 0.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/flash/script/Convert.h"
#include "platform/flash/script/Vm.h"

namespace flash::script {
namespace {

bool Space(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f'; }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// The length of the decimal number at the start of s (sign, digits, point,
// exponent), 0 when there is none.
size_t DecimalPrefix(std::wstring_view s) {
  size_t i = 0, digits = 0;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
  while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i, ++digits;
  if (i < s.size() && s[i] == L'.') {
    ++i;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') ++i, ++digits;
  }
  if (!digits) return 0;
  if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == L'+' || s[j] == L'-')) ++j;
    size_t expDigits = 0;
    while (j < s.size() && s[j] >= L'0' && s[j] <= L'9') ++j, ++expDigits;
    if (expDigits) i = j;
  }
  return i;
}

double ReadDecimal(std::wstring_view s) {
  std::string ascii(s.begin(), s.end());
  return std::strtod(ascii.c_str(), nullptr);
}

}  // namespace

double ParseNumber(std::wstring_view s, uint8_t version) {
  size_t a = 0, b = s.size();
  while (a < b && Space(s[a])) ++a;
  while (b > a && Space(s[b - 1])) --b;
  s = s.substr(a, b - a);
  const double nothing = version <= 6 ? 0.0 : NAN;
  if (s.empty()) return nothing;
  if (version <= 4) {
    const size_t n = DecimalPrefix(s);
    return n ? ReadDecimal(s.substr(0, n)) : 0.0;
  }
  if (s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X')) {
    double v = 0;
    for (size_t i = 2; i < s.size(); ++i) {
      const int d = HexDigit(s[i]);
      if (d < 0) return NAN;
      v = v * 16 + d;
    }
    return v;
  }
  if (s == L"Infinity" || s == L"+Infinity") return INFINITY;
  if (s == L"-Infinity") return -INFINITY;
  const size_t n = DecimalPrefix(s);
  if (n != s.size()) return NAN;
  return ReadDecimal(s);
}

std::wstring FormatNumber(double d) {
  if (std::isnan(d)) return L"NaN";
  if (std::isinf(d)) return d > 0 ? L"Infinity" : L"-Infinity";
  if (d == 0) return L"0";
  if (d == std::floor(d) && std::fabs(d) < 1e15) return std::to_wstring(static_cast<long long>(d));
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.15g", d);
  std::string text = buf;
  const size_t e = text.find('e');
  if (e != std::string::npos) {
    // "1e+021" and "1e+21" both read "1e+21".
    std::string mantissa = text.substr(0, e), exponent = text.substr(e + 1);
    const char sign = exponent.empty() ? '+' : exponent[0];
    size_t digits = (sign == '+' || sign == '-') ? 1 : 0;
    while (digits + 1 < exponent.size() && exponent[digits] == '0') ++digits;
    text = mantissa + "e" + (sign == '-' ? "-" : "+") + exponent.substr(digits);
  }
  return std::wstring(text.begin(), text.end());
}

String* Vm::NumberText(double d) {
  if (d >= 0 && d < 256 && d == static_cast<int>(d) && !(d == 0 && std::signbit(d)))
    return smallInts_[static_cast<size_t>(d)];
  if (d == 0) return smallInts_[0];
  if (std::isnan(d)) return names_.nanText;
  return heap_.NewString(FormatNumber(d));
}

double Vm::ToNumber(const Value& v) {
  switch (v.GetType()) {
    case Type::Number: return v.AsNumber();
    case Type::Undefined: return version_ >= 7 ? NAN : 0.0;
    case Type::Null: return version_ >= 7 ? NAN : 0.0;
    case Type::Boolean: return v.AsBool() ? 1.0 : 0.0;
    case Type::String: return ParseNumber(v.AsString()->View(), version_);
    case Type::Object: {
      Object* o = v.AsObject();
      if (o->Class() == ObjClass::Clip) return NAN;
      const Value p = ToPrimitive(v);
      return p.IsObject() ? NAN : ToNumber(p);
    }
  }
  return NAN;
}

int32_t Vm::ToInt32(const Value& v) { return DoubleToInt32(ToNumber(v)); }

bool Vm::ToBool(const Value& v) {
  switch (v.GetType()) {
    case Type::Boolean: return v.AsBool();
    case Type::Number: {
      const double d = v.AsNumber();
      return d != 0 && !std::isnan(d);
    }
    case Type::String: {
      if (version_ >= 7) return v.AsString()->Size() > 0;
      const double d = ParseNumber(v.AsString()->View(), version_ <= 4 ? 4 : 6);
      return d != 0 && !std::isnan(d);
    }
    case Type::Object: return true;
    default: return false;
  }
}

String* Vm::ToString(const Value& v) {
  switch (v.GetType()) {
    case Type::String: return v.AsString();
    case Type::Number: return NumberText(v.AsNumber());
    case Type::Undefined: return version_ >= 7 ? names_.undefinedText : names_.empty;
    case Type::Null: return names_.nullText;
    case Type::Boolean:
      if (version_ <= 4) return NumberText(v.AsBool() ? 1 : 0);
      return v.AsBool() ? names_.trueText : names_.falseText;
    case Type::Object: {
      Object* o = v.AsObject();
      std::wstring text;
      if (o->NativeString(*this, text)) return heap_.NewString(text);
      Value result;
      if (CallMethod(v, names_.toString, {}, &result) && !result.IsObject()) return ToString(result);
      if (Stopped()) return names_.empty;
      return Intern(o->IsCallable() ? L"[type Function]" : L"[type Object]");
    }
  }
  return names_.empty;
}

Value Vm::ToPrimitive(const Value& v, bool preferString) {
  if (!v.IsObject()) return v;
  Object* o = v.AsObject();
  if (o->Class() == ObjClass::Date) preferString = true;
  String* first = preferString ? names_.toString : names_.valueOf;
  String* second = preferString ? names_.valueOf : names_.toString;
  Value result;
  if (CallMethod(v, first, {}, &result) && !result.IsObject()) return result;
  if (Stopped()) return Value::Undefined();
  if (CallMethod(v, second, {}, &result) && !result.IsObject()) return result;
  if (Stopped()) return Value::Undefined();
  std::wstring text;
  if (o->NativeString(*this, text)) return Str(text);
  return v;
}

Object* Vm::ToObject(const Value& v) {
  if (v.IsObject()) return v.AsObject();
  Object* proto = nullptr;
  if (v.IsString()) proto = stringProto;
  else if (v.IsNumber()) proto = numberProto;
  else if (v.IsBool()) proto = booleanProto;
  else return nullptr;
  ObjClass cls = v.IsString() ? ObjClass::String : v.IsNumber() ? ObjClass::Number : ObjClass::Boolean;
  Object* o = heap_.New<Object>(proto, cls);
  o->primitive = v;
  return o;
}

String* Vm::TypeOf(const Value& v) {
  switch (v.GetType()) {
    case Type::Undefined: return Intern(L"undefined");
    case Type::Null: return names_.nullText;
    case Type::Boolean: return names_.booleanText;
    case Type::Number: return names_.numberText;
    case Type::String: return names_.stringText;
    case Type::Object: {
      Object* o = v.AsObject();
      if (o->Class() == ObjClass::Clip) return names_.movieclipText;
      return o->IsCallable() ? names_.functionText : names_.objectText;
    }
  }
  return names_.objectText;
}

bool Vm::StrictEquals(const Value& a, const Value& b) {
  if (a.IsNumber() && b.IsNumber()) return a.AsNumber() == b.AsNumber();
  if (a.IsString() && b.IsString()) return a.AsString() == b.AsString() || a.AsString()->View() == b.AsString()->View();
  return a.Same(b);
}

bool Vm::Equals(const Value& a, const Value& b) {
  const Type ta = a.GetType(), tb = b.GetType();
  if (ta == tb) return StrictEquals(a, b);
  if (a.IsNullish() && b.IsNullish()) return true;
  if (a.IsNullish() || b.IsNullish()) return false;
  if (ta == Type::Number && tb == Type::String) return a.AsNumber() == ToNumber(b);
  if (ta == Type::String && tb == Type::Number) return ToNumber(a) == b.AsNumber();
  if (ta == Type::Boolean) return Equals(Value::Number(a.AsBool() ? 1 : 0), b);
  if (tb == Type::Boolean) return Equals(a, Value::Number(b.AsBool() ? 1 : 0));
  if (ta == Type::Object) {
    const Value p = ToPrimitive(a);
    return !p.IsObject() && Equals(p, b);
  }
  if (tb == Type::Object) {
    const Value p = ToPrimitive(b);
    return !p.IsObject() && Equals(a, p);
  }
  return false;
}

Value Vm::Less(const Value& a, const Value& b) {
  if (a.IsNumber() && b.IsNumber()) {
    const double x = a.AsNumber(), y = b.AsNumber();
    if (std::isnan(x) || std::isnan(y)) return Value::Undefined();
    return Value::Bool(x < y);
  }
  const Value pa = ToPrimitive(a), pb = ToPrimitive(b);
  if (pa.IsString() && pb.IsString()) return Value::Bool(pa.AsString()->View() < pb.AsString()->View());
  const double x = ToNumber(pa), y = ToNumber(pb);
  if (std::isnan(x) || std::isnan(y)) return Value::Undefined();
  return Value::Bool(x < y);
}

Value Vm::Add(const Value& a, const Value& b) {
  if (a.IsNumber() && b.IsNumber()) return Value::Number(a.AsNumber() + b.AsNumber());
  const Value pa = ToPrimitive(a), pb = ToPrimitive(b);
  if (pa.IsString() || pb.IsString()) {
    String* x = ToString(pa);
    String* y = ToString(pb);
    if (!CheckLength(size_t(x->Size()) + y->Size())) return Value::Str(names_.empty);
    if (!x->Size()) return Value::Str(y);
    if (!y->Size()) return Value::Str(x);
    return Value::Str(heap_.Concat(x, y));
  }
  return Value::Number(ToNumber(pa) + ToNumber(pb));
}

Value Vm::Str(std::wstring_view text) {
  if (!CheckLength(text.size())) return Value::Str(names_.empty);
  if (text.empty()) return Value::Str(names_.empty);
  return Value::Str(heap_.NewString(text));
}

bool Vm::CheckLength(size_t chars) {
  if (chars <= Heap::kMaxStringLength) return true;
  Abort(L"a string grew past " + std::to_wstring(Heap::kMaxStringLength) + L" characters");
  return false;
}

String* Vm::KeyOf(const Value& v) {
  if (v.IsString()) return heap_.Key(v.AsString());
  if (v.IsNumber()) {
    const double d = v.AsNumber();
    if (d >= 0 && d < 256 && d == static_cast<int>(d)) return heap_.Key(smallInts_[static_cast<size_t>(d)]);
  }
  return heap_.Key(ToString(v));
}

int32_t DoubleToInt32(double d) {
  if (!std::isfinite(d)) return 0;
  d = std::trunc(d);
  if (d >= -2147483648.0 && d <= 2147483647.0) return static_cast<int32_t>(d);
  double m = std::fmod(d, 4294967296.0);
  if (m < 0) m += 4294967296.0;
  return static_cast<int32_t>(static_cast<uint32_t>(m));
}

}  // namespace flash::script
