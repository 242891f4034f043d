// The kernel32 clock of the backends that run in real time (platform/sdl,
// platform/web): the performance counter at 10 MHz, from the backend's real
// clock or, for tests, on the frame clock of platform/common/TestHooks.h.
// Sleep really waits on either (a test may act during the pause).
#include "platform/common/Backend.h"

using testhooks::counterHz;

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = counterHz;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    const testhooks::FrameClock& clock = win32native::testClock();
    count->QuadPart = clock.fps ? clock.ticks(counterHz) : win32native::realTicks();
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    win32native::testClock().slept(milliseconds);
    win32native::pause(milliseconds);
}
