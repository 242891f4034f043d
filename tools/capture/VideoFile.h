// The video file: H.264 pictures and the music as AAC, muxed by the
// container the file name asks for (.mp4, .mkv, .mov). Written to a file
// created afresh beside it (NAME.part, never through a link planted there)
// and renamed only when complete, so a file under the real name is always
// playable.
#pragma once

#include <cstdint>
#include <string>

#include "app/Window.h"
#include "tools/common/NewFile.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVPacket;

namespace capture {

class MusicTrack;

struct VideoOptions {
    std::string path;
    int width = screenWidth;  // the program's display size unless told
    int height = screenHeight;
    std::int64_t fpsNumerator = 60;  // frames per second as a fraction
    std::int64_t fpsDenominator = 1;
    int crf = 18;           // x264's constant rate factor: lower is better and bigger
    bool lossless = false;  // exact RGB pictures (x264 in RGB, qp 0); not for browsers
};

class VideoFile {
public:
    VideoFile() = default;
    ~VideoFile();
    VideoFile(const VideoFile&) = delete;
    VideoFile& operator=(const VideoFile&) = delete;

    // Creates NAME.part (or another free name) and sets up both encoders; `music` (kept, not owned)
    // gives the audio stream's rate and channels, null for no audio.
    bool open(const VideoOptions& options, MusicTrack* music, std::string& error);

    // The pixel format pictures must come in.
    AVPixelFormat pixelFormat() const;

    // Encodes the picture as frame `number` (0 for the video's first).
    bool writePicture(AVFrame* picture, std::int64_t number, std::string& error);

    // Where the music begins, in seconds of the video's time; negative
    // when the video starts after the music did (the music is then cut).
    void setMusicStart(double videoSeconds);

    // Encodes the audio up to the given video time (no further than the
    // music goes).
    bool writeAudioUntil(double videoSeconds, std::string& error);

    // Ends both streams at `endSeconds`, writes the index, closes the file
    // and gives it its real name.
    bool finish(double endSeconds, std::string& error);

    // Closes and deletes the unfinished file.
    void abandon();

    const std::string& partPath() const { return file_.temporaryPath(); }

private:
    bool addVideo(const VideoOptions& options, std::string& error);
    bool addAudio(std::string& error);
    bool encodeAudioFrame(int samples, std::string& error);
    // The audio samples up to videoSeconds, but no further than the music goes.
    std::int64_t audioSamplesUntil(double videoSeconds) const;
    bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame, std::string& error);
    void closeIo();
    void release();

    std::string path_;
    tools::NewFile file_;
    int fd_ = -1;  // file_'s, for the muxer's writes
    AVFormatContext* format_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVCodecContext* audio_ = nullptr;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* audioFrame_ = nullptr;
    MusicTrack* music_ = nullptr;
    bool fileOpen_ = false;
    bool headerWritten_ = false;
    bool musicStartKnown_ = false;
    std::int64_t musicStartSample_ = 0;  // video sample at which music sample 0 plays
    std::int64_t audioWritten_ = 0;      // samples per channel encoded so far
};

}  // namespace capture
