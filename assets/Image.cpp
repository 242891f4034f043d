#include "assets/Image.h"

#include <cstddef>

Image::~Image() {
    release();
}

void Image::release() {
    delete[] pixels;
    pixels = nullptr;
    width = 0;
    height = 0;
}

void Image::mergeAlpha(const Image& mask) {
    if (!pixels || width <= 0 || height <= 0) return;
    const std::int64_t count = static_cast<std::int64_t>(width) * height;

    // A mask that is missing or smaller than the picture (a mask file that
    // failed to load, or one of another size) leaves the alpha as it is
    // rather than reading past the mask's pixels.
    const std::int64_t maskCount =
        (mask.pixels && mask.width > 0 && mask.height > 0)
            ? static_cast<std::int64_t>(mask.width) * mask.height
            : 0;
    if (maskCount < count) return;

    const std::uint8_t* source = mask.pixels;
    std::uint8_t* target = pixels;
    for (std::int64_t k = 0; k < count; ++k) {
        const unsigned sum = source[0] + source[1] + source[2];
        target[3] = static_cast<std::uint8_t>(sum / 3);
        source += 4;
        target += 4;
    }
}
