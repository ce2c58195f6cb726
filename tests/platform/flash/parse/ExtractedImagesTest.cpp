// Extracted images open and show what the movie shows: movies holding every
// layout of the JPEG bitmap tags (pictures made by the program's own JPEG
// library, PNG and GIF files by the system's encoders) are extracted; every
// file is decoded by the system's codecs and compared with the picture the
// control decodes from the same tag, and with the picture it was made from.
#include <gtest/gtest.h>
#include <wincodec.h>

#include <algorithm>
#include <map>
#include <set>

#include "RenderMovies.h"
#include "base/Handles.h"
#include "moviefiles/ResourceExtractor.h"
#include "moviefiles/SWFModule.h"
#include "platform/flash/parse/BitmapDecoder.h"
#include "platform/flash/parse/MovieDefinition.h"
#include "platform/jpeg/ijl.h"

using namespace rendertest;

namespace {

constexpr int kWidth = 44, kHeight = 36;  // neither side a multiple of the encoder's 16-pixel units

// A picture as top-down rows of blue, green, red.
struct SourcePicture {
  int width = kWidth, height = kHeight;
  Bytes bgr = Bytes(size_t(kWidth) * kHeight * 3);
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t* p = &bgr[(size_t(y) * width + x) * 3];
    p[0] = b, p[1] = g, p[2] = r;
  }
};

// Smooth ramps of red and green with a blue block: what a JPEG keeps well.
SourcePicture Scene(bool grey) {
  SourcePicture p;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const auto r = static_cast<uint8_t>(40 + 4 * x), g = static_cast<uint8_t>(30 + 5 * y);
      const uint8_t b = x > 24 && y > 16 ? 210 : 60;
      if (grey) {
        const auto v = static_cast<uint8_t>((r * 299 + g * 587 + b * 114) / 1000);
        p.Set(x, y, v, v, v);
      } else {
        p.Set(x, y, r, g, b);
      }
    }
  return p;
}

const uint8_t kPalette[4][3] = {{200, 30, 30}, {30, 160, 40}, {20, 40, 220}, {250, 240, 90}};
// Four blocks of four colours: what GIF keeps exactly.
int PaletteIndex(int x, int y) { return (x < kWidth / 2 ? 0 : 1) + (y < kHeight / 2 ? 0 : 2); }
SourcePicture Blocks() {
  SourcePicture p;
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const uint8_t* c = kPalette[PaletteIndex(x, y)];
      p.Set(x, y, c[0], c[1], c[2]);
    }
  return p;
}

// The picture through the program's JPEG library.
Bytes LibraryJpeg(const SourcePicture& p, bool grey, bool optimalHuffman) {
  HMODULE lib = LoadLibraryW(L"jpegzel.dll");
  if (!lib) return {};
  auto init = reinterpret_cast<IjlInitFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlInit")));
  auto write = reinterpret_cast<IjlWriteFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlWrite")));
  auto release = reinterpret_cast<IjlFreeFn>(reinterpret_cast<void*>(GetProcAddress(lib, "ijlFree")));
  testing_support::TempDir dir;
  const std::wstring file = dir.File(L"p.jpg");
  JPEG_CORE_PROPERTIES props{};
  bool ok = init && write && release && init(&props) == IJL_OK;
  if (ok) {
    props.DIBBytes = p.bgr.data();
    props.DIBWidth = props.JPGWidth = p.width;
    props.DIBHeight = props.JPGHeight = p.height;
    props.JPGFile = file.c_str();
    if (grey) props.JPGChannels = 1, props.JPGColor = IJL_G, props.JPGSubsampling = IJL_NONE;
    props.OptimalHuffman = optimalHuffman;
    props.jquality = 92;
    ok = write(&props, IJL_JFILE_WRITEWHOLEIMAGE) == IJL_OK;
    release(&props);
  }
  FreeLibrary(lib);
  return ok ? testing_support::ReadBytes(file) : Bytes{};
}

