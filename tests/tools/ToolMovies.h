// Movies the information, extractor and favourites tests build: a red box
// moving across the stage (every frame looks different), and a movie of
// JPEG images and MP3 sounds for the extractor.
#pragma once
#include <vector>

#include "platform/flash/FlashTestSupport.h"
#include "moviefiles/MovieBytes.h"

namespace tools_test {

// 550x400 at 12 fps, frames frames; a 100-pixel red box moves right a little each frame.
inline moviebytes::Movie MovingBoxMovie(int frames) {
  using namespace moviebytes;
  Movie m;
  m.rateWhole = 12;
  m.frames = static_cast<uint16_t>(frames);
  m.tags.push_back(BackgroundTag(255, 255, 255));
  m.tags.push_back(BoxShape(1, 100 * 20, 100 * 20, 255, 0, 0));
  for (int i = 0; i < frames; ++i) {
    const int x = 20 * (i * 450 / (frames > 1 ? frames - 1 : 1)), y = 150 * 20;
    m.tags.push_back(i == 0 ? flashtest::Place(1, 1, x, y) : flashtest::Move(1, x, y));
    m.tags.push_back(ShowFrame());
  }
  m.tags.push_back(EndTag());
  return m;
}

// A JPEG's bytes as a movie stores them (start and end markers around filler).
inline moviebytes::Bytes JpegBytes(size_t size, uint8_t fill) {
  moviebytes::Bytes b{0xFF, 0xD8};
  b.resize(size > 4 ? size - 2 : 2, fill);
  b.push_back(0xFF), b.push_back(0xD9);
  return b;
}
// DefineBitsJPEG2: id, the four bytes the extractor drops, the image.
inline moviebytes::Bytes JpegTag(uint16_t id, size_t size) {
  moviebytes::Bytes body;
  moviebytes::PutLE(body, id, 2);
  moviebytes::Append(body, moviebytes::Bytes{0xFF, 0xD9, 0xFF, 0xD8});
  moviebytes::Append(body, JpegBytes(size, static_cast<uint8_t>(id)));
  return moviebytes::Tag(21, body, true);
}
// DefineSound of MP3 data: id, format, sample count, seek samples, the frames.
inline moviebytes::Bytes Mp3SoundTag(uint16_t id, size_t size) {
  moviebytes::Bytes body;
  moviebytes::PutLE(body, id, 2);
  body.push_back(0x2F);
  moviebytes::PutLE(body, 44100, 4);
  moviebytes::PutLE(body, 0, 2);
  moviebytes::Append(body, moviebytes::Bytes(size, 0xAB));
  return moviebytes::Tag(14, body, true);
}
// A movie of the given images and sounds (ids as given), one frame.
inline moviebytes::Movie ResourceMovie(const std::vector<uint16_t>& images, const std::vector<uint16_t>& sounds,
                                       size_t imageSize = 200, size_t soundSize = 200) {
  moviebytes::Movie m;
  m.frames = 1;
  for (uint16_t id : images) m.tags.push_back(JpegTag(id, imageSize));
  for (uint16_t id : sounds) m.tags.push_back(Mp3SoundTag(id, soundSize));
  m.tags.push_back(moviebytes::ShowFrame());
  m.tags.push_back(moviebytes::EndTag());
  return m;
}

}  // namespace tools_test
