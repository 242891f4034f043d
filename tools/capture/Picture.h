// Turning the program's RGBA frames into the pictures the outputs want:
// scaled to the output size with the aspect kept, centred between black
// bars, in the pixel format of the encoder or the PNG writer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct SwsContext;

namespace capture {

// Where the picture lies inside the output.
struct Placement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the source's aspect that fits the output,
// centred. With `even`, position and size are even numbers (4:2:0 chroma
// covers 2 x 2 pixels, so odd edges would smear the bars into the picture).
Placement fitPicture(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight, bool even);

// Parses "WIDTHxHEIGHT"; false unless both are even and within 16..8192.
bool parseSize(const std::string& text, int& width, int& height);

struct FrameDeleter {
    void operator()(AVFrame* frame) const;
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// Converts source frames of one size into output frames of one size and
// pixel format. Same-size RGBA output is a plain copy, so PNGs keep the
// exact pixels; every output is opaque (the framebuffer's alpha is the
// blending's by-product, not something the viewer sees).
class PictureConverter {
public:
    PictureConverter() = default;
    ~PictureConverter();
    PictureConverter(const PictureConverter&) = delete;
    PictureConverter& operator=(const PictureConverter&) = delete;

    // False (with `error`) when the conversion cannot be set up.
    bool setUp(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight, AVPixelFormat format,
               std::string& error);
    // Fills `out` (allocated by the caller for the output size and format,
    // and writable) from `rgba` (source size, top row first).
    void convert(const std::uint8_t* rgba, AVFrame* out);

    // A frame of the output size and format, or null when out of memory.
    FramePtr makeFrame() const;
    const Placement& placement() const { return placement_; }

private:
    void fillBars(AVFrame* out) const;

    int sourceWidth_ = 0;
    int sourceHeight_ = 0;
    int outputWidth_ = 0;
    int outputHeight_ = 0;
    AVPixelFormat format_ = AV_PIX_FMT_NONE;
    Placement placement_;
    SwsContext* scaler_ = nullptr;
    bool plainCopy_ = false;
};

}  // namespace capture
