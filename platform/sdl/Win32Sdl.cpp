// The desktop backend of the Win32, WGL and GDI subset (platform/win32.h) on
// SDL2: one SDL window per HWND, SDL's video started on first need, the
// display mode, the cursor, and SDL's performance counter reported at 10 MHz
// (platform/common/Clock.cpp). SDL events become window messages in
// EventsSdl.cpp; OpenGL contexts and SwapBuffers are PresentSdl.cpp's.
//
// Full screen: when the display offers the requested 640 x 480 mode, the
// window switches the display to it. When it does not (most flat panels,
// Wayland), the window covers the desktop in its own mode and the program
// draws into an offscreen 640 x 480 framebuffer that SwapBuffers scales onto
// the window with the aspect kept and black bars at the sides.
//
// For tests only, the hooks of platform/common/TestHooks.h: the virtual frame
// clock and the frame hold, which SIGUSR1 also ends.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/common/Backend.h"
#include "platform/sdl/DisplayLoss.h"
#include "platform/sdl/ModeGuard.h"
#include "platform/sdl/SdlBackend.h"
#include "platform/sdl/WaylandDriver.h"

using sdlbackend::isLiveWindow;
using sdlbackend::videoReady;

namespace {

std::vector<HWND> windows;  // live windows, oldest first
HWND focusWindow = nullptr;

// The full-screen mode asked for by ChangeDisplaySettingsA.
enum class FullscreenKind { none, realMode, scaled };
FullscreenKind fullscreenKind = FullscreenKind::none;
SDL_DisplayMode realMode{};
int requestedWidth = 0;
int requestedHeight = 0;

int cursorCount = 0;  // Win32's display count: the cursor shows while >= 0

// Starts SDL's video once; a machine without any display ends here.
bool ensureVideo() {
    static bool declined = false;  // said once; every later call fails quietly
    if (videoReady()) return true;
    if (declined) return false;
    // Closing the window is a WM_CLOSE of its own; no second SDL_QUIT for it.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // Only drivers that show something on a screen: SDL would otherwise fall
    // back to its invisible offscreen driver. SDL_VIDEODRIVER in the
    // environment still decides when set. Wayland is tried only where a
    // session could run it (libwayland complains on stderr otherwise).
    SDL_SetHint(SDL_HINT_VIDEODRIVER, std::getenv("XDG_RUNTIME_DIR") ? "x11,wayland,KMSDRM" : "x11,KMSDRM");
    const bool seatless = leaveOutSeatlessWayland();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "salute: no display: %s; set DISPLAY or run salute-capture to render a video\n",
                     seatless ? "the Wayland compositor offers no input seat" : SDL_GetError());
        return false;
    }
    // A second presentation on the same X display declines before it changes
    // the mode or shows anything (the program then ends with status 1).
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0 && !modeguard::claimDisplay()) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "salute: a presentation is already running on display %s; only one can show at a time\n",
                     display ? display : "");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        declined = true;
        return false;
    }
    watchForDisplayLoss();
    // Even on paths that never reach the program's own clean-up, SDL gives
    // the desktop its mode and cursor back at process exit.
    static bool exitHookSet = false;
    if (!exitHookSet) {
        std::atexit(SDL_Quit);
        exitHookSet = true;
    }
    modeguard::endOnHangup();
    return true;
}

void applyCursor() {
    if (videoReady()) SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace

bool sdlbackend::videoReady() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

const std::vector<HWND>& sdlbackend::windows() { return ::windows; }

bool sdlbackend::isLiveWindow(HWND window) {
    return window && std::find(::windows.begin(), ::windows.end(), window) != ::windows.end();
}

HWND sdlbackend::focusWindow() { return ::focusWindow; }

void sdlbackend::clientSize(HWND window, int* width, int* height) {
    if (window->fullscreen) {
        *width = window->fullWidth;
        *height = window->fullHeight;
    } else {
        SDL_GL_GetDrawableSize(window->sdl, width, height);
    }
}

// ---- Hooks of the shared Win32 part ------------------------------------------

WNDPROC win32native::windowProcedure(HWND window) { return isLiveWindow(window) ? window->procedure : nullptr; }

bool win32native::showWindow(HWND window, int* clientWidth, int* clientHeight, bool* wasVisible) {
    if (!isLiveWindow(window)) return false;
    *wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    SDL_ShowWindow(window->sdl);
    sdlbackend::clientSize(window, clientWidth, clientHeight);
    return true;
}

void win32native::allowScreenSaver(bool allowed) {
    if (!videoReady()) return;
    if (allowed) {
        SDL_EnableScreenSaver();
    } else {
        SDL_DisableScreenSaver();
    }
}

// The test hooks as the environment sets them (platform/common/TestHooks.h).
testhooks::FrameClock& win32native::testClock() { return testhooks::frameClock(); }

// SDL's counter converted to 10 MHz ticks, split so that nothing overflows.
std::int64_t win32native::realTicks() {
    const Uint64 raw = SDL_GetPerformanceCounter();
    const Uint64 rate = SDL_GetPerformanceFrequency();
    const Uint64 whole = raw / rate;
    const Uint64 rest = raw % rate;
    return static_cast<std::int64_t>(whole * testhooks::counterHz + rest * testhooks::counterHz / rate);
}

void win32native::pause(DWORD milliseconds) { SDL_Delay(milliseconds); }

// ---- user32: window, display mode, cursor -----------------------------------

// With a mode: starts the display and remembers how the next WM_POPUP window
// shows the requested size full screen: a real mode switch when the first
// display (SDL's display 0: on X11 the primary output) lists that exact size
// (the colour depth is not compared: X11's 24-bit depth is Win32's 32 bits
// per pixel) and the desktop's mode is sure to come back however the
// program ends (modeguard), else scaled onto the desktop. With null: windows
// leave full screen, which gives the desktop its mode back.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) {
    if (!mode) {
        fullscreenKind = FullscreenKind::none;
        // The saved setup back first, by the guardian: SDL's own way back
        // breaks where the display does not lie at the screen's origin.
        modeguard::restore();
        for (HWND window : windows) {
            if (!window->fullscreen) continue;
            SDL_SetWindowFullscreen(window->sdl, 0);
            window->fullscreen = false;
        }
        modeguard::disarm();
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!ensureVideo()) return DISP_CHANGE_FAILED;

    SDL_DisplayMode desktop{};
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        std::fprintf(stderr, "salute: no display mode: %s\n", SDL_GetError());
        return DISP_CHANGE_FAILED;
    }
    requestedWidth = (mode->dmFields & DM_PELSWIDTH) ? static_cast<int>(mode->dmPelsWidth) : desktop.w;
    requestedHeight = (mode->dmFields & DM_PELSHEIGHT) ? static_cast<int>(mode->dmPelsHeight) : desktop.h;

    fullscreenKind = FullscreenKind::scaled;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode candidate{};
        if (SDL_GetDisplayMode(0, i, &candidate) == 0 && candidate.w == requestedWidth &&
            candidate.h == requestedHeight) {
            realMode = candidate;  // the list is sorted: the highest refresh rate comes first
            const bool switches = candidate.w != desktop.w || candidate.h != desktop.h;
            if (!switches || modeguard::arm(0)) fullscreenKind = FullscreenKind::realMode;
            break;
        }
    }
    return DISP_CHANGE_SUCCESSFUL;
}

