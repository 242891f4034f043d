// Shared between the parts of the desktop backend on SDL2 (not for the
// program): the records behind the handles and what each part offers the
// others.
//   Win32Sdl.cpp    video start, display mode, windows, cursor, clock
//   EventsSdl.cpp   SDL events as window messages
//   PresentSdl.cpp  device contexts, OpenGL contexts, SwapBuffers with the
//                   scaled offscreen picture, and the frame hold
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/common/ScaledPicture.h"
#include "platform/win32.h"

struct HDC__ {
    HWND window;
};

struct HWND__ {
    SDL_Window* sdl = nullptr;
    WNDPROC procedure = nullptr;
    bool fullscreen = false;  // shows the requested mode full screen
    int fullWidth = 0;        // the requested mode's size: the client size while full screen
    int fullHeight = 0;
    HDC__ deviceContext{};
};

struct HGLRC__ {
    SDL_GLContext gl = nullptr;
    HWND window = nullptr;
    // The offscreen picture for scaled presentation; none when drawing goes
    // straight to the window.
    scaledpicture::Picture picture;
};

namespace sdlbackend {

// ---- Win32Sdl.cpp ----
// Whether SDL's video has started.
bool videoReady();
// The live windows, oldest first.
const std::vector<HWND>& windows();
bool isLiveWindow(HWND window);
// The window SetFocus named last; null when none or it is gone.
HWND focusWindow();
// The client size Win32 would report: the requested mode while full screen,
// otherwise what can be drawn into.
void clientSize(HWND window, int* width, int* height);

// ---- EventsSdl.cpp ----
// Whether an event that ends a frame hold is pending (a key press or a
// close request); only looked at, so the program still gets it.
bool holdEnds();

// ---- PresentSdl.cpp ----
// Forgets the current context when its window goes.
void windowGone(HWND window);

}  // namespace sdlbackend
