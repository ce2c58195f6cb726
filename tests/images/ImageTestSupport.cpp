#include "ImageTestSupport.h"

#include <wincodec.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace imgtest {

namespace {
void PutU32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

int Channels(uint8_t colorType) { return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1; }

uint8_t Paeth(int a, int b, int c) {
  int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}
}  // namespace

Bytes PngFile(const std::vector<ChunkSpec>& chunks) {
  Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
  for (const auto& c : chunks) {
    PutU32(out, static_cast<uint32_t>(c.data.size()));
    size_t start = out.size();
    out.insert(out.end(), c.type.begin(), c.type.end());
    out.insert(out.end(), c.data.begin(), c.data.end());
    PutU32(out, crc32(0, out.data() + start, static_cast<uInt>(out.size() - start)));
  }
  return out;
}

Bytes IhdrData(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, uint8_t interlace) {
  Bytes d;
  PutU32(d, width);
  PutU32(d, height);
  d.insert(d.end(), {depth, colorType, 0, 0, interlace});
  return d;
}

size_t RawRowBytes(uint32_t width, uint8_t depth, uint8_t colorType) {
  return (static_cast<size_t>(width) * Channels(colorType) * depth + 7) / 8;
}

Bytes FilteredIdat(const Bytes& raw, size_t rowBytes, size_t bpp, int filter) {
  Bytes filtered;
  Bytes prev(rowBytes, 0);
  const size_t rows = rowBytes ? raw.size() / rowBytes : 0;
  for (size_t y = 0; y < rows; ++y) {
    const uint8_t* cur = raw.data() + y * rowBytes;
    const int f = filter < 0 ? static_cast<int>(y % 5) : filter;
    filtered.push_back(static_cast<uint8_t>(f));
    for (size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      const int pred = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) >> 1 : f == 4 ? Paeth(a, b, c) : 0;
      filtered.push_back(static_cast<uint8_t>(cur[i] - pred));
    }
    prev.assign(cur, cur + rowBytes);
  }
  uLongf size = compressBound(static_cast<uLong>(filtered.size()));
  Bytes z(size);
  compress(z.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()));
  z.resize(size);
  return z;
}

Bytes SimplePng(uint32_t width, uint32_t height, uint8_t depth, uint8_t colorType, const Bytes& raw, int filter,
                const Bytes& plte, const Bytes& trns) {
  size_t bpp = std::max<size_t>(1, Channels(colorType) * depth / 8);
  std::vector<ChunkSpec> chunks = {{"IHDR", IhdrData(width, height, depth, colorType)}};
  if (!plte.empty()) chunks.push_back({"PLTE", plte});
  if (!trns.empty()) chunks.push_back({"tRNS", trns});
  chunks.push_back({"IDAT", FilteredIdat(raw, RawRowBytes(width, depth, colorType), bpp, filter)});
  chunks.push_back({"IEND", {}});
  return PngFile(chunks);
}

Bytes NoiseBytes(size_t count, uint32_t seed) {
  Bytes b(count);
  uint32_t s = seed * 2654435761u + 1;
  for (auto& v : b) {
    s = s * 1664525u + 1013904223u;
    v = static_cast<uint8_t>(s >> 24);
  }
  return b;
}

Image WicDecode(const std::wstring& path) {
  Image img;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory))))
    return img;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                &decoder)))
    return img;
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return img;
  ComPtr<IWICBitmapSource> converted;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.p, &converted))) return img;
  UINT w = 0, h = 0;
  converted->GetSize(&w, &h);
  img.width = static_cast<int>(w), img.height = static_cast<int>(h);
  img.bgra.resize(static_cast<size_t>(w) * h * 4);
  img.ok = SUCCEEDED(converted->CopyPixels(nullptr, w * 4, static_cast<UINT>(img.bgra.size()), img.bgra.data()));
  return img;
}

Image Expand(const PNGBitmap& bitmap) {
  Image img;
  const auto& h = bitmap.Header;
  if (bitmap.Bits.empty()) return img;
  img.width = h.biWidth, img.height = h.biHeight;
  img.bgra.resize(static_cast<size_t>(img.width) * img.height * 4, 255);  // colour-table and 24-bit pixels: opaque
  const size_t stride = ((static_cast<size_t>(h.biBitCount) * img.width + 31) / 32) * 4;
  for (int y = 0; y < img.height; ++y) {
    const uint8_t* row = bitmap.Bits.data() + (img.height - 1 - y) * stride;
    uint8_t* out = img.bgra.data() + static_cast<size_t>(y) * img.width * 4;
    for (int x = 0; x < img.width; ++x, out += 4) {
      switch (h.biBitCount) {
        case 32:
          std::memcpy(out, row + 4 * x, 4);
          break;
        case 24:
          std::memcpy(out, row + 3 * x, 3);
          break;
        default: {
          const int bits = h.biBitCount;
          const int perByte = 8 / bits;
          const int index = (row[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1 << bits) - 1);
          RGBQUAD q = index < static_cast<int>(bitmap.ColorTable.size()) ? bitmap.ColorTable[index] : RGBQUAD{};
          out[0] = q.rgbBlue, out[1] = q.rgbGreen, out[2] = q.rgbRed;
        }
      }
    }
  }
  img.ok = true;
  return img;
}

double Psnr(const Image& a, const Image& b) {
  if (a.width != b.width || a.height != b.height || a.bgra.size() != b.bgra.size()) return 0;
  double sum = 0;
  size_t n = 0;
  for (size_t i = 0; i < a.bgra.size(); ++i)
    if (i % 4 != 3) sum += (double(a.bgra[i]) - b.bgra[i]) * (double(a.bgra[i]) - b.bgra[i]), ++n;
  if (sum == 0) return 99;
  return 10 * std::log10(255.0 * 255.0 / (sum / n));
}

Canvas::Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
  BITMAPINFO bi{{sizeof(BITMAPINFOHEADER), width, -height, 1, 24}};
  void* bits = nullptr;
  dc_ = CreateCompatibleDC(nullptr);
  bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint8_t*>(bits);
  old_ = SelectObject(dc_, bmp_);
  RECT r{0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(fill);
  FillRect(dc_, &r, brush);
  DeleteObject(brush);
  GdiFlush();
}

Canvas::~Canvas() {
  SelectObject(dc_, old_);
  DeleteObject(bmp_);
  DeleteDC(dc_);
}

const uint8_t* Canvas::Pixel(int x, int y) const {
  GdiFlush();
  const size_t stride = ((static_cast<size_t>(width_) * 3 + 3) / 4) * 4;
  return bits_ + y * stride + 3 * x;
}

}  // namespace imgtest
