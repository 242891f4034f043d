// The desktop backend of the Win32, WGL and GDI subset (platform/win32.h) on
// SDL2: one SDL window per HWND, an SDL OpenGL context per HGLRC, SDL events
// translated into window messages for the shared queue, and SDL's
// performance counter reported at 10 MHz.
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
#include <signal.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include "platform/common/Backend.h"
#include "platform/common/ScaledPicture.h"
#include "platform/common/TestHooks.h"
#include "platform/sdl/DisplayLoss.h"
#include "platform/sdl/ModeGuard.h"
#include "platform/sdl/WaylandDriver.h"

// ---- The structures behind the handles ----------------------------------------
struct HINSTANCE__ {
    int unused;
};

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

namespace {

HINSTANCE__ moduleInstance{};

std::vector<HWND> windows;  // live windows, oldest first
HWND focusWindow = nullptr;
HGLRC currentContext = nullptr;

// The full-screen mode asked for by ChangeDisplaySettingsA.
enum class FullscreenKind { none, realMode, scaled };
FullscreenKind fullscreenKind = FullscreenKind::none;
SDL_DisplayMode realMode{};
int requestedWidth = 0;
int requestedHeight = 0;

int cursorCount = 0;  // Win32's display count: the cursor shows while >= 0

bool isLiveWindow(HWND window) {
    return window && std::find(windows.begin(), windows.end(), window) != windows.end();
}

bool videoReady() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

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

// The client size Win32 would report: the requested mode while full screen,
// otherwise what can be drawn into.
void clientSize(HWND window, int* width, int* height) {
    if (window->fullscreen) {
        *width = window->fullWidth;
        *height = window->fullHeight;
    } else {
        SDL_GL_GetDrawableSize(window->sdl, width, height);
    }
}

HWND windowFromId(Uint32 id) {
    SDL_Window* sdl = SDL_GetWindowFromID(id);
    HWND window = sdl ? static_cast<HWND>(SDL_GetWindowData(sdl, "salute.hwnd")) : nullptr;
    return isLiveWindow(window) ? window : nullptr;
}

// Keyboard input goes to the window it names, else to the focus window.
HWND keyboardWindow(Uint32 id) {
    if (HWND window = windowFromId(id)) return window;
    if (isLiveWindow(focusWindow)) return focusWindow;
    return windows.empty() ? nullptr : windows.front();
}

// Win32 virtual-key code of an SDL key; 0xFF (no mapping) for the rest.
WPARAM virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return 0x7C + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0xFF;
    }
}

// Turns one SDL event into a window message; false when it means nothing
// to the program.
bool translateEvent(const SDL_Event& event, MSG* message) {
    *message = MSG{};
    message->time = SDL_GetTicks();
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        HWND window = keyboardWindow(event.key.windowID);
        if (!window) return false;
        const bool down = event.type == SDL_KEYDOWN;
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        // lParam as Win32 packs it: repeat count 1, bit 29 Alt held, bit 30
        // the key was already down (auto-repeat, and every key-up), bit 31
        // released.
        std::uint32_t bits = 1;
        if (alt) bits |= 1u << 29;
        if (!down || event.key.repeat) bits |= 1u << 30;
        if (!down) bits |= 1u << 31;
        message->hwnd = window;
        message->message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        message->wParam = virtualKey(event.key.keysym.sym);
        message->lParam = static_cast<LPARAM>(static_cast<std::int32_t>(bits));
        return true;
    }
    case SDL_QUIT:  // also raised by SIGINT and SIGTERM
        if (windows.empty()) return false;
        message->hwnd = windows.front();
        message->message = WM_CLOSE;
        return true;
    case SDL_WINDOWEVENT: {
        HWND window = windowFromId(event.window.windowID);
        if (!window) return false;
        message->hwnd = window;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            message->message = WM_CLOSE;
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            message->message = WM_SIZE;
            message->lParam = MAKELPARAM(0, 0);
            return true;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            int width = 0;
            int height = 0;
            clientSize(window, &width, &height);
            message->message = WM_SIZE;
            message->lParam = MAKELPARAM(width, height);
            return true;
        }
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

