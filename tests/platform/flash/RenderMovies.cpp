#include "RenderMovies.h"

#include <gtest/gtest.h>

#include <map>

#include "images/IntelJPEGLibrary.h"
#include "images/cDIBSection.h"
#include "platform/flash/control/FlashControl.h"
#include "platform/flash/control/FrameTicks.h"

namespace rendertest {
namespace {

struct SheetEntry {
  std::wstring label;
  Picture picture;
};
std::map<std::wstring, std::vector<SheetEntry>>& Sheets() {
  static std::map<std::wstring, std::vector<SheetEntry>> sheets;
  return sheets;
}

// Writes the contact sheets beside the test program once every test has run.
class SheetWriter : public testing::Environment {
 public:
  void TearDown() override {
    for (const auto& [name, entries] : Sheets())
      if (!entries.empty()) WriteSheet(name, name + L"-sheet.bmp");
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
  flash::FrameTicks ticks(control);
  Picture p;
  if (!ticks.Load(path)) return p;
  p.width = o.width ? o.width : std::max(control.Movie()->StageWidthPixels(), 1);
  p.height = o.height ? o.height : std::max(control.Movie()->StageHeightPixels(), 1);
  control.Move(0, 0, p.width, p.height);
  control.SetScaleMode(o.scaleMode);
  control.SetQuality2(o.quality);
  if (o.ticks > 0) {
    ticks.RunTo(o.ticks);
  } else if (o.play) {
    while (ticks.Ticks() <= 1000 && control.CurrentFrame() != o.frame) ticks.Tick();
  } else {
    control.GotoFrame(o.frame);
  }
  p = PaintControl(control, p.width, p.height);
  flashtest::PumpMessages();
  return p;
}

Picture PaintControl(flash::FlashControl& control, int width, int height) {
  Picture p;
  void* bits = nullptr;
  HBITMAP bitmap = TopDown32(width, height, &bits);
  if (!bitmap) return p;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(control.hWnd(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  GdiFlush();
  const uint32_t* px = static_cast<const uint32_t*>(bits);
  p.width = width, p.height = height;
  p.pixels.assign(px, px + static_cast<size_t>(width) * height);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return p;
}

// Every kind of drawn character: shapes with gradients, curves and lines, a
// bitmap fill, a font and text, an edit text, a morph shape, a button and a
// clip layer.
Bytes DrawnMovie(bool compressed) {
  ShapeBuilder shape;
  shape.Fill(Solid({255, 0, 0, 200})).Fill(Gradient(0x12, GradientBox(0, 1000, 500), {{0, {0, 255, 0}}, {255, {0, 0, 255}}}, 1))
      .Fill(BitmapFill(0x40, 9, Mat(20, 0, 0, 20, 0, 0))).Line(40, {0, 0, 0});
  shape.Move(100, 100, 0, 1, 1).Curve(900, 0, 1000, 800).To(100, 100).Move(200, 200, 0, 2).To(600, 200).To(600, 600)
      .To(200, 200).Move(0, 900, 0, 3).To(800, 900).To(800, 1400).To(0, 900);
  ShapeBuilder glyph;
  glyph.Move(0, 0, -1, 1).To(500, 0).Curve(500, -900, 0, -900).To(0, 0);
  const Bytes glyphs = glyph.Records();
  const Bytes font = moviebytes::Tag(48, U16(7) + Bytes{0x00, 0, 1, 'F'} + U16(1) + U16(4) +
                                             U16(static_cast<uint32_t>(4 + glyphs.size())) + glyphs + Bytes{'A'}, true);
  BitWriter entries;
  entries.Put(0, 8).Put(300, 16).Put(0, 8).Put(300, 16);
  const Bytes text = moviebytes::Tag(11, U16(8) + moviebytes::Rect(0, 2000, 0, 2000) + Translate(0, 0) + Bytes{8, 16, 0x8F} +
                                             U16(7) + Bytes{0, 0, 0} + U16(100) + U16(800) + U16(300) + Bytes{2} +
                                             entries.Done() + Bytes{0}, true);
  const Bytes edit = moviebytes::Tag(37, U16(10) + moviebytes::Rect(0, 1600, 0, 800) + Bytes{0x81, 0} + U16(7) + U16(300) +
                                             Bytes{'v', 0, 'A', 'A', 0}, true);
  ShapeBuilder edges;
  edges.Rect(0, 0, 400, 400, 1);
  const Bytes morphFills = Bytes{1, 0x00, 255, 0, 0, 255, 0, 0, 255, 255, 0};
  const Bytes startEdges = edges.Records();
  const Bytes morph = moviebytes::Tag(46, U16(11) + moviebytes::Rect(0, 400, 0, 400) + moviebytes::Rect(0, 400, 0, 400) +
                                              U32(static_cast<uint32_t>(morphFills.size() + startEdges.size())) + morphFills +
                                              startEdges + edges.Records(), true);
  const Bytes record = Bytes{0x0F} + U16(1) + U16(1) + Translate(0, 0) + Cxform(256, 256, 256, 256, 0, 0, 0, 0);
  const Bytes rollOver = Bytes{0x01, 0x00} + flashtest::ActGetUrl("FSCommand:over", "") + flashtest::ActPlay() + Bytes{0};
  const Bytes release = Bytes{0x08, 0x00} + flashtest::ActGetUrl("FSCommand:up", "") + flashtest::ActGoto(0) + Bytes{0};
  const Bytes button = moviebytes::Tag(34, U16(12) + Bytes{0} + U16(static_cast<uint32_t>(2 + record.size() + 1)) + record +
                                               Bytes{0} + U16(static_cast<uint32_t>(2 + rollOver.size())) + rollOver +
                                               U16(0) + release, true);
  const Bytes button1 = moviebytes::Tag(7, U16(13) + Bytes{0x0F} + U16(1) + U16(1) + Translate(0, 0) + Bytes{0} +
                                                flashtest::ActGetUrl("FSCommand:click", "") + flashtest::ActStop() + Bytes{0}, true);
  moviebytes::Movie m = flashtest::Frames(0);
  m.tags = {moviebytes::BackgroundTag(9, 9, 9), Lossless32(9, 2, 2, {0xFF00FF00u, 0x80000080u, 0, 0xFFFFFFFFu}, true),
            shape.Tag(1), font, text, edit, morph, button, button1,
            rendertest::Place(1, 1, Translate(0, 0), {}, -1, 3), rendertest::Place(2, 8, Mat(1.5, 0.2, -0.2, 1, 100, 100)),
            rendertest::Place(3, 11, Translate(400, 0), {}, 1000), moviebytes::ShowFrame(),
            rendertest::Place(4, 10, Translate(0, 400), Cxform(128, 256, 256, 200, 10, 0, 0, 0)), rendertest::Place(5, 12, Translate(800, 800)),
            rendertest::Place(6, 13, Translate(2400, 0)),
            moviebytes::ShowFrame(), moviebytes::EndTag()};
  return compressed ? m.Compressed() : m.Plain();
}

std::vector<HostileMovie> HostileMovies() {
  using flashtest::Sprite;
  using moviebytes::ShowFrame;
  ShapeBuilder square;
  square.Fill(Solid({255, 0, 0, 128})).Rect(400, 400, 1200, 1200, 1);
  const Bytes shape = square.Tag(1);
  auto at0 = [](uint16_t depth, uint16_t id) { return flashtest::Place(depth, id, 0, 0); };
  constexpr uint8_t kUp = 0x01, kHit = 0x08, kUpHit = kUp | kHit;
  const Bytes selfSprite = Sprite(3, {at0(1, 1), at0(2, 3), at0(3, 3), ShowFrame()});
  std::vector<Bytes> buttonChain{shape}, spriteChain{shape};
  for (uint16_t id = 10; id < 38; ++id)
    buttonChain.push_back(Button(id, ButtonRecord(kUpHit, id + 1, 1) + ButtonRecord(kUpHit, id + 1, 2)));
  buttonChain.push_back(Button(38, ButtonRecord(kUpHit, 1, 1)));
  buttonChain.push_back(Place(1, 10, Translate(0, 0)));
  for (uint16_t id = 50; id < 78; ++id) spriteChain.push_back(Sprite(id, {at0(1, id + 1), at0(2, id + 1), ShowFrame()}));
  spriteChain.push_back(Sprite(78, {at0(1, 1), ShowFrame()}));
  std::vector<Bytes> spriteChainInButton = spriteChain;
  spriteChain.push_back(Place(1, 50, Translate(0, 0)));
  spriteChainInButton.push_back(Button(90, ButtonRecord(kUpHit, 50, 1)));
  spriteChainInButton.push_back(Place(1, 90, Translate(0, 0)));
  const struct {
    const wchar_t* name;
    std::vector<Bytes> tags;
    bool cycle, takesPointer;
  } cases[] = {
      {L"button places itself",
       {shape, Button(2, ButtonRecord(kUpHit, 1, 1) + ButtonRecord(kUp, 2, 2) + ButtonRecord(kUp, 2, 3)),
        Place(1, 2, Translate(0, 0))}, true, true},
      {L"hit state places its button",
       {shape, Button(2, ButtonRecord(kUp, 1, 1) + ButtonRecord(kHit, 2, 2) + ButtonRecord(kHit, 2, 3)),
        Place(1, 2, Translate(0, 0))}, true, false},
      {L"sprite places itself", {shape, selfSprite, Place(1, 3, Translate(0, 0))}, true, false},
      {L"sprite in a button places itself",
       {shape, selfSprite, Button(4, ButtonRecord(kUpHit, 3, 1)), Place(1, 4, Translate(0, 0))}, true, true},
      {L"sprites place each other",
       {shape, Sprite(5, {at0(1, 3), at0(2, 3), ShowFrame()}), Sprite(3, {at0(1, 1), at0(2, 5), at0(3, 5), ShowFrame()}),
        Place(1, 3, Translate(0, 0))}, true, false},
      {L"button chain", buttonChain, false, true},
      {L"sprite chain", spriteChain, false, false},
      {L"sprite chain in a button", spriteChainInButton, false, true},
  };
  std::vector<HostileMovie> movies;
  for (const auto& c : cases) movies.push_back({c.name, Movie(100, 100, c.tags), c.cycle, c.takesPointer});
  return movies;
}

void AddToSheet(const std::wstring& label, const Picture& picture, const std::wstring& sheet) {
  if (picture.width > 0) Sheets()[sheet].push_back(SheetEntry{label, picture});
}

bool WriteSheet(const std::wstring& name, const std::wstring& path) {
  constexpr int kCell = 160, kLabel = 16, kColumns = 6;
  const std::vector<SheetEntry>& entries = Sheets()[name];
  const int count = static_cast<int>(entries.size());
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
    const SheetEntry& e = entries[static_cast<size_t>(i)];
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

Bytes FlatJpeg(uint8_t r, uint8_t g, uint8_t b) {
  testing_support::TempDir dir;
  cDIBSection dib;
  dib.Create(16, 16);
  HBRUSH brush = CreateSolidBrush(RGB(r, g, b));
  RECT all{0, 0, 16, 16};
  FillRect(dib.hdc(), &all, brush);
  DeleteObject(brush);
  const std::wstring path = dir.File(L"flat.jpg");
  if (!SaveJPG(dib, path, 95)) return {};
  return testing_support::ReadBytes(path);
}

void SplitJpeg(const Bytes& jpeg, Bytes& tables, Bytes& image) {
  tables = {0xFF, 0xD8}, image = {0xFF, 0xD8};
  size_t pos = 2;
  while (pos + 4 <= jpeg.size() && jpeg[pos + 1] != 0xDA) {
    const size_t len = 2 + (size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3]);
    Bytes& to = jpeg[pos + 1] == 0xDB || jpeg[pos + 1] == 0xC4 ? tables : image;
    to.insert(to.end(), jpeg.begin() + static_cast<ptrdiff_t>(pos), jpeg.begin() + static_cast<ptrdiff_t>(pos + len));
    pos += len;
  }
  image.insert(image.end(), jpeg.begin() + static_cast<ptrdiff_t>(pos), jpeg.end());
  tables = tables + Bytes{0xFF, 0xD9};
}

}  // namespace rendertest
