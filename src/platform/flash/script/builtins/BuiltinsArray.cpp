// Array and its methods, sort and sortOn with their flags.
#include <algorithm>
#include <cmath>

#include "platform/flash/script/builtins/Builtins.h"

namespace flash::script {
namespace {

enum SortFlags { kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8, kNumeric = 16 };

Array* ThisArray(const CallInfo& c) { return ThisAs<Array>(c, ObjClass::Array); }

Value ArrayCtor(Vm& vm, CallInfo& c) {
  Array* a = vm.NewArray(c.argc);
  if (c.construct) a->SetProto(c.thisv.AsObject()->Proto());
  if (c.argc == 1 && c.args[0].IsNumber()) {
    const double n = c.args[0].AsNumber();
    if (n >= 0 && n == std::floor(n)) vm.SetArrayLength(a, static_cast<size_t>(std::min(n, 1e12)));
    else vm.ArrayPut(a, 0, c.args[0]);
  } else {
    for (uint32_t i = 0; i < c.argc; ++i) vm.ArrayPut(a, i, c.args[i]);
  }
  return Value::Obj(a);
}

Value Push(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a) return Value::Undefined();
  for (uint32_t i = 0; i < c.argc; ++i) vm.ArrayPut(a, a->items.size(), c.args[i]);
  return Value::Number(static_cast<double>(a->items.size()));
}

Value Pop(Vm&, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a || a->items.empty()) return Value::Undefined();
  const Value v = a->items.back();
  a->items.pop_back();
  return v;
}

Value Shift(Vm&, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a || a->items.empty()) return Value::Undefined();
  const Value v = a->items.front();
  a->items.erase(a->items.begin());
  return v;
}

Value Unshift(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a) return Value::Undefined();
  if (a->items.size() + c.argc > Array::kMaxLength) {
    vm.ArrayPut(a, Array::kMaxLength, Value::Undefined());  // stops the script
    return Value::Undefined();
  }
  a->items.insert(a->items.begin(), c.args, c.args + c.argc);
  vm.GetHeap().Grow(a, static_cast<ptrdiff_t>(c.argc * sizeof(Value)));
  return Value::Number(static_cast<double>(a->items.size()));
}

Value Splice(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a || !c.argc) return Value::Undefined();
  const size_t start = RelativeIndex(NumberArg(vm, c, 0), a->items.size());
  size_t count = a->items.size() - start;
  if (c.argc > 1) {
    const double n = std::trunc(NumberArg(vm, c, 1));
    count = std::isnan(n) || n < 0 ? 0 : static_cast<size_t>(std::min(n, double(count)));
  }
  Array* removed = vm.NewArray(count);
  removed->items.assign(a->items.begin() + static_cast<ptrdiff_t>(start),
                        a->items.begin() + static_cast<ptrdiff_t>(start + count));
  const uint32_t adding = c.argc > 2 ? c.argc - 2 : 0;
  if (a->items.size() - count + adding > Array::kMaxLength) {
    vm.ArrayPut(a, Array::kMaxLength, Value::Undefined());
    return Value::Undefined();
  }
  a->items.erase(a->items.begin() + static_cast<ptrdiff_t>(start),
                 a->items.begin() + static_cast<ptrdiff_t>(start + count));
  if (adding) a->items.insert(a->items.begin() + static_cast<ptrdiff_t>(start), c.args + 2, c.args + c.argc);
  return Value::Obj(removed);
}

Value Slice(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a) return Value::Undefined();
  const size_t n = a->items.size();
  const size_t from = RelativeIndex(NumberArg(vm, c, 0), n);
  const size_t to = c.argc > 1 && !c.Arg(1).IsUndefined() ? RelativeIndex(NumberArg(vm, c, 1), n) : n;
  Array* out = vm.NewArray();
  if (to > from) out->items.assign(a->items.begin() + static_cast<ptrdiff_t>(from), a->items.begin() + static_cast<ptrdiff_t>(to));
  return Value::Obj(out);
}

