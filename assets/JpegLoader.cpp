#include "assets/JpegLoader.h"

#include "platform/files.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <jpeglib.h>

// The pictures come from files anyone can replace, so the decoder refuses
// what no picture of the presentation needs before it allocates for it.
namespace {

constexpr std::uint64_t kMaxSide = 16384;
constexpr std::uint64_t kMaxPixels = std::uint64_t{64} * 1024 * 1024;
constexpr int kMaxScans = 100;
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;

// Our own messages, added to the library's table so that every failure
// leaves through the same error routine and is formatted the same way.
enum LoaderMessage {
    kFirstLoaderMessage = 1000,
    kEmptyPicture = kFirstLoaderMessage,
    kTooLarge,
    kTooManyPixels,
    kCmykUnsupported,
    kComponentsUnsupported,
    kTooManyScans,
    kOutOfMemory,
    kLastLoaderMessage = kOutOfMemory
};

const char* const kLoaderMessages[] = {
    "picture is %d x %d, which holds no pixels",
    "picture is %d x %d, larger than %d",
    "picture is %d x %d, more than %d pixels",
    "CMYK pictures are not supported",
    "pictures with %d colour components are not supported",
    "file has more than %d scans",
    "not enough memory for the picture",
};

}  // namespace

// The error record of one load: the library's error manager first, so that
// the library's pointer to it is also a pointer to the whole record.
struct JpegErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf failureExit;
    // The last message the library (or the loader) produced: the reason of a
    // fatal error, or the first warning when the decode went on.
    char message[JMSG_LENGTH_MAX];
};

// Replaces the library's fatal-error routine: keeps the message and returns
// to the failure exit of load(). Never returns to the library.
[[noreturn]] void jpegErrorExit(j_common_ptr info) {
    (*info->err->output_message)(info);
    JpegErrorManager* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(errors->failureExit, 1);
}

namespace {

// Keeps the message instead of printing it, so that a damaged file gives
// one line, written by load() with the file's name.
void keepMessage(j_common_ptr info) {
    JpegErrorManager* errors = reinterpret_cast<JpegErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
}

// Stops a file that makes the library read scan after scan.
void limitScans(j_common_ptr info) {
    if (!info->is_decompressor) return;
    j_decompress_ptr decompressor = reinterpret_cast<j_decompress_ptr>(info);
    if (decompressor->input_scan_number > kMaxScans) {
        info->err->msg_code = kTooManyScans;
        info->err->msg_parm.i[0] = kMaxScans;
        (*info->err->error_exit)(info);
    }
}

[[noreturn]] void fail(j_decompress_ptr info, int code, int a = 0, int b = 0, int c = 0) {
    info->err->msg_code = code;
    info->err->msg_parm.i[0] = a;
    info->err->msg_parm.i[1] = b;
    info->err->msg_parm.i[2] = c;
    (*info->err->error_exit)(reinterpret_cast<j_common_ptr>(info));
    // error_exit is jpegErrorExit, which does not return.
    std::abort();
}

// Refuses, from the header alone, what the loader will not decode.
void checkHeader(j_decompress_ptr info) {
    const std::uint64_t width = info->image_width;
    const std::uint64_t height = info->image_height;
    if (width == 0 || height == 0) {
        fail(info, kEmptyPicture, static_cast<int>(width), static_cast<int>(height));
    }
    if (width > kMaxSide || height > kMaxSide) {
        fail(info, kTooLarge, static_cast<int>(width), static_cast<int>(height), static_cast<int>(kMaxSide));
    }
    if (width * height > kMaxPixels) {
        fail(info, kTooManyPixels, static_cast<int>(width), static_cast<int>(height),
             static_cast<int>(kMaxPixels));
    }
    if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK) {
        fail(info, kCmykUnsupported);
    }
    if (info->out_color_space != JCS_GRAYSCALE && info->out_color_space != JCS_RGB) {
        fail(info, kComponentsUnsupported, info->num_components);
    }
}

void reportFailure(const char* fileName, const char* reason) {
    std::fprintf(stderr, "salute: cannot load \"%s\": %s\n", fileName, reason);
}

}  // namespace

namespace {

// Widens a row of grey (v -> v, v, v, 255) or RGB (-> r, g, b, 255) samples,
// held at the start of the row's RGBA place, to RGBA in place.
void widenRow(std::uint8_t* row, std::uint64_t width, int components) {
    if (components == 1) {
        for (std::uint64_t x = width; x-- > 0;) {
            const std::uint8_t v = row[x];
            std::uint8_t* const pixel = row + x * 4;
            pixel[0] = pixel[1] = pixel[2] = v;
            pixel[3] = 255;
        }
    } else {
        for (std::uint64_t x = width; x-- > 0;) {
            const std::uint8_t* const source = row + x * 3;
            const std::uint8_t r = source[0], g = source[1], b = source[2];
            std::uint8_t* const pixel = row + x * 4;
            pixel[0] = r;
            pixel[1] = g;
            pixel[2] = b;
            pixel[3] = 255;
        }
    }
}

}  // namespace

bool JpegLoader::load(const char* fileName, Image& image) {
    const char* why = nullptr;
    std::FILE* const file = openDataFile(fileName, why);
    if (!file) {
        reportFailure(fileName, why);
        return false;
    }

    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    jpeg_progress_mgr progress{};
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = jpegErrorExit;
    errors.library.output_message = keepMessage;
    errors.library.addon_message_table = kLoaderMessages;
    errors.library.first_addon_message = kFirstLoaderMessage;
    errors.library.last_addon_message = kLastLoaderMessage;
    errors.message[0] = '\0';
    progress.progress_monitor = limitScans;

    // Changed after setjmp and needed at the failure exit, hence volatile.
    std::uint8_t* volatile rgba = nullptr;

    if (setjmp(errors.failureExit)) {
        jpeg_destroy_decompress(&info);
        delete[] rgba;
        std::fclose(file);
        reportFailure(fileName, errors.message);
        return false;
    }

    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxLibraryMemory;
    info.progress = &progress;
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    checkHeader(&info);
    jpeg_start_decompress(&info);

    const int components = info.output_components;
    if ((components != 1 && components != 3) || info.output_width != info.image_width ||
        info.output_height != info.image_height) {
        fail(&info, kComponentsUnsupported, components);
    }
    const std::uint64_t width = info.output_width;
    const std::uint64_t height = info.output_height;

    rgba = new (std::nothrow) std::uint8_t[width * height * 4];
    if (!rgba) fail(&info, kOutOfMemory);

    // Each row is decoded into the start of its own place in the picture and
    // widened to RGBA there while it is in cache, from its last pixel back:
    // a widened pixel never lands on a sample not yet read.
    while (info.output_scanline < info.output_height) {
        std::uint8_t* const row = rgba + static_cast<std::uint64_t>(info.output_scanline) * width * 4;
        JSAMPROW target = row;
        jpeg_read_scanlines(&info, &target, 1);
        widenRow(row, width, components);
    }

    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);

    // The file decoded, perhaps with damage the library papered over (a
    // file that ends early, for instance): say so once and keep the picture.
    if (errors.library.num_warnings > 0) {
        std::fprintf(stderr, "salute: \"%s\" is damaged, shown as far as it could be read: %s\n",
                     fileName, errors.message);
    }

    delete[] image.pixels;
    image.pixels = rgba;
    image.width = static_cast<std::int32_t>(width);
    image.height = static_cast<std::int32_t>(height);
    return true;
}
