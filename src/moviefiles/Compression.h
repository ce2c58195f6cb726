// Inflating zlib data held in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Inflates source into destination, at most size bytes (the buffer grows with
// the output, never ahead of it). destination holds exactly the inflated
// bytes; zlibResult is zlib's code (0 for a complete stream, -5 when the
// stream needs more room or more input, -3 for damaged data). True for 0.
bool DecompressBytes(std::span<const uint8_t> source, std::vector<uint8_t>& destination, int& zlibResult,
                     size_t size);
