#include "ProgramInput.h"

namespace player_test {

namespace {

bool ToFront(HWND window) {
  if (!IsWindow(window)) return false;
  const ULONGLONG end = GetTickCount64() + 3000;
  do {
    if (GetForegroundWindow() == window) return true;
    SetForegroundWindow(window);
    Sleep(20);
  } while (GetTickCount64() < end);
  return GetForegroundWindow() == window;
}

bool Send(std::vector<INPUT>& inputs) {
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(50);  // the target takes the input from its queue
  return sent == inputs.size();
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

}  // namespace player_test