// The picture through the system's PNG encoder, or its blocks through the GIF encoder with their palette.
Bytes SystemImage(const SourcePicture& p, bool gif) {
  Bytes out;
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IWICPalette> palette;
    WICPixelFormatGUID format = gif ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    Bytes pixels = p.bgr;
    UINT stride = static_cast<UINT>(p.width) * 3;
    bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                         factory.PutVoid())) &&
              SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) &&
              SUCCEEDED(factory->CreateEncoder(gif ? GUID_ContainerFormatGif : GUID_ContainerFormatPng, nullptr,
                                               encoder.Put())) &&
              SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
              SUCCEEDED(encoder->CreateNewFrame(frame.Put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
              SUCCEEDED(frame->SetSize(static_cast<UINT>(p.width), static_cast<UINT>(p.height))) &&
              SUCCEEDED(frame->SetPixelFormat(&format));
    if (ok && gif) {
      WICColor colours[4];
      for (int i = 0; i < 4; ++i)
        colours[i] = 0xFF000000u | uint32_t(kPalette[i][0]) << 16 | uint32_t(kPalette[i][1]) << 8 | kPalette[i][2];
      pixels.clear();
      for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) pixels.push_back(static_cast<uint8_t>(PaletteIndex(x, y)));
      stride = static_cast<UINT>(p.width);
      ok = SUCCEEDED(factory->CreatePalette(palette.Put())) && SUCCEEDED(palette->InitializeCustom(colours, 4)) &&
           SUCCEEDED(frame->SetPalette(palette.Get()));
    }
    ok = ok && SUCCEEDED(frame->WritePixels(static_cast<UINT>(p.height), stride, static_cast<UINT>(pixels.size()),
                                            pixels.data())) &&
         SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    HGLOBAL memory = nullptr;
    if (ok && SUCCEEDED(GetHGlobalFromStream(stream.Get(), &memory))) {
      STATSTG stat{};
      stream->Stat(&stat, STATFLAG_NONAME);
      const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
      if (bytes) out.assign(bytes, bytes + stat.cbSize.QuadPart);
      GlobalUnlock(memory);
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return out;
}

Bytes WithId(uint16_t id, const Bytes& body) { return U16(id) + body; }
// DefineBitsJPEG3: the image, then an opaque alpha plane.
Bytes Jpeg3(uint16_t id, const Bytes& image) {
  return moviebytes::Tag(35, WithId(id, U32(static_cast<uint32_t>(image.size())) + image +
                                            Zlib(Bytes(size_t(kWidth) * kHeight, 255))),
                         true);
}

// The largest difference of one colour channel between two bitmaps of the same size; 256 when they differ in size.
int LargestDifference(const flash::Bitmap& a, const flash::Bitmap& b) {
  if (a.width != b.width || a.height != b.height) return 256;
  int largest = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift : {0, 8, 16}) largest = std::max(largest, std::abs(int(a.pixels[i] >> shift & 255) - int(b.pixels[i] >> shift & 255)));
  return largest;
}
// The mean difference of the colour channels from the source picture.
double MeanDifference(const flash::Bitmap& a, const SourcePicture& p) {
  if (a.width != p.width || a.height != p.height) return 256;
  double sum = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i)
    for (int c = 0; c < 3; ++c) sum += std::abs(int(a.pixels[i] >> (8 * c) & 255) - int(p.bgr[i * 3 + c]));
  return sum / (a.pixels.size() * 3.0);
}

struct Expected {
  uint16_t id;
  const wchar_t* extension;
  const SourcePicture* source;
  double tolerance;  // of the mean difference from the source
};

