// The music calls over Web Audio. The page makes the AudioContext (a click
// on Play lets it start) and starts decoding the music as soon as its bytes
// have arrived; the browser decodes the Ogg Vorbis file, and the channel is
// active while its buffer plays, so the music's end ends the presentation.
// On the test frame clock the activity follows that clock instead, as on
// the headless backend: held or slowly drawn frames still see the music
// last exactly the file's length.
//
// Decoding a hundred seconds of music takes the browser a second or more.
// Opening the stream checks only that the file is Ogg Vorbis and lets the
// decoding go on; the program's one-second pause after start-up then waits
// for it as well (web::settleMusic), so it costs no time of its own unless
// it takes longer than the pause, and the music is ready, in step with the
// pictures, when the first frame has been drawn. A file the browser then
// fails to decode is reported there, and the channel never plays: the
// presentation ends after its first frame, as with any unplayable file.
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "platform/audio.h"
#include "platform/common/Music.h"
#include "platform/common/OneStream.h"
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

// Starts decoding the music file, unless the page already did.
EM_JS(void, decodeMusic, (const char* file), {
    const name = UTF8ToString(file);
    let decoding = Module.musicDecodes && Module.musicDecodes[name];
    if (!decoding) decoding = Module.audioContext.decodeAudioData(FS.readFile(name).slice().buffer);
    Module.music = {decoding: decoding, buffer: null, source: null, ended: false};
});

// Waits for the decoding; the music's length in seconds, or -1 when the
// browser could not decode it (or nothing was opened).
EM_ASYNC_JS(double, decodedMusic, (), {
    const music = Module.music;
    if (!music) return -1;
    try {
        music.buffer = await music.decoding;
        return music.buffer.duration;
    } catch (error) {
        return -1;
    }
});

EM_JS(int, playMusic, (), {
    const music = Module.music;
    if (!music || !music.buffer) return 0;
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

bool decodePending = false;  // opened, its decoding not yet waited for

// Whether the file begins as Ogg Vorbis does: an Ogg page whose first
// packet is the Vorbis identification header.
bool looksLikeOggVorbis(std::FILE* file) {
    unsigned char head[35];
    return std::fread(head, 1, sizeof head, file) == sizeof head && std::memcmp(head, "OggS", 4) == 0 &&
           std::memcmp(head + 28, "\x01vorbis", 7) == 0;
}

}  // namespace

using onestream::stream;

// Checks that the file is Ogg Vorbis (and closes it) and lets the browser
// decode it; its length is known once decoded (web::settleMusic).
bool musicnative::readStream(const char* name, std::FILE* file, double* length) {
    const bool vorbis = looksLikeOggVorbis(file);
    std::fclose(file);
    if (!vorbis) {
        music::refuse(name, "not an Ogg Vorbis file");
        return false;
    }
    decodeMusic(name);
    decodePending = true;
    *length = -1.0;
    return true;
}

namespace web {

void settleMusic() {
    if (!decodePending) return;
    decodePending = false;
    const double seconds = decodedMusic();
    if (!(seconds >= 0.0)) {
        music::refuse(stream().file.c_str(), "the browser cannot decode it as music");
        return;
    }
    stream().open = true;
    stream().seconds = seconds;
}

}  // namespace web

bool musicnative::openOutput() {
    const int started = startAudio();
    if (started == 0) {
        std::fprintf(stderr, "salute: no audio output (this browser has no Web Audio); the presentation ends after "
                             "its first frame\n");
        return false;
    }
    if (started == 2) {
        std::fprintf(stderr, "salute: the browser did not let the sound start (it waits for a click on the page); "
                             "the presentation ends after its first frame\n");
        return false;
    }
    return true;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL) {
    web::settleMusic();  // already done by the pause after start-up, as a rule
    if (!stream().playable(handle) || !playMusic()) return FALSE;
    stream().playStart = web::counterSeconds();
    return TRUE;
}

// On the frame clock, the file's length on that clock; else while the
// browser plays it.
DWORD BASS_ChannelIsActive(DWORD handle) {
    if (web::onFrameClock()) return stream().activeAt(handle, web::counterSeconds());
    return stream().started(handle) && musicPlaying() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

BOOL BASS_Stop() {
    stopAudio();
    return TRUE;
}
