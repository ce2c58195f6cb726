#include "platform/flash/play/LoadedMovie.h"

#include <algorithm>

#include "base/ByteReader.h"

namespace flash {
namespace {

// Bits written from the top of each byte, as shape records are stored.
class BitWriter {
 public:
  explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ == 0) out_.push_back(0);
      if ((value >> i) & 1) out_.back() |= static_cast<uint8_t>(0x80 >> used_);
      used_ = (used_ + 1) & 7;
    }
  }
  void Signed(int32_t value, int bits) { Put(static_cast<uint32_t>(value) & ((1u << bits) - 1), bits); }
  void Align() { used_ = 0; }

 private:
  std::vector<uint8_t>& out_;
  int used_ = 0;
};

// Bits a signed field needs for v (at least 2).
int SignedBits(int32_t v) {
  int n = 2;
  while (n < 31 && (v >= (1 << (n - 1)) || v < -(1 << (n - 1)))) ++n;
  return n;
}

// A DefineShape body (after its id) of a w x h rectangle, in pixels, filled
// with bitmap 1 clipped and unsmoothed, one bitmap pixel to one unit.
void PictureShape(uint32_t w, uint32_t h, std::vector<uint8_t>& out) {
  BitWriter bits(out);
  const int rectBits = SignedBits(static_cast<int32_t>(std::max(w, h)));
  bits.Put(static_cast<uint32_t>(rectBits), 5);
  bits.Signed(0, rectBits), bits.Signed(static_cast<int32_t>(w), rectBits);
  bits.Signed(0, rectBits), bits.Signed(static_cast<int32_t>(h), rectBits);
  bits.Align();
  out.insert(out.end(), {1, 0x43, 1, 0});  // one fill: bitmap 1, clipped, hard
  bits.Put(1, 1), bits.Put(18, 5), bits.Signed(65536, 18), bits.Signed(65536, 18);  // scale 1
  bits.Put(0, 1), bits.Put(0, 5);  // no rotation, no translation
  bits.Align();
  out.push_back(0);     // no line styles
  out.push_back(0x10);  // one fill bit, no line bits
  bits.Put(0, 1), bits.Put(0x05, 5);  // style change: move to, fill style 1
  bits.Put(2, 5), bits.Signed(0, 2), bits.Signed(0, 2);
  bits.Put(1, 1);
  const int32_t edges[4][2] = {{static_cast<int32_t>(w), 0}, {0, static_cast<int32_t>(h)}, {-static_cast<int32_t>(w), 0},
                               {0, -static_cast<int32_t>(h)}};
  for (const auto& e : edges) {
    const bool vertical = e[0] == 0;
    const int32_t d = vertical ? e[1] : e[0];
    const int n = SignedBits(d);
    bits.Put(1, 1), bits.Put(1, 1), bits.Put(static_cast<uint32_t>(n - 2), 4);
    bits.Put(0, 1), bits.Put(vertical ? 1 : 0, 1), bits.Signed(d, n);
  }
  bits.Put(0, 6);  // end of the shape
}

std::unique_ptr<MovieDefinition> PictureMovie(std::span<const uint8_t> jpeg, uint32_t w, uint32_t h) {
  auto movie = std::make_unique<MovieDefinition>();
  movie->version = 8;
  movie->serial = NewMovieSerial();
  movie->frame = RECT{0, 0, static_cast<LONG>(w) * 20, static_cast<LONG>(h) * 20};
  movie->frameRate = 12;
  movie->headerFrames = 1;
  movie->bytes.assign(jpeg.begin(), jpeg.end());
  PictureShape(w, h, movie->bytes);
  const std::span<const uint8_t> all(movie->bytes);
  Character picture;
  picture.id = 1;
  picture.tagCode = SwfTag::DefineBitsJPEG2;
  picture.body = all.first(jpeg.size());
  Character shape;
  shape.id = 2;
  shape.tagCode = SwfTag::DefineShape;
  shape.body = all.subspan(jpeg.size());
  movie->dictionary[1].push_back(picture);
  movie->dictionary[2].push_back(shape);
  PlaceCommand place;
  place.depth = 1;
  place.character = 2;
  place.matrix = Matrix{20, 0, 0, 20, 0, 0};
  movie->root.Add(place);
  movie->root.Finish();
  return movie;
}

}  // namespace

bool JpegSize(std::span<const uint8_t> jpeg, uint32_t& width, uint32_t& height) {
  ByteReader r(jpeg);
  uint32_t soi = 0;
  if (!r.U16BE(soi) || soi != 0xFFD8) return false;
  for (;;) {
    uint8_t marker = 0;
    if (!r.U8(marker) || marker != 0xFF) return false;
    while (marker == 0xFF)
      if (!r.U8(marker)) return false;
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    uint32_t length = 0;
    if (marker == 0xDA || marker == 0xD9 || !r.U16BE(length) || length < 2) return false;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      uint8_t precision = 0;
      uint32_t h = 0, w = 0;
      if (!r.U8(precision) || !r.U16BE(h) || !r.U16BE(w) || w == 0 || h == 0) return false;
      width = w, height = h;
      return true;
    }
    if (!r.Skip(length - 2)) return false;
  }
}

bool ReadLoadedMovie(std::span<const uint8_t> file, uint64_t budget, std::unique_ptr<MovieDefinition>& out) {
  out.reset();
  uint32_t w = 0, h = 0;
  if (JpegSize(file, w, h)) {
    if (file.size() + 64 > budget) return false;
    out = PictureMovie(file, w, h);
    return true;
  }
  if (file.size() < 8) return false;
  const uint64_t declared = file[4] | file[5] << 8 | file[6] << 16 | static_cast<uint64_t>(file[7]) << 24;
  if (std::max<uint64_t>(declared, file.size()) > budget) return false;
  return ReadMovieDefinition(file, out) == MovieError::None;
}

}  // namespace flash
