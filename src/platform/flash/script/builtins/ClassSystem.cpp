// System: capabilities with this player's own values (the screen and the
// system's language and version as the machine reports them), its server
// string, security (every domain is already allowed; movies play in the
// local sandbox of files beside them), exactSettings and useCodepage.
#include <windows.h>

#include <cmath>

#include "platform/flash/script/builtins/ClassKit.h"

namespace flash::script {
namespace {

std::wstring OsName() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{sizeof info};
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto get = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                   : nullptr;
  if (!get || get(&info) != 0) return L"Windows";
  const DWORD v = info.dwMajorVersion * 10 + info.dwMinorVersion;
  if (v >= 100) return L"Windows 10";
  if (v == 63) return L"Windows 8.1";
  if (v == 62) return L"Windows 8";
  if (v == 61) return L"Windows 7";
  if (v == 60) return L"Windows Vista";
  if (v == 52) return L"Windows Server 2003";
  if (v == 51) return L"Windows XP";
  return L"Windows";
}

// The user's language as a two-letter code; Chinese with its script's region.
std::wstring Language() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (!LCIDToLocaleName(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0))
    return L"en";
  std::wstring code = name;
  if (code.rfind(L"zh", 0) == 0)
    return code.find(L"TW") != std::wstring::npos || code.find(L"HK") != std::wstring::npos ||
                   code.find(L"Hant") != std::wstring::npos
               ? L"zh-TW"
               : L"zh-CN";
  code = code.substr(0, code.find(L'-'));
  return code.size() == 2 ? code : L"en";
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  static const wchar_t hex[] = L"0123456789ABCDEF";
  for (wchar_t c : text) {
    if ((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')) {
      out += c;
    } else if (c < 0x100) {
      out += L'%';
      out += hex[(c >> 4) & 15];
      out += hex[c & 15];
    }
  }
  return out;
}

struct Capability {
  const wchar_t* name;
  const wchar_t* code;  // in the server string
  bool value;
};
const Capability kFlags[] = {
    {L"hasAudio", L"A", true},           {L"hasStreamingAudio", L"SA", true}, {L"hasStreamingVideo", L"SV", true},
    {L"hasEmbeddedVideo", L"EV", true},  {L"hasMP3", L"MP3", true},           {L"hasAudioEncoder", L"AE", false},
    {L"hasVideoEncoder", L"VE", false},  {L"hasAccessibility", L"ACC", false}, {L"hasPrinting", L"PR", false},
    {L"hasScreenPlayback", L"SP", false}, {L"hasScreenBroadcast", L"SB", false}, {L"isDebugger", L"DEB", false},
};

Value SecurityNothing(Vm&, CallInfo&) { return Value::Undefined(); }

}  // namespace

void InstallSystem(Vm& vm) {
  Object* system = vm.NewObject();
  vm.Put(vm.Global(), L"System", Value::Obj(system));
  Object* caps = vm.NewObject();
  vm.Put(system, L"capabilities", Value::Obj(caps));
  const std::wstring version = L"WIN 32,0,0,0", manufacturer = L"Macromedia Windows", os = OsName();
  const std::wstring language = Language(), player = L"StandAlone";
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  int dpi = 96;
  if (HDC dc = GetDC(nullptr)) {
    dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(nullptr, dc);
  }
  std::wstring server;
  for (const Capability& f : kFlags) {
    vm.Put(caps, f.name, Value::Bool(f.value), 0);
    server += std::wstring(server.empty() ? L"" : L"&") + f.code + L"=" + (f.value ? L"t" : L"f");
  }
  vm.Put(caps, L"hasIME", Value::Bool(false), 0);
  vm.Put(caps, L"avHardwareDisable", Value::Bool(false), 0);
  vm.Put(caps, L"localFileReadDisable", Value::Bool(false), 0);
  vm.Put(caps, L"windowlessDisable", Value::Bool(false), 0);
  vm.Put(caps, L"version", vm.Str(version), 0);
  vm.Put(caps, L"manufacturer", vm.Str(manufacturer), 0);
  vm.Put(caps, L"os", vm.Str(os), 0);
  vm.Put(caps, L"language", vm.Str(language), 0);
  vm.Put(caps, L"playerType", vm.Str(player), 0);
  vm.Put(caps, L"screenResolutionX", Value::Number(width), 0);
  vm.Put(caps, L"screenResolutionY", Value::Number(height), 0);
  vm.Put(caps, L"screenDPI", Value::Number(dpi), 0);
  vm.Put(caps, L"screenColor", vm.Str(L"color"), 0);
  vm.Put(caps, L"pixelAspectRatio", Value::Number(1), 0);
  server += L"&V=" + Escaped(version) + L"&M=" + Escaped(manufacturer) + L"&R=" + std::to_wstring(width) + L"x" +
            std::to_wstring(height) + L"&DP=" + std::to_wstring(dpi) + L"&COL=color&AR=1.0&OS=" + Escaped(os) +
            L"&L=" + Escaped(language) + L"&IME=f&PT=" + player + L"&AVD=f&LFD=f&WD=f";
  vm.Put(caps, L"serverString", vm.Str(server), 0);

  Object* security = vm.NewObject();
  vm.Put(system, L"security", Value::Obj(security));
  vm.Method(security, L"allowDomain", SecurityNothing);
  vm.Method(security, L"allowInsecureDomain", SecurityNothing);
  vm.Method(security, L"loadPolicyFile", SecurityNothing);
  vm.Put(security, L"sandboxType", vm.Str(L"localWithFile"), 0);

  vm.Put(system, L"useCodepage", Value::Bool(false), 0);
  vm.Put(system, L"exactSettings", Value::Bool(vm.Version() >= kFlash7), 0);
  vm.Method(system, L"showSettings", SecurityNothing);
}

}  // namespace flash::script
