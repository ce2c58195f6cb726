// What scripts load into clips and levels: a movie file as it is, or a JPEG
// picture made into a movie of one frame that shows the picture at its
// origin, one twip-scaled pixel per pixel (its own dictionary holds the
// picture and one shape filled with it).
#pragma once
#include <cstdint>
#include <memory>
#include <span>

#include "platform/flash/parse/MovieDefinition.h"

namespace flash {

// False when the bytes are neither a movie nor a JPEG picture, or when the
// movie's (declared) size is above budget bytes.
bool ReadLoadedMovie(std::span<const uint8_t> file, uint64_t budget, std::unique_ptr<MovieDefinition>& out);

// The size of a JPEG picture from its frame header; false for anything else.
bool JpegSize(std::span<const uint8_t> jpeg, uint32_t& width, uint32_t& height);

}  // namespace flash
