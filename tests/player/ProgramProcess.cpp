#include "ProgramProcess.h"

#include "services/AppIdentity.h"
#include "services/RegistryModule.h"

namespace player_test {
namespace {

struct FindData {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM lp) {
  auto* data = reinterpret_cast<FindData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != data->pid || !IsWindowVisible(hwnd) || GetParent(hwnd)) return TRUE;
  const std::wstring prefix = std::wstring(app::kTitle) + L" - ";
  if (Caption(hwnd).compare(0, prefix.size(), prefix) == 0) {
    data->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct ChildSearch {
  std::wstring part, cls;
  HWND found = nullptr;
};

BOOL CALLBACK FindChild(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<ChildSearch*>(lp);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (!s->part.empty() && Caption(hwnd).find(s->part) != std::wstring::npos) {
    s->found = hwnd;
    return FALSE;
  }
  if (!s->cls.empty()) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (s->cls == name) {
      s->found = hwnd;
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

PrivateProgramKey::PrivateProgramKey() {
  RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str());
  for (const wchar_t* ext : {L".swf", L".flv", L".swfzel"}) {
    types_.Value(HKEY_CLASSES_ROOT, ext, L"");
    types_.Key(HKEY_CLASSES_ROOT, std::wstring(app::kTitle) + ext);
  }
}

PrivateProgramKey::~PrivateProgramKey() { RegDeleteTreeW(HKEY_CURRENT_USER, AppRegistryKey().c_str()); }

ProgramProcess::ProgramProcess(const std::wstring& arguments, const std::wstring& program) {
  const std::wstring exe = program.empty() ? testing_support::ProgramDir() + L"SWF.zel.exe" : program;
  const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
  std::wstring line = L"\"" + exe + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
  }
}

ProgramProcess::~ProgramProcess() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT && !Close(15000)) TerminateProcess(process_, 1);
  CloseHandle(process_);
}

HWND ProgramProcess::WaitForMainWindow(DWORD timeoutMs) const {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    FindData data{id_};
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&data));
    if (data.found) return data.found;
    if (!process_ || WaitForSingleObject(process_, 50) == WAIT_OBJECT_0) return nullptr;
  } while (GetTickCount64() < end);
  return nullptr;
}

bool ProgramProcess::WaitForExit(DWORD timeoutMs) const {
  return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ProgramProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (process_) GetExitCodeProcess(process_, &code);
  return code;
}

bool ProgramProcess::Close(DWORD timeoutMs) {
  if (!process_) return false;
  if (WaitForSingleObject(process_, 0) == WAIT_OBJECT_0) return true;
  if (HWND window = WaitForMainWindow(2000)) PostMessageW(window, WM_CLOSE, 0, 0);
  return WaitForExit(timeoutMs);
}

std::wstring Caption(HWND window) {
  wchar_t text[512] = {};
  // Another process's window: WM_GETTEXT through a bounded send.
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000, &got))
    return L"";
  return text;
}

bool WaitForCaption(HWND window, const std::wstring& text, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    if (Caption(window) == text) return true;
    Sleep(50);
  } while (GetTickCount64() < end && IsWindow(window));
  return Caption(window) == text;
}

HWND FindChildWithText(HWND parent, const std::wstring& part) {
  ChildSearch s{part, L""};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindChildOfClass(HWND parent, const std::wstring& className) {
  ChildSearch s{L"", className};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::wstring SavedHandle() {
  wchar_t text[64] = {};
  DWORD size = sizeof(text);
  const std::wstring key = AppRegistryKey() + L"\\Window";
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"hWnd", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
    return L"";
  return text;
}

void SaveSetting(const wchar_t* section, const wchar_t* name, const wchar_t* text) {
  const std::wstring key = AppRegistryKey() + L"\\" + section;
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text,
                  static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

DWORD SavedNumber(const wchar_t* section, const wchar_t* name) {
  const std::wstring key = AppRegistryKey() + L"\\" + section;
  DWORD value = 0xFFFFFFFF, size = sizeof(value);
  RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

}  // namespace player_test
