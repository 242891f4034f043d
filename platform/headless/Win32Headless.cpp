// The native part of the Win32 subset without a display: the one window is
// a record (platform/common/OneWindow.cpp), input is what the test or
// capture tool posts, OpenGL renders into an offscreen Mesa surface through
// EGL, and time is virtual.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include "platform/common/OneWindow.h"
#ifdef SALUTE_GLES
#include "platform/gles/GlesLayer.h"
#endif
#include "platform/headless/Headless.h"
#include "platform/headless/HeadlessState.h"
#include "platform/win32.h"

struct HGLRC__ {
    EGLContext context;
    EGLSurface surface;
    int width;
    int height;
    bool layerLoaded = false;  // the OpenGL ES layer set up in this context
};

namespace headless {

namespace {

Config config;
std::deque<MSG> input;  // posted by postMessage, queued once the window exists
bool screenSaverAllowed = true;
int cursorCount = 0;

// The virtual performance counter: ticks from Sleep and tests, plus whole
// frames, each exactly fpsDenominator / fpsNumerator seconds long.
std::int64_t frequency = -1;  // -1: not decided yet
std::int64_t extraTicks = 0;
long frames = 0;

int environmentFlag(const char* name) {
    const char* value = std::getenv(name);
    return value && *value && std::strcmp(value, "0") != 0 ? 1 : 0;
}

int noDisplay = -1;      // -1: not decided yet, read from the environment
int noAudioDevice = -1;

std::vector<std::uint8_t> pixels;
double readbackTime = 0.0;

EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig eglConfig = nullptr;

#ifdef SALUTE_GLES
// OpenGL ES 3.0, which the program's OpenGL 1.x is drawn with.
constexpr EGLint renderableType = EGL_OPENGL_ES3_BIT;
constexpr EGLenum renderingApi = EGL_OPENGL_ES_API;
const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0, EGL_NONE};
#else
// A compatibility-profile OpenGL context, for the program's OpenGL 1.x.
constexpr EGLint renderableType = EGL_OPENGL_BIT;
constexpr EGLenum renderingApi = EGL_OPENGL_API;
const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                    EGL_NONE};
#endif

// Opens Mesa's surfaceless platform once: OpenGL with no display at all.
bool openDisplay() {
    if (display != EGL_NO_DISPLAY) return true;
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        std::fprintf(stderr, "salute: offscreen OpenGL is unavailable (no EGL platform support)\n");
        return false;
    }
    EGLDisplay candidate = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (candidate == EGL_NO_DISPLAY || !eglInitialize(candidate, nullptr, nullptr)) {
        std::fprintf(stderr, "salute: offscreen OpenGL is unavailable (EGL error 0x%x)\n", eglGetError());
        return false;
    }
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                 EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24,
                                 EGL_RENDERABLE_TYPE, renderableType, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(candidate, attributes, &eglConfig, 1, &count) || count < 1 ||
        !eglBindAPI(renderingApi)) {
        std::fprintf(stderr, "salute: offscreen OpenGL offers no RGBA configuration\n");
        eglTerminate(candidate);
        return false;
    }
    display = candidate;
    return true;
}

HGLRC__* createContext(int width, int height) {
    if (!openDisplay()) return nullptr;
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, eglConfig, surfaceAttributes);
    EGLContext context = eglCreateContext(display, eglConfig, EGL_NO_CONTEXT, contextAttributes);
    if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "salute: cannot create an offscreen OpenGL context (EGL error 0x%x)\n",
                     eglGetError());
        if (surface != EGL_NO_SURFACE) eglDestroySurface(display, surface);
        if (context != EGL_NO_CONTEXT) eglDestroyContext(display, context);
        return nullptr;
    }
    return new HGLRC__{context, surface, width, height};
}

// Makes the context current; the first time, with the OpenGL ES layer, also
// sets the layer up in it.
bool makeCurrent(HGLRC__* context) {
    const bool current = eglMakeCurrent(display, context->surface, context->surface, context->context);
#ifdef SALUTE_GLES
    if (current && !context->layerLoaded) {
        context->layerLoaded = gles::load([](const char* name) {
            return reinterpret_cast<void*>(eglGetProcAddress(name));
        });
        if (!context->layerLoaded) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            return false;
        }
    }
#endif
    return current;
}

std::int64_t counterNow() {
    const std::int64_t f = counterFrequency();
    const __int128 frameTicks =
        static_cast<__int128>(frames) * f * config.fpsDenominator / config.fpsNumerator;
    return extraTicks + static_cast<std::int64_t>(frameTicks);
}

}  // namespace

void configure(const Config& newConfig) {
    config = newConfig;
    if (config.fpsNumerator <= 0 || config.fpsDenominator <= 0) {
        config.fpsNumerator = 60;
        config.fpsDenominator = 1;
    }
    if (config.scale < 1 || config.scale > 4) config.scale = 1;
}

void postMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    input.push_back(MSG{nullptr, message, wParam, lParam, 0, {0, 0}});
}

bool screenSaverMayRun() { return screenSaverAllowed; }

