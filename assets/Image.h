// A decoded picture: 32-bit RGBA pixels, top row first.
#pragma once

#include <cstdint>

struct Image {
    std::uint8_t* pixels = nullptr;  // width * height * 4 bytes (R, G, B, A), or null
    std::int32_t width = 0;
    std::int32_t height = 0;

    Image() = default;
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Sets every pixel's alpha to the mean of the mask's R, G and B at the
    // same index; leaves alpha alone when the mask holds fewer pixels.
    void mergeAlpha(const Image& mask);
    // Frees the pixels; the Image is empty again.
    void release();
};