// Hides the cursor while the count is below zero, as Win32 counts.
int ShowCursor(BOOL show) {
    cursorCount += show ? 1 : -1;
    applyCursor();
    return cursorCount;
}

// An SDL window with OpenGL, hidden until ShowWindow. WS_POPUP after a
// successful ChangeDisplaySettingsA is the full-screen window; an overlapped
// window can be resized; any other popup is a borderless window.
HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                     HWND, HMENU, HINSTANCE, void*) {
    const WNDPROC procedure = win32common::classProcedure(className);
    if (!procedure) {
        std::fprintf(stderr, "salute: no window class \"%s\"\n", className ? className : "");
        return nullptr;
    }
    if (!ensureVideo()) return nullptr;

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    const bool fullscreen = (style & WS_POPUP) && fullscreenKind != FullscreenKind::none;
    if (fullscreen && fullscreenKind == FullscreenKind::realMode) {
        // On the display whose mode was checked and saved: SDL switches the
        // display that holds the window.
        flags |= SDL_WINDOW_FULLSCREEN;
        SDL_Rect bounds{0, 0, 0, 0};
        SDL_GetDisplayBounds(0, &bounds);
        x = bounds.x;
        y = bounds.y;
        width = requestedWidth;
        height = requestedHeight;
    } else if (fullscreen) {
        // Made at the desktop's size from the start, so that it covers the
        // screen even where no window manager applies the full-screen state.
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        SDL_Rect bounds{0, 0, requestedWidth, requestedHeight};
        SDL_GetDisplayBounds(0, &bounds);
        x = bounds.x;
        y = bounds.y;
        width = bounds.w;
        height = bounds.h;
    } else if (style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
    } else if ((style & WS_OVERLAPPEDWINDOW) == WS_OVERLAPPEDWINDOW) {
        flags |= SDL_WINDOW_RESIZABLE;
    }

    // A compatibility-profile, double-buffered context with 8 bits per
    // colour. The window asks for no alpha channel, like the program's pixel
    // format (a window with alpha can turn see-through under a compositor).
    // Depth: 24 bits, or 16 where that is all there is.
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_Window* sdl = nullptr;
    for (int depth : {24, 16}) {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        sdl = SDL_CreateWindow(title ? title : "", x, y, std::max(width, 1), std::max(height, 1), flags);
        if (sdl) break;
    }
    if (!sdl) {
        std::fprintf(stderr, "salute: cannot open a window: %s\n", SDL_GetError());
        return nullptr;
    }
    if (fullscreen && fullscreenKind == FullscreenKind::realMode && SDL_SetWindowDisplayMode(sdl, &realMode) != 0) {
        std::fprintf(stderr, "salute: cannot switch the display mode: %s\n", SDL_GetError());
    }

    HWND window = new HWND__;
    window->sdl = sdl;
    window->procedure = procedure;
    window->fullscreen = fullscreen;
    window->fullWidth = requestedWidth;
    window->fullHeight = requestedHeight;
    window->deviceContext.window = window;
    SDL_SetWindowData(sdl, "salute.hwnd", window);
    windows.push_back(window);
    applyCursor();
    return window;
}

// Closes the SDL window; FALSE for a handle that names none.
BOOL DestroyWindow(HWND window) {
    if (!isLiveWindow(window)) return FALSE;
    windows.erase(std::find(windows.begin(), windows.end(), window));
    if (focusWindow == window) focusWindow = nullptr;
    sdlbackend::windowGone(window);
    SDL_DestroyWindow(window->sdl);
    delete window;
    return TRUE;
}

BOOL SetForegroundWindow(HWND window) {
    if (!isLiveWindow(window)) return FALSE;
    SDL_RaiseWindow(window->sdl);
    return TRUE;
}

// Gives the window the keyboard focus (where the system allows); returns
// the window that had it.
HWND SetFocus(HWND window) {
    HWND previous = focusWindow;
    if (isLiveWindow(window)) {
        SDL_SetWindowInputFocus(window->sdl);
        focusWindow = window;
    }
    return previous;
}
