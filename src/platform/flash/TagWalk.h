// The movie control's view of a movie's tags: each tag's code and a reader
// over exactly its body, in file order, from a span of tag records (a movie's
// body after its header, or a sprite's own tags).
#pragma once
#include <cstdint>
#include <functional>
#include <span>

#include "base/ByteReader.h"

// Calls visit(code, body) for each tag until the End tag, the end of the bytes
// or visit returning false. Returns false when a tag's header or body runs
// past the end of the bytes (the tags before it were visited).
bool WalkMovieTags(std::span<const uint8_t> tags, const std::function<bool(uint32_t code, ByteReader& body)>& visit);
