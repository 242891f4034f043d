// What every part of the program may read of the frame being drawn: the
// presentation's time, the size and scale of the drawing, and the window's
// device context. The shell (app/) owns and writes them; the scene, the
// text pages, the timing log and the asset load only read them.
#pragma once

#include "platform/win32.h"

// Seconds since the asset load finished. Written once per frame, before
// anything of the frame is drawn; a space-bar press between frames reads
// the last frame's value.
extern float demoTime;

// The window's device context: the font is built from it and the frame is
// presented through it.
extern HDC deviceContext;

// The drawing size that the projections read on every frame.
extern int viewWidth;
extern int viewHeight;
// Device pixels per pixel of the 640 x 480 design, from the display's dots
// per inch (96 is 1): the drawing is that many times larger, and the text
// is laid out that many times larger too. 1 on the desktop.
extern int viewScale;
