// The picture geometry of an H.264 sequence parameter set: the coded size in
// whole macroblocks and the visible rectangle inside it that the frame
// cropping leaves. The set is read from its NAL unit (header byte first,
// emulation prevention bytes still in), every exp-Golomb code bounded.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

namespace flash::media {

struct H264Geometry {
  int codedWidth = 0, codedHeight = 0;  // pixels, whole macroblocks
  int left = 0, top = 0;                // the visible rectangle inside the coded frame
  int width = 0, height = 0;
};

// Nothing when the unit is no sequence parameter set, is cut short, or
// describes no picture (a size over kMaxVideoSide, a crop wider than the frame).
std::optional<H264Geometry> ReadH264Geometry(std::span<const uint8_t> unit);

}  // namespace flash::media
