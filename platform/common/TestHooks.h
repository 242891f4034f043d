// The desktop backends' test hooks, read from the environment once. They
// make a desktop comparable with the headless backend frame by frame:
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

struct FrameClock {
    long fps = 0;                 // 0: real time
    std::int64_t sleptTicks = 0;  // virtual ticks from Sleep
    std::int64_t frames = 0;      // frames presented
    std::vector<long> holdFrames;

    // The virtual counter, in ticks of `hertz` per second.
    std::int64_t ticks(std::int64_t hertz) const { return sleptTicks + frames * hertz / fps; }
    // Counts the frame just presented; returns its index.
    long presented() { return static_cast<long>(frames++); }
    // Whether a test asked for the frame to be held.
    bool holds(long index) const;
};

// The line a held frame gives on stderr.
void sayHolding(long index);

// The clock as the environment set it at the first call.
FrameClock& frameClock();

}  // namespace testhooks
