// The soundtrack as the video's audio: the program's Ogg Vorbis file,
// decoded to planar float samples, read at any position of the music.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace capture {

class MusicTrack {
public:
    MusicTrack();
    ~MusicTrack();
    MusicTrack(const MusicTrack&) = delete;
    MusicTrack& operator=(const MusicTrack&) = delete;

    // False (with `error`) when the file is missing or not Ogg Vorbis.
    bool open(const std::string& path, std::string& error);

    int rate() const { return rate_; }
    int channels() const { return channels_; }
    std::int64_t length() const { return length_; }  // samples per channel
    double seconds() const { return rate_ > 0 ? static_cast<double>(length_) / rate_ : 0.0; }

    // Fills planes[c][0 .. count) with the music from sample `position` on;
    // silence before the start and after the end. False when decoding fails.
    bool read(std::int64_t position, int count, float* const* planes);

private:
    struct Decoder;
    std::unique_ptr<Decoder> decoder_;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t length_ = 0;
    std::int64_t next_ = 0;  // the decoder's position
};

}  // namespace capture
