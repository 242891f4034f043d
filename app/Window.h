// The presentation window, the display mode and the OpenGL context.
#pragma once

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
extern HDC deviceContext;
extern HGLRC renderContext;
// The drawing size that setProjection reads on every frame.
extern int viewWidth;
extern int viewHeight;
// Device pixels per pixel of the 640 x 480 design, from the display's dots
// per inch (96 is 1): the drawing is that many times larger, and the text
// is laid out that many times larger too. 1 on the desktop.
extern int viewScale;

// Registers the class, switches the display mode and shows the window.
bool createWindow();
// Undoes createWindow: audio output, display mode, cursor, window, class.
bool killWindow();
// Device context, pixel format, rendering context and the default GL state.
bool initGL(HWND window);
// Deletes the rendering context and releases the device context.
bool releaseGL(HWND window);
void resizeView(int width, int height);
