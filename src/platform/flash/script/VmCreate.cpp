// Making an interpreter: the names it uses often, the global object and the
// built-in classes (Builtins.h), which are installed on it here so that the
// interpreter itself knows nothing of them.
#include "platform/flash/script/Vm.h"

#include <string>

#include "platform/flash/script/builtins/Builtins.h"

namespace flash::script {

Vm::Vm(uint8_t version, VmHost& host, size_t heapLimit)
    : version_(version), host_(host), heap_(version >= 7, heapLimit) {
  auto key = [&](const wchar_t* s) { return heap_.Key(s); };
  names_.length = key(L"length");
  names_.prototype = key(L"prototype");
  names_.constructor = key(L"constructor");
  names_.proto = key(L"__proto__");
  names_.ctor = key(L"__constructor__");
  names_.thisName = key(L"this");
  names_.global = key(L"_global");
  names_.root = key(L"_root");
  names_.parent = key(L"_parent");
  names_.arguments = key(L"arguments");
  names_.callee = key(L"callee");
  names_.caller = key(L"caller");
  names_.superName = key(L"super");
  names_.toString = key(L"toString");
  names_.valueOf = key(L"valueOf");
  names_.empty = heap_.Intern(L"");
  names_.level0 = key(L"_level0");
  names_.undefinedText = heap_.Intern(L"undefined");
  names_.nullText = heap_.Intern(L"null");
  names_.trueText = heap_.Intern(L"true");
  names_.falseText = heap_.Intern(L"false");
  names_.nanText = heap_.Intern(L"NaN");
  names_.objectText = heap_.Intern(L"object");
  names_.functionText = heap_.Intern(L"function");
  names_.movieclipText = heap_.Intern(L"movieclip");
  names_.stringText = heap_.Intern(L"string");
  names_.numberText = heap_.Intern(L"number");
  names_.booleanText = heap_.Intern(L"boolean");
  names_.message = key(L"message");
  names_.name = key(L"name");
  names_.interfaces = key(L"__interfaces__");
  for (int i = 0; i < 256; ++i) smallInts_.push_back(heap_.Intern(std::to_wstring(i)));
  startSeconds_ = host_.Seconds();
  objectProto = heap_.New<Object>(nullptr);
  functionProto = heap_.New<Object>(objectProto);
  global_ = heap_.New<Object>(objectProto);
  InstallBuiltins(*this);
}

Vm::~Vm() = default;

}  // namespace flash::script
