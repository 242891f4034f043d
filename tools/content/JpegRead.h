// Reads JPEG files into 8-bit RGB for the tools (the contact sheet).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width x height x 3, top row first
};

// False (and a line on stderr) when the file is missing or not a JPEG.
bool readJpeg(const std::string& path, RgbImage& out);

}  // namespace content
