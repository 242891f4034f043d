// Encodes PCM audio as an Ogg Vorbis file with libvorbisenc.
#pragma once

#include <string>
#include <vector>

namespace tools {

// interleaved: frames x channels samples in [-1, 1]. quality: libvorbisenc's
// VBR quality (-0.1 .. 1.0). Writes atomically: a temporary file renamed into
// place, so an interrupted build never leaves a half-written file.
bool writeOggVorbis(const std::string& path, const std::vector<float>& interleaved, int channels,
                    int sampleRate, float quality = 0.5f);

}  // namespace tools
