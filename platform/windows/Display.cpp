// Where the program's contract (platform/win32.h on Linux) promises more
// than Win32 does, the program's calls to these system functions are taken
// over here. The program is compiled against the real <windows.h>, whose
// declarations call each system function through its import slot
// (__imp_NAME); this file defines the slots of the few functions below, so
// the linker takes them instead of the system's, and each one calls on to
// the system's own function, found by name in its DLL.
//
// The full-screen picture: ChangeDisplaySettingsA to 640 x 480 succeeds
// also where the display has no such mode. The window is then made to cover
// the primary monitor in the desktop's own mode, its WM_SIZE still reports
// the requested size, the program draws into an offscreen 640 x 480 picture
// (platform/common/ScaledPicture), and SwapBuffers shows it scaled with its
// aspect kept between black bars, as the Linux desktop does.
//
// The test hooks of platform/common/TestHooks.h: the performance counter on
// the virtual frame clock, and the frame hold, which a key press or a close
// request ends.
#include <cstdio>
#include <map>

#include "platform/common/ScaledPicture.h"
#include "platform/common/TestHooks.h"
#include "platform/win32.h"

namespace {

// The system's own function `name` in `module`.
template <typename Function>
Function systemFunction(const char* module, const char* name) {
    HMODULE loaded = GetModuleHandleA(module);
    if (!loaded) loaded = LoadLibraryA(module);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}
#define SYSTEM(module, name) systemFunction<decltype(&::name)>(module, #name)

// ---- The full-screen picture --------------------------------------------------

struct Scaling {
    bool active = false;  // the requested mode could not be set: scale instead
    int width = 0;        // the requested mode's size
    int height = 0;
    HWND window = nullptr;  // the full-screen window
    WNDPROC windowProcedure = nullptr;  // the program's own
    std::map<HGLRC, scaledpicture::Picture> pictures;
} scaling;

LONG WINAPI changeDisplaySettings(DEVMODEA* mode, DWORD flags) {
    static const auto system = SYSTEM("user32.dll", ChangeDisplaySettingsA);
    const LONG result = system(mode, flags);
    if (!mode) {
        scaling.active = false;
        return result;
    }
    if (result == DISP_CHANGE_SUCCESSFUL) {
        scaling.active = false;
        return result;
    }
    // No such mode (or none the system will set): shown scaled instead.
    scaling.active = true;
    scaling.width = (mode->dmFields & DM_PELSWIDTH) ? static_cast<int>(mode->dmPelsWidth) : 640;
    scaling.height = (mode->dmFields & DM_PELSHEIGHT) ? static_cast<int>(mode->dmPelsHeight) : 480;
    return DISP_CHANGE_SUCCESSFUL;
}

// The full-screen window's procedure while scaled: the client size is the
// requested mode's, as if the mode had been set.
LRESULT CALLBACK scaledWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && wParam != SIZE_MINIMIZED) lParam = MAKELPARAM(scaling.width, scaling.height);
    return CallWindowProcA(scaling.windowProcedure, window, message, wParam, lParam);
}

HWND WINAPI createWindow(DWORD extendedStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                         int height, HWND parent, HMENU menu, HINSTANCE instance, void* parameter) {
    static const auto system = SYSTEM("user32.dll", CreateWindowExA);
    const bool scaled = scaling.active && (style & WS_POPUP);
    if (scaled) {
        x = 0;
        y = 0;
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    HWND window = system(extendedStyle, className, title, style, x, y, width, height, parent, menu, instance, parameter);
    if (window && scaled) {
        scaling.window = window;
        scaling.windowProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(scaledWindowProcedure)));
    }
    return window;
}

void* openGlEntry(const char* name) {
    return reinterpret_cast<void*>(wglGetProcAddress(name));
}

// Drawing of the full-screen window's context goes to its offscreen picture,
// made when the context is first made current there.
BOOL WINAPI makeCurrent(HDC deviceContext, HGLRC context) {
    static const auto system = SYSTEM("opengl32.dll", wglMakeCurrent);
    if (!system(deviceContext, context)) return FALSE;
    if (!context || !scaling.active || !scaling.window || WindowFromDC(deviceContext) != scaling.window) return TRUE;
    auto found = scaling.pictures.find(context);
    if (found == scaling.pictures.end()) {
        found = scaling.pictures.emplace(context, scaledpicture::Picture{}).first;
        if (!scaledpicture::create(found->second, scaling.width, scaling.height, openGlEntry)) {
            std::fprintf(stderr,
                         "salute: the OpenGL driver has no framebuffer objects; the picture is drawn unscaled "
                         "in a corner of the screen\n");
        }
    }
    scaledpicture::bind(found->second);
    return TRUE;
}

