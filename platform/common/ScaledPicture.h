// The 640 x 480 picture shown full screen where the display cannot switch
// to that mode: the program draws into an offscreen picture of its own size
// (a framebuffer object), which each swap draws onto the whole window,
// scaled with its aspect kept between black bars. Shared by the desktop
// backends; each brings its own way to load OpenGL entry points and swap.
#pragma once

#include "platform/win32.h"  // on Windows, the system's headers that OpenGL's need first

#include <GL/gl.h>

namespace scaledpicture {

struct Picture {
    GLuint framebuffer = 0;  // 0: none, drawing goes straight to the window
    GLuint colourTexture = 0;
    GLuint depthBuffer = 0;
    int width = 0;
    int height = 0;
};

// An OpenGL entry point by name, from the driver; null when it has none.
using Loader = void* (*)(const char* name);

// Makes the width x height picture (RGBA8 colour as a texture, 24-bit depth)
// in the current context, not yet bound. False, with nothing made, when the
// driver has no framebuffer objects.
bool create(Picture& picture, int width, int height, Loader load);
// Drawing in the current context goes to the picture from now on.
void bind(const Picture& picture);
// Deletes the picture's objects; its context must be current.
void destroy(Picture& picture);
// Draws the picture onto the window's drawable of the given size, as large
// as fits with the aspect kept (bilinear) and the bars cleared black, calls
// `swap`, and binds the picture again. Leaves every GL state it touches as
// it found it.
void present(const Picture& picture, int drawableWidth, int drawableHeight, void (*swap)(void*), void* window);

}  // namespace scaledpicture
