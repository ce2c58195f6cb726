#include "ProgramProcess.h"

#include <algorithm>

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

ProgramProcess::ProgramProcess(const std::wstring& arguments, Start start, const std::wstring& program) {
  if (start == Start::Usual) {
    SaveSetting(L"System", L"FirstRun", L"False");
    SaveSetting(L"Update", L"Auto", L"False");
  }
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

HWND ProgramProcess::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) const {
  struct Search {
    DWORD pid;
    const std::wstring& caption;
    HWND found = nullptr;
  } search{id_, caption};
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
          auto* s = reinterpret_cast<Search*>(lp);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          if (pid != s->pid || !IsWindowVisible(hwnd) || Caption(hwnd) != s->caption) return TRUE;
          s->found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
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
  testing_support::WaitUntil([&] { return Caption(window) == text || !IsWindow(window); }, timeoutMs);
  return Caption(window) == text;
}

bool Answers(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool PostedBeforeHandled(HWND listBox, DWORD timeoutMs) {
  DWORD_PTR caret = 0, count = 0;
  if (!SendMessageTimeoutW(listBox, LB_GETCARETINDEX, 0, 0, SMTO_NORMAL, timeoutMs, &caret) ||
      !SendMessageTimeoutW(listBox, LB_GETCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &count) || count < 2)
    return false;
  const WPARAM mark = static_cast<LRESULT>(caret) == 0 ? 1 : 0;
  if (!PostMessageW(listBox, LB_SETCARETINDEX, mark, FALSE)) return false;
  return testing_support::WaitUntil([&] {
    DWORD_PTR now = 0;
    return SendMessageTimeoutW(listBox, LB_GETCARETINDEX, 0, 0, SMTO_NORMAL, 3000, &now) && now == mark;
  }, timeoutMs);
}

bool KeysBeforeHandled(HWND window, HWND edit, DWORD timeoutMs) {
  if (!PressKeys(window, {{VK_END}})) return false;
  return testing_support::WaitUntil([&] {
    DWORD_PTR length = 0, selection = 0;
    return SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 3000, &length) &&
           SendMessageTimeoutW(edit, EM_GETSEL, 0, 0, SMTO_NORMAL, 3000, &selection) &&
           LOWORD(selection) == length && HIWORD(selection) == length;
  }, timeoutMs);
}

HWND FindChildWithText(HWND parent, const std::wstring& part) {
  ChildSearch s{part, L""};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool MenuWindowDrawn(HWND menu) {
  RECT r{};
  if (!IsWindowVisible(menu) || !GetWindowRect(menu, &r)) return false;
  HDC screen = GetDC(nullptr);
  std::vector<COLORREF> seen;
  for (int x = r.left + 4; x < r.right - 4 && seen.size() < 3; x += 2) {
    const COLORREF c = GetPixel(screen, x, r.top + 12);
    if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
  }
  ReleaseDC(nullptr, screen);
  return seen.size() >= 3;
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

// ---------------------------------------------------------------- input

namespace {

bool ToFront(HWND window) {
  if (!IsWindow(window)) return false;
  return testing_support::WaitUntil([&] {
    if (GetForegroundWindow() == window) return true;
    SetForegroundWindow(window);
    return false;
  }, 3000);
}

// The input goes into the system's queue in order; the target takes it from there.
bool Send(std::vector<INPUT>& inputs) {
  return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

}  // namespace

bool PressKeys(HWND window, std::initializer_list<std::vector<WORD>> chords) {
  if (!ToFront(window)) return false;
  for (const std::vector<WORD>& chord : chords) {
    std::vector<INPUT> inputs;
    for (WORD vk : chord) inputs.push_back(Key(vk, false));
    for (auto it = chord.rbegin(); it != chord.rend(); ++it) inputs.push_back(Key(*it, true));
    if (!Send(inputs)) return false;
  }
  return true;
}

bool TypeText(HWND window, const std::wstring& text) {
  if (!ToFront(window)) return false;
  std::vector<INPUT> inputs;
  for (wchar_t c : text)
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = c;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(in);
    }
  return Send(inputs);
}

bool FocusInside(HWND window) {
  GUITHREADINFO info{sizeof(info)};
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return false;
  return info.hwndFocus == window || IsChild(window, info.hwndFocus);
}

bool ClickAt(HWND window, POINT client) {
  HWND top = GetAncestor(window, GA_ROOT);
  if (!ToFront(top)) return false;
  POINT screen = client;
  ClientToScreen(window, &screen);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> inputs(3);
  for (INPUT& in : inputs) in.type = INPUT_MOUSE;
  inputs[0].mi.dx = static_cast<LONG>((screen.x * 65536LL + w / 2) / w);
  inputs[0].mi.dy = static_cast<LONG>((screen.y * 65536LL + h / 2) / h);
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  return Send(inputs);
}

std::vector<std::wstring> ProbeMenu(HWND window, unsigned which) {
  const std::wstring name = L"SWFzelMenuProbe-" + std::to_wstring(GetCurrentProcessId());
  HANDLE map = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 65536, name.c_str());
  auto* text = map ? static_cast<wchar_t*>(MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, 65536)) : nullptr;
  HMODULE probe = LoadLibraryW((testing_support::ProgramDir() + L"menuprobe.dll").c_str());
  auto proc = probe ? reinterpret_cast<HOOKPROC>(GetProcAddress(probe, "MenuProbeHook")) : nullptr;
  HHOOK hook = proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, probe, GetWindowThreadProcessId(window, nullptr)) : nullptr;
  std::wstring lines;
  if (text && hook) {
    text[0] = 0;
    DWORD_PTR done = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(L"SWFzelMenuProbe"), which, GetCurrentProcessId(),
                        SMTO_ABORTIFHUNG, 5000, &done);
    lines.assign(text, wcsnlen(text, 32768));
  }
  if (hook) UnhookWindowsHookEx(hook);
  if (probe) FreeLibrary(probe);
  if (text) UnmapViewOfFile(text);
  if (map) CloseHandle(map);
  std::vector<std::wstring> items;
  for (size_t pos = 0, end; pos < lines.size(); pos = end + 1) {
    end = lines.find(L'\n', pos);
    if (end == std::wstring::npos) end = lines.size();
    if (end > pos) items.push_back(lines.substr(pos, end - pos));
  }
  return items;
}

}  // namespace player_test
