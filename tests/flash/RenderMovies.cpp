#include "RenderMovies.h"

#include <gtest/gtest.h>

#include "platform/flash/FlashControl.h"

namespace rendertest {
namespace {

struct SheetEntry {
  std::wstring label;
  Picture picture;
};
std::vector<SheetEntry>& Sheet() {
  static std::vector<SheetEntry> sheet;
  return sheet;
}

// Writes the contact sheet beside the test program once every test has run.
class SheetWriter : public testing::Environment {
 public:
  void TearDown() override {
    if (!Sheet().empty()) WriteSheet(L"render-sheet.bmp");
  }
};
const testing::Environment* const sheetWriter = testing::AddGlobalTestEnvironment(new SheetWriter);

HBITMAP TopDown32(int w, int h, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

}  // namespace

Picture Paint(const Bytes& movie, const PaintOptions& o) {
  testing_support::TempDir dir;
  const std::wstring path = dir.File(L"render.swf");
  testing_support::WriteBytes(path, movie);
  flashtest::HostWindow host;
  flash::FlashControl control(host.get(), 0, 0, 16, 16);
  control.LoadMovie(0, path);
  Picture p;
  if (control.FrameNum() < 0) return p;
  p.width = o.width ? o.width : std::max(control.Movie()->StageWidthPixels(), 1);
  p.height = o.height ? o.height : std::max(control.Movie()->StageHeightPixels(), 1);
  control.Move(0, 0, p.width, p.height);
  control.SetScaleMode(o.scaleMode);
  control.SetQuality2(o.quality);
  control.GotoFrame(o.frame);
  void* bits = nullptr;
  HBITMAP bitmap = TopDown32(p.width, p.height, &bits);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  GdiFlush();
  const uint32_t* px = static_cast<const uint32_t*>(bits);
  p.pixels.assign(px, px + static_cast<size_t>(p.width) * p.height);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  flashtest::PumpMessages();
  return p;
}

void AddToSheet(const std::wstring& label, const Picture& picture) {
  if (picture.width > 0) Sheet().push_back(SheetEntry{label, picture});
}

bool WriteSheet(const std::wstring& path) {
  constexpr int kCell = 160, kLabel = 16, kColumns = 6;
  const int count = static_cast<int>(Sheet().size());
  const int rows = (count + kColumns - 1) / kColumns;
  const int w = kCell * kColumns, h = rows * (kCell + kLabel);
  void* bits = nullptr;
  HBITMAP sheet = TopDown32(w, h, &bits);
  if (!sheet) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, sheet);
  RECT all{0, 0, w, h};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  for (int i = 0; i < count; ++i) {
    const SheetEntry& e = Sheet()[static_cast<size_t>(i)];
    const int x = (i % kColumns) * kCell, y = (i / kColumns) * (kCell + kLabel);
    TextOutW(dc, x + 2, y + 1, e.label.c_str(), static_cast<int>(e.label.size()));
    GdiFlush();
    auto* out = static_cast<uint32_t*>(bits);
    for (int py = 0; py < std::min(e.picture.height, kCell); ++py)
      for (int px = 0; px < std::min(e.picture.width, kCell); ++px)
        out[static_cast<size_t>(y + kLabel + py) * w + x + px] = e.picture.At(px, py);
  }
  // A 24-bit bottom-up BMP.
  const int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * h);
  info.biSize = sizeof(info), info.biWidth = w, info.biHeight = h, info.biPlanes = 1, info.biBitCount = 24;
  Bytes out(reinterpret_cast<uint8_t*>(&file), reinterpret_cast<uint8_t*>(&file) + sizeof(file));
  out.insert(out.end(), reinterpret_cast<uint8_t*>(&info), reinterpret_cast<uint8_t*>(&info) + sizeof(info));
  const auto* px = static_cast<const uint32_t*>(bits);
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t p = px[static_cast<size_t>(y) * w + x];
      out.push_back(uint8_t(p)), out.push_back(uint8_t(p >> 8)), out.push_back(uint8_t(p >> 16));
    }
    out.resize(out.size() + static_cast<size_t>(stride - w * 3));
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(sheet);
  return testing_support::WriteBytes(path, out);
}

}  // namespace rendertest