std::int64_t counterFrequency() {
    if (frequency < 0) {
        frequency = 10000000;
        if (const char* value = std::getenv("SALUTE_COUNTER_HZ")) {
            char* end = nullptr;
            const long long parsed = std::strtoll(value, &end, 10);
            if (end != value && *end == '\0' && parsed >= 0) frequency = parsed;
        }
    }
    return frequency;
}

void setCounterFrequency(std::int64_t ticksPerSecond) { frequency = ticksPerSecond; }

void advanceCounter(std::int64_t ticks) { extraTicks += ticks; }

double virtualSeconds() {
    const std::int64_t f = counterFrequency();
    return f > 0 ? static_cast<double>(counterNow()) / static_cast<double>(f) : 0.0;
}

long framesPresented() { return frames; }

double readbackSeconds() { return readbackTime; }

void setNoDisplay(bool value) { noDisplay = value ? 1 : 0; }
void setNoAudioDevice(bool value) { noAudioDevice = value ? 1 : 0; }

bool noAudioDeviceWanted() {
    if (noAudioDevice < 0) noAudioDevice = environmentFlag("SALUTE_NO_AUDIO");
    return noAudioDevice == 1;
}

const Config& currentConfig() { return config; }

bool makeStandaloneContext(int width, int height) {
    // One standalone context at a time; a new one replaces the last.
    static std::unique_ptr<HGLRC__> standalone;
    if (standalone) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display, standalone->context);
        eglDestroySurface(display, standalone->surface);
    }
    standalone.reset(createContext(width, height));
    return standalone && makeCurrent(standalone.get());
}

void readFramebuffer(int width, int height, std::uint8_t* rgba) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    // OpenGL's rows run bottom-up; frames are handed on top row first.
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::vector<std::uint8_t> row(stride);
    for (int y = 0; y < height / 2; ++y) {
        std::uint8_t* top = rgba + stride * static_cast<std::size_t>(y);
        std::uint8_t* bottom = rgba + stride * static_cast<std::size_t>(height - 1 - y);
        std::memcpy(row.data(), top, stride);
        std::memcpy(top, bottom, stride);
        std::memcpy(bottom, row.data(), stride);
    }
}

}  // namespace headless

using namespace headless;

// ---- kernel32 --------------------------------------------------------------
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    frequency->QuadPart = counterFrequency();
    return counterFrequency() != 0;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    count->QuadPart = counterNow();
    return TRUE;
}

void Sleep(DWORD milliseconds) {
    extraTicks += static_cast<std::int64_t>(static_cast<__int128>(milliseconds) * counterFrequency() / 1000);
}

// ---- Hooks of the shared Win32 part ------------------------------------------
void win32native::pumpEvents() {
    HWND window = onewindow::window();
    if (!window) return;
    for (MSG message : input) {
        message.hwnd = window;
        win32common::queueMessage(message);
    }
    input.clear();
}

void win32native::allowScreenSaver(bool allowed) { screenSaverAllowed = allowed; }

int win32native::deviceScale() { return config.scale; }
bool win32native::openSurface(int, int) { return true; }  // made with the OpenGL context
void win32native::closeSurface() {}

// ---- user32 ----------------------------------------------------------------
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) {
    if (!mode) return DISP_CHANGE_SUCCESSFUL;
    if (noDisplay < 0) noDisplay = environmentFlag("SALUTE_NO_DISPLAY");
    if (noDisplay == 1) {
        std::fprintf(stderr, "salute: no display: cannot show the presentation\n");
        return DISP_CHANGE_FAILED;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

int ShowCursor(BOOL show) { return show ? ++cursorCount : --cursorCount; }

// ---- wgl -------------------------------------------------------------------
HGLRC wglCreateContext(HDC deviceContext) {
    if (!deviceContext || !deviceContext->window) return nullptr;
    return createContext(deviceContext->window->width, deviceContext->window->height);
}

BOOL wglMakeCurrent(HDC, HGLRC context) {
    if (!context) return display != EGL_NO_DISPLAY &&
                         eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    return makeCurrent(context);
}

BOOL wglDeleteContext(HGLRC context) {
    if (!context) return FALSE;
    if (eglGetCurrentContext() == context->context)
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    const bool ok = eglDestroyContext(display, context->context) && eglDestroySurface(display, context->surface);
    delete context;
    return ok;
}

BOOL SwapBuffers(HDC deviceContext) {
    if (!deviceContext || !deviceContext->window) return FALSE;
    EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    EGLint width = 0;
    EGLint height = 0;
    if (surface != EGL_NO_SURFACE) {
        eglQuerySurface(display, surface, EGL_WIDTH, &width);
        eglQuerySurface(display, surface, EGL_HEIGHT, &height);
    }
    Frame frame{frames, virtualSeconds(), width, height, nullptr};
    if (config.readPixels && width > 0 && height > 0) {
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        // Drawing finished first, so that the time measured is the copy's.
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        readFramebuffer(width, height, pixels.data());
        readbackTime += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        frame.rgba = pixels.data();
    } else {
        glFinish();
    }
    ++frames;
    if (config.onFrame) config.onFrame(frame);
    return TRUE;
}
