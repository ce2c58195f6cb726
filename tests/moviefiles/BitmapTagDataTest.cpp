// The image data of the JPEG bitmap tags: the pieces of every layout joined
// into one stream, the formats told by their signatures, the image of a
// DefineBitsJPEG3 found before its alpha plane.
#include <gtest/gtest.h>

#include "MovieBytes.h"
#include "moviefiles/BitmapTagData.h"

using namespace moviebytes;

namespace {

const Bytes kSoi{0xFF, 0xD8}, kEoi{0xFF, 0xD9}, kPrefix{0xFF, 0xD9, 0xFF, 0xD8};
// A quantisation and a Huffman segment whose values hold marker-like bytes.
const Bytes kTables{0xFF, 0xDB, 0x00, 0x06, 0xFF, 0xD9, 0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x03, 0xCC};
// A frame header, then a scan whose data holds a stuffed FF, a restart marker and fill before the end.
const Bytes kFrame{0xFF, 0xC0, 0x00, 0x03, 0xDD};
const Bytes kScan{0xFF, 0xDA, 0x00, 0x03, 0xEE, 0x11, 0xFF, 0x00, 0x22, 0xFF, 0xD0, 0x33, 0xFF};
const Bytes kJoined = kSoi + kTables + kFrame + kScan + kEoi;

}  // namespace

TEST(JoinJpeg, EveryLayoutGivesOneStream) {
  const struct {
    const char* what;
    Bytes tables, image;
    Bytes expected;
  } cases[] = {
      {"tables, then an image over them", kSoi + kTables + kEoi, kSoi + kFrame + kScan + kEoi, kJoined},
      {"tables after the end/start pair", kPrefix + kSoi + kTables + kEoi, kSoi + kFrame + kScan + kEoi, kJoined},
      {"the pair in place of the start", kPrefix + kTables + kEoi, kSoi + kFrame + kScan + kEoi, kJoined},
      {"an image after its own tables", {}, kSoi + kTables + kEoi + kSoi + kFrame + kScan + kEoi, kJoined},
      {"the same after the pair", {}, kPrefix + kSoi + kTables + kEoi + kSoi + kFrame + kScan + kEoi, kJoined},
      {"a whole image", {}, kJoined, kJoined},
      {"no tables and no end", {}, kSoi + kTables + kFrame + kScan, kJoined},
      {"fill bytes before markers", kSoi + Bytes{0xFF} + kTables, Bytes{0xFF} + kFrame + kScan + kEoi, kJoined},
      // What does not continue the marker structure stays as it was.
      {"filler after the start", {}, kSoi + Bytes{0x55, 0x66} + kEoi, kSoi + Bytes{0x55, 0x66} + kEoi},
      {"a segment cut short", kSoi + kTables, Bytes{0xFF, 0xC0, 0x00, 0x09, 1}, kSoi + kTables + Bytes{0xFF, 0xC0, 0x00, 0x09, 1} + kEoi},
      {"nothing", {}, {}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinJpeg(c.tables, c.image), c.expected) << c.what;
}

TEST(BitmapTagData, FormatsAndTheImageOfEachTag) {
  const Bytes png{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
  const Bytes gif = Text("GIF89a") + Bytes{1, 0, 1, 0};
  EXPECT_EQ(SniffImageFormat(png), ImageFormat::Png);
  EXPECT_EQ(SniffImageFormat(gif), ImageFormat::Gif);
  EXPECT_EQ(SniffImageFormat(kJoined), ImageFormat::Jpeg);
  EXPECT_EQ(SniffImageFormat(Bytes(png.begin(), png.begin() + 4)), ImageFormat::Jpeg);  // a signature cut short
  EXPECT_EQ(std::wstring(ImageExtension(ImageFormat::Gif)), L".gif");

  auto image = [](SwfTag code, const Bytes& body) {
    const std::span<const uint8_t> found = BitmapTagImage(code, body);
    return Bytes(found.begin(), found.end());
  };
  Bytes jpeg3;
  PutLE(jpeg3, static_cast<uint32_t>(png.size()), 4);
  jpeg3 = jpeg3 + png + Bytes{0x78, 0x9C, 1, 2};  // the alpha plane follows
  EXPECT_EQ(image(SwfTag::DefineBitsJPEG3, jpeg3), png);
  EXPECT_EQ(image(SwfTag::DefineBitsJPEG2, kJoined), kJoined);
  EXPECT_EQ(image(SwfTag::DefineBits, kJoined), kJoined);
  Bytes tooLong{0xFF, 0, 0, 0};
  EXPECT_TRUE(image(SwfTag::DefineBitsJPEG3, tooLong + kJoined).empty());
  EXPECT_TRUE(image(SwfTag::DefineBitsJPEG3, {1, 0}).empty());
  EXPECT_TRUE(image(SwfTag::DefineBitsLossless, kJoined).empty());
}
