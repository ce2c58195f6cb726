#include "images/PNGPixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/Handles.h"

namespace png_pixels {

int BitsPerPixel(int colorType, int bitDepth) {
  switch (colorType) {
    case 0:
    case 3:
      return bitDepth;
    case 2:
      return 3 * bitDepth;
    case 4:
      return 2 * bitDepth;
    case 6:
      return 4 * bitDepth;
    default:
      return 0;
  }
}

int BytesPerPixel(int colorType, int bitDepth) {
  int n = BitsPerPixel(colorType, bitDepth) / 8;
  return n < 1 ? 1 : n;
}

int64_t ScanlineLength(const PNGHeader& header) {
  return (int64_t{header.Width} * BitsPerPixel(header.ColorType, header.BitDepth) + 7) / 8 + 1;
}

int64_t RowStride(int64_t width, int64_t bits) { return ((bits * width + 31) / 32) * 4; }

int BitmapBitCount(const PNGHeader& header, bool paletteAlpha) {
  switch (header.ColorType) {
    case 0:
      return header.BitDepth == 2 || header.BitDepth == 16 ? 8 : header.BitDepth;
    case 2:
      return 24;
    case 3:
      if (paletteAlpha) return 32;
      return header.BitDepth == 2 ? 8 : header.BitDepth;
    default:
      return 32;
  }
}

void RowConverter::Begin(const PNGHeader& header, std::span<const uint8_t> plte, std::span<const uint8_t> trns,
                         PNGBitmap& bitmap) {
  width_ = header.Width;
  bitDepth_ = header.BitDepth;
  rowBytes_ = static_cast<size_t>(ScanlineLength(header) - 1);
  const bool paletteAlpha = header.ColorType == 3 && !trns.empty();
  const int bitCount = BitmapBitCount(header, paletteAlpha);
  const size_t paletteEntries = std::min<size_t>(plte.size() / 3, 256);

  bitmap.ColorTable.clear();
  DWORD clrUsed = 0;
  if (header.ColorType == 0) {
    const int n = header.BitDepth >= 8 ? 256 : 1 << header.BitDepth;
    const int step = static_cast<int>(std::lround(255.0 / (n - 1)));
    for (int i = 0; i < n; ++i) {
      const auto v = static_cast<BYTE>(i * step);
      bitmap.ColorTable.push_back(RGBQUAD{v, v, v, 0});
    }
    if (header.BitDepth == 2) clrUsed = 4;  // an 8-bit bitmap with 4 colours
  } else if (header.ColorType == 3) {
    for (size_t i = 0; i < paletteEntries; ++i)
      bitmap.ColorTable.push_back(RGBQUAD{plte[3 * i + 2], plte[3 * i + 1], plte[3 * i], 0});
    clrUsed = static_cast<DWORD>(paletteEntries);
  }

  switch (header.ColorType) {
    case 0:
      kind_ = header.BitDepth == 2 ? Kind::Unpack2 : header.BitDepth == 16 ? Kind::Gray16 : Kind::Copy;
      break;
    case 2:
      kind_ = header.BitDepth == 16 ? Kind::Rgb16 : Kind::Rgb8;
      break;
    case 3:
      kind_ = paletteAlpha ? Kind::PaletteAlpha : header.BitDepth == 2 ? Kind::Unpack2 : Kind::Copy;
      break;
    case 4:
      kind_ = header.BitDepth == 16 ? Kind::GrayAlpha16 : Kind::GrayAlpha8;
      break;
    default:
      kind_ = header.BitDepth == 16 ? Kind::Rgba16 : Kind::Rgba8;
      break;
  }
  if (kind_ == Kind::PaletteAlpha) {
    // Indices beyond the palette draw opaque black.
    for (size_t i = 0; i < 256; ++i) {
      uint32_t alpha = i < trns.size() ? trns[i] : 255;
      uint32_t rgb = 0;
      if (i < paletteEntries) rgb = (uint32_t{plte[3 * i]} << 16) | (uint32_t{plte[3 * i + 1]} << 8) | plte[3 * i + 2];
      else alpha = 255;
      lut_[i] = (alpha << 24) | rgb;
    }
  }

  BITMAPINFOHEADER& h = bitmap.Header;
  h = BITMAPINFOHEADER{};
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = header.Width;
  h.biHeight = header.Height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount);
  h.biCompression = BI_RGB;
  h.biClrUsed = clrUsed;
  bitmap.Bits.assign(static_cast<size_t>(RowStride(header.Width, bitCount) * header.Height), 0);
}

