// The window of the backends that show one picture and nothing around it
// (headless, the browser): a record of the program's window procedure and
// its client size, with its device context. platform/common/OneWindow.cpp
// makes, shows and destroys it and answers the device-context calls; the
// backend supplies the native surface below.
#pragma once

#include "platform/common/Backend.h"

struct HDC__ {
    HWND window;
};

struct HWND__ {
    WNDPROC procedure;
    int width;  // the client size in device pixels
    int height;
    int scale;  // device pixels per pixel of the program (1 to 4)
    bool visible;
    HDC__ deviceContext;
};

namespace onewindow {

// The open window; null before CreateWindowExA and after DestroyWindow.
HWND window();

}  // namespace onewindow

// Defined by the backend, called by platform/common/OneWindow.cpp.
namespace win32native {

// Device pixels per pixel of the program, 1 to 4.
int deviceScale();

// Makes what the window shows on, of width x height device pixels; false,
// with a line on stderr, when there is nothing to show on.
bool openSurface(int width, int height);

// Gives it up when the window is destroyed.
void closeSurface();

}  // namespace win32native
