// A value of the action language in 64 bits: a double as it is, or, in the
// NaN space above every number, undefined, null, a Boolean, a string or an
// object (a pointer into the script heap). Copying is a plain copy; what a
// value points to lives as long as the heap's collector finds it reachable.
#pragma once
#include <cstdint>
#include <cstring>

namespace flash::script {

class String;
class Object;

enum class Type : uint8_t { Undefined, Null, Boolean, Number, String, Object };

class Value {
 public:
  constexpr Value() : bits_(kUndefined) {}

  static Value Number(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    if (b >= kTagBase) b = kNaN;  // a NaN whose payload would read as a tag
    return Value(b);
  }
  static constexpr Value Undefined() { return Value(kUndefined); }
  static constexpr Value Null() { return Value(kNull); }
  static constexpr Value Bool(bool v) { return Value(kFalse | (v ? 1 : 0)); }
  static Value Str(const String* s) { return Value(kStringTag | reinterpret_cast<uintptr_t>(s)); }
  static Value Obj(const Object* o) { return Value(kObjectTag | reinterpret_cast<uintptr_t>(o)); }

  bool IsNumber() const { return bits_ < kTagBase; }
  bool IsUndefined() const { return bits_ == kUndefined; }
  bool IsNull() const { return bits_ == kNull; }
  bool IsNullish() const { return bits_ == kUndefined || bits_ == kNull; }
  bool IsBool() const { return (bits_ & ~uint64_t(1)) == kFalse; }
  bool IsString() const { return (bits_ & kTagMask) == kStringTag; }
  bool IsObject() const { return (bits_ & kTagMask) == kObjectTag; }

  double AsNumber() const {
    double d;
    std::memcpy(&d, &bits_, sizeof d);
    return d;
  }
  bool AsBool() const { return bits_ & 1; }
  String* AsString() const { return reinterpret_cast<String*>(bits_ & kPointerMask); }
  Object* AsObject() const { return reinterpret_cast<Object*>(bits_ & kPointerMask); }
  // The object, or null for any other value.
  Object* ObjectOrNull() const { return IsObject() ? AsObject() : nullptr; }

  Type GetType() const {
    if (IsNumber()) return Type::Number;
    switch (bits_ >> 48) {
      case 0xFFF9: return Type::Undefined;
      case 0xFFFA: return Type::Null;
      case 0xFFFB: return Type::Boolean;
      case 0xFFFC: return Type::String;
      default: return Type::Object;
    }
  }
  // The same bits: the same number (NaN included), string pointer or object.
  bool Same(const Value& o) const { return bits_ == o.bits_; }
  uint64_t Bits() const { return bits_; }

 private:
  constexpr explicit Value(uint64_t bits) : bits_(bits) {}

  static constexpr uint64_t kTagBase = 0xFFF9'0000'0000'0000ull;
  static constexpr uint64_t kTagMask = 0xFFFF'0000'0000'0000ull;
  static constexpr uint64_t kPointerMask = 0x0000'FFFF'FFFF'FFFFull;
  static constexpr uint64_t kNaN = 0x7FF8'0000'0000'0000ull;
  static constexpr uint64_t kUndefined = 0xFFF9'0000'0000'0000ull;
  static constexpr uint64_t kNull = 0xFFFA'0000'0000'0000ull;
  static constexpr uint64_t kFalse = 0xFFFB'0000'0000'0000ull;
  static constexpr uint64_t kStringTag = 0xFFFC'0000'0000'0000ull;
  static constexpr uint64_t kObjectTag = 0xFFFD'0000'0000'0000ull;

  uint64_t bits_;
};

}  // namespace flash::script
