// Owner-drawing benchmark: one owner-drawn menu item measured and drawn (with
// its check mark), and one playlist row drawn (the playing one, with its
// picture, and a plain striped one), each per second; then a playlist of 1,000
// rows drawn whole, as a scroll through it draws every row once. Each kind of
// drawing is checked to have drawn once before it is timed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "base/Handles.h"
#include "services/Services.h"
#include "ui/DrawingModule.h"
#include "ui/OwnerDrawn.h"

namespace {

template <class F>
double PerSecond(int count, F&& work) {
  const double t0 = Now();
  for (int i = 0; i < count; ++i) work(i);
  const double seconds = Now() - t0;
  return seconds > 0 ? count / seconds : 0;
}

constexpr COLORREF kUnpainted = RGB(1, 2, 3);

// Draws once into a picture filled with a colour no drawing here uses, and
// stops the benchmark when nothing was drawn into the rectangle.
template <class F>
void RequireDrawn(HDC dc, const RECT& r, const char* what, F&& draw) {
  HBRUSH brush = CreateSolidBrush(kUnpainted);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  draw();
  bool drawn = false;
  for (int y = r.top; y < r.bottom && !drawn; y += 2)
    for (int x = r.left; x < r.right && !drawn; x += 2) drawn = GetPixel(dc, x, y) != kUnpainted;
  Require(drawn, what);
}

}  // namespace

int main() {
  MenusFolder = ProgramFolder() + L"Media\\Menus\\";
  ImagesFolder = ProgramFolder() + L"Media\\Images\\";
  VisualStyle = 2;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchUi";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(L"BenchUi", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                              wc.hInstance, nullptr);
  MainForm = window;

  ScopedWindowDC screen(nullptr);
  ScopedMemoryDC dc(screen.get());
  ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), 240, 24 * 1000));
  Require(window && dc && bitmap, "making the window and the picture to draw into");
  ScopedSelect select(dc.get(), bitmap.get());

  MenuTexts texts;
  texts.Captions[MenuCaptionKey(100, window)] = L"&Open...\tCtrl+O";
  texts.Captions[MenuCaptionKey(101, window)] = L"&Loop";
  texts.Icons[L"&Loop"] = L"check";
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_MENU;
  item.hDC = dc.get();
  item.rcItem = {0, 0, 200, 22};
  item.itemID = 100;
  RequireDrawn(dc.get(), item.rcItem, "drawing a menu item", [&] { DrawMenuItem(texts, window, item); });
  const double menus = PerSecond(2000, [&](int i) {
    SIZE size{};
    item.itemID = 100 + i % 2;
    item.itemState = i % 2 ? ODS_CHECKED : 0;
    MeasureMenuItem(texts, window, item.itemID, 0, size, false);
    DrawMenuItem(texts, window, item);
  });
  std::printf("menu item measured and drawn: %.0f per second\n", menus);

  std::vector<std::wstring> paths;
  for (int i = 0; i < 1000; ++i) paths.push_back(L"C:\\Movies\\movie " + std::to_wstring(i) + L".swf");
  DRAWITEMSTRUCT row{};
  row.CtlType = ODT_LISTBOX;
  row.hDC = dc.get();
  row.rcItem = {0, 0, 240, 24};
  row.itemID = 0;
  RequireDrawn(dc.get(), row.rcItem, "drawing the playing playlist row", [&] { DrawPlaylistItem(row, paths, 0); });
  const double playing = PerSecond(2000, [&](int) { DrawPlaylistItem(row, paths, 0); });
  std::printf("playing playlist row drawn: %.0f per second\n", playing);
  row.itemID = 1;
  RequireDrawn(dc.get(), row.rcItem, "drawing a plain playlist row", [&] { DrawPlaylistItem(row, paths, 0); });
  const double plain = PerSecond(2000, [&](int) { DrawPlaylistItem(row, paths, 0); });
  std::printf("plain playlist row drawn: %.0f per second\n", plain);

  const double t0 = Now();
  for (UINT i = 0; i < 1000; ++i) {
    row.itemID = i;
    row.rcItem = {0, static_cast<LONG>(i * 24), 240, static_cast<LONG>(i * 24 + 24)};
    DrawPlaylistItem(row, paths, 0);
  }
  std::printf("1000 playlist rows drawn in %.1f ms\n", (Now() - t0) * 1000);
  DestroyWindow(window);
  return 0;
}