void RowConverter::Convert(const uint8_t* row, uint8_t* out) const {
  const int w = width_;
  switch (kind_) {
    case Kind::Copy:
      std::memcpy(out, row, rowBytes_);
      break;
    case Kind::Unpack2:
      for (int x = 0; x < w; ++x) out[x] = (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
      break;
    case Kind::Gray16:
      for (int x = 0; x < w; ++x) out[x] = row[2 * x];
      break;
    case Kind::Rgb8:
      for (int x = 0; x < w; ++x, row += 3, out += 3) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
      }
      break;
    case Kind::Rgb16:
      for (int x = 0; x < w; ++x, row += 6, out += 3) {
        out[0] = row[4];
        out[1] = row[2];
        out[2] = row[0];
      }
      break;
    case Kind::PaletteAlpha: {
      auto* px = reinterpret_cast<uint32_t*>(out);
      switch (bitDepth_) {
        case 1:
          for (int x = 0; x < w; ++x) px[x] = lut_[(row[x >> 3] >> (7 - (x & 7))) & 1];
          break;
        case 2:
          for (int x = 0; x < w; ++x) px[x] = lut_[(row[x >> 2] >> (6 - 2 * (x & 3))) & 3];
          break;
        case 4:
          for (int x = 0; x < w; ++x) px[x] = lut_[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
          break;
        default:
          for (int x = 0; x < w; ++x) px[x] = lut_[row[x]];
          break;
      }
      break;
    }
    case Kind::GrayAlpha8:
      for (int x = 0; x < w; ++x, row += 2, out += 4) {
        out[0] = out[1] = out[2] = row[0];
        out[3] = row[1];
      }
      break;
    case Kind::GrayAlpha16:
      for (int x = 0; x < w; ++x, row += 4, out += 4) {
        out[0] = out[1] = out[2] = row[0];
        out[3] = row[2];
      }
      break;
    case Kind::Rgba8:
      for (int x = 0; x < w; ++x, row += 4, out += 4) {
        out[0] = row[2];
        out[1] = row[1];
        out[2] = row[0];
        out[3] = row[3];
      }
      break;
    case Kind::Rgba16:
      for (int x = 0; x < w; ++x, row += 8, out += 4) {
        out[0] = row[4];
        out[1] = row[2];
        out[2] = row[0];
        out[3] = row[6];
      }
      break;
  }
}

void DrawDIB(HDC hdc, long x, long y, const PNGBitmap& bitmap) {
  if (bitmap.Bits.empty()) return;
  const BITMAPINFOHEADER& h = bitmap.Header;
  // The block carries a full colour table for the bit count; entries the image doesn't
  // have are black, so no index reads past the table.
  const size_t entries = h.biBitCount <= 8 ? size_t{1} << h.biBitCount : 0;
  std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD), 0);
  BITMAPINFOHEADER header = h;
  if (entries) header.biClrUsed = static_cast<DWORD>(entries);
  std::memcpy(block.data(), &header, sizeof(header));
  if (entries)
    std::memcpy(block.data() + sizeof(header), bitmap.ColorTable.data(),
                std::min(entries, bitmap.ColorTable.size()) * sizeof(RGBQUAD));
  SetDIBitsToDevice(hdc, x, y, h.biWidth, h.biHeight, 0, 0, 0, h.biHeight, bitmap.Bits.data(),
                    reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
}

void AlphaBlendToDC(HDC hdc, long x, long y, const PNGBitmap& bitmap, bool gray) {
  const BITMAPINFOHEADER& h = bitmap.Header;
  if (bitmap.Bits.empty() || h.biBitCount != 32) return;
  const long width = h.biWidth, height = h.biHeight;
  if (bitmap.Bits.size() < static_cast<size_t>(width) * height * 4) return;

  // The destination rectangle is captured into a 24-bit DIB section, blended there and
  // copied back in one call.
  BITMAPINFOHEADER bg{};
  bg.biSize = sizeof(bg);
  bg.biWidth = width;
  bg.biHeight = height;
  bg.biPlanes = 1;
  bg.biBitCount = 24;
  bg.biCompression = BI_RGB;
  ScopedMemoryDC mem(hdc);
  if (!mem.get()) return;
  void* bgBits = nullptr;
  ScopedGdiObject dib(CreateDIBSection(hdc, reinterpret_cast<BITMAPINFO*>(&bg), DIB_RGB_COLORS, &bgBits, nullptr, 0));
  if (!dib.get() || !bgBits) return;
  ScopedSelect selected(mem.get(), dib.get());
  BitBlt(mem.get(), 0, 0, width, height, hdc, x, y, SRCCOPY);
  GdiFlush();

  const size_t stride = static_cast<size_t>(RowStride(width, 24));
  const uint8_t* src = bitmap.Bits.data();
  for (long row = 0; row < height; ++row) {
    uint8_t* d = static_cast<uint8_t*>(bgBits) + row * stride;
    for (long col = 0; col < width; ++col, d += 3, src += 4) {
      if (gray) {
        const unsigned a = src[3] >> 1;
        if (a == 0) continue;
        const unsigned g = a * src[1] + 255;
        d[0] = static_cast<uint8_t>(((255 - a) * d[0] + g) >> 8);
        d[1] = static_cast<uint8_t>(((255 - a) * d[1] + g) >> 8);
        d[2] = static_cast<uint8_t>(((255 - a) * d[2] + g) >> 8);
      } else {
        const unsigned a = src[3];
        if (a == 0) continue;
        if (a == 255) {
          d[0] = src[0];
          d[1] = src[1];
          d[2] = src[2];
          continue;
        }
        const unsigned na = 255 - a;
        d[0] = static_cast<uint8_t>((na * d[0] + a * src[0] + 255) >> 8);
        d[1] = static_cast<uint8_t>((na * d[1] + a * src[1] + 255) >> 8);
        d[2] = static_cast<uint8_t>((na * d[2] + a * src[2] + 255) >> 8);
      }
    }
  }
  BitBlt(hdc, x, y, width, height, mem.get(), 0, 0, SRCCOPY);
}

}  // namespace png_pixels
