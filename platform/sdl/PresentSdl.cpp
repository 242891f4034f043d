// The desktop backend's drawing: a device context per window, an SDL
// OpenGL context per HGLRC, and SwapBuffers. Where the display could not
// switch to the requested mode, the full-screen window's context draws into
// an offscreen picture of that size (platform/common/ScaledPicture.h), which
// SwapBuffers scales onto the window with the aspect kept and black bars at
// the sides. After each frame, the frame hold of platform/common/TestHooks.h.
#include <SDL.h>

#include <cstdio>

#include "platform/common/ScaledPicture.h"
#include "platform/common/TestHooks.h"
#include "platform/sdl/SdlBackend.h"

using sdlbackend::isLiveWindow;

namespace {

HGLRC currentContext = nullptr;

void swapWindow(void* window) { SDL_GL_SwapWindow(static_cast<SDL_Window*>(window)); }

void pauseForInput() { SDL_Delay(10); }

// Counts the frame just presented, and keeps it on screen when a test asked.
void framePresented() {
    testhooks::FrameClock& clock = testhooks::frameClock();
    const long index = clock.presented();
    if (!clock.holds(index)) return;
    SDL_PumpEvents();  // also sends the picture's last requests to the X server
    testhooks::holdFrame(index, sdlbackend::holdEnds, pauseForInput);
}

}  // namespace

void sdlbackend::windowGone(HWND window) {
    if (currentContext && currentContext->window == window) currentContext = nullptr;
}

// ---- gdi32 / wgl: device context, pixel format, rendering context ----------

// Each window owns one device context for its whole life; null for no window.
HDC GetDC(HWND window) { return isLiveWindow(window) ? &window->deviceContext : nullptr; }

int ReleaseDC(HWND, HDC) { return 1; }

// The desktop draws at the program's own 640 x 480 and scales the finished
// picture onto the screen, so the text is sized for the ordinary 96 dpi.
int GetDeviceCaps(HDC deviceContext, int index) {
    return deviceContext && (index == LOGPIXELSX || index == LOGPIXELSY) ? 96 : 0;
}

// An OpenGL context for the device context's window, not yet current. A
// full-screen window whose drawable is not the requested size (the scaled
// case) also gets its offscreen picture of that size here.
HGLRC wglCreateContext(HDC deviceContext) {
    if (!deviceContext || !isLiveWindow(deviceContext->window)) return nullptr;
    HWND window = deviceContext->window;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();

    SDL_GLContext gl = SDL_GL_CreateContext(window->sdl);  // also makes it current
    if (!gl) {
        std::fprintf(stderr, "salute: cannot create an OpenGL context: %s\n", SDL_GetError());
        return nullptr;
    }
    SDL_GL_SetSwapInterval(1);  // follow the display's refresh where the driver allows

    HGLRC context = new HGLRC__;
    context->gl = gl;
    context->window = window;
    if (window->fullscreen) {
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(window->sdl, &drawableWidth, &drawableHeight);
        const bool exact = drawableWidth == window->fullWidth && drawableHeight == window->fullHeight;
        if (!exact && !scaledpicture::create(context->picture, window->fullWidth, window->fullHeight,
                                             SDL_GL_GetProcAddress)) {
            std::fprintf(stderr,
                         "salute: the OpenGL driver has no framebuffer objects; the picture is drawn unscaled "
                         "in a corner of the screen\n");
        }
    }
    SDL_GL_MakeCurrent(previousWindow, previousContext);
    return context;
}

// Makes the context current on its window (drawing then goes to its
// offscreen picture, if it has one); a null context releases the current one.
BOOL wglMakeCurrent(HDC deviceContext, HGLRC context) {
    if (!context) {
        currentContext = nullptr;
        if (!sdlbackend::videoReady()) return TRUE;
        return SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr) == 0 ? TRUE : FALSE;
    }
    if (!deviceContext || !isLiveWindow(deviceContext->window)) return FALSE;
    if (SDL_GL_MakeCurrent(deviceContext->window->sdl, context->gl) != 0) return FALSE;
    currentContext = context;
    scaledpicture::bind(context->picture);
    return TRUE;
}

// Deletes the context and its offscreen picture; no context is current after
// deleting the current one.
BOOL wglDeleteContext(HGLRC context) {
    if (!context) return FALSE;
    if (context->picture.framebuffer && isLiveWindow(context->window) &&
        SDL_GL_MakeCurrent(context->window->sdl, context->gl) == 0) {
        scaledpicture::destroy(context->picture);
    }
    if (currentContext == context || SDL_GL_GetCurrentContext() == context->gl) {
        if (isLiveWindow(context->window)) SDL_GL_MakeCurrent(context->window->sdl, nullptr);
        currentContext = nullptr;
    }
    SDL_GL_DeleteContext(context->gl);
    delete context;
    return TRUE;
}

// Shows the finished frame: scaled onto the window when the current context
// draws offscreen, else a plain buffer swap.
BOOL SwapBuffers(HDC deviceContext) {
    if (!deviceContext || !isLiveWindow(deviceContext->window)) return FALSE;
    HWND window = deviceContext->window;
    if (currentContext && currentContext->window == window && currentContext->picture.framebuffer) {
        int drawableWidth = 0;
        int drawableHeight = 0;
        SDL_GL_GetDrawableSize(window->sdl, &drawableWidth, &drawableHeight);
        scaledpicture::present(currentContext->picture, drawableWidth, drawableHeight, swapWindow, window->sdl);
    } else {
        SDL_GL_SwapWindow(window->sdl);
    }
    framePresented();
    return TRUE;
}
