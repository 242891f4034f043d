// Creating the video file and setting up what writes it: the H.264 and AAC
// encoders and the muxer, whose writes go through the file's own descriptor.
#include "tools/capture/VideoFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "tools/capture/AvError.h"
#include "tools/capture/MusicTrack.h"

namespace capture {

namespace {

// x264's speed against size: the renderer and the encoder share two cores,
// and "superfast" is the slowest preset that lets a 60 fps capture keep up
// with real time (its files are about a third larger than "veryfast"'s).
const char* const kPreset = "superfast";
// A fixed number of encoder threads: x264's output depends on it, and the
// same capture must give the same file on any machine.
constexpr int kEncoderThreads = 2;
constexpr int kAudioBitRate = 192000;

// The muxer writes through these onto the file's own descriptor, not by
// name: the name could be made a link meanwhile.
constexpr int kIoBufferSize = 1 << 16;

int writeToFile(void* opaque, std::uint8_t* data, int size) {
    const int fd = *static_cast<int*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t wrote = write(fd, data + done, static_cast<std::size_t>(size - done));
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return AVERROR(wrote < 0 ? errno : EIO);
        done += static_cast<int>(wrote);
    }
    return size;
}

std::int64_t seekInFile(void* opaque, std::int64_t offset, int whence) {
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat status {};
        return fstat(fd, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : AVERROR(errno);
    }
    const off_t at = lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : static_cast<std::int64_t>(at);
}

// The index-to-the-front pass of MP4 and MOV reads the finished file back
// while it rewrites it. It reads through the same descriptor, at a position
// of its own, rather than opening the file again by its name.
struct ReadBack {
    int fd;
    std::int64_t position = 0;
};

int readBack(void* opaque, std::uint8_t* data, int size) {
    auto* back = static_cast<ReadBack*>(opaque);
    ssize_t got = 0;
    do got = pread(back->fd, data, static_cast<std::size_t>(size), static_cast<off_t>(back->position));
    while (got < 0 && errno == EINTR);
    if (got < 0) return AVERROR(errno);
    if (got == 0) return AVERROR_EOF;
    back->position += got;
    return static_cast<int>(got);
}

std::int64_t seekReadBack(void* opaque, std::int64_t offset, int whence) {
    auto* back = static_cast<ReadBack*>(opaque);
    struct stat status {};
    if ((whence & AVSEEK_SIZE) || (whence & ~AVSEEK_FORCE) == SEEK_END) {
        if (fstat(back->fd, &status) != 0) return AVERROR(errno);
        if (whence & AVSEEK_SIZE) return static_cast<std::int64_t>(status.st_size);
        offset += static_cast<std::int64_t>(status.st_size);
    } else if ((whence & ~AVSEEK_FORCE) == SEEK_CUR) {
        offset += back->position;
    }
    if (offset < 0) return AVERROR(EINVAL);
    back->position = offset;
    return offset;
}

// The muxer may open only the file it is writing, and only to read it back.
int openReadBack(AVFormatContext* format, AVIOContext** pb, const char* url, int flags, AVDictionary**) {
    if (flags != AVIO_FLAG_READ || !url || !format->url || std::strcmp(url, format->url) != 0)
        return AVERROR(EPERM);
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    auto* back = buffer ? new (std::nothrow) ReadBack{*static_cast<int*>(format->opaque)} : nullptr;
    *pb = back ? avio_alloc_context(buffer, kIoBufferSize, 0, back, readBack, nullptr, seekReadBack) : nullptr;
    if (!*pb) {
        delete back;
        av_free(buffer);
        return AVERROR(ENOMEM);
    }
    return 0;
}

int closeReadBack(AVFormatContext*, AVIOContext* pb) {
    delete static_cast<ReadBack*>(pb->opaque);
    av_freep(&pb->buffer);
    avio_context_free(&pb);
    return 0;
}

}  // namespace

bool VideoFile::open(const VideoOptions& options, MusicTrack* music, std::string& error) {
    abandon();
    path_ = options.path;
    music_ = music;

    const AVOutputFormat* container = av_guess_format(nullptr, path_.c_str(), nullptr);
    if (!container || container->video_codec == AV_CODEC_ID_NONE) {
        error = "cannot tell a video format from the name \"" + path_ + "\" (use .mp4, .mkv or .mov)";
        return false;
    }
    if (!file_.create(path_, error)) return false;
    fd_ = file_.fd();
    if (avformat_alloc_output_context2(&format_, container, nullptr, file_.temporaryPath().c_str()) < 0 ||
        !format_) {
        error = "cannot set up the video file";
        return false;
    }
    // The same frames give the same bytes: no version strings or dates.
    format_->flags |= AVFMT_FLAG_BITEXACT;
    packet_ = av_packet_alloc();
    if (!packet_ || !addVideo(options, error)) return false;
    if (music_ && !addAudio(error)) return false;

    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    format_->pb = buffer ? avio_alloc_context(buffer, kIoBufferSize, 1, &fd_, nullptr, writeToFile, seekInFile)
                         : nullptr;
    if (!format_->pb) {
        av_free(buffer);
        error = "out of memory for the video file";
        return false;
    }
    format_->flags |= AVFMT_FLAG_CUSTOM_IO;
    format_->opaque = &fd_;
    format_->io_open = openReadBack;
    format_->io_close2 = closeReadBack;
    fileOpen_ = true;
    AVDictionary* muxerOptions = nullptr;
    // The index at the front, so browsers start playing before the whole file has arrived.
    if (std::string(container->name).find("mp4") != std::string::npos ||
        std::string(container->name).find("mov") != std::string::npos)
        av_dict_set(&muxerOptions, "movflags", "+faststart", 0);
    const int header = avformat_write_header(format_, &muxerOptions);
    av_dict_free(&muxerOptions);
    if (header < 0) {
        error = "cannot start \"" + path_ + "\": " + avError(header);
        return false;
    }
    headerWritten_ = true;
    return true;
}

