// The browser backend of the Win32, WGL and GDI subset (platform/win32.h):
// the page's canvas is the window, the page's keyboard events become its
// messages, the counter runs at 10 MHz on the page's clock, and OpenGL is
// WebGL 2 through the OpenGL ES layer. Sleep and SwapBuffers hand control
// back to the browser (the program is built with Asyncify), so the
// program's own message loop runs unchanged: a frame is shown when
// SwapBuffers waits for the next animation frame.
//
// The page (platform/web/site/page.js) hands the module the canvas, the
// drawing scale and the test hooks before it calls main:
//   Module.canvas          the canvas to draw into
//   Module.scale           device pixels per pixel of the program (1 to 4)
//   Module.hooks.frameClock  FPS from ?frame_clock=FPS: the counter moves by
//                          one frame step per presented frame and by each
//                          Sleep, as on the headless backend
//   Module.hooks.holdFrames  frame indexes from ?hold_frames=N,...: after
//                          presenting frame N, <body data-held-frame="N">
//                          and the picture stays until a key press, leaving
//                          full screen, the page going away or
//                          Module.releaseHold()
//   Module.onFrame(index)  told when each frame has gone to the screen
// The two hooks are the desktops' SALUTE_FRAME_CLOCK and SALUTE_HOLD_FRAMES
// (platform/common/TestHooks.h); the clock and the counter are
// platform/common/Clock.cpp's, the window platform/common/OneWindow.cpp's.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/common/OneWindow.h"
#include "platform/common/TestHooks.h"
#include "platform/gles/GlesLayer.h"
#include "platform/web/Web.h"

struct HGLRC__ {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle;
};

// ---- The page's side -----------------------------------------------------------

// Sizes the canvas and starts turning the page's events into the window's
// messages: keys (with Win32's lParam bits), leaving the page or losing the
// drawing context (WM_CLOSE), and leaving full screen, which the browser
// does itself on Escape without handing the key on (an Escape press).
// 0 when the page has no canvas.
EM_JS(int, openCanvas, (int width, int height), {
    const canvas = Module.canvas;
    if (!canvas) return 0;
    canvas.width = width;
    canvas.height = height;
    const queue = Module.windowMessages = [];
    const WM_CLOSE = 0x10, WM_KEYDOWN = 0x100, WM_KEYUP = 0x101, WM_SYSKEYDOWN = 0x104, WM_SYSKEYUP = 0x105;
    const VK_ESCAPE = 0x1B, VK_SPACE = 0x20;
    const key = down => event => {
        let bits = 1;
        if (event.altKey) bits |= 1 << 29;
        if (!down || event.repeat) bits |= 1 << 30;
        if (!down) bits |= 1 << 31;
        const message = event.altKey ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        queue.push([message, event.keyCode || 0xFF, bits | 0]);
        if (event.keyCode == VK_SPACE || event.keyCode == VK_ESCAPE) event.preventDefault();
        if (down && Module.releaseHold) Module.releaseHold();
    };
    let fullScreen = !!document.fullscreenElement;
    const listeners = [
        [window, 'keydown', key(true)],
        [window, 'keyup', key(false)],
        [window, 'pagehide', () => { queue.push([WM_CLOSE, 0, 0]); if (Module.releaseHold) Module.releaseHold(); }],
        [canvas, 'webglcontextlost', () => {
            err('salute: the browser took the drawing context away; the presentation ends');
            queue.push([WM_CLOSE, 0, 0]);
        }],
        [document, 'fullscreenchange', () => {
            if (document.fullscreenElement) fullScreen = true;
            else if (fullScreen) {
                fullScreen = false;
                queue.push([WM_KEYDOWN, VK_ESCAPE, 1]);
                if (Module.releaseHold) Module.releaseHold();
            }
        }]
    ];
    listeners.forEach(entry => entry[0].addEventListener(entry[1], entry[2]));
    Module.closeWindow = () => {
        listeners.forEach(entry => entry[0].removeEventListener(entry[1], entry[2]));
        Module.closeWindow = null;
    };
    return 1;
});

