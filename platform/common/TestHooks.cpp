#include "platform/common/TestHooks.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#ifndef _WIN32
#include <signal.h>
#endif

namespace testhooks {

namespace {

volatile std::sig_atomic_t holdReleased = 0;

#ifndef _WIN32
void releaseHold(int) { holdReleased = 1; }
#endif

}  // namespace

bool FrameClock::holds(long index) const {
    return std::find(holdFrames.begin(), holdFrames.end(), index) != holdFrames.end();
}

FrameClock makeFrameClock(const char* fps, const char* holdList) {
    FrameClock made;
    if (fps) made.fps = std::max(0L, std::atol(fps));
    if (holdList) {
        std::istringstream items(holdList);
        std::string item;
        while (std::getline(items, item, ',')) made.holdFrames.push_back(std::atol(item.c_str()));
    }
    return made;
}

FrameClock& frameClock() {
    static FrameClock clock = [] {
        FrameClock made = makeFrameClock(std::getenv("SALUTE_FRAME_CLOCK"), std::getenv("SALUTE_HOLD_FRAMES"));
#ifndef _WIN32
        if (!made.holdFrames.empty()) {
            struct sigaction action {};
            action.sa_handler = releaseHold;
            sigaction(SIGUSR1, &action, nullptr);
        }
#endif
        return made;
    }();
    return clock;
}

void sayHolding(long index) {
    std::fprintf(stderr, "salute: holding frame %ld\n", index);
    std::fflush(stderr);
}

void holdFrame(long index, bool (*ended)(), void (*pause)()) {
    holdReleased = 0;
    sayHolding(index);
    while (!holdReleased && !ended()) pause();
}

}  // namespace testhooks
