// The part of the Win32 subset that does not depend on a display: the module
// handle, window classes and their icon, cursor and frame, the thread's
// message queue, dispatch, the default window procedure, the messages
// ShowWindow sends and the one pixel format. The backends feed native events
// in through platform/common/Backend.h.
#include <deque>
#include <map>
#include <string>

#include "platform/common/Backend.h"

struct HINSTANCE__ {
    int unused;
};

namespace {

HINSTANCE__ moduleInstance{};

std::map<std::string, WNDPROC> windowClasses;
ATOM nextAtom = 0xC000;  // where Win32 numbers registered classes from

// Input and window messages in arrival order. WM_QUIT is not among them:
// like Win32, PostQuitMessage only raises a flag, and the quit message is
// handed out once nothing else is pending.
std::deque<MSG> queue;
bool quitPending = false;
WPARAM quitCode = 0;

}  // namespace

namespace win32common {

WNDPROC classProcedure(LPCSTR className) {
    const auto found = className ? windowClasses.find(className) : windowClasses.end();
    return found == windowClasses.end() ? nullptr : found->second;
}

void queueMessage(const MSG& message) { queue.push_back(message); }

LRESULT sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC procedure = win32native::windowProcedure(window);
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

}  // namespace win32common

using win32common::sendMessage;

// ---- kernel32 ------------------------------------------------------------------

// One static module record: the program is its only module.
HMODULE GetModuleHandleA(LPCSTR) { return &moduleInstance; }

// ---- user32: window class ----------------------------------------------------

// Keeps the class name's window procedure; 0 when the name is taken.
ATOM RegisterClassA(const WNDCLASSA* windowClass) {
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
    if (!windowClasses.emplace(windowClass->lpszClassName, windowClass->lpfnWndProc).second) return 0;
    return nextAtom++;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
    return className && windowClasses.erase(className) ? TRUE : FALSE;
}

// No icon resources: the system's (or SDL's) default window icon applies.
HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }

// The cursor's shape is never changed: the system arrow stays.
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }

// Windows are sized by their client area and any frame is drawn around it
// (by SDL on the desktop), so the rectangle stays the client rectangle for
// every style.
BOOL AdjustWindowRectEx(RECT* rectangle, DWORD, BOOL, DWORD) { return rectangle ? TRUE : FALSE; }

// Shows the window, then, as Win32 does before returning: WM_SIZE with the
// client size, and the screen-saver and monitor-power questions. Both are
// held off while the window procedure is asked; only a request it passes on
// to DefWindowProcA lets them run again. Returns whether the window was
// visible before.
BOOL ShowWindow(HWND window, int) {
    int width = 0;
    int height = 0;
    bool wasVisible = false;
    if (!win32native::showWindow(window, &width, &height, &wasVisible)) return FALSE;
    sendMessage(window, WM_SIZE, 0, MAKELPARAM(width, height));
    win32native::allowScreenSaver(false);
    sendMessage(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    sendMessage(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);  // 2: power off
    return wasVisible ? TRUE : FALSE;
}

// ---- user32: messages --------------------------------------------------------

// Native events are queued first, so that input keeps its order; WM_QUIT
// comes only when nothing else is pending. The window and range filters
// are not supported (the program passes none).
BOOL PeekMessageA(MSG* message, HWND, UINT, UINT, UINT removeFlags) {
    if (!message) return FALSE;
    win32native::pumpEvents();
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    if (!queue.empty()) {
        *message = queue.front();
        if (remove) queue.pop_front();
        return TRUE;
    }
    if (!quitPending) return FALSE;
    *message = MSG{nullptr, WM_QUIT, quitCode, 0, 0, {0, 0}};
    if (remove) quitPending = false;
    return TRUE;
}

// Key messages need no character translation here.
BOOL TranslateMessage(const MSG*) { return TRUE; }

LRESULT DispatchMessageA(const MSG* message) {
    if (!message) return 0;
    return sendMessage(message->hwnd, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
    quitPending = true;
    quitCode = static_cast<WPARAM>(exitCode);
}

// Alt+F4 becomes the close command, the close command becomes WM_CLOSE (sent
// to the window procedure at once); screen-saver and monitor power-down
// requests are granted. Everything else: 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const bool altHeld = (static_cast<std::uint32_t>(lParam) & (1u << 29)) != 0;
    if (message == WM_SYSKEYDOWN && wParam == VK_F4 && altHeld) {
        sendMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (message == WM_SYSCOMMAND) {
        const WPARAM command = wParam & 0xFFF0;  // the low four bits are the system's own
        if (command == SC_CLOSE) {
            sendMessage(window, WM_CLOSE, 0, 0);
        } else if (command == SC_SCREENSAVE || command == SC_MONITORPOWER) {
            win32native::allowScreenSaver(true);
        }
    }
    return 0;
}

// ---- gdi32: pixel format -------------------------------------------------------

// One format, index 1: double-buffered colour with depth, made by the backend
// along with the window or context. Any OpenGL request gets it.
int ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* descriptor) {
    return deviceContext && descriptor && (descriptor->dwFlags & PFD_SUPPORT_OPENGL) ? 1 : 0;
}

BOOL SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR*) {
    return deviceContext && format == 1 ? TRUE : FALSE;
}