EM_JS(void, closeCanvas, (), {
    if (Module.closeWindow) Module.closeWindow();
});

// The next page event as a message (message, wParam, lParam); 0 when none.
EM_JS(int, takeMessage, (std::int32_t* out), {
    const next = Module.windowMessages && Module.windowMessages.shift();
    if (!next) return 0;
    HEAP32[out >> 2] = next[0];
    HEAP32[(out >> 2) + 1] = next[1];
    HEAP32[(out >> 2) + 2] = next[2];
    return 1;
});

EM_JS(double, pageMilliseconds, (), { return performance.now(); });

EM_JS(int, pageScale, (), { return Module.scale | 0; });

// A test hook of the page (Module.hooks[name]) as text: the frame clock's
// rate, or the frames to hold separated by commas; empty when unset.
EM_JS(void, pageHook, (const char* name, char* text, int size), {
    const value = Module.hooks ? Module.hooks[UTF8ToString(name)] : undefined;
    stringToUTF8(value === undefined || value === null ? "" : String(value), text, size);
});

// Returns at the next animation frame: the browser shows what was drawn
// once the program hands control back.
EM_ASYNC_JS(void, nextAnimationFrame, (), {
    await new Promise(resolve => requestAnimationFrame(() => resolve()));
});

// Marks the page while the picture is held, until a key, the page going
// away or Module.releaseHold() ends the hold.
EM_ASYNC_JS(void, holdFrame, (int index), {
    document.body.dataset.heldFrame = String(index);
    await new Promise(resolve => { Module.releaseHold = () => { Module.releaseHold = null; resolve(); }; });
    delete document.body.dataset.heldFrame;
});

// The page notes when each frame is on screen (for its load timing and the
// frame-rate benchmark).
EM_JS(void, framePresented, (int index), {
    if (Module.onFrame) Module.onFrame(index);
});

EM_JS(void, showCursor, (int shown), {
    if (Module.canvas) Module.canvas.style.cursor = shown ? "" : "none";
});

// Holds the screen awake while asked (a screen wake lock, where the
// browser has one); the presentation runs no input for minutes.
EM_JS(void, keepScreenAwake, (int awake), {
    if (!awake) {
        if (Module.wakeLock) Module.wakeLock.then(lock => lock && lock.release()).catch(() => {});
        Module.wakeLock = null;
    } else if (!Module.wakeLock && navigator.wakeLock) {
        Module.wakeLock = navigator.wakeLock.request('screen').catch(() => null);
    }
});

// The renderer's real name (the debug extension unmasks it), so that the
// program knows a software renderer when it meets one; empty when hidden.
EM_JS(void, unmaskedRenderer, (EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle, char* name, int size), {
    const gl = GL.getContext(handle).GLctx;
    const info = gl.getExtension('WEBGL_debug_renderer_info');
    stringToUTF8(info ? String(gl.getParameter(info.UNMASKED_RENDERER_WEBGL)) : "", name, size);
});

namespace {

int cursorCount = 0;
bool glesReady = false;

void* glesProcedure(const char* name) { return emscripten_webgl_get_proc_address(name); }

}  // namespace

namespace web {

double counterSeconds() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / testhooks::counterHz;
}

bool onFrameClock() { return win32native::testClock().fps > 0; }

}  // namespace web

// ---- Hooks of the shared Win32 part ------------------------------------------
void win32native::pumpEvents() {
    HWND window = onewindow::window();
    if (!window) return;
    std::int32_t event[3];
    while (takeMessage(event)) {
        win32common::queueMessage(MSG{window, static_cast<UINT>(event[0]), static_cast<WPARAM>(event[1]),
                                      static_cast<LPARAM>(event[2]), 0, {0, 0}});
    }
}

void win32native::allowScreenSaver(bool allowed) { keepScreenAwake(allowed ? 0 : 1); }

// The test hooks as the page passes them, read at the first call.
testhooks::FrameClock& win32native::testClock() {
    static testhooks::FrameClock clock = [] {
        char fps[32];
        char holdList[4096];
        pageHook("frameClock", fps, sizeof fps);
        pageHook("holdFrames", holdList, sizeof holdList);
        return testhooks::makeFrameClock(fps, holdList);
    }();
    return clock;
}

