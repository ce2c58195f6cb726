// A decoded image as the renderer samples it.
#pragma once
#include <cstdint>
#include <vector>

namespace flash {

// Premultiplied 0xAARRGGBB pixels, top-down.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
};

}  // namespace flash