BOOL WINAPI deleteContext(HGLRC context) {
    static const auto system = SYSTEM("opengl32.dll", wglDeleteContext);
    const auto found = scaling.pictures.find(context);
    if (found != scaling.pictures.end()) {
        if (wglGetCurrentContext() == context) scaledpicture::destroy(found->second);
        scaling.pictures.erase(found);
    }
    return system(context);
}

// ---- The test hooks -------------------------------------------------------------

using testhooks::counterHz;

BOOL WINAPI counterFrequency(LARGE_INTEGER* frequency) {
    static const auto system = SYSTEM("kernel32.dll", QueryPerformanceFrequency);
    if (!testhooks::frameClock().fps) return system(frequency);
    if (!frequency) return FALSE;
    frequency->QuadPart = counterHz;
    return TRUE;
}

BOOL WINAPI counter(LARGE_INTEGER* count) {
    static const auto system = SYSTEM("kernel32.dll", QueryPerformanceCounter);
    if (!testhooks::frameClock().fps) return system(count);
    if (!count) return FALSE;
    count->QuadPart = testhooks::frameClock().ticks(counterHz);
    return TRUE;
}

const auto systemSleep = SYSTEM("kernel32.dll", Sleep);

// Really waits, also on the frame clock (a test may act during the pause).
void WINAPI sleep(DWORD milliseconds) {
    testhooks::frameClock().slept(milliseconds);
    systemSleep(milliseconds);
}

// Whether a message that ends a hold is waiting: a key press or a request
// to close. It is only looked at, so the program still gets it.
bool holdEnds() {
    MSG message;
    for (UINT type : {WM_KEYDOWN, WM_SYSKEYDOWN, WM_SYSCOMMAND, WM_CLOSE, WM_QUIT})
        if (PeekMessageA(&message, nullptr, type, type, PM_NOREMOVE)) return true;
    return false;
}

void waitForInput() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT); }

// Counts the frame just presented, and keeps it on screen when a test asked.
void framePresented() {
    testhooks::FrameClock& clock = testhooks::frameClock();
    const long index = clock.presented();
    if (!clock.holds(index)) return;
    GdiFlush();
    testhooks::holdFrame(index, holdEnds, waitForInput);
}

void swapSystemBuffers(void* deviceContext) {
    static const auto system = SYSTEM("gdi32.dll", SwapBuffers);
    system(static_cast<HDC>(deviceContext));
}

// Shows the finished frame: scaled onto the whole window when the current
// context draws offscreen, else a plain buffer swap.
BOOL WINAPI swapBuffers(HDC deviceContext) {
    static const auto system = SYSTEM("gdi32.dll", SwapBuffers);
    const auto found = scaling.pictures.find(wglGetCurrentContext());
    if (found != scaling.pictures.end() && found->second.framebuffer &&
        WindowFromDC(deviceContext) == scaling.window) {
        RECT client{};
        GetClientRect(scaling.window, &client);
        scaledpicture::present(found->second, client.right, client.bottom, swapSystemBuffers, deviceContext);
    } else if (!system(deviceContext)) {
        return FALSE;
    }
    framePresented();
    return TRUE;
}

}  // namespace

// The import slots the program's calls go through.
extern "C" {
decltype(&ChangeDisplaySettingsA) __imp_ChangeDisplaySettingsA = changeDisplaySettings;
decltype(&CreateWindowExA) __imp_CreateWindowExA = createWindow;
decltype(&wglMakeCurrent) __imp_wglMakeCurrent = makeCurrent;
decltype(&wglDeleteContext) __imp_wglDeleteContext = deleteContext;
decltype(&SwapBuffers) __imp_SwapBuffers = swapBuffers;
decltype(&QueryPerformanceFrequency) __imp_QueryPerformanceFrequency = counterFrequency;
decltype(&QueryPerformanceCounter) __imp_QueryPerformanceCounter = counter;
decltype(&Sleep) __imp_Sleep = sleep;
}