std::int64_t win32native::realTicks() {
    return static_cast<std::int64_t>(pageMilliseconds() * (testhooks::counterHz / 1000));
}

// Hands the page back to the browser meanwhile. The pause lasts until the
// music the program opened has been decoded too (see AudioWeb.cpp): the
// program pauses once, right after opening it, and the browser decodes
// meanwhile.
void win32native::pause(DWORD milliseconds) {
    emscripten_sleep(milliseconds);
    web::settleMusic();
}

// The canvas is the window, sized to the program's request times the page's
// scale.
int win32native::deviceScale() { return std::clamp(pageScale(), 1, 4); }

bool win32native::openSurface(int width, int height) {
    if (openCanvas(width, height)) return true;
    std::fprintf(stderr, "salute: the page has no canvas to draw into\n");
    return false;
}

void win32native::closeSurface() {
    closeCanvas();
    keepScreenAwake(0);
}

// ---- user32 ----------------------------------------------------------------

// The page shows the canvas full screen (or filling the window) with its
// aspect kept, whatever the mode asked for; there is no display mode to
// change or give back.
LONG ChangeDisplaySettingsA(DEVMODEA*, DWORD) { return DISP_CHANGE_SUCCESSFUL; }

int ShowCursor(BOOL show) {
    cursorCount += show ? 1 : -1;
    showCursor(cursorCount >= 0 ? 1 : 0);
    return cursorCount;
}

// ---- wgl -------------------------------------------------------------------

// A WebGL 2 context on the canvas: no alpha (the page behind must not show
// through), a depth buffer, no multisampling (the picture matches the
// desktop's pixel for pixel).
HGLRC wglCreateContext(HDC deviceContext) {
    if (!deviceContext || deviceContext->window != onewindow::window() || !onewindow::window()) return nullptr;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.powerPreference = EM_WEBGL_POWER_PREFERENCE_HIGH_PERFORMANCE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = emscripten_webgl_create_context("#canvas", &attributes);
    if (handle <= 0) {
        std::fprintf(stderr, "salute: this browser offers no WebGL 2; the presentation cannot be drawn\n");
        return nullptr;
    }
    return new HGLRC__{handle};
}

// The first time a context is current, the OpenGL ES layer is set up on it.
// A null context leaves the current one as it is: WebGL calls need a
// context, and the program makes none without one.
BOOL wglMakeCurrent(HDC, HGLRC context) {
    if (!context) return TRUE;
    if (emscripten_webgl_make_context_current(context->handle) != EMSCRIPTEN_RESULT_SUCCESS) return FALSE;
    if (!glesReady) {
        if (!gles::load(glesProcedure)) return FALSE;
        char renderer[256];
        unmaskedRenderer(context->handle, renderer, sizeof renderer);
        if (renderer[0] != '\0') gles::setRendererName(renderer);
        glesReady = true;
    }
    return TRUE;
}

// The current context stays current after its deletion, unseen: the
// program's static objects still delete their textures and lists at exit,
// which on the desktop reach no context and do nothing, but which WebGL
// cannot take without one. It goes with its canvas when the page drops it.
BOOL wglDeleteContext(HGLRC context) {
    if (!context) return FALSE;
    const bool ok = emscripten_webgl_get_current_context() == context->handle ||
                    emscripten_webgl_destroy_context(context->handle) == EMSCRIPTEN_RESULT_SUCCESS;
    delete context;
    return ok;
}

// Hands the frame to the browser, which shows it before the next animation
// frame begins; then counts it, and holds it when a test asked.
BOOL SwapBuffers(HDC deviceContext) {
    if (!deviceContext || !onewindow::window() || deviceContext->window != onewindow::window()) return FALSE;
    nextAnimationFrame();
    testhooks::FrameClock& clock = win32native::testClock();
    const long index = clock.presented();
    framePresented(index);
    if (clock.holds(index)) {
        testhooks::sayHolding(index);
        holdFrame(index);
    }
    return TRUE;
}
