// The music calls on the virtual clock: the stream really opens the file
// (and fails as a player would on a missing or foreign file), and reports
// playing until the file's duration has passed since play.
#include <cstdio>
#include <string>

#include <vorbis/vorbisfile.h>

#include "platform/audio.h"
#include "platform/common/DataFile.h"
#include "platform/headless/HeadlessState.h"

namespace headless {

namespace {

constexpr HSTREAM musicHandle = 1;

bool initialised = false;
bool streamOpen = false;
std::string streamFile;
double streamSeconds = 0.0;
double playStart = -1.0;

}  // namespace

std::string musicFile() { return streamOpen ? streamFile : std::string(); }
double musicStartSeconds() { return playStart; }

}  // namespace headless

using namespace headless;

BOOL BASS_Init(int, DWORD, DWORD, HWND, const void*) {
    if (noAudioDeviceWanted()) {
        std::fprintf(stderr,
                     "salute: no audio output (no sound device found); the presentation ends after its first "
                     "frame. Set SDL_AUDIODRIVER=dummy to run it silently.\n");
        return FALSE;
    }
    initialised = true;
    return TRUE;
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD, QWORD, DWORD) {
    if (!initialised || mem || !file) return 0;
    const char* name = static_cast<const char*>(file);
    std::FILE* handle = platform::openMusicFile(name);
    if (!handle) return 0;
    OggVorbis_File vorbis;
    if (ov_open_callbacks(handle, &vorbis, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(handle);
        std::fprintf(stderr,
                     "salute: cannot play \"%s\": not an Ogg Vorbis file; the presentation ends after its first "
                     "frame\n",
                     name);
        return 0;
    }
    const double seconds = ov_time_total(&vorbis, -1);
    ov_clear(&vorbis);  // closes the file too
    if (!(seconds >= 0.0)) {
        std::fprintf(stderr, "salute: cannot play \"%s\": its length cannot be read\n", name);
        return 0;
    }
    streamOpen = true;
    streamFile = name;
    streamSeconds = seconds;
    playStart = -1.0;
    return musicHandle;
}

BOOL BASS_Start() { return initialised; }

BOOL BASS_ChannelPlay(DWORD handle, BOOL) {
    if (handle != musicHandle || !streamOpen) return FALSE;
    playStart = virtualSeconds();
    if (currentConfig().onMusicPlay) currentConfig().onMusicPlay(playStart);
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    if (handle != musicHandle || !streamOpen || playStart < 0.0) return BASS_ACTIVE_STOPPED;
    return virtualSeconds() - playStart < streamSeconds ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

BOOL BASS_Stop() { return TRUE; }
