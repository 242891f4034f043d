// Opens a window through the desktop platform layer, the way the program
// does, and prints every message its window procedure receives, one line
// each, so that a test can drive it with real X input and check the
// translation. Closing the window (WM_CLOSE) quits with exit code 3, which
// must come back through WM_QUIT's wParam. Also checks the counter first.
//
// Usage: sdl_message_probe [windowed]   (full screen 640 x 480 by default)
#include <cstdio>
#include <cstring>

#include "platform/win32.h"

namespace {

bool quitting = false;

const char* messageName(UINT message) {
    switch (message) {
    case WM_SIZE: return "WM_SIZE";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    default: return nullptr;
    }
}

LRESULT probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const char* name = messageName(message);
    const auto bits = static_cast<std::uint32_t>(lParam);
    if (message == WM_SIZE) {
        std::printf("WM_SIZE %ux%u\n", bits & 0xFFFFu, bits >> 16);
    } else if (message >= WM_KEYDOWN && message <= WM_SYSKEYUP) {
        std::printf("%s 0x%02x%s%s\n", name, static_cast<unsigned>(wParam),
                    (bits & (1u << 30)) ? " was-down" : "", (bits & (1u << 29)) ? " alt" : "");
    } else if (name) {
        std::printf("%s 0x%x\n", name, static_cast<unsigned>(wParam));
    }
    std::fflush(stdout);
    if (message == WM_CLOSE) {
        if (!quitting) PostQuitMessage(3);
        quitting = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// 10 MHz, monotonic, and moving with real time.
bool clockWorks() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER before;
    LARGE_INTEGER after;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart != 10000000) return false;
    QueryPerformanceCounter(&before);
    Sleep(50);
    QueryPerformanceCounter(&after);
    const std::int64_t ticks = after.QuadPart - before.QuadPart;
    return ticks >= 450000 && ticks < 10000000;
}

}  // namespace

int main(int argc, char** argv) {
    const bool windowed = argc > 1 && std::strcmp(argv[1], "windowed") == 0;
    if (!clockWorks()) {
        std::printf("clock wrong\n");
        return 1;
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = probeProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "probe";
    if (!RegisterClassA(&windowClass) || RegisterClassA(&windowClass)) {
        std::printf("class registration wrong\n");
        return 1;
    }

    DWORD style = WS_OVERLAPPEDWINDOW;
    if (!windowed) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmBitsPerPel = 32;
        mode.dmPelsWidth = 640;
        mode.dmPelsHeight = 480;
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return 1;
        style = WS_POPUP;
    }
    HWND window = CreateWindowExA(0, "probe", "Salute", style, 0, 0, 640, 480, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);
    ShowWindow(window, SW_SHOW);
    SetFocus(window);

    // A context that presents, as the program's frames do.
    HDC deviceContext = GetDC(window);
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    HGLRC context = nullptr;
    const int format = ChoosePixelFormat(deviceContext, &descriptor);
    if (format && SetPixelFormat(deviceContext, format, &descriptor)) context = wglCreateContext(deviceContext);
    if (!context || !wglMakeCurrent(deviceContext, context)) {
        std::printf("no context\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);

    MSG msg{};
    for (int idle = 0; idle < 1000;) {  // about 15 s of frames at most
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        SwapBuffers(deviceContext);
        Sleep(15);
        ++idle;
    }
    wglMakeCurrent(deviceContext, nullptr);
    wglDeleteContext(context);
    ReleaseDC(window, deviceContext);
    ChangeDisplaySettingsA(nullptr, 0);
    const bool destroyed = DestroyWindow(window) && !DestroyWindow(window) && UnregisterClassA("probe", instance);
    if (!destroyed) std::printf("clean-up wrong\n");
    return msg.message == WM_QUIT && destroyed ? static_cast<int>(msg.wParam) : 1;
}
