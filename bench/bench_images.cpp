// Image benchmarks: PNG decoding against the platform's PNG decoder (WIC), JPEG
// encoding against WIC's JPEG encoder at its default quality, and resampling
// throughput. Prints figures and ratios measured in one run; stops with an
// error when a step it times fails.
#include <windows.h>
#include <wincodec.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "images/IntelJPEGLibrary.h"
#include "images/cAlphaDibSection.h"
#include "images/cDIBSection.h"
#include "images/cPNG.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Median seconds of one call over several rounds (after one warm-up call).
double Measure(const std::function<void()>& fn, int rounds) {
  fn();
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    const double t0 = Now();
    fn();
    times.push_back(Now() - t0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A picture with smooth areas, edges and sensor-like noise.
uint8_t Scene(int x, int y, int w, int h, int channel, uint32_t& seed) {
  seed = seed * 1664525u + 1013904223u;
  const double fx = double(x) / w, fy = double(y) / h;
  const double hill = fy > 0.5 + 0.15 * std::sin(fx * 11) ? 1 : 0;
  double v = hill ? 70 + 60 * std::sin(fy * 9 + channel) + 30 * fx : 120 + 110 * (1 - fy) * (channel == 2 ? 1 : 0.6);
  v += 40 * std::sin((fx + channel) * 23) * std::cos(fy * 17);
  v += double(int(seed >> 28) - 8);  // noise
  return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

void PutU32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<uint8_t>(v >> s));
}

void Chunk(Bytes& out, const char* type, const Bytes& data) {
  PutU32(out, static_cast<uint32_t>(data.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutU32(out, crc32(0, out.data() + start, static_cast<uInt>(out.size() - start)));
}

// A PNG file of the given kind with Paeth-filtered rows (as common encoders choose).
Bytes MakePng(int w, int h, int colorType) {
  const int channels = colorType == 2 ? 3 : colorType == 6 ? 4 : 1;
  const size_t rowBytes = size_t(w) * channels;
  Bytes raw(rowBytes * h);
  uint32_t seed = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c) {
        uint8_t v = Scene(x, y, w, h, c, seed);
        if (colorType == 3) v = static_cast<uint8_t>((v & 0xF0) | ((x / 37 + y / 29) % 16));
        if (channels == 4 && c == 3) v = static_cast<uint8_t>(x * 255 / w);
        raw[y * rowBytes + x * channels + c] = v;
      }
  Bytes filtered;
  filtered.reserve((rowBytes + 1) * h);
  for (int y = 0; y < h; ++y) {
    filtered.push_back(4);
    const uint8_t* cur = &raw[y * rowBytes];
    const uint8_t* prev = y ? &raw[(y - 1) * rowBytes] : nullptr;
    for (size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= size_t(channels) ? cur[i - channels] : 0, b = prev ? prev[i] : 0,
                c = (prev && i >= size_t(channels)) ? prev[i - channels] : 0;
      const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
      const int pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      filtered.push_back(static_cast<uint8_t>(cur[i] - pred));
    }
  }
  uLongf zsize = compressBound(static_cast<uLong>(filtered.size()));
  Bytes z(zsize);
  compress2(z.data(), &zsize, filtered.data(), static_cast<uLong>(filtered.size()), 6);
  z.resize(zsize);

  Bytes out = {137, 80, 78, 71, 13, 10, 26, 10};
  Bytes ihdr;
  PutU32(ihdr, w);
  PutU32(ihdr, h);
  ihdr.insert(ihdr.end(), {8, static_cast<uint8_t>(colorType), 0, 0, 0});
  Chunk(out, "IHDR", ihdr);
  if (colorType == 3) {
    Bytes plte;
    for (int i = 0; i < 256; ++i) plte.insert(plte.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)});
    Chunk(out, "PLTE", plte);
  }
  // Split the data into 64 KiB IDAT chunks, as encoders do.
  for (size_t at = 0; at < z.size(); at += 65536)
    Chunk(out, "IDAT", Bytes(z.begin() + at, z.begin() + std::min(z.size(), at + 65536)));
  Chunk(out, "IEND", {});
  return out;
}

template <class T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T** operator&() { return &p; }
  T* operator->() const { return p; }
};

