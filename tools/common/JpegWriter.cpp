#include "JpegWriter.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

namespace tools {

namespace {

// The encoder never meets bad input of its own making; a fatal library
// error is a programming error, reported as an exception.
[[noreturn]] void throwOnError(j_common_ptr info) {
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    throw std::runtime_error(message);
}

}  // namespace

std::vector<std::uint8_t> encodeJpeg(const std::uint8_t* samples, int width, int height,
                                     int components, const JpegOptions& options) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throwOnError;

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_create_compress(&info);
    try {
        jpeg_mem_dest(&info, &buffer, &size);
        info.image_width = static_cast<JDIMENSION>(width);
        info.image_height = static_cast<JDIMENSION>(height);
        info.input_components = components;
        info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, options.quality, TRUE);
        info.optimize_coding = options.optimize ? TRUE : FALSE;
        if (options.progressive) jpeg_simple_progression(&info);
        jpeg_start_compress(&info, TRUE);
        const std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(components);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(samples + stride * info.next_scanline);
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
    } catch (...) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        throw;
    }
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        return false;
    }
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "%s: write failed\n", path.c_str());
        return false;
    }
    return true;
}

bool writeJpeg(const std::string& path, const std::uint8_t* samples, int width, int height,
               int components, const JpegOptions& options) {
    return writeFile(path, encodeJpeg(samples, width, height, components, options));
}

}  // namespace tools
