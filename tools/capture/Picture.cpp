#include "tools/capture/Picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

extern "C" {
#include <libswscale/swscale.h>
}

namespace capture {

namespace {

int roundEven(double value) { return 2 * static_cast<int>(std::lround(value / 2.0)); }

}  // namespace

Placement fitPicture(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight, bool even) {
    Placement place;
    if (sourceWidth <= 0 || sourceHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) return place;
    // Compare the aspects in integers: equal aspects fill the output exactly.
    const long long outputCross = static_cast<long long>(outputWidth) * sourceHeight;
    const long long sourceCross = static_cast<long long>(sourceWidth) * outputHeight;
    if (outputCross == sourceCross) {
        place.width = outputWidth;
        place.height = outputHeight;
    } else if (outputCross < sourceCross) {  // narrower output: bars above and below
        place.width = outputWidth;
        const double height = static_cast<double>(outputWidth) * sourceHeight / sourceWidth;
        place.height = even ? roundEven(height) : static_cast<int>(std::lround(height));
    } else {  // wider output: bars left and right
        place.height = outputHeight;
        const double width = static_cast<double>(outputHeight) * sourceWidth / sourceHeight;
        place.width = even ? roundEven(width) : static_cast<int>(std::lround(width));
    }
    place.width = std::clamp(place.width, even ? 2 : 1, outputWidth);
    place.height = std::clamp(place.height, even ? 2 : 1, outputHeight);
    place.x = (outputWidth - place.width) / 2;
    place.y = (outputHeight - place.height) / 2;
    if (even) {
        place.x &= ~1;
        place.y &= ~1;
    }
    return place;
}

bool parseSize(const std::string& text, int& width, int& height) {
    int w = 0;
    int h = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2) return false;
    if (w < 16 || h < 16 || w > 8192 || h > 8192 || w % 2 != 0 || h % 2 != 0) return false;
    width = w;
    height = h;
    return true;
}

void FrameDeleter::operator()(AVFrame* frame) const { av_frame_free(&frame); }

PictureConverter::~PictureConverter() { sws_freeContext(scaler_); }

bool PictureConverter::setUp(int sourceWidth, int sourceHeight, int outputWidth, int outputHeight,
                             AVPixelFormat format, std::string& error) {
    sws_freeContext(scaler_);
    scaler_ = nullptr;
    sourceWidth_ = sourceWidth;
    sourceHeight_ = sourceHeight;
    outputWidth_ = outputWidth;
    outputHeight_ = outputHeight;
    format_ = format;
    placement_ = fitPicture(sourceWidth, sourceHeight, outputWidth, outputHeight, format == AV_PIX_FMT_YUV420P);
    const bool sameSize = placement_.width == sourceWidth && placement_.height == sourceHeight;
    plainCopy_ = format == AV_PIX_FMT_RGBA && sameSize;
    if (plainCopy_) return true;

    // Bicubic when enlarging; when reducing (a drawing made larger than the
    // output with --scale), area averaging: each output pixel is the mean
    // of the drawing's pixels it covers, so the text stays sharp without
    // the ringing Lanczos puts beside its black rims. Accurate rounding and
    // full chroma input so the same frame always converts to the same,
    // best pixels.
    const bool reducing = placement_.width < sourceWidth || placement_.height < sourceHeight;
    const int filter = sameSize ? SWS_POINT : reducing ? SWS_AREA : SWS_BICUBIC;
    int flags = filter | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP;
    if (format != AV_PIX_FMT_YUV420P) flags |= SWS_FULL_CHR_H_INT;
    scaler_ = sws_getContext(sourceWidth, sourceHeight, AV_PIX_FMT_RGBA, placement_.width, placement_.height, format,
                             flags, nullptr, nullptr, nullptr);
    if (!scaler_) {
        error = "cannot convert " + std::to_string(sourceWidth) + "x" + std::to_string(sourceHeight) +
                " frames to " + std::to_string(outputWidth) + "x" + std::to_string(outputHeight);
        return false;
    }
    if (format == AV_PIX_FMT_YUV420P) {
        // Full-range RGB in, BT.709 limited-range YUV out, as the stream is tagged.
        sws_setColorspaceDetails(scaler_, sws_getCoefficients(SWS_CS_ITU709), 1, sws_getCoefficients(SWS_CS_ITU709),
                                 0, 0, 1 << 16, 1 << 16);
    }
    return true;
}

