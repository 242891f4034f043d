// The presentation window, the display mode and the OpenGL context.
#pragma once

#include "frame/FrameState.h"
#include "platform/win32.h"

// Build-time setting: full screen at 640 x 480 unless built windowed.
#ifdef SALUTE_WINDOWED
constexpr bool fullscreen = false;
#else
constexpr bool fullscreen = true;
#endif

constexpr int screenWidth = 640;
constexpr int screenHeight = 480;

extern HINSTANCE instanceHandle;
extern HWND windowHandle;
extern HGLRC renderContext;

// Registers the class, switches the display mode and shows the window.
bool createWindow();
// Undoes createWindow: audio output, display mode, cursor, window, class.
bool killWindow();
// Device context, pixel format, rendering context and the default GL state.
bool initGL(HWND window);
// Deletes the rendering context and releases the device context.
bool releaseGL(HWND window);
void resizeView(int width, int height);