IWICImagingFactory* Factory() {
  static IWICImagingFactory* factory = [] {
    IWICImagingFactory* f = nullptr;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&f));
    return f;
  }();
  return factory;
}

// WIC's decoding of a file into its own pixel format.
bool WicDecodePng(const std::wstring& path, Bytes& pixels) {
  Com<IWICBitmapDecoder> decoder;
  if (FAILED(Factory()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)))
    return false;
  Com<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return false;
  UINT w = 0, h = 0;
  frame->GetSize(&w, &h);
  WICPixelFormatGUID format;
  frame->GetPixelFormat(&format);
  Com<IWICComponentInfo> info;
  Factory()->CreateComponentInfo(format, &info);
  Com<IWICPixelFormatInfo> pfi;
  UINT bpp = 32;
  if (info.p && SUCCEEDED(info->QueryInterface(IID_IWICPixelFormatInfo, reinterpret_cast<void**>(&pfi))))
    pfi->GetBitsPerPixel(&bpp);
  const UINT stride = (w * bpp + 31) / 32 * 4;
  pixels.resize(size_t(stride) * h);
  return SUCCEEDED(frame->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data()));
}

// WIC's JPEG encoder with its default options, from a 24-bit bottom-up bitmap.
bool WicEncodeJpeg(const cDIBSection& dib, const std::wstring& path) {
  Com<IWICStream> stream;
  if (FAILED(Factory()->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)))
    return false;
  Com<IWICBitmapEncoder> encoder;
  if (FAILED(Factory()->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder))) return false;
  encoder->Initialize(stream.p, WICBitmapEncoderNoCache);
  Com<IWICBitmapFrameEncode> frame;
  Com<IPropertyBag2> options;
  if (FAILED(encoder->CreateNewFrame(&frame, &options))) return false;
  frame->Initialize(options.p);
  frame->SetSize(dib.Width(), dib.Height());
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  frame->SetPixelFormat(&format);
  // Rows top-down: the bitmap's last row in memory first.
  const UINT stride = dib.BytesPerScanLine();
  for (long y = dib.Height() - 1; y >= 0; --y)
    frame->WritePixels(1, stride, stride, dib.DIBSectionBitsPtr() + size_t(y) * stride);
  return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

