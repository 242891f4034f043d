// A stopwatch on the high-resolution performance counter.
#pragma once

#include "platform/win32.h"

struct Stopwatch {
    LARGE_INTEGER startCount;  // counter value at the last restart
    float scaledFrequency;     // counter frequency / 256; 0 when unusable

    Stopwatch();
    void restart();
    // Seconds since the last restart; 0 when the counter is unusable.
    float elapsedSeconds() const;
};

// demoClock runs from the end of the asset load through the whole
// presentation; frameClock measures each frame.
extern Stopwatch frameClock;
extern Stopwatch demoClock;
