// The six music-library calls (platform/audio.h) on SDL2_mixer. SDL_mixer
// has one music channel, which is all the presentation needs: each stream is
// a loaded Mix_Music, and the stream last started owns that channel.
#include <SDL.h>
#include <SDL_mixer.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "platform/audio.h"
#include "platform/common/Music.h"

namespace {

bool outputOpen = false;     // BASS_Init succeeded
bool outputRunning = false;  // between BASS_Start and BASS_Stop
std::vector<Mix_Music*> streams;  // handle h names streams[h - 1]
HSTREAM playingStream = 0;        // the stream that was last started

Mix_Music* streamFor(DWORD handle) {
    if (handle == 0 || handle > streams.size()) return nullptr;
    return streams[handle - 1];
}

// At process end, as the audio library does when it is unloaded: the music
// stops and every stream is freed, before SDL itself is shut down.
void freeStreams() {
    if (!outputOpen) return;
    Mix_HaltMusic();
    for (Mix_Music*& music : streams) {
        Mix_FreeMusic(music);
        music = nullptr;
    }
    playingStream = 0;
    Mix_CloseAudio();
    outputOpen = false;
}

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// libasound, which SDL loads for its ALSA driver, prints its own lines on
// stderr when it finds no sound card, before SDL gives up and we print ours.
// Its error handler is set to a silent one first; the library is loaded
// here, once and for good, so that SDL's later dlopen finds this same copy.
void silenceAlsaErrors() {
    static bool done = false;
    if (done) return;
    done = true;
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!alsa) return;  // no ALSA on this machine: nothing to silence
    using SetHandler = int (*)(decltype(&ignoreAlsaError));
    auto setHandler = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(ignoreAlsaError);
}

// For the tests that measure when the music is heard: with SALUTE_AUDIO_TRACE
// set, the moment the music is started (the loop does this right after the
// first frame is presented) goes to stderr on the monotonic clock.
void traceStart() {
    if (!std::getenv("SALUTE_AUDIO_TRACE")) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "salute: music started at %lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
}

}  // namespace

// Device 1 (or -1, the default) opens the system's default output at the
// given rate, stereo, with a 4096-frame mixing chunk (93 ms at 44.1 kHz):
// the sound server's buffer is about one chunk, and a smaller one runs dry
// while the presentation's drawing keeps every core busy. Any other device
// number is refused.
BOOL BASS_Init(int device, DWORD frequency, DWORD, HWND, const void*) {
    if (outputOpen) return TRUE;
    if (!music::defaultDevice(device)) return FALSE;
    const char* error = nullptr;
    silenceAlsaErrors();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error = SDL_GetError();
    } else {
        static bool exitHookSet = false;  // closes the device at exit whatever path is taken
        if (!exitHookSet) {
            std::atexit(SDL_Quit);
            std::atexit(freeStreams);  // runs first: handlers run in reverse order
            exitHookSet = true;
        }
        if (Mix_OpenAudioDevice(static_cast<int>(frequency), MIX_DEFAULT_FORMAT, 2, 4096, nullptr, 0) != 0) {
            error = Mix_GetError();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    if (error) {
        std::fprintf(stderr,
                     "salute: no audio output (%s); the presentation ends after its first frame. "
                     "Set SDL_AUDIODRIVER=dummy to run it silently.\n",
                     error);
        return FALSE;
    }
    outputOpen = true;
    outputRunning = true;
    return TRUE;
}

// Loads a whole Ogg Vorbis file from its path as a stopped stream. Memory
// streams and file sections are not supported (the program uses neither).
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD) {
    // Opened here rather than by SDL_mixer, so that only a regular file is
    // read (a pipe would block the start) and a folder is called a folder.
    const char* path = nullptr;
    std::FILE* const opened = music::openWholeFile(mem, file, offset, length, outputOpen, path);
    if (!opened) return 0;
    Mix_Init(MIX_INIT_OGG);
    Mix_Music* music = Mix_LoadMUSType_RW(SDL_RWFromFP(opened, SDL_TRUE), MUS_OGG, 1);
    if (!music) {
        music::refuse(path, Mix_GetError());
        return 0;
    }
    if (Mix_GetMusicType(music) != MUS_OGG) {
        Mix_FreeMusic(music);
        music::refuse(path, "not an Ogg Vorbis file");
        return 0;
    }
    streams.push_back(music);
    return static_cast<HSTREAM>(streams.size());
}

// Lets the output run again after BASS_Stop.
BOOL BASS_Start() {
    if (!outputOpen) return FALSE;
    outputRunning = true;
    if (playingStream) Mix_ResumeMusic();
    return TRUE;
}

// Plays the stream once, from its beginning when restart is TRUE (or when it
// is not the stream on the music channel), else from where it was paused.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    Mix_Music* music = streamFor(handle);
    if (!music) return FALSE;
    if (restart || playingStream != handle || !Mix_PlayingMusic()) {
        if (Mix_PlayMusic(music, 0) != 0) {
            std::fprintf(stderr, "salute: cannot start the music: %s\n", Mix_GetError());
            return FALSE;
        }
        playingStream = handle;
        traceStart();
    }
    if (outputRunning) {
        Mix_ResumeMusic();
    } else {
        Mix_PauseMusic();  // heard once the output is started
    }
    return TRUE;
}

// Playing while the stream is on the music channel and has not reached its
// end; paused while the output is stopped; stopped otherwise, and for a
// handle that names no stream.
DWORD BASS_ChannelIsActive(DWORD handle) {
    if (!streamFor(handle) || handle != playingStream || !Mix_PlayingMusic()) return BASS_ACTIVE_STOPPED;
    return Mix_PausedMusic() ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
}

// Stops the output: the music pauses where it is. FALSE before BASS_Init.
BOOL BASS_Stop() {
    if (!outputOpen) return FALSE;
    outputRunning = false;
    if (playingStream) Mix_PauseMusic();
    return TRUE;
}
