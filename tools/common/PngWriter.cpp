#include "PngWriter.h"

#include <unistd.h>

#include <cstdio>

#include <png.h>

#include "tools/common/NewFile.h"

namespace tools {

// Written to a file of its own making and renamed when complete, so that a
// link planted at the name is never written through and a reader never
// sees half a picture.
bool writePng(const std::string& path, const std::uint8_t* rgba, int width, int height) {
    NewFile output;
    std::string error;
    if (!output.create(path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    std::FILE* const file = fdopen(output.fd(), "wb");
    if (!file) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        return false;
    }
    output.release();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    const bool written = png_image_write_to_stdio(&image, file, 0, rgba, 0, nullptr) != 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), written ? "cannot write" : image.message);
        return false;
    }
    if (!output.commit(error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

}  // namespace tools
