#include "saver/ScreenSaverWindow.h"

#include <commctrl.h>

#include "base/ErrorLog.h"
#include "base/Handles.h"
#include "platform/flash/control/FlashControl.h"
#include "services/Services.h"

namespace saver {
namespace {

constexpr UINT_PTR kParentWatch = 1;
constexpr UINT kParentWatchMs = 250;
constexpr UINT_PTR kPassMouseId = 0x5A7E;

void RegisterClassOnce(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.lpszClassName = kSaverWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
}

// The movie control lets the mouse through to the window beneath it.
LRESULT CALLBACK PassMouse(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_NCHITTEST) return HTTRANSPARENT;
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, PassMouse, kPassMouseId);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// The client area of a window, in screen pixels.
RECT ClientOnScreen(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT VirtualScreen() {
  RECT r{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
  int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (w <= 0 || h <= 0) r = {0, 0, 0, 0}, w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  r.right = r.left + w;
  r.bottom = r.top + h;
  return r;
}

}  // namespace

ScreenSaverWindow::ScreenSaverWindow() = default;

ScreenSaverWindow::~ScreenSaverWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  swf_.reset();
}

bool ScreenSaverWindow::Create(const SaverMovie& movie, HWND parent, SaverEnding::CursorReader cursor) {
  RegisterClassOnce(Proc);
  parent_ = parent;
  RECT area{};
  DWORD exStyle = WS_EX_TOOLWINDOW;
  HWND owner = nullptr;
  if (parent) {
    if (!IsWindow(parent)) return false;
    area = ClientOnScreen(parent);
    owner = GetAncestor(parent, GA_ROOT);
    exStyle |= WS_EX_NOACTIVATE;
  } else {
    area = VirtualScreen();
    exStyle |= WS_EX_TOPMOST;
  }
  const int width = area.right - area.left, height = area.bottom - area.top;
  // Made hidden: it shows once the movie is in place, so the first picture is the movie.
  hwnd_ = CreateWindowExW(exStyle, kSaverWindowClass, kSaverWindowClass, WS_POPUP | WS_CLIPCHILDREN, area.left,
                          area.top, width, height, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;

  noMediaLoaded_ = noMedia_.LoadPNGFile(ImagesFolder + L"nomedia.png") == 0;
  LoadMovie(movie, width, height);
  if (parent) {
    SetTimer(hwnd_, kParentWatch, kParentWatchMs, nullptr);
    FollowParent();
  } else {
    ending_.emplace(std::move(cursor));
    ShowCursor(FALSE);
    cursorHidden_ = true;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
  }
  UpdateWindow(hwnd_);
  return hwnd_ != nullptr;
}

void ScreenSaverWindow::LoadMovie(const SaverMovie& movie, int width, int height) {
  if (!movie.Playable) {
    WriteLog(L"Nothing to play: " + movie.Why);
    return;
  }
  auto swf = std::make_unique<flash::FlashControl>(hwnd_, 0, 0, width, height);
  if (!swf->hWnd()) return;
  SetWindowSubclass(swf->hWnd(), PassMouse, kPassMouseId, 0);
  // The sandbox: links open nothing, and no FS command handler is attached,
  // so a movie's "quit", "exec" and the like do nothing.
  swf->SetLinkOpener([](const std::wstring& url) { WriteLog(L"Link not opened: " + url); });
  // The preview in another program's window stays silent.
  if (parent_) swf->SetAudioMode(flash::FlashControl::AudioMode::None);
  // Full screen, a key or a button ends the run: it also stops a script that runs on.
  if (!parent_) {
    swf->SetCloseCheck([] {
      constexpr UINT kInput = QS_KEY | QS_MOUSEBUTTON;
      return (HIWORD(GetQueueStatus(kInput)) & kInput) != 0;
    });
  }
  swf->SetScaleMode(flash::kShowAll);
  swf->SetLoop(true);
  swf->LoadMovie(0, movie.Info.Path);
  if (swf->FrameNum() < 0) {
    WriteLog(L"The movie control could not load " + movie.Info.Path);
    return;  // the control's window goes with the object
  }
  swf->SetBGColor(movie.Info.BackColor);
  swf->Play();
  swf_ = std::move(swf);
}

void ScreenSaverWindow::FollowParent() {
  if (!IsWindow(parent_)) {
    DestroyWindow(hwnd_);
    return;
  }
  if (!IsWindowVisible(parent_) || IsIconic(GetAncestor(parent_, GA_ROOT))) {
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  const RECT want = ClientOnScreen(parent_);
  RECT now{};
  GetWindowRect(hwnd_, &now);
  if (!EqualRect(&want, &now))
    SetWindowPos(hwnd_, nullptr, want.left, want.top, want.right - want.left, want.bottom - want.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (!IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNA);
}

void ScreenSaverWindow::Run() {
  MSG msg;
  while (hwnd_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (got < 0) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void ScreenSaverWindow::PaintNoMedia(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (swf_ || !noMediaLoaded_) return;
  noMedia_.DrawToDC(dc, (client.right - noMedia_.Width()) / 2, (client.bottom - noMedia_.Height()) / 2, false);
}

LRESULT CALLBACK ScreenSaverWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<ScreenSaverWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<ScreenSaverWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(hwnd, msg, wp, lp);  // nothing crosses the window procedure
  }
}

LRESULT ScreenSaverWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  if (ending_ && ending_->Ends(msg)) {
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return 0;
  }
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintNoMedia(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SIZE:
      if (swf_) swf_->Move(0, 0, LOWORD(lp), HIWORD(lp));
      break;
    case WM_SETCURSOR:
      if (ending_) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      // The system asking for its screen saver while this one runs: no second start.
      if ((wp & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_TIMER:
      if (wp == kParentWatch) {
        FollowParent();
        return 0;
      }
      break;
    case WM_MOUSEACTIVATE:
      if (parent_) return MA_NOACTIVATE;  // a click on the preview leaves the other program active
      break;
    case WM_NCDESTROY:
      KillTimer(hwnd, kParentWatch);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      if (cursorHidden_) {
        ShowCursor(TRUE);
        cursorHidden_ = false;
      }
      hwnd_ = nullptr;
      // The window may go inside a message sent by another thread (its owner
      // destroyed): wake the loop so that Run sees it gone.
      PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace saver
