// The encoded images of a movie's JPEG bitmap tags (DefineBits over the
// shared JPEGTables, DefineBitsJPEG2, DefineBitsJPEG3): which format the data
// is in (later movies store PNG and GIF files there), where the image lies in
// a tag's body, and the JPEG pieces joined into one stream that image readers
// open, whatever the layout the movie's encoder chose.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "moviefiles/SwfTags.h"

enum class ImageFormat { Jpeg, Png, Gif };

// PNG or GIF by its signature; anything else is taken for JPEG.
ImageFormat SniffImageFormat(std::span<const uint8_t> data);
// ".jpg", ".png" or ".gif".
const wchar_t* ImageExtension(ImageFormat format);

// The encoded image in the body (after the character id) of a JPEG bitmap tag:
// all of it for DefineBits and DefineBitsJPEG2, the part before the alpha
// plane for DefineBitsJPEG3. Empty for other tags and for a stated image size
// that runs past the body.
std::span<const uint8_t> BitmapTagImage(SwfTag code, std::span<const uint8_t> body);

// One JPEG stream (start marker, every marker segment and scan of the pieces
// in order, end marker) from the tables and the image. Start and end markers
// inside and between the pieces are left out, so tables with or without the
// erroneous end/start pair before them, an image after its own tables and an
// image over separate tables all give a stream a reader takes. Bytes that do
// not continue the marker structure are kept as they stand. Empty when both
// pieces are.
std::vector<uint8_t> JoinJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> image);
