// The music calls on the virtual clock: the stream really opens the file
// (and fails as a player would on a missing or foreign file), and reports
// playing until the file's duration has passed since play. The bookkeeping
// is platform/common/OneStream.cpp's.
#include <cstdio>
#include <string>

#include <vorbis/vorbisfile.h>

#include "platform/audio.h"
#include "platform/common/Music.h"
#include "platform/common/OneStream.h"
#include "platform/headless/HeadlessState.h"

// The file's length, read as a player would read the file (and closed).
bool musicnative::readStream(const char* name, std::FILE* file, double* length) {
    OggVorbis_File vorbis;
    if (ov_open_callbacks(file, &vorbis, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(file);
        music::refuse(name, "not an Ogg Vorbis file");
        return false;
    }
    *length = ov_time_total(&vorbis, -1);
    ov_clear(&vorbis);  // closes the file too
    if (!(*length >= 0.0)) {
        std::fprintf(stderr, "salute: cannot play \"%s\": its length cannot be read\n", name);
        return false;
    }
    return true;
}

bool musicnative::openOutput() {
    if (!headless::noAudioDeviceWanted()) return true;
    std::fprintf(stderr,
                 "salute: no audio output (no sound device found); the presentation ends after its first "
                 "frame. Set SDL_AUDIODRIVER=dummy to run it silently.\n");
    return false;
}

namespace headless {

std::string musicFile() { return onestream::stream().open ? onestream::stream().file : std::string(); }
double musicStartSeconds() { return onestream::stream().playStart; }

}  // namespace headless

using namespace headless;
using onestream::stream;

BOOL BASS_ChannelPlay(DWORD handle, BOOL) {
    if (!stream().playable(handle)) return FALSE;
    stream().playStart = virtualSeconds();
    if (currentConfig().onMusicPlay) currentConfig().onMusicPlay(stream().playStart);
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) { return stream().activeAt(handle, virtualSeconds()); }

BOOL BASS_Stop() { return TRUE; }