class ExtractedImages : public ::testing::Test {
 protected:
  // Extracts the movie of these tags and checks that exactly the expected files were written, each
  // opening as the control's picture of its tag and close to its source.
  void Check(const char* what, const std::vector<Bytes>& tags, const std::vector<Expected>& expected) {
    moviebytes::Movie m;
    m.version = 8;
    m.frames = 1;
    m.tags = tags;
    m.tags.push_back(moviebytes::ShowFrame());
    m.tags.push_back(moviebytes::EndTag());
    const Bytes file = m.Plain();
    const std::wstring movie = dir.File(L"m.swf"), out = dir.File(std::wstring(what, what + strlen(what)) + L"\\");
    ASSERT_TRUE(testing_support::WriteBytes(movie, file));
    CreateDirectoryW(out.c_str(), nullptr);
    SWFInfo info;
    ASSERT_EQ(GetSWFInfo(movie, info, true), L"") << what;
    int32_t counts[5] = {0, 0, -1, -1, -1};
    bool cancel = false;
    ExtractResources(info, out, nullptr, counts, cancel);

    std::unique_ptr<flash::MovieDefinition> definition;
    ASSERT_EQ(flash::ReadMovieDefinition(file, definition), flash::MovieError::None) << what;
    std::set<std::wstring> names;
    int images = 0;
    for (const Expected& e : expected) {
      const std::wstring name = L"m.swf." + std::to_wstring(e.id) + e.extension;
      names.insert(name);
      images += std::wstring(e.extension) == L".jpg" ? 0 : 1;
      const auto extracted = flash::DecodeWithCodecs(testing_support::ReadBytes(out + name));
      ASSERT_NE(extracted, nullptr) << what << ": " << name << " does not open";
      const flash::Character* tag = definition->Find(e.id, 0);
      ASSERT_NE(tag, nullptr) << what;
      const auto drawn = flash::DecodeBitmap(*tag, definition->jpegTables);
      ASSERT_NE(drawn, nullptr) << what << ": the control draws nothing of " << e.id;
      EXPECT_LE(LargestDifference(*extracted, *drawn), 2) << what << ": " << name;
      EXPECT_LE(MeanDifference(*extracted, *e.source), e.tolerance) << what << ": " << name;
    }
    EXPECT_EQ(std::tuple(counts[0], counts[1]), std::tuple(int(expected.size()) - images, images)) << what;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((out + L"*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::set<std::wstring> written;
    do
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) written.insert(found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_EQ(written, names) << what;
  }

  testing_support::TempDir dir;
};

}  // namespace

TEST_F(ExtractedImages, EveryTableLayoutOfDefineBits) {
  const SourcePicture colour = Scene(false), grey = Scene(true);
  const Bytes prefix{0xFF, 0xD9, 0xFF, 0xD8};
  const struct {
    const char* what;
    const SourcePicture* source;
    bool grey, optimal, prefixed;
  } layouts[] = {
      {"standard tables", &colour, false, false, false},
      {"tables after the end-start pair", &colour, false, false, true},
      {"optimised Huffman tables", &colour, false, true, false},
      {"grey tables", &grey, true, false, true},
      {"grey optimised tables", &grey, true, true, false},
  };
  for (const auto& l : layouts) {
    const Bytes jpeg = LibraryJpeg(*l.source, l.grey, l.optimal);
    ASSERT_FALSE(jpeg.empty()) << l.what;
    Bytes tables, image;
    SplitJpeg(jpeg, tables, image);
    Check(l.what,
          {moviebytes::Tag(8, (l.prefixed ? prefix : Bytes{}) + tables, true),
           moviebytes::Tag(6, WithId(1, image), true), moviebytes::Tag(6, WithId(2, image), true)},
          {{1, L".jpg", l.source, 4}, {2, L".jpg", l.source, 4}});
  }
}

TEST_F(ExtractedImages, DefineBitsJPEG2AndJPEG3WithJpegPngAndGifData) {
  const SourcePicture colour = Scene(false), grey = Scene(true), blocks = Blocks();
  const Bytes jpeg = LibraryJpeg(colour, false, false), greyJpeg = LibraryJpeg(grey, true, true);
  const Bytes png = SystemImage(colour, false), gif = SystemImage(blocks, true);
  for (const Bytes* made : {&jpeg, &greyJpeg, &png, &gif}) ASSERT_FALSE(made->empty());
  Bytes tables, image;
  SplitJpeg(jpeg, tables, image);
  const Bytes prefix{0xFF, 0xD9, 0xFF, 0xD8};
  Check("jpeg2 and jpeg3",
        {moviebytes::Tag(21, WithId(1, jpeg), true),
         moviebytes::Tag(21, WithId(2, prefix + jpeg), true),
         moviebytes::Tag(21, WithId(3, tables + image), true),  // the image after its own tables
         moviebytes::Tag(21, WithId(4, prefix + tables + image), true),
         moviebytes::Tag(21, WithId(5, greyJpeg), true),
         moviebytes::Tag(21, WithId(6, png), true),
         moviebytes::Tag(21, WithId(7, gif), true),
         Jpeg3(8, jpeg),
         Jpeg3(9, png)},
        {{1, L".jpg", &colour, 4},
         {2, L".jpg", &colour, 4},
         {3, L".jpg", &colour, 4},
         {4, L".jpg", &colour, 4},
         {5, L".jpg", &grey, 4},
         {6, L".png", &colour, 0},
         {7, L".gif", &blocks, 0},
         {8, L".jpg", &colour, 4},
         {9, L".png", &colour, 0}});
}
