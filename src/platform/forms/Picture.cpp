#include "platform/forms/Picture.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "base/BinaryFile.h"
#include "base/ByteReader.h"
#include "base/Handles.h"
#include "images/CodecPicture.h"
#include "images/cPNG.h"
#include "platform/forms/FormsInternal.h"
#include "services/ShellMod.h"

namespace forms {

struct Picture::Bitmap {
  HBITMAP handle = nullptr;
  ScopedBitmap owned;  // the handle when the picture owns it
  int width = 0, height = 0;
  bool alpha = false;
};

Picture Picture::FromBitmap(HBITMAP bitmap, bool own, bool premultipliedAlpha) {
  Picture picture;
  ScopedBitmap taken(own ? bitmap : nullptr);
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return picture;
  auto b = std::make_shared<Bitmap>();
  b->handle = bitmap;
  b->owned = std::move(taken);
  b->width = info.bmWidth;
  b->height = std::abs(info.bmHeight);
  b->alpha = premultipliedAlpha && info.bmBitsPixel == 32;
  picture.bitmap_ = std::move(b);
  return picture;
}

HBITMAP Picture::Handle() const { return bitmap_ ? bitmap_->handle : nullptr; }
int Picture::Width() const { return bitmap_ ? bitmap_->width : 0; }
int Picture::Height() const { return bitmap_ ? bitmap_->height : 0; }
long Picture::HimetricWidth() const { return MulDiv(Width(), 2540, 96); }
long Picture::HimetricHeight() const { return MulDiv(Height(), 2540, 96); }
bool Picture::HasAlpha() const { return bitmap_ && bitmap_->alpha; }

void Picture::Draw(HDC dc, int x, int y, int w, int h, int sx, int sy, int sw, int sh, DWORD rop) const {
  if (!bitmap_ || !dc) return;
  if (sw < 0) sw = Width();
  if (sh < 0) sh = Height();
  if (w < 0) w = sw;
  if (h < 0) h = sh;
  ScopedMemoryDC srcDc(dc);
  HDC src = srcDc.get();
  if (!src) return;
  ScopedSelect select(src, bitmap_->handle);
  if (bitmap_->alpha) {
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, src, sx, sy, sw, sh, blend);
  } else if (w == sw && h == sh) {
    BitBlt(dc, x, y, w, h, src, sx, sy, rop);
  } else {
    int mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, w, h, src, sx, sy, sw, sh, rop);
    SetStretchBltMode(dc, mode);
  }
}

HBITMAP CreateDib32(int w, int h, void** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

namespace {

// Makes a picture of 32-bit top-down pixels with pre-multiplied alpha; it is
// drawn blended only when some pixel is not opaque.
Picture FromPremultiplied(ScopedBitmap dib, const uint8_t* px, size_t count) {
  bool translucent = false;
  for (size_t i = 0; i < count && !translucent; ++i) translucent = px[i * 4 + 3] != 255;
  return Picture::FromBitmap(dib.release(), true, translucent);
}

Picture LoadPng(const std::wstring& path) {
  cPNG png;
  if (png.LoadPNGFile(path) != 0) return {};
  const PNGBitmap& b = png.Bitmap();
  int w = b.Header.biWidth, h = std::abs(b.Header.biHeight);
  if (w <= 0 || h <= 0 || b.Bits.empty()) return {};
  void* bits = nullptr;
  ScopedBitmap dib(CreateDib32(w, h, &bits));
  if (!dib) return {};
  auto* out = static_cast<uint8_t*>(bits);
  if (b.Header.biBitCount == 32) {
    // Bottom-up rows with straight alpha into top-down pre-multiplied rows.
    size_t stride = static_cast<size_t>(w) * 4;
    if (b.Bits.size() < stride * h) return {};
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = b.Bits.data() + stride * (h - 1 - y);
      uint8_t* dst = out + stride * y;
      for (int x = 0; x < w; ++x) {
        uint8_t a = src[x * 4 + 3];
        for (int c = 0; c < 3; ++c) dst[x * 4 + c] = static_cast<uint8_t>((src[x * 4 + c] * a + 127) / 255);
        dst[x * 4 + 3] = a;
      }
    }
    return FromPremultiplied(std::move(dib), out, static_cast<size_t>(w) * h);
  }
  // Palette and 24-bit images: let GDI convert them into the 32-bit bitmap.
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + b.ColorTable.size() * sizeof(RGBQUAD));
  std::memcpy(info.data(), &b.Header, sizeof(BITMAPINFOHEADER));
  if (!b.ColorTable.empty())
    std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), b.ColorTable.data(), b.ColorTable.size() * sizeof(RGBQUAD));
  ScopedWindowDC screen(nullptr);
  const int rows = SetDIBits(screen.get(), dib.get(), 0, static_cast<UINT>(h), b.Bits.data(),
                             reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  if (rows <= 0) return {};
  return Picture::FromBitmap(dib.release(), true, false);
}

