// The music calls over Web Audio. The page makes the AudioContext (a click
// on Play lets it start) and starts decoding the music as soon as its bytes
// have arrived; the browser decodes the Ogg Vorbis file, and the channel is
// active while its buffer plays, so the music's end ends the presentation.
// On the test frame clock the activity follows that clock instead, as on
// the headless backend: held or slowly drawn frames still see the music
// last exactly the file's length.
#include <emscripten.h>

#include <cstdio>

#include "platform/audio.h"
#include "platform/common/DataFile.h"
#include "platform/web/Web.h"

// 1 when the page's AudioContext runs, 0 when there is none, 2 when the
// browser keeps it suspended (it waits for a click the page did not get).
EM_ASYNC_JS(int, startAudio, (), {
    const context = Module.audioContext;
    if (!context) return 0;
    if (context.state != 'running') {
        const timeout = new Promise(resolve => setTimeout(resolve, 1000));
        await Promise.race([context.resume().catch(() => {}), timeout]);
    }
    return context.state == 'running' ? 1 : 2;
});

// Decodes the music file (or takes the page's decoding of it); its length
// in seconds, or -1 when the browser cannot decode it.
EM_ASYNC_JS(double, decodeMusic, (const char* file), {
    const name = UTF8ToString(file);
    try {
        let decoding = Module.musicDecodes && Module.musicDecodes[name];
        if (!decoding) decoding = Module.audioContext.decodeAudioData(FS.readFile(name).slice().buffer);
        Module.music = {buffer: await decoding, source: null, ended: false};
        return Module.music.buffer.duration;
    } catch (error) {
        return -1;
    }
});

EM_JS(int, playMusic, (), {
    const music = Module.music;
    if (!music) return 0;
    if (music.source) {
        music.source.onended = null;
        music.source.stop();
    }
    const source = Module.audioContext.createBufferSource();
    source.buffer = music.buffer;
    source.connect(Module.audioContext.destination);
    source.onended = () => { music.ended = true; };
    music.ended = false;
    music.source = source;
    source.start();
    return 1;
});

EM_JS(int, musicPlaying, (), {
    return Module.music && Module.music.source && !Module.music.ended ? 1 : 0;
});

EM_JS(void, stopAudio, (), {
    const music = Module.music;
    if (music && music.source) {
        music.source.onended = null;
        music.source.stop();
        music.source = null;
    }
    if (Module.audioContext && Module.audioContext.state == 'running') Module.audioContext.suspend();
});

namespace {

constexpr HSTREAM musicHandle = 1;

bool initialised = false;
bool streamOpen = false;
double streamSeconds = 0.0;
double playStart = -1.0;  // the counter's seconds at play, on the frame clock

}  // namespace

BOOL BASS_Init(int, DWORD, DWORD, HWND, const void*) {
    const int started = startAudio();
    if (started == 0) {
        std::fprintf(stderr, "salute: no audio output (this browser has no Web Audio); the presentation ends after "
                             "its first frame\n");
        return FALSE;
    }
    if (started == 2) {
        std::fprintf(stderr, "salute: the browser did not let the sound start (it waits for a click on the page); "
                             "the presentation ends after its first frame\n");
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
    std::fclose(handle);
    const double seconds = decodeMusic(name);
    if (!(seconds >= 0.0)) {
        std::fprintf(stderr,
                     "salute: cannot play \"%s\": the browser cannot decode it as music; the presentation ends "
                     "after its first frame\n",
                     name);
        return 0;
    }
    streamOpen = true;
    streamSeconds = seconds;
    playStart = -1.0;
    return musicHandle;
}

BOOL BASS_Start() { return initialised; }

BOOL BASS_ChannelPlay(DWORD handle, BOOL) {
    if (handle != musicHandle || !streamOpen || !playMusic()) return FALSE;
    playStart = web::counterSeconds();
    return TRUE;
}

DWORD BASS_ChannelIsActive(DWORD handle) {
    if (handle != musicHandle || !streamOpen || playStart < 0.0) return BASS_ACTIVE_STOPPED;
    if (web::onFrameClock())
        return web::counterSeconds() - playStart < streamSeconds ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    return musicPlaying() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

BOOL BASS_Stop() {
    stopAudio();
    return TRUE;
}
