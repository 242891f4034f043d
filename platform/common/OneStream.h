// The music calls (platform/audio.h) of the backends that follow one stream
// whose length they know (headless on the virtual clock, the browser):
// platform/common/OneStream.cpp keeps the bookkeeping and answers
// BASS_Init, BASS_StreamCreateFile and BASS_Start; the backend answers the
// rest from the stream's record, and supplies the two hooks below.
#pragma once

#include <cstdio>
#include <string>

#include "platform/audio.h"

namespace onestream {

// The one stream; its handle is always 1.
struct Stream {
    static constexpr HSTREAM handle = 1;

    bool initialised = false;  // BASS_Init succeeded
    std::string file;          // the file opened last
    bool open = false;         // it can play: its length is known
    double seconds = 0.0;      // its length
    double playStart = -1.0;   // the clock's seconds at play; negative before

    // Whether the handle names the stream and it can play.
    bool playable(DWORD h) const { return h == handle && open; }
    // Whether it names the stream and that has been started.
    bool started(DWORD h) const { return playable(h) && playStart >= 0.0; }
    // BASS_ChannelIsActive with the clock at `now` seconds: playing from the
    // start until the stream's length has passed.
    DWORD activeAt(DWORD h, double now) const;
};

Stream& stream();

}  // namespace onestream

// Defined by the backend, called by platform/common/OneStream.cpp.
namespace musicnative {

// BASS_Init: whether there is an output to play on; false after a line on
// stderr that says why not.
bool openOutput();

// Reads the music file just opened and closes it: false, after a line on
// stderr, when it cannot be played; else its length in seconds, or a
// negative one while that is not known yet (the stream is then not open
// until the backend says so).
bool readStream(const char* name, std::FILE* file, double* length);

}  // namespace musicnative
