// The seam between the part of the Win32 subset both backends share
// (platform/common/Win32Common.cpp: window classes, the message queue,
// dispatch, the default window procedure, what showing a window sends) and
// a backend's native part. Only the backends include this; the program sees
// platform/win32.h alone.
#pragma once

#include <cstdint>

#include "platform/common/TestHooks.h"
#include "platform/win32.h"

// Offered by the shared part to the backends.
namespace win32common {

// The window procedure registered for the class; null when there is none.
WNDPROC classProcedure(LPCSTR className);

// Appends a message (input or a window event, with its window set) behind
// everything already queued. Backends call it from pumpEvents.
void queueMessage(const MSG& message);

// Calls the window's procedure at once; 0 when the handle names no live window.
LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win32common

// Defined by each backend, called by the shared part.
namespace win32native {

// Turns every native event that is pending now into queued messages
// (queueMessage), in the order they arrived. Never blocks.
void pumpEvents();

// The procedure of a live window; null for a handle that names none.
WNDPROC windowProcedure(HWND window);

// Shows a live window and reports its client size and whether it was
// visible before; false (nothing done) for a handle that names no window.
bool showWindow(HWND window, int* clientWidth, int* clientHeight, bool* wasVisible);

// Whether the screen saver and monitor power-down may run: false while a
// window asks the program, true once the program passes a request on to
// DefWindowProcA.
void allowScreenSaver(bool allowed);

}  // namespace win32native

// Defined by the backends that run in real time (platform/sdl, platform/web),
// called by platform/common/Clock.cpp, which gives them the performance
// counter and Sleep.
namespace win32native {

// The test frame clock, as the backend's settings make it.
testhooks::FrameClock& testClock();

// The real clock, in ticks of testhooks::counterHz.
std::int64_t realTicks();

// Really waits; the browser gets control back meanwhile.
void pause(DWORD milliseconds);

}  // namespace win32native
