#include "DrawTestSupport.h"

#include <zlib.h>

#include <cstdlib>
#include <vector>

#include "TestSupport.h"
#include "services/Services.h"
#include "ui/DrawingModule.h"

namespace draw_test {

Surface::Surface(int width, int height, COLORREF fill) : w_(width), h_(height), dc_(nullptr) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<uint32_t*>(bits);
  select_.emplace(dc_.get(), bitmap_.get());
  Fill(fill);
}

COLORREF Surface::Pixel(int x, int y) const {
  GdiFlush();
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
  uint32_t v = bits_[y * w_ + x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void Surface::Fill(COLORREF colour) {
  RECT r{0, 0, w_, h_};
  ScopedBrush brush(CreateSolidBrush(colour));
  FillRect(dc_.get(), &r, brush.get());
}

bool Surface::AnyOtherThan(const RECT& area, COLORREF colour) const {
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (Pixel(x, y) != colour) return true;
  return false;
}

namespace {

void PutBE(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBE(out, static_cast<uint32_t>(data.size()));
  std::vector<uint8_t> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  out.insert(out.end(), body.begin(), body.end());
  PutBE(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

bool WriteSolidPng(const std::wstring& path, int width, int height, COLORREF colour) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < width; ++x) {
      raw.push_back(GetRValue(colour));
      raw.push_back(GetGValue(colour));
      raw.push_back(GetBValue(colour));
      raw.push_back(255);
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size())) != Z_OK) return false;
  packed.resize(packedSize);
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBE(header, static_cast<uint32_t>(width));
  PutBE(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 6, 0, 0, 0});
  Chunk(file, "IHDR", header);
  Chunk(file, "IDAT", packed);
  Chunk(file, "IEND", {});
  return testing_support::WriteBytes(path, file);
}

PictureFolders::PictureFolders() : images_(ImagesFolder), menus_(MenusFolder) {
  ImagesFolder = testing_support::ProgramDir() + L"Media\\Images\\";
  MenusFolder = testing_support::ProgramDir() + L"Media\\Menus\\";
}

PictureFolders::~PictureFolders() {
  ImagesFolder = images_;
  MenusFolder = menus_;
}

StyleScope::StyleScope(int style) : saved_(VisualStyle) { VisualStyle = style; }
StyleScope::~StyleScope() { VisualStyle = saved_; }

bool ThemeRun(bool on) {
  const char* v = std::getenv("SWFZEL_THEME");
  return v && std::string(v) == (on ? "on" : "off");
}

}  // namespace draw_test
