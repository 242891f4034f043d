// Encodes pictures as JPEG files with libjpeg. Used by the data generators
// and by the tests, which make their own pictures instead of shipping files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct JpegOptions {
    int quality = 90;          // 1..100
    bool progressive = false;  // multi-scan progressive file
    bool optimize = true;      // optimised Huffman tables
};

// components: 1 (grey), 3 (RGB) or 4 (CMYK, stored as an Adobe CMYK file).
// Samples are tightly packed, top row first.
std::vector<std::uint8_t> encodeJpeg(const std::uint8_t* samples, int width, int height,
                                     int components, const JpegOptions& options = {});

// Writes the encoded picture to path; false (and a message on stderr) when
// the file cannot be written.
bool writeJpeg(const std::string& path, const std::uint8_t* samples, int width, int height,
               int components, const JpegOptions& options = {});

// Writes bytes to a file in one go; false when it cannot be written.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace tools
