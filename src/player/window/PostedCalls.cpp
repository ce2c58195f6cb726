#include "player/window/PostedCalls.h"

#include <windows.h>

#include <deque>
#include <exception>

#include "base/ErrorLog.h"
#include "base/TextConv.h"

namespace player {
namespace {

constexpr UINT kRunCalls = WM_APP + 0x51;
constexpr wchar_t kClass[] = L"SWF.zel PostedCalls";

std::deque<std::function<void()>>& Queue() {
  static std::deque<std::function<void()>> queue;
  return queue;
}

bool& Posted() {
  static bool posted = false;
  return posted;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunCalls) {
    Posted() = false;
    RunPostedCalls();
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND Window() {
  static HWND window = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  }();
  return window;
}

}  // namespace

void PostCall(std::function<void()> call) {
  Queue().push_back(std::move(call));
  if (!Posted()) {
    HWND window = Window();
    Posted() = window && PostMessageW(window, kRunCalls, 0, 0);
  }
}

void RunPostedCalls() {
  auto& queue = Queue();
  while (!queue.empty()) {
    std::function<void()> call = std::move(queue.front());
    queue.pop_front();
    try {
      if (call) call();
    } catch (const std::exception& e) {
      WriteLog(L"Posted call failed: " + Utf8ToWide(e.what()));
    } catch (...) {
      WriteLog(L"Posted call failed");
    }
  }
}

size_t PendingPostedCalls() { return Queue().size(); }

}  // namespace player
