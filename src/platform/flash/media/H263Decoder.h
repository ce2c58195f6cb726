// Sorenson H.263 (FLV codec 2): the H.263 baseline picture and macroblock
// layers with the FLV picture header (start code, version, temporal
// reference, size, type, deblocking flag, quantizer, extra information),
// no GOB headers, the version-1 escape with 7- or 11-bit levels, half-pixel
// motion compensation from the last reference picture with its edges
// extended, and disposable inter pictures that do not become references.
// Pictures alternate between two buffers; a macroblock sent as unchanged is
// copied only where the two buffers may differ.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/flash/media/BitReader.h"
#include "platform/flash/media/VideoDecoder.h"

namespace flash::media {

class H263Decoder : public VideoDecoder {
 public:
  DecodeResult Decode(std::span<const uint8_t> packet, bool keyFrame, int64_t frame = 0) override;
  const VideoImage* Image() const override { return shown_ >= 0 ? &image_ : nullptr; }
  void Reset() override;
  // Whether the last picture asked for deblocking.
  bool Deblocking() const { return deblocking_; }

 private:
  static constexpr int kPad = 32;  // luma pixels of edge around each plane (chroma: half)

  struct Plane {
    std::vector<uint8_t> data;
    int stride = 0, width = 0, height = 0, pad = 0;  // width, height: the coded area's
    uint8_t* At(int x, int y) { return data.data() + static_cast<ptrdiff_t>(y + pad) * stride + x + pad; }
    const uint8_t* At(int x, int y) const { return data.data() + static_cast<ptrdiff_t>(y + pad) * stride + x + pad; }
    void Extend();
  };
  struct Frame {
    Plane plane[3];
  };
  struct Vector {
    int x = 0, y = 0;
  };

  bool Allocate(int width, int height);
  bool DecodeMacroblock(BitReader& br, int mbx, int mby, bool inter, int& quant);
  // Reads a block's coefficients into block (clear on entry).
  bool DecodeBlock(BitReader& br, int16_t* block, bool intra, bool coded, int quant);
  Vector PredictVector(int mbx, int mby) const;
  void MotionCompensate(int mbx, int mby, Vector mv);
  void SetShown(int index);

  int width_ = 0, height_ = 0, mbCols_ = 0, mbRows_ = 0;
  int version_ = 0;
  bool deblocking_ = false;
  Frame frames_[2];
  int ref_ = -1;    // the reference picture's index, -1 before the first intra picture
  int work_ = 0;    // the picture being decoded
  int shown_ = -1;
  std::vector<Vector> vectors_;  // per macroblock of the picture being decoded
  std::vector<uint8_t> hasVector_;
  std::vector<uint8_t> same_;  // per macroblock: both buffers hold the same pixels there
  VideoImage image_;
};

}  // namespace flash::media