FramePtr PictureConverter::makeFrame() const {
    FramePtr frame(av_frame_alloc());
    if (!frame) return nullptr;
    frame->format = format_;
    frame->width = outputWidth_;
    frame->height = outputHeight_;
    // RGBA frames go to the PNG writer, which wants rows without padding.
    if (av_frame_get_buffer(frame.get(), format_ == AV_PIX_FMT_RGBA ? 1 : 0) < 0) return nullptr;
    return frame;
}

namespace {

// Row y of a plane of a frame; the offset computed in pointer width.
std::uint8_t* rowAt(const AVFrame* frame, int plane, int y) {
    return frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane];
}

}  // namespace

void PictureConverter::fillBars(AVFrame* out) const {
    switch (format_) {
    case AV_PIX_FMT_YUV420P:
        for (int y = 0; y < outputHeight_; ++y) std::memset(rowAt(out, 0, y), 16, outputWidth_);
        for (int plane = 1; plane <= 2; ++plane)
            for (int y = 0; y < (outputHeight_ + 1) / 2; ++y)
                std::memset(rowAt(out, plane, y), 128, (outputWidth_ + 1) / 2);
        break;
    case AV_PIX_FMT_RGB24:
        for (int y = 0; y < outputHeight_; ++y)
            std::memset(rowAt(out, 0, y), 0, static_cast<std::size_t>(outputWidth_) * 3);
        break;
    default:  // RGBA
        for (int y = 0; y < outputHeight_; ++y) {
            std::uint8_t* row = rowAt(out, 0, y);
            for (int x = 0; x < outputWidth_; ++x, row += 4) row[0] = row[1] = row[2] = 0, row[3] = 255;
        }
        break;
    }
}

void PictureConverter::convert(const std::uint8_t* rgba, AVFrame* out) {
    const Placement& p = placement_;
    if (plainCopy_) {
        for (int y = 0; y < sourceHeight_; ++y) {
            const std::uint8_t* from = rgba + static_cast<std::size_t>(y) * sourceWidth_ * 4;
            std::uint8_t* to = rowAt(out, 0, y);
            std::memcpy(to, from, static_cast<std::size_t>(sourceWidth_) * 4);
            for (std::ptrdiff_t x = 0; x < sourceWidth_; ++x) to[x * 4 + 3] = 255;
        }
        return;
    }
    const bool bars = p.width != outputWidth_ || p.height != outputHeight_;
    if (bars) fillBars(out);

    std::uint8_t* planes[4] = {nullptr, nullptr, nullptr, nullptr};
    int strides[4] = {out->linesize[0], out->linesize[1], out->linesize[2], 0};
    if (format_ == AV_PIX_FMT_YUV420P) {
        planes[0] = rowAt(out, 0, p.y) + p.x;
        planes[1] = rowAt(out, 1, p.y / 2) + p.x / 2;
        planes[2] = rowAt(out, 2, p.y / 2) + p.x / 2;
    } else {
        const std::ptrdiff_t bytes = format_ == AV_PIX_FMT_RGB24 ? 3 : 4;
        planes[0] = rowAt(out, 0, p.y) + p.x * bytes;
    }
    const std::uint8_t* source[4] = {rgba, nullptr, nullptr, nullptr};
    const int sourceStrides[4] = {sourceWidth_ * 4, 0, 0, 0};
    sws_scale(scaler_, source, sourceStrides, 0, sourceHeight_, planes, strides);

    if (format_ == AV_PIX_FMT_RGBA) {
        for (int y = p.y; y < p.y + p.height; ++y) {
            std::uint8_t* row = rowAt(out, 0, y) + static_cast<std::ptrdiff_t>(p.x) * 4;
            for (std::ptrdiff_t x = 0; x < p.width; ++x) row[x * 4 + 3] = 255;
        }
    }
}

}  // namespace capture