bool VideoFile::addVideo(const VideoOptions& options, std::string& error) {
    const AVCodec* codec = avcodec_find_encoder_by_name(options.lossless ? "libx264rgb" : "libx264");
    if (!codec) {
        error = "this FFmpeg has no H.264 encoder (libx264)";
        return false;
    }
    video_ = avcodec_alloc_context3(codec);
    videoStream_ = avformat_new_stream(format_, nullptr);
    if (!video_ || !videoStream_) {
        error = "out of memory setting up the video encoder";
        return false;
    }
    video_->width = options.width;
    video_->height = options.height;
    video_->time_base = AVRational{static_cast<int>(options.fpsDenominator), static_cast<int>(options.fpsNumerator)};
    video_->framerate = AVRational{static_cast<int>(options.fpsNumerator), static_cast<int>(options.fpsDenominator)};
    video_->sample_aspect_ratio = AVRational{1, 1};
    // A key frame every two seconds, so players can seek.
    video_->gop_size = std::max(1, static_cast<int>(std::lround(2.0 * options.fpsNumerator / options.fpsDenominator)));
    video_->thread_count = kEncoderThreads;
    video_->flags |= AV_CODEC_FLAG_BITEXACT;
    if (options.lossless) {
        video_->pix_fmt = AV_PIX_FMT_RGB24;
        video_->colorspace = AVCOL_SPC_RGB;
        video_->color_range = AVCOL_RANGE_JPEG;
    } else {
        video_->pix_fmt = AV_PIX_FMT_YUV420P;  // what browsers and phones decode
        video_->colorspace = AVCOL_SPC_BT709;
        video_->color_primaries = AVCOL_PRI_BT709;
        video_->color_trc = AVCOL_TRC_BT709;
        video_->color_range = AVCOL_RANGE_MPEG;
    }
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* settings = nullptr;
    av_dict_set(&settings, "preset", kPreset, 0);
    if (options.lossless) av_dict_set(&settings, "qp", "0", 0);
    else av_dict_set_int(&settings, "crf", options.crf, 0);
    const int opened = avcodec_open2(video_, codec, &settings);
    av_dict_free(&settings);
    if (opened < 0) {
        error = "cannot start the H.264 encoder: " + avError(opened);
        return false;
    }
    videoStream_->time_base = video_->time_base;
    videoStream_->avg_frame_rate = video_->framerate;
    videoStream_->r_frame_rate = video_->framerate;
    videoStream_->sample_aspect_ratio = video_->sample_aspect_ratio;
    avcodec_parameters_from_context(videoStream_->codecpar, video_);
    return true;
}

bool VideoFile::addAudio(std::string& error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        error = "this FFmpeg has no AAC encoder";
        return false;
    }
    if (codec->supported_samplerates) {
        bool supported = false;
        for (const int* rate = codec->supported_samplerates; *rate; ++rate) supported |= *rate == music_->rate();
        if (!supported) {
            error = "the music's sample rate of " + std::to_string(music_->rate()) + " Hz cannot be stored as AAC";
            return false;
        }
    }
    audio_ = avcodec_alloc_context3(codec);
    audioStream_ = avformat_new_stream(format_, nullptr);
    audioFrame_ = av_frame_alloc();
    if (!audio_ || !audioStream_ || !audioFrame_) {
        error = "out of memory setting up the audio encoder";
        return false;
    }
    audio_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio_->sample_rate = music_->rate();
    av_channel_layout_default(&audio_->ch_layout, music_->channels());
    audio_->bit_rate = kAudioBitRate;
    audio_->time_base = AVRational{1, music_->rate()};
    audio_->flags |= AV_CODEC_FLAG_BITEXACT;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) audio_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(audio_, codec, nullptr);
    if (opened < 0) {
        error = "cannot start the AAC encoder: " + avError(opened);
        return false;
    }
    audioStream_->time_base = audio_->time_base;
    avcodec_parameters_from_context(audioStream_->codecpar, audio_);
    return true;
}

}  // namespace capture
