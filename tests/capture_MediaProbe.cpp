#include "tests/capture_MediaProbe.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace probe {

namespace {

std::uint64_t hashBytes(std::uint64_t hash, const std::uint8_t* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

std::uint64_t hashPicture(const AVFrame* frame) {
    std::uint64_t hash = 1469598103934665603ull;
    const AVPixFmtDescriptor* format = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    for (int plane = 0; plane < 4 && frame->data[plane]; ++plane) {
        const int rows = plane == 0 || !format ? frame->height : AV_CEIL_RSHIFT(frame->height, format->log2_chroma_h);
        const int bytes = av_image_get_linesize(static_cast<AVPixelFormat>(frame->format), frame->width, plane);
        for (int y = 0; y < rows; ++y)
            hash = hashBytes(hash, frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane],
                             static_cast<std::size_t>(bytes));
    }
    return hash;
}

Picture toRgb(const AVFrame* frame) {
    Picture picture;
    picture.width = frame->width;
    picture.height = frame->height;
    picture.rgb.resize(static_cast<std::size_t>(frame->width) * frame->height * 3);
    SwsContext* scaler = sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                        frame->width, frame->height, AV_PIX_FMT_RGB24,
                                        SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
    if (!scaler) return picture;
    // Decode with the stream's matrix and range, as a player would.
    const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    sws_setColorspaceDetails(scaler, sws_getCoefficients(space), frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    std::uint8_t* planes[4] = {picture.rgb.data(), nullptr, nullptr, nullptr};
    int strides[4] = {frame->width * 3, 0, 0, 0};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(scaler);
    return picture;
}

struct Decoder {
    AVCodecContext* codec = nullptr;
    int stream = -1;
    ~Decoder() { avcodec_free_context(&codec); }
    bool open(AVFormatContext* format, int index) {
        const AVCodec* decoder = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
        codec = decoder ? avcodec_alloc_context3(decoder) : nullptr;
        if (!codec || avcodec_parameters_to_context(codec, format->streams[index]->codecpar) < 0) return false;
        codec->thread_count = 1;
        stream = index;
        return avcodec_open2(codec, decoder, nullptr) >= 0;
    }
};

}  // namespace

Media read(const std::string& path, const std::vector<int>& keep) {
    Media media;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) {
        media.error = "cannot open " + path;
        return media;
    }
    if (avformat_find_stream_info(format, nullptr) < 0) {
        media.error = "no stream information in " + path;
        avformat_close_input(&format);
        return media;
    }
    Decoder video;
    Decoder audio;
    const int videoIndex = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (videoIndex >= 0 && video.open(format, videoIndex)) {
        const AVStream* stream = format->streams[videoIndex];
        media.hasVideo = true;
        media.videoCodec = avcodec_get_name(stream->codecpar->codec_id);
        const char* pixels = av_get_pix_fmt_name(static_cast<AVPixelFormat>(stream->codecpar->format));
        media.pixelFormat = pixels ? pixels : "";
        media.width = stream->codecpar->width;
        media.height = stream->codecpar->height;
        media.rateNumerator = stream->avg_frame_rate.num;
        media.rateDenominator = stream->avg_frame_rate.den;
    }
    if (audioIndex >= 0 && audio.open(format, audioIndex)) {
        const AVStream* stream = format->streams[audioIndex];
        media.hasAudio = true;
        media.audioCodec = avcodec_get_name(stream->codecpar->codec_id);
        media.sampleRate = stream->codecpar->sample_rate;
        media.channels = stream->codecpar->ch_layout.nb_channels;
    }

    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool audioStarted = false;
    const auto drain = [&](Decoder& decoder) {
        while (avcodec_receive_frame(decoder.codec, frame) >= 0) {
            const AVStream* stream = format->streams[decoder.stream];
            const double time = frame->best_effort_timestamp == AV_NOPTS_VALUE
                                    ? 0.0
                                    : static_cast<double>(frame->best_effort_timestamp) * av_q2d(stream->time_base);
            if (decoder.stream == videoIndex) {
                const int number = static_cast<int>(media.frameTimes.size());
                media.frameTimes.push_back(time);
                media.frameHashes.push_back(hashPicture(frame));
                if (std::find(keep.begin(), keep.end(), number) != keep.end()) media.keptPictures.push_back(toRgb(frame));
            } else if (frame->format == AV_SAMPLE_FMT_FLTP) {
                if (!audioStarted) {
                    audioStarted = true;
                    media.audioStart = time;
                    // Leading silence up to the first sample's time.
                    media.audio.assign(static_cast<std::size_t>(std::max(0L, std::lround(time * media.sampleRate))), 0.0f);
                }
                const float* first = reinterpret_cast<const float*>(frame->data[0]);
                media.audio.insert(media.audio.end(), first, first + frame->nb_samples);
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        Decoder* decoder = packet->stream_index == videoIndex   ? &video
                           : packet->stream_index == audioIndex ? &audio
                                                                : nullptr;
        if (decoder && decoder->codec && avcodec_send_packet(decoder->codec, packet) >= 0) drain(*decoder);
        av_packet_unref(packet);
    }
    for (Decoder* decoder : {&video, &audio}) {
        if (!decoder->codec) continue;
        avcodec_send_packet(decoder->codec, nullptr);
        drain(*decoder);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    media.ok = true;
    return media;
}

double firstSoundAt(const Media& media, float level) {
    for (std::size_t i = 0; i < media.audio.size(); ++i)
        if (std::fabs(media.audio[i]) > level) return static_cast<double>(i) / media.sampleRate;
    return -1.0;
}

}  // namespace probe
