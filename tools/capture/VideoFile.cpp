// Writing the video file: encoding the pictures and the music, interleaving
// their packets, and closing the file under its real name or deleting it.
#include "tools/capture/VideoFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include "tools/capture/AvError.h"
#include "tools/capture/MusicTrack.h"

namespace capture {

VideoFile::~VideoFile() { abandon(); }

AVPixelFormat VideoFile::pixelFormat() const { return video_ ? video_->pix_fmt : AV_PIX_FMT_NONE; }

bool VideoFile::send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error) {
    int result = avcodec_send_frame(codec, frame);
    if (result < 0) {
        error = "encoding failed: " + avError(result);
        return false;
    }
    for (;;) {
        result = avcodec_receive_packet(codec, packet_);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
        if (result < 0) {
            error = "encoding failed: " + avError(result);
            return false;
        }
        av_packet_rescale_ts(packet_, codec->time_base, stream->time_base);
        packet_->stream_index = stream->index;
        result = av_interleaved_write_frame(format_, packet_);
        if (result < 0) {
            error = "cannot write \"" + path_ + "\": " + avError(result);
            return false;
        }
    }
}

bool VideoFile::writePicture(AVFrame* picture, std::int64_t number, std::string& error) {
    picture->pts = number;
    return send(video_, videoStream_, picture, error);
}

void VideoFile::setMusicStart(double videoSeconds) {
    if (!music_) return;
    musicStartKnown_ = true;
    musicStartSample_ = std::llround(videoSeconds * music_->rate());
}

bool VideoFile::encodeAudioFrame(int samples, std::string& error) {
    audioFrame_->nb_samples = samples;
    audioFrame_->format = AV_SAMPLE_FMT_FLTP;
    audioFrame_->sample_rate = audio_->sample_rate;
    if (av_channel_layout_copy(&audioFrame_->ch_layout, &audio_->ch_layout) < 0 ||
        av_frame_get_buffer(audioFrame_, 0) < 0) {
        error = "out of memory encoding the audio";
        return false;
    }
    std::vector<float*> planes(static_cast<std::size_t>(music_->channels()));
    for (int c = 0; c < music_->channels(); ++c) planes[c] = reinterpret_cast<float*>(audioFrame_->data[c]);
    if (!music_->read(audioWritten_ - musicStartSample_, samples, planes.data())) {
        error = "cannot decode the music";
        av_frame_unref(audioFrame_);
        return false;
    }
    audioFrame_->pts = audioWritten_;
    audioWritten_ += samples;
    const bool sent = send(audio_, audioStream_, audioFrame_, error);
    av_frame_unref(audioFrame_);
    return sent;
}

std::int64_t VideoFile::audioSamplesUntil(double videoSeconds) const {
    return std::min(static_cast<std::int64_t>(std::floor(videoSeconds * audio_->sample_rate)),
                    musicStartSample_ + music_->length());
}

bool VideoFile::writeAudioUntil(double videoSeconds, std::string& error) {
    if (!audio_ || !musicStartKnown_) return true;
    const std::int64_t wanted = audioSamplesUntil(videoSeconds);
    const int frameSize = audio_->frame_size > 0 ? audio_->frame_size : 1024;
    while (audioWritten_ + frameSize <= wanted)
        if (!encodeAudioFrame(frameSize, error)) return false;
    return true;
}

bool VideoFile::finish(double endSeconds, std::string& error) {
    if (!headerWritten_) {
        error = "the video file was never started";
        return false;
    }
    if (!writeAudioUntil(endSeconds, error)) return false;
    if (audio_ && musicStartKnown_) {
        // The last, shorter audio frame up to the end.
        const std::int64_t end = audioSamplesUntil(endSeconds);
        if (end > audioWritten_ && !encodeAudioFrame(static_cast<int>(end - audioWritten_), error)) return false;
    }
    if (!send(video_, videoStream_, nullptr, error)) return false;
    if (audio_ && !send(audio_, audioStream_, nullptr, error)) return false;
    const int trailer = av_write_trailer(format_);
    headerWritten_ = false;
    if (trailer < 0) {
        error = "cannot finish \"" + path_ + "\": " + avError(trailer);
        return false;
    }
    avio_flush(format_->pb);
    const int flushed = format_->pb->error;
    closeIo();
    if (flushed < 0) {
        error = "cannot write \"" + path_ + "\": " + avError(flushed);
        file_.discard();
        return false;
    }
    if (!file_.commit(error)) return false;
    release();
    return true;
}

void VideoFile::abandon() {
    closeIo();
    file_.discard();
    release();
}

void VideoFile::closeIo() {
    if (format_ && fileOpen_) {
        avio_flush(format_->pb);
        av_freep(&format_->pb->buffer);
        avio_context_free(&format_->pb);
    }
    fileOpen_ = false;
}

void VideoFile::release() {
    avcodec_free_context(&video_);
    avcodec_free_context(&audio_);
    av_frame_free(&audioFrame_);
    av_packet_free(&packet_);
    if (format_) avformat_free_context(format_);
    format_ = nullptr;
    videoStream_ = nullptr;
    audioStream_ = nullptr;
    headerWritten_ = false;
    fileOpen_ = false;
    musicStartKnown_ = false;
    audioWritten_ = 0;
}

}  // namespace capture
