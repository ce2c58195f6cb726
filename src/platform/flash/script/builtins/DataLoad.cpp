#include "platform/flash/script/builtins/DataLoad.h"

#include "base/TextConv.h"

namespace flash::script {

std::wstring LoadedText(Vm& vm, const std::string& bytes) {
  std::string b = bytes;
  if (b.size() >= 3 && uint8_t(b[0]) == 0xEF && uint8_t(b[1]) == 0xBB && uint8_t(b[2]) == 0xBF) b.erase(0, 3);
  if (vm.Version() >= 6) return Utf8ToWide(b);
  std::wstring out;
  for (unsigned char c : b) out += static_cast<wchar_t>(c);
  return out;
}

bool StartLoad(Vm& vm, const Value& obj, const Value& url) {
  const std::wstring u = vm.ToText(url);
  if (u.empty() || !obj.IsObject()) return false;
  std::string bytes;
  const bool ok = vm.Host().ReadMovieFile(u, bytes);
  vm.Set(obj, vm.Intern(L"loaded"), Value::Bool(false));
  vm.Set(obj, vm.Intern(L"_bytesTotal"), Value::Number(ok ? double(bytes.size()) : 0));
  vm.Later(obj, vm.Intern(L"onData"), {ok ? vm.Str(LoadedText(vm, bytes)) : Value::Undefined()});
  return true;
}

Value DataSendAndLoad(Vm& vm, CallInfo& c) {
  // No network: a local file is read into the target, anything else fails.
  return Value::Bool(StartLoad(vm, c.Arg(1), c.Arg(0)));
}

Value DataNoSend(Vm&, CallInfo&) { return Value::Bool(false); }

Value DataBytesLoaded(Vm& vm, CallInfo& c) { return vm.Get(c.thisv, vm.Intern(L"_bytesTotal")); }

}  // namespace flash::script
