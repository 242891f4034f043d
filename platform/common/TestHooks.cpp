#include "platform/common/TestHooks.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

namespace testhooks {

bool FrameClock::holds(long index) const {
    return std::find(holdFrames.begin(), holdFrames.end(), index) != holdFrames.end();
}

void sayHolding(long index) {
    std::fprintf(stderr, "salute: holding frame %ld\n", index);
    std::fflush(stderr);
}

FrameClock& frameClock() {
    static FrameClock clock = [] {
        FrameClock made;
        if (const char* fps = std::getenv("SALUTE_FRAME_CLOCK")) made.fps = std::max(0L, std::atol(fps));
        if (const char* list = std::getenv("SALUTE_HOLD_FRAMES")) {
            std::istringstream items(list);
            std::string item;
            while (std::getline(items, item, ',')) made.holdFrames.push_back(std::atol(item.c_str()));
        }
        return made;
    }();
    return clock;
}

}  // namespace testhooks
