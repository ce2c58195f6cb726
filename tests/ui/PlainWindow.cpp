#include "PlainWindow.h"

namespace {

const wchar_t kClass[] = L"SwfzelPlainTestWindow";

LRESULT CALLBACK PlainProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<PlainWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  if (self && msg != WM_NCHITTEST && msg != WM_GETTEXT && msg != WM_GETTEXTLENGTH) self->seen.push_back({h, msg, w, l});
  if (self && (msg == WM_SIZING || msg == WM_MOVING)) return self->sizingResult;
  return DefWindowProcW(h, msg, w, l);
}

void Register() {
  static bool done = false;
  if (done) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClass;
  RegisterClassW(&wc);
  done = true;
}

}  // namespace

PlainWindow::PlainWindow(const wchar_t* title, DWORD style, HWND parent, RECT b) {
  Register();
  h = CreateWindowExW(0, kClass, title, style, b.left, b.top, b.right - b.left, b.bottom - b.top, parent, nullptr,
                      GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  PumpMessages();
}

PlainWindow::~PlainWindow() {
  if (IsWindow(h)) {
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    DestroyWindow(h);
  }
  PumpMessages();
}

bool PlainWindow::Saw(UINT msg) const { return Last(msg) != nullptr; }

const SeenMessage* PlainWindow::Last(UINT msg) const {
  for (auto it = seen.rbegin(); it != seen.rend(); ++it)
    if (it->msg == msg) return &*it;
  return nullptr;
}


