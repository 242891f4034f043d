// Writes RGBA pictures as PNG files with libpng.
#pragma once

#include <cstdint>
#include <string>

namespace tools {

// rgba: width x height pixels, top row first. False (with a message on
// stderr) when the file cannot be written.
bool writePng(const std::string& path, const std::uint8_t* rgba, int width, int height);

}  // namespace tools
