// JPEG files made on the spot for the loader's tests and the fuzzer's seeds:
// well-formed pictures from the encoder, and damaged or hostile ones made by
// editing their bytes.
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

// The bytes with the last scan repeated extraScans more times before the end
// marker. The library decodes such a file with warnings.
Bytes withExtraScans(const Bytes& jpeg, int extraScans);

// Number of scans (start-of-scan markers) in the file.
int scanCount(const Bytes& jpeg);

// The first bytes of a GIF file.
Bytes gifHeader();

}  // namespace craft
