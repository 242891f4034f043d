#include "app/Window.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

#include "platform/audio.h"

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HINSTANCE instanceHandle = nullptr;
HWND windowHandle = nullptr;
HDC deviceContext = nullptr;
HGLRC renderContext = nullptr;
int viewWidth = 0;
int viewHeight = 0;
int viewScale = 1;

namespace {
const char* const className = "test";
const char* const windowTitle = "Salute";
}  // namespace

bool createWindow() {
    instanceHandle = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instanceHandle;
    windowClass.hIcon = LoadIconA(instanceHandle, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass)) return false;

    RECT rectangle{0, 0, screenWidth, screenHeight};
    DWORD style = 0;
    DWORD extendedStyle = 0;
    if (fullscreen) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmBitsPerPel = 32;
        mode.dmPelsWidth = screenWidth;
        mode.dmPelsHeight = screenHeight;
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;
        ShowCursor(FALSE);
        style = WS_POPUP;
        extendedStyle = WS_EX_APPWINDOW;
    } else {
        // Windowed builds get a 640 x 480 client area, the size the
        // drawing is made for.
        style = WS_OVERLAPPEDWINDOW;
        extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    }
    AdjustWindowRectEx(&rectangle, style, FALSE, extendedStyle);

    windowHandle = CreateWindowExA(extendedStyle, className, windowTitle,
                                   style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                   rectangle.right - rectangle.left, rectangle.bottom - rectangle.top,
                                   nullptr, nullptr, instanceHandle, nullptr);
    if (!windowHandle) {
        killWindow();
        return false;
    }
    SetForegroundWindow(windowHandle);
    ShowWindow(windowHandle, SW_SHOW);
    SetFocus(windowHandle);
    return true;
}

bool killWindow() {
    bool result = true;
    BASS_Stop();
    ChangeDisplaySettingsA(nullptr, 0);
    ShowCursor(TRUE);
    if (!DestroyWindow(windowHandle)) result = false;
    windowHandle = nullptr;
    if (!UnregisterClassA(className, instanceHandle)) result = false;
    instanceHandle = nullptr;
    return result;
}

bool initGL(HWND window) {
    deviceContext = GetDC(window);
    if (!deviceContext) return false;

    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof(descriptor);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cDepthBits = 32;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(deviceContext, &descriptor);
    if (!format) return false;
    if (!SetPixelFormat(deviceContext, format, &descriptor)) return false;

    renderContext = wglCreateContext(deviceContext);
    if (!renderContext) return false;
    if (!wglMakeCurrent(deviceContext, renderContext)) return false;

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);
    glBlendFunc(GL_ONE, GL_ONE);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_GENERATE_MIPMAP_HINT, GL_NICEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_NORMALIZE);

    // A display of 96 N dots per inch has N device pixels per pixel of the
    // design; the window's client area is that large.
    const int dotsPerInch = GetDeviceCaps(deviceContext, LOGPIXELSY);
    viewScale = dotsPerInch >= 2 * 96 ? std::min(dotsPerInch / 96, 4) : 1;
    resizeView(screenWidth * viewScale, screenHeight * viewScale);
    return true;
}

bool releaseGL(HWND window) {
    bool result = true;
    if (renderContext) {
        if (!wglMakeCurrent(deviceContext, renderContext)) result = false;
        if (!wglDeleteContext(renderContext)) result = false;
        renderContext = nullptr;
    }
    if (deviceContext) {
        if (!ReleaseDC(window, deviceContext)) {
            deviceContext = nullptr;
            return false;
        }
        deviceContext = nullptr;
    }
    return result;
}

void resizeView(int width, int height) {
    viewWidth = width;
    viewHeight = height;
}