Value Concat(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  Array* out = vm.NewArray();
  if (a) out->items = a->items;
  for (uint32_t i = 0; i < c.argc && !vm.Stopped(); ++i) {
    Object* o = c.args[i].ObjectOrNull();
    if (o && o->Class() == ObjClass::Array) {
      for (const Value& v : static_cast<Array*>(o)->items) vm.ArrayPut(out, out->items.size(), v);
    } else {
      vm.ArrayPut(out, out->items.size(), c.args[i]);
    }
  }
  return Value::Obj(out);
}

Value Join(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a) return Value::Undefined();
  String* sep = c.argc && !c.Arg(0).IsUndefined() ? StringArg(vm, c, 0) : vm.Intern(L",");
  std::wstring out;
  const std::vector<Value> items = a->items;  // a toString may change the array
  for (size_t i = 0; i < items.size() && !vm.Stopped(); ++i) {
    if (i) out += sep->View();
    out += vm.ToString(items[i])->View();
    if (!vm.CheckLength(out.size())) return Value::Undefined();
  }
  return vm.Str(out);
}

Value Reverse(Vm&, CallInfo& c) {
  Array* a = ThisArray(c);
  if (a) std::reverse(a->items.begin(), a->items.end());
  return c.thisv;
}

// Sorts values by a comparison of two indices; returns the order, or
// nothing when a unique sort finds two equal values.
template <class Compare>
bool SortOrder(Vm& vm, size_t n, int flags, Compare compare, std::vector<size_t>& order) {
  order.resize(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  const bool descending = flags & kDescending;
  std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
    if (vm.Stopped()) return false;
    const int r = compare(x, y);
    return descending ? r > 0 : r < 0;
  });
  if (flags & kUniqueSort)
    for (size_t i = 1; i < n; ++i)
      if (compare(order[i - 1], order[i]) == 0) return false;
  return true;
}

int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }

// The comparison of two values by flags: numbers, or text (case-folded).
struct SortKeys {
  std::vector<double> numbers;
  std::vector<std::wstring> texts;
  void Build(Vm& vm, const std::vector<Value>& values, int flags) {
    if (flags & kNumeric) {
      for (const Value& v : values) numbers.push_back(vm.ToNumber(v));
    } else {
      for (const Value& v : values) {
        std::wstring t = vm.ToText(v);
        texts.push_back(flags & kCaseInsensitive ? ToLower(t) : std::move(t));
      }
    }
  }
  int Compare(size_t x, size_t y) const {
    if (!numbers.empty()) {
      const double a = numbers[x], b = numbers[y];
      if (std::isnan(a) || std::isnan(b)) return std::isnan(a) - std::isnan(b);
      return Sign(a - b);
    }
    return texts[x].compare(texts[y]) < 0 ? -1 : texts[x] == texts[y] ? 0 : 1;
  }
};

Value Finish(Vm& vm, Array* a, const std::vector<Value>& values, const std::vector<size_t>& order, int flags) {
  if (flags & kReturnIndexedArray) {
    Array* out = vm.NewArray(order.size());
    for (size_t i : order) out->items.push_back(Value::Number(static_cast<double>(i)));
    return Value::Obj(out);
  }
  std::vector<Value> sorted;
  sorted.reserve(order.size());
  for (size_t i : order) sorted.push_back(values[i]);
  a->items = std::move(sorted);
  return Value::Obj(a);
}

