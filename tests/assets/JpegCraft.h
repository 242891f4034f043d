// JPEG files for the loader's tests and the fuzzer's seeds: encoded, or edited.
#pragma once

#include <cstdint>
#include <vector>

namespace craft {

using Bytes = std::vector<std::uint8_t>;

// Encodes a deterministic pattern: components 1 (grey), 3 (RGB) or 4 (CMYK).
Bytes picture(int width, int height, int components, bool progressive = false, unsigned seed = 1);

// Only the quantisation and Huffman tables, no image.
Bytes tablesOnly();

// The bytes with the frame header's height and width replaced.
Bytes withDimensions(Bytes jpeg, int width, int height);

// The last scan repeated extraScans more times before the end marker.
Bytes withExtraScans(const Bytes& jpeg, int extraScans);

// Number of scans (start-of-scan markers) in the file.
int scanCount(const Bytes& jpeg);

// The first bytes of a GIF file.
Bytes gifHeader();

}  // namespace craft