void swapWindow(void* window) { SDL_GL_SwapWindow(static_cast<SDL_Window*>(window)); }

// ---- The frame hold (see the top of the file) ------------------------------
volatile sig_atomic_t holdReleased = 0;
void releaseHold(int) { holdReleased = 1; }

// The shared clock; with frames to hold, SIGUSR1 set to end a hold from the start.
testhooks::FrameClock& testClock() {
    static testhooks::FrameClock& clock = []() -> testhooks::FrameClock& {
        testhooks::FrameClock& made = testhooks::frameClock();
        if (!made.holdFrames.empty()) {
            struct sigaction action {};
            action.sa_handler = releaseHold;
            sigaction(SIGUSR1, &action, nullptr);
        }
        return made;
    }();
    return clock;
}

// Counts the frame just presented, and keeps it on screen when a test asked.
void framePresented() {
    testhooks::FrameClock& clock = testClock();
    const long index = clock.presented();
    if (!clock.holds(index)) return;
    holdReleased = 0;
    SDL_PumpEvents();  // also sends the picture's last requests to the X server
    testhooks::sayHolding(index);
    // Events are peeked, not taken: the program still gets the key or the
    // close request that ends the hold.
    const auto ends = [](const SDL_Event& event) {
        return event.type == SDL_QUIT || event.type == SDL_KEYDOWN ||
               (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
    };
    while (!holdReleased) {
        SDL_PumpEvents();
        SDL_Event pending[64];
        const int count = SDL_PeepEvents(pending, 64, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (std::any_of(pending, pending + std::max(count, 0), ends)) break;
        SDL_Delay(10);
    }
}

}  // namespace

// ---- Hooks of the shared Win32 part ------------------------------------------

// Every pending SDL event that means something to the program, in order.
void win32native::pumpEvents() {
    if (!videoReady()) return;
    SDL_Event event;
    MSG message;
    while (SDL_PollEvent(&event)) {
        if (translateEvent(event, &message)) win32common::queueMessage(message);
    }
}

WNDPROC win32native::windowProcedure(HWND window) { return isLiveWindow(window) ? window->procedure : nullptr; }

bool win32native::showWindow(HWND window, int* clientWidth, int* clientHeight, bool* wasVisible) {
    if (!isLiveWindow(window)) return false;
    *wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
    SDL_ShowWindow(window->sdl);
    clientSize(window, clientWidth, clientHeight);
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

// ---- kernel32 --------------------------------------------------------------

// One static module record: the program is its only module.
HMODULE GetModuleHandleA(LPCSTR) { return &moduleInstance; }

constexpr std::int64_t counterHz = 10000000;

// The counter is reported at 10 MHz whatever SDL's own rate is.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = counterHz;
    return TRUE;
}

// SDL's counter converted to 10 MHz ticks, split so that nothing overflows;
// on the test clock, the virtual ticks instead.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    if (testClock().fps) {
        count->QuadPart = testClock().ticks(counterHz);
        return TRUE;
    }
    const Uint64 raw = SDL_GetPerformanceCounter();
    const Uint64 rate = SDL_GetPerformanceFrequency();
    const Uint64 whole = raw / rate;
    const Uint64 rest = raw % rate;
    count->QuadPart = static_cast<std::int64_t>(whole * counterHz + rest * counterHz / rate);
    return TRUE;
}

// Really waits, also on the test clock (a test may act during the pause).
void Sleep(DWORD milliseconds) {
    testClock().sleptTicks += static_cast<std::int64_t>(milliseconds) * (counterHz / 1000);
    SDL_Delay(milliseconds);
}

// ---- user32: window class, window, display mode, cursor ---------------------

// No icon resources: SDL's default window icon applies.
HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }

// The cursor's shape is never changed: the system arrow stays.
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }

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

// SDL sizes windows by their client area and draws the frame itself, so the
// rectangle stays the client rectangle for every style.
BOOL AdjustWindowRectEx(RECT* rectangle, DWORD, BOOL, DWORD) { return rectangle ? TRUE : FALSE; }

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
    if (currentContext && currentContext->window == window) currentContext = nullptr;
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
        if (!videoReady()) return TRUE;
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
