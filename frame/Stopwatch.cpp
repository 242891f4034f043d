#include "frame/Stopwatch.h"

#include <cstdint>

Stopwatch::Stopwatch() {
    startCount.QuadPart = 0;
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    // Bits 8 to 39 of the frequency: frequency / 256 for every real counter.
    scaledFrequency = static_cast<float>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(frequency.QuadPart) >> 8)));
}

void Stopwatch::restart() { QueryPerformanceCounter(&startCount); }

float Stopwatch::elapsedSeconds() const {
    if (scaledFrequency == 0.0f) return 0.0f;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // The full 64-bit difference, so the clock never wraps during a run.
    const std::int64_t ticks = now.QuadPart - startCount.QuadPart;
    return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(scaledFrequency) *
                              0.00390625);
}
