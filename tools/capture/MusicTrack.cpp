#include "tools/capture/MusicTrack.h"

#include <algorithm>
#include <cstdio>

#include <vorbis/vorbisfile.h>

#include "platform/files.h"

namespace capture {

struct MusicTrack::Decoder {
    OggVorbis_File file;
    bool open = false;
    ~Decoder() {
        if (open) ov_clear(&file);
    }
};

MusicTrack::MusicTrack() = default;
MusicTrack::~MusicTrack() = default;

bool MusicTrack::open(const std::string& path, std::string& error) {
    decoder_.reset();
    const char* why = nullptr;
    std::FILE* handle = openDataFile(path.c_str(), why);
    if (!handle) {
        error = "cannot read the music \"" + path + "\": " + why;
        return false;
    }
    auto decoder = std::make_unique<Decoder>();
    if (ov_open_callbacks(handle, &decoder->file, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(handle);
        error = "the music \"" + path + "\" is not an Ogg Vorbis file";
        return false;
    }
    decoder->open = true;
    const vorbis_info* info = ov_info(&decoder->file, -1);
    const ogg_int64_t total = ov_pcm_total(&decoder->file, -1);
    if (!info || info->channels < 1 || info->channels > 8 || total < 0) {
        error = "the music \"" + path + "\" has no readable length or channels";
        return false;
    }
    rate_ = static_cast<int>(info->rate);
    channels_ = info->channels;
    length_ = total;
    next_ = 0;
    decoder_ = std::move(decoder);
    return true;
}

bool MusicTrack::read(std::int64_t position, int count, float* const* planes) {
    int done = 0;
    // Silence before the music.
    while (done < count && position + done < 0) {
        for (int c = 0; c < channels_; ++c) planes[c][done] = 0.0f;
        ++done;
    }
    if (done < count && position + done < length_ && decoder_) {
        if (next_ != position + done) {
            if (ov_pcm_seek(&decoder_->file, position + done) != 0) return false;
            next_ = position + done;
        }
        while (done < count && next_ < length_) {
            float** pcm = nullptr;
            int section = 0;
            const long got = ov_read_float(&decoder_->file, &pcm, count - done, &section);
            if (got < 0) return false;
            if (got == 0) break;  // shorter than its header said
            if (ov_info(&decoder_->file, section)->channels != channels_) return false;
            for (int c = 0; c < channels_; ++c) std::copy(pcm[c], pcm[c] + got, planes[c] + done);
            done += static_cast<int>(got);
            next_ += got;
        }
    }
    // Silence after it.
    for (; done < count; ++done)
        for (int c = 0; c < channels_; ++c) planes[c][done] = 0.0f;
    return true;
}

}  // namespace capture
