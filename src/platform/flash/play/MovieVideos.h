// The embedded videos of a movie (DefineVideoStream and its VideoFrame
// tags), decoded for drawing: the picture of frame n of a stream comes from
// decoding on from the last picture, or from the key frame at or before n,
// and is kept as a drawable bitmap (deblocked when the stream or its frames
// ask for it). A frame that cannot be decoded leaves the last picture.
#pragma once
#include <cstdint>
#include <map>
#include <memory>

#include "platform/flash/render/FillPainter.h"
#include "platform/flash/parse/MovieMedia.h"
#include "platform/flash/media/VideoDecoder.h"

namespace flash {

class MovieVideos {
 public:
  explicit MovieVideos(const MovieDefinition& movie) : media_(IndexMovieMedia(movie)) {}
  // The picture of frame `number` of video character id; null before any.
  const Bitmap* FrameOf(uint16_t id, uint16_t number);
  const VideoStreamInfo* Info(uint16_t id) const;

 private:
  struct Stream {
    std::unique_ptr<media::VideoDecoder> decoder;
    bool tried = false;
    int decoded = -1;  // the last frame number fed
    int shown = -1;    // the frame number the bitmap shows
    Bitmap bitmap;
  };
  bool IsKey(const VideoStreamInfo& info, std::span<const uint8_t> data) const;
  void Show(const VideoStreamInfo& info, Stream& s);

  MovieMedia media_;
  std::map<uint16_t, Stream> streams_;
};

// Smooths the 8-pixel block edges of a 4:2:0 picture's planes in place
// where the step across an edge is small (a blocking artefact, not an edge
// of the picture).
void DeblockPlane(uint8_t* plane, int stride, int width, int height);

}  // namespace flash
