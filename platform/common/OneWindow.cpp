#include "platform/common/OneWindow.h"

namespace {

HWND openWindow = nullptr;

bool isOpen(HWND window) { return window && window == openWindow; }

}  // namespace

HWND onewindow::window() { return openWindow; }

// ---- Hooks of the shared Win32 part ------------------------------------------
WNDPROC win32native::windowProcedure(HWND window) { return isOpen(window) ? window->procedure : nullptr; }

bool win32native::showWindow(HWND window, int* clientWidth, int* clientHeight, bool* wasVisible) {
    if (!isOpen(window)) return false;
    *wasVisible = window->visible;
    window->visible = true;
    *clientWidth = window->width;
    *clientHeight = window->height;
    return true;
}

// ---- user32 ----------------------------------------------------------------

// One window at a time, its client area the size asked for in the program's
// pixels times the device scale.
HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int width, int height, HWND, HMENU,
                     HINSTANCE, void*) {
    const WNDPROC procedure = win32common::classProcedure(className);
    if (!procedure || openWindow || width <= 0 || height <= 0) return nullptr;
    const int scale = win32native::deviceScale();
    if (!win32native::openSurface(width * scale, height * scale)) return nullptr;
    openWindow = new HWND__{procedure, width * scale, height * scale, scale, false, HDC__{nullptr}};
    openWindow->deviceContext.window = openWindow;
    return openWindow;
}

BOOL DestroyWindow(HWND window) {
    if (!isOpen(window)) return FALSE;
    win32native::closeSurface();
    delete openWindow;
    openWindow = nullptr;
    return TRUE;
}

BOOL SetForegroundWindow(HWND window) { return window != nullptr; }

// Input reaches the one window whatever has the focus.
HWND SetFocus(HWND) { return nullptr; }

// ---- gdi32 -----------------------------------------------------------------
HDC GetDC(HWND window) { return isOpen(window) ? &window->deviceContext : nullptr; }
int ReleaseDC(HWND, HDC deviceContext) { return deviceContext ? 1 : 0; }

// 96 dots per inch times the device scale: the program then lays out its
// text that many times larger, as on the desktop's high-density displays.
int GetDeviceCaps(HDC deviceContext, int index) {
    if (!deviceContext || !deviceContext->window || (index != LOGPIXELSX && index != LOGPIXELSY)) return 0;
    return 96 * deviceContext->window->scale;
}
