// Screen Video (FLV codec 3) and Screen Video 2 (codec 6): a grid of blocks
// (multiples of 16 pixels) sent from the bottom-left, row by row, each block
// zlib-compressed BGR rows from its bottom up, an empty block meaning "as
// before". Version 2 adds, per block, 15/7-bit hybrid colour (a byte below
// 128 is an index into the palette, else two bytes of 15-bit colour), a band
// of changed rows, and zlib data primed with the previous key image's block
// (or another block of this image) as its dictionary. A damaged frame
// leaves the picture as it was: the rows it overwrote are put back. Buffers
// and the inflater are kept from frame to frame.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "base/ByteReader.h"
#include "platform/flash/media/VideoDecoder.h"

namespace flash::media {

class ScreenVideoDecoder : public VideoDecoder {
 public:
  explicit ScreenVideoDecoder(bool version2) : version2_(version2) {}
  DecodeResult Decode(std::span<const uint8_t> packet, bool keyFrame, int64_t frame = 0) override;
  const VideoImage* Image() const override { return shown_ ? &image_ : nullptr; }
  void Reset() override { haveKey_ = false; }

 private:
  struct Block {
    int x = 0, y = 0, width = 0, height = 0;  // y: the block's top row in the top-down image
  };
  bool Allocate(int width, int height, int blockWidth, int blockHeight);
  Block BlockAt(size_t index) const;
  bool DecodeBlockV1(ByteReader& r, size_t index);
  bool DecodeBlockV2(ByteReader& r, size_t index, bool keyFrame, bool keyImage);
  bool ReadPalette(ByteReader& r);
  // Writes rows [firstRow, firstRow + rows) of the block (counted from its bottom) from pixel data.
  bool PutPixels(const Block& b, int firstRow, int rows, std::span<const uint8_t> data, bool hybrid);

  // Keeps the rows PutPixels is about to overwrite, to put them back.
  void Save(const Block& b, int firstRow, int rows);
  void Undo();
  bool Inflate(std::span<const uint8_t> in, std::span<const uint8_t> dictionary, std::vector<uint8_t>& out);

  struct Inflater;
  struct InflaterEnd {
    void operator()(Inflater* inflater) const;
  };
  struct Saved {
    int x, top, width, rows;  // rows top..top + rows - 1 of the image, width pixels from x
  };

  bool version2_;
  int width_ = 0, height_ = 0, blockWidth_ = 0, blockHeight_ = 0, cols_ = 0, rows_ = 0;
  std::vector<uint8_t> pixels_;  // BGR, rows top-down
  std::vector<uint8_t> undoPixels_;  // the overwritten rows, in the order of undoRegions_
  std::vector<Saved> undoRegions_;
  std::unique_ptr<Inflater, InflaterEnd> inflater_;
  std::vector<uint8_t> scratch_;
  std::vector<std::vector<uint8_t>> keyData_;   // version 2: each block's data of the last key image, for priming
  std::vector<std::vector<uint8_t>> thisData_;  // version 2: each block's data in this image
  uint32_t palette_[128];
  bool paletteSet_ = false;
  bool haveKey_ = false;
  bool shown_ = false;
  VideoImage image_;
};

}  // namespace flash::media
