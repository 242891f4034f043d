// The test hooks of the backends that run in real time (the desktop on SDL,
// Windows, the browser). They make a run comparable with the headless
// backend frame by frame. The desktops read them from the environment, the
// browser from the page's query parameters (?frame_clock=FPS,
// ?hold_frames=N,...):
//   SALUTE_FRAME_CLOCK=FPS   the performance counter runs on the headless
//                            backend's virtual clock: it moves by exactly one
//                            frame step (1/FPS s) per presented frame and by
//                            each Sleep's argument, so frame N shows the same
//                            presentation time as headless frame N.
//   SALUTE_HOLD_FRAMES=N,... after presenting frame N (0 is the first), the
//                            line "salute: holding frame N" goes to stderr and
//                            the picture stays on screen, events pumped, until
//                            a key press or a close request (or what else the
//                            backend offers).
#pragma once

#include <cstdint>
#include <vector>

namespace testhooks {

// The performance counter's rate on the frame clock: 10 MHz.
constexpr std::int64_t counterHz = 10000000;

struct FrameClock {
    long fps = 0;                 // 0: real time
    std::int64_t sleptTicks = 0;  // virtual ticks from Sleep
    std::int64_t frames = 0;      // frames presented
    std::vector<long> holdFrames;

    // The virtual counter, in ticks of `hertz` per second.
    std::int64_t ticks(std::int64_t hertz) const { return sleptTicks + frames * hertz / fps; }
    // Counts a pause of Sleep on the virtual counter.
    void slept(unsigned long milliseconds) {
        sleptTicks += static_cast<std::int64_t>(milliseconds) * (counterHz / 1000);
    }
    // Counts the frame just presented; returns its index.
    long presented() { return static_cast<long>(frames++); }
    // Whether a test asked for the frame to be held.
    bool holds(long index) const;
};

// A clock from the two settings as text: frames per second, and the frames
// to hold separated by commas. Null or empty: real time, no holds.
FrameClock makeFrameClock(const char* fps, const char* holdList);

// The clock as the environment set it at the first call. With frames to
// hold, on POSIX systems SIGUSR1 also ends a hold from then on.
FrameClock& frameClock();

// The line a held frame gives on stderr.
void sayHolding(long index);

// Keeps a held frame on screen: says so on stderr, then returns once
// `ended` finds input that ends the hold (a look only: the program still
// gets it) or, where there is one, SIGUSR1 arrives. `pause` waits a little
// (about 10 ms) between looks.
void holdFrame(long index, bool (*ended)(), void (*pause)());

}  // namespace testhooks