// A BMP file read in one piece. An uncompressed one with the common 40-byte
// header (1, 4, 8, 24 or 32 bits a pixel) goes straight into a DIB section of
// its own format, as LoadImageW would make it but several times faster. A
// BMP file whose pixels do not all lie in the file gives an empty picture (the
// system's reader would read past the end). Nothing (nullopt) for any other
// file or a well-formed variant (compressed, bit fields, other headers): those
// are left to the system.
std::optional<Picture> LoadBmp(const std::wstring& path) {
  constexpr int64_t kMaxFile = 0x7FFFFFFF;
  BinaryFile file;
  if (!file.OpenRead(path)) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 2 || size > kMaxFile) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!file.ReadExactAt(0, bytes)) return std::nullopt;
  file.Close();

  ByteReader r(bytes);
  uint32_t magic = 0, offBits = 0, headerSize = 0, width = 0, height = 0, planes = 0, bitCount = 0,
           compression = BI_RGB, imageSize = 0, used = 0;
  if (!r.U16LE(magic) || magic != 0x4D42) return std::nullopt;
  if (!r.Skip(8) || !r.U32LE(offBits) || !r.U32LE(headerSize)) return Picture{};
  bool read = false;
  if (headerSize == 12) {  // the old core header: 16-bit sizes
    read = r.U16LE(width) && r.U16LE(height) && r.U16LE(planes) && r.U16LE(bitCount);
  } else if (headerSize >= 40) {
    read = r.U32LE(width) && r.U32LE(height) && r.U16LE(planes) && r.U16LE(bitCount) && r.U32LE(compression) &&
           r.U32LE(imageSize) && r.Skip(8) && r.U32LE(used) && r.Skip(headerSize - 36);
  }
  const auto w = static_cast<int32_t>(width), h = static_cast<int32_t>(height);
  if (!read || planes != 1 || w <= 0 || h == 0 || h == INT32_MIN || bitCount == 0 || bitCount > 32) return Picture{};
  const bool compressed = compression != BI_RGB && compression != BI_BITFIELDS;
  const int64_t stride = (static_cast<int64_t>(w) * bitCount + 31) / 32 * 4;
  const int64_t pixelBytes = compressed ? imageSize : stride * std::abs(static_cast<int64_t>(h));
  if (pixelBytes <= 0 || offBits + pixelBytes > size) return Picture{};

  const bool palette = bitCount == 1 || bitCount == 4 || bitCount == 8;
  const uint32_t colours = palette ? (used ? used : 1u << bitCount) : used;
  if (headerSize != 40 || compression != BI_RGB || !(palette || bitCount == 24 || bitCount == 32) ||
      (palette && colours > (1u << bitCount)))
    return std::nullopt;
  std::span<const uint8_t> table, pixels;
  if (!r.Bytes(palette ? colours * sizeof(RGBQUAD) : 0, table) || offBits < r.Pos() || !r.Seek(offBits) ||
      !r.Bytes(static_cast<size_t>(pixelBytes), pixels))
    return Picture{};

  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + table.size());
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = w;
  header.biHeight = h;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bitCount);
  header.biCompression = BI_RGB;
  header.biClrUsed = palette ? colours : 0;
  std::memcpy(info.data(), &header, sizeof(header));
  if (!table.empty()) std::memcpy(info.data() + sizeof(header), table.data(), table.size());
  void* bits = nullptr;
  ScopedBitmap dib(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                    &bits, nullptr, 0));
  if (!dib || !bits) return Picture{};
  std::memcpy(bits, pixels.data(), pixels.size());
  return Picture::FromBitmap(dib.release(), true, false);
}

// JPEG, GIF and the other formats of the system's imaging codecs.
Picture LoadWithCodecs(const std::wstring& path) {
  ScopedBitmap dib;
  uint8_t* pixels = nullptr;
  size_t count = 0;
  const bool decoded = DecodeCodecPicture(path, [&](uint32_t w, uint32_t h) -> uint8_t* {
    if (w > 32767 || h > 32767) return nullptr;
    void* bits = nullptr;
    dib.reset(CreateDib32(static_cast<int>(w), static_cast<int>(h), &bits));
    pixels = dib ? static_cast<uint8_t*>(bits) : nullptr;
    count = static_cast<size_t>(w) * h;
    return pixels;
  });
  if (!decoded || !dib || !pixels) return Picture{};
  return FromPremultiplied(std::move(dib), pixels, count);
}

}  // namespace

Picture LoadPicture(const std::wstring& path) {
  if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
  if (StrEqualNoCase(GetFileExt(path), L".png")) return LoadPng(path);
  if (std::optional<Picture> bmp = LoadBmp(path)) return *bmp;
  HANDLE loaded = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (loaded) return Picture::FromBitmap(static_cast<HBITMAP>(loaded), true);
  return LoadWithCodecs(path);
}

}  // namespace forms

bool LoadPictureFile(forms::Picture& picture, const std::wstring& fileName) {
  forms::Picture loaded = forms::LoadPicture(fileName);
  if (loaded.Empty()) return false;
  picture = loaded;
  return true;
}
