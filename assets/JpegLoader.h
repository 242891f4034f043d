// Decodes JPEG files into Images.
#pragma once

#include "assets/Image.h"

class JpegLoader {
public:
    // Decodes the file into image. True when image now holds the picture;
    // false (image unchanged, a line on stderr) when it could not be decoded.
    bool load(const char* fileName, Image& image);
};
