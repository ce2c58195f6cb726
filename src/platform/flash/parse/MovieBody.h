// The part of a movie file the control keeps in memory: the frame header and
// the main timeline's tags, inflated when the movie is compressed, without the
// tags the control never reads (embedded binary data). Movies made big by
// such data load without holding it; the tag list stays well-formed, and a
// damaged or cut list stays recognisably so.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace flash {

// Whether the control keeps a top-level tag of this code.
bool KeepsTopLevelTag(uint16_t code);

// The body of a movie file (FWS or CWS, signature already checked) after its
// 8-byte header into body; a compressed body is inflated up to maxBody bytes
// (a damaged stream keeps what could be inflated). False when the declared
// length is beyond maxBody.
bool ReadMovieBody(std::span<const uint8_t> file, uint64_t maxBody, std::vector<uint8_t>& body);

}  // namespace flash
