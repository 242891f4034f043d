#include "tests/capture/MediaProbe.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace probe {

namespace {

// With the stream's matrix and range, as a player would.
Picture toRgb(const AVFrame* frame) {
    Picture picture{frame->width, frame->height, std::vector<std::uint8_t>(std::size_t(frame->width) * frame->height * 3)};
    SwsContext* scaler = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                        frame->height, AV_PIX_FMT_RGB24, SWS_POINT | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                                        nullptr, nullptr, nullptr);
    const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    sws_setColorspaceDetails(scaler, sws_getCoefficients(space), frame->color_range == AVCOL_RANGE_JPEG,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    std::uint8_t* planes[4] = {picture.rgb.data()};
    int strides[4] = {frame->width * 3};
    sws_scale(scaler, frame->data, frame->linesize, 0, frame->height, planes, strides);
    sws_freeContext(scaler);
    return picture;
}

AVCodecContext* openDecoder(AVFormatContext* format, int index) {
    if (index < 0) return nullptr;
    const AVCodec* decoder = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
    AVCodecContext* codec = avcodec_alloc_context3(decoder);
    avcodec_parameters_to_context(codec, format->streams[index]->codecpar);
    codec->thread_count = 1;
    if (avcodec_open2(codec, decoder, nullptr) < 0) avcodec_free_context(&codec);
    return codec;
}

}  // namespace

double Media::firstSoundAt(float level) const {
    for (std::size_t i = 0; i < audio.size(); ++i)
        if (std::fabs(audio[i]) > level) return static_cast<double>(i) / sampleRate;
    return -1.0;
}

Media read(const std::string& path, const std::vector<int>& keep) {
    Media media;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return media;
    avformat_find_stream_info(format, nullptr);
    const int streams[2] = {av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0),
                            av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0)};
    AVCodecContext* codecs[2] = {openDecoder(format, streams[0]), openDecoder(format, streams[1])};
    if (codecs[0]) {
        const AVCodecParameters* video = format->streams[streams[0]]->codecpar;
        const char* pixels = av_get_pix_fmt_name(AVPixelFormat(video->format));
        media.codecs = std::string(avcodec_get_name(video->codec_id)) + " " + (pixels ? pixels : "?");
        media.width = video->width;
        media.height = video->height;
        media.rateNumerator = format->streams[streams[0]]->avg_frame_rate.num;
        media.rateDenominator = format->streams[streams[0]]->avg_frame_rate.den;
    }
    if (codecs[1]) {
        const AVCodecParameters* audio = format->streams[streams[1]]->codecpar;
        media.codecs += std::string(" ") + avcodec_get_name(audio->codec_id);
        media.sampleRate = audio->sample_rate;
        media.channels = audio->ch_layout.nb_channels;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto drain = [&](int which) {
        while (avcodec_receive_frame(codecs[which], frame) >= 0) {
            const double time = frame->best_effort_timestamp == AV_NOPTS_VALUE
                                    ? 0.0
                                    : double(frame->best_effort_timestamp) * av_q2d(format->streams[streams[which]]->time_base);
            if (which == 0) {
                if (std::count(keep.begin(), keep.end(), int(media.frameTimes.size()))) media.keptPictures.push_back(toRgb(frame));
                media.frameTimes.push_back(time);
            } else if (frame->format == AV_SAMPLE_FMT_FLTP) {
                // Leading silence up to the first sample's time.
                if (media.audio.empty()) media.audio.assign(std::size_t(std::max(0L, std::lround(time * media.sampleRate))), 0.0f);
                const float* first = reinterpret_cast<const float*>(frame->data[0]);
                media.audio.insert(media.audio.end(), first, first + frame->nb_samples);
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        for (int which = 0; which < 2; ++which)
            if (codecs[which] && packet->stream_index == streams[which] && avcodec_send_packet(codecs[which], packet) >= 0) drain(which);
        av_packet_unref(packet);
    }
    for (int which = 0; which < 2; ++which) {
        if (!codecs[which]) continue;
        avcodec_send_packet(codecs[which], nullptr);
        drain(which);
        avcodec_free_context(&codecs[which]);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    media.ok = true;
    return media;
}

}  // namespace probe