// Peak signal-to-noise ratio of a JPEG file decoded by WIC against the bitmap.
double JpegPsnr(const std::wstring& path, const cDIBSection& dib) {
  Com<IWICBitmapDecoder> decoder;
  if (FAILED(Factory()->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)))
    return 0;
  Com<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, &frame))) return 0;
  Com<IWICBitmapSource> bgr;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame.p, &bgr))) return 0;
  const UINT stride = dib.BytesPerScanLine();
  Bytes pixels(size_t(stride) * dib.Height());
  if (FAILED(bgr->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data()))) return 0;
  double sum = 0;
  for (long y = 0; y < dib.Height(); ++y) {
    const uint8_t* a = pixels.data() + size_t(y) * stride;
    const uint8_t* b = dib.DIBSectionBitsPtr() + size_t(dib.Height() - 1 - y) * stride;
    for (long i = 0; i < 3 * dib.Width(); ++i) sum += double(a[i] - b[i]) * double(a[i] - b[i]);
  }
  const double mse = sum / (3.0 * dib.Width() * dib.Height());
  return mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Require(Factory() != nullptr, "starting WIC");
  const std::wstring dir = BenchFolder(L"swfzel-bench-images");
  std::printf("Image benchmarks (median of several rounds; ratio = ours / reference, below 1 is faster)\n\n");

  // PNG decoding.
  struct PngCase {
    const char* name;
    int w, h, type;
  } pngCases[] = {{"RGB 8-bit 1600x1200", 1600, 1200, 2},
                  {"RGBA 8-bit 1024x768", 1024, 768, 6},
                  {"palette 8-bit 1024x768", 1024, 768, 3},
                  {"grey 8-bit 1024x768", 1024, 768, 0},
                  {"RGBA 8-bit 64x64 (icon)", 64, 64, 6}};
  std::printf("PNG decoding              ours ms    WIC ms   ratio\n");
  for (const auto& c : pngCases) {
    const std::wstring path = dir + L"bench.png";
    WriteOrFail(path, MakePng(c.w, c.h, c.type), std::string("the PNG file ") + c.name);
    const int rounds = c.w * c.h > 100000 ? 15 : 200;
    bool ok = true;
    const double ours = Measure(
        [&] {
          cPNG png;
          ok &= png.LoadPNGFile(path) == 0 && !png.Bitmap().Bits.empty();
        },
        rounds);
    Bytes pixels;
    const double wic = Measure([&] { ok &= WicDecodePng(path, pixels); }, rounds);
    Require(ok, std::string("decoding the PNG file ") + c.name);
    std::printf("%-24s %9.3f %9.3f %7.2f\n", c.name, ours * 1e3, wic * 1e3, ours / wic);
  }

  // JPEG encoding.
  std::printf("\nJPEG encoding 1600x1200   ours ms    WIC ms   ratio   ours bytes  WIC bytes  ours dB  WIC dB\n");
  cDIBSection photo;
  photo.Create(1600, 1200);
  Require(photo.DIBSectionBitsPtr() != nullptr, "making the 1600x1200 picture");
  uint32_t seed = 99;
  for (long y = 0; y < 1200; ++y)
    for (long x = 0; x < 1600; ++x)
      for (int c = 0; c < 3; ++c)
        photo.DIBSectionBitsPtr()[size_t(y) * photo.BytesPerScanLine() + 3 * x + c] =
            Scene(x, 1199 - y, 1600, 1200, 2 - c, seed);
  const std::wstring wicJpg = dir + L"wic.jpg";
  bool encoded = true;
  const double wicJpeg = Measure([&] { encoded &= WicEncodeJpeg(photo, wicJpg); }, 9);
  WIN32_FILE_ATTRIBUTE_DATA fa{};
  Require(encoded && GetFileAttributesExW(wicJpg.c_str(), GetFileExInfoStandard, &fa) && fa.nFileSizeLow > 0,
          "encoding the JPEG file through WIC");
  const unsigned long wicBytes = fa.nFileSizeLow;
  const double wicPsnr = JpegPsnr(wicJpg, photo);
  Require(wicPsnr > 0, "reading back WIC's JPEG file");
  for (int quality : {75, 90}) {
    const std::wstring ourJpg = dir + L"ours.jpg";
    const double ours = Measure([&] { encoded &= SaveJPG(photo, ourJpg, quality); }, 9);
    Require(encoded && GetFileAttributesExW(ourJpg.c_str(), GetFileExInfoStandard, &fa) && fa.nFileSizeLow > 0,
            "encoding our JPEG file");
    std::printf("quality %-3d               %9.3f %9.3f %7.2f %11lu %10lu %8.1f %7.1f\n", quality, ours * 1e3,
                wicJpeg * 1e3, ours / wicJpeg, fa.nFileSizeLow, wicBytes, JpegPsnr(ourJpg, photo), wicPsnr);
  }

  // Resampling.
  std::printf("\nResampling                      ms   Mpixel/s (target)\n");
  cAlphaDibSection alpha;
  alpha.Create(1600, 1200);
  Require(alpha.DIBSectionBitsPtr() != nullptr, "making the 32-bit picture");
  alpha.RandomiseBits(false);
  struct ResampleCase {
    const char* name;
    long w, h;
    bool alphaTwin;
  } resampleCases[] = {{"24-bit 1600x1200 -> 320x240", 320, 240, false},
                       {"24-bit 1600x1200 -> 800x600", 800, 600, false},
                       {"24-bit 1600x1200 -> 2400x1800", 2400, 1800, false},
                       {"32-bit 1600x1200 -> 800x600 (alpha)", 800, 600, true}};
  for (const auto& c : resampleCases) {
    bool made = true;
    const double t = Measure(
        [&] {
          if (c.alphaTwin) made &= alpha.ResampleAlpha(c.w, c.h) != nullptr;
          else made &= photo.Resample(c.w, c.h) != nullptr;
        },
        9);
    Require(made, std::string("resampling ") + c.name);
    std::printf("%-34s %8.3f %9.1f\n", c.name, t * 1e3, double(c.w) * c.h / t / 1e6);
  }
  DeleteFileW((dir + L"bench.png").c_str());
  DeleteFileW((dir + L"ours.jpg").c_str());
  DeleteFileW(wicJpg.c_str());
  RemoveDirectoryW(dir.c_str());
  return 0;
}