Value Sort(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a) return Value::Undefined();
  Value fn;
  int flags = 0;
  if (c.argc && c.args[0].IsObject() && c.args[0].AsObject()->IsCallable()) {
    fn = c.args[0];
    flags = c.argc > 1 ? vm.ToInt32(c.args[1]) : 0;
  } else if (c.argc) {
    flags = vm.ToInt32(c.args[0]);
  }
  const std::vector<Value> values = a->items;
  std::vector<size_t> order;
  bool ok = false;
  if (!fn.IsUndefined()) {
    ok = SortOrder(vm, values.size(), flags, [&](size_t x, size_t y) {
      const Value args[] = {values[x], values[y]};
      return Sign(vm.ToNumber(vm.Call(fn, Value::Undefined(), args)));
    }, order);
  } else {
    SortKeys keys;
    keys.Build(vm, values, flags);
    ok = SortOrder(vm, values.size(), flags, [&](size_t x, size_t y) { return keys.Compare(x, y); }, order);
  }
  if (!ok || vm.Stopped()) return Value::Number(0);
  return Finish(vm, a, values, order, flags);
}

Value SortOn(Vm& vm, CallInfo& c) {
  Array* a = ThisArray(c);
  if (!a || !c.argc) return c.thisv;
  std::vector<String*> fields;
  std::vector<int> fieldFlags;
  if (Object* o = c.args[0].ObjectOrNull(); o && o->Class() == ObjClass::Array) {
    for (const Value& v : static_cast<Array*>(o)->items) fields.push_back(vm.ToString(v));
  } else {
    fields.push_back(vm.ToString(c.args[0]));
  }
  int flags = 0;
  if (Object* o = c.Arg(1).ObjectOrNull(); o && o->Class() == ObjClass::Array) {
    for (const Value& v : static_cast<Array*>(o)->items) fieldFlags.push_back(vm.ToInt32(v));
  } else {
    flags = vm.ToInt32(c.Arg(1));
  }
  fieldFlags.resize(fields.size(), flags);
  if (!fieldFlags.empty()) flags = fieldFlags[0] & (kUniqueSort | kReturnIndexedArray);
  const std::vector<Value> values = a->items;
  std::vector<SortKeys> keys(fields.size());
  for (size_t f = 0; f < fields.size(); ++f) {
    std::vector<Value> column;
    for (const Value& v : values) column.push_back(vm.Get(v, fields[f]));
    keys[f].Build(vm, column, fieldFlags[f]);
  }
  std::vector<size_t> order;
  const bool ok = SortOrder(vm, values.size(), flags, [&](size_t x, size_t y) {
    for (size_t f = 0; f < keys.size(); ++f) {
      const int r = keys[f].Compare(x, y);
      if (r) return (fieldFlags[f] & kDescending) ? -r : r;
    }
    return 0;
  }, order);
  if (!ok || vm.Stopped()) return Value::Number(0);
  return Finish(vm, a, values, order, flags);
}

}  // namespace

void InstallArrayBuiltins(Vm& vm) {
  vm.arrayProto = vm.NewObject();
  Object* p = vm.arrayProto;
  vm.Method(p, L"push", Push);
  vm.Method(p, L"pop", Pop);
  vm.Method(p, L"shift", Shift);
  vm.Method(p, L"unshift", Unshift);
  vm.Method(p, L"splice", Splice);
  vm.Method(p, L"slice", Slice);
  vm.Method(p, L"concat", Concat);
  vm.Method(p, L"join", Join);
  vm.Method(p, L"toString", Join);
  vm.Method(p, L"reverse", Reverse);
  vm.Method(p, L"sort", Sort);
  vm.Method(p, L"sortOn", SortOn);
  Function* array = vm.Class(L"Array", ArrayCtor, p);
  const struct {
    const wchar_t* name;
    int value;
  } flags[] = {{L"CASEINSENSITIVE", kCaseInsensitive}, {L"DESCENDING", kDescending}, {L"UNIQUESORT", kUniqueSort},
               {L"RETURNINDEXEDARRAY", kReturnIndexedArray}, {L"NUMERIC", kNumeric}};
  for (const auto& f : flags) vm.Put(array, f.name, Value::Number(f.value), kDontEnum | kReadOnly);
}

}  // namespace flash::script
