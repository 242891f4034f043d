// The small part of the Win32, WGL and GDI interface that the presentation
// uses, with the names, types and constant values the program is written
// against. Two backends implement it: an SDL2 one for the desktop and a
// headless one (virtual clock, offscreen OpenGL) for tests and capture.
// Each call is documented by what the program relies on, nothing more.
//
// Built for Windows, this header is the system's own interface instead:
// the program is compiled against the real Win32, WGL and GDI, and
// platform/windows adds only what the system lacks.
#pragma once

#ifdef _WIN32
#include <cstdint>
// Without the min and max macros (std::min stays usable) and the rarely
// used parts (whose "boolean" would clash with libjpeg's).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// clang-format off: windows.h first, the OpenGL headers need its macros
#include <windows.h>
#include <GL/gl.h>
#include <GL/glext.h>  // GL_CLAMP_TO_EDGE and the rest past OpenGL 1.1
// clang-format on
#else

#include <cstdint>

// ---- Basic types -----------------------------------------------------------
using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LPCSTR = const char*;
using LPSTR = char*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ATOM = WORD;

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    std::int64_t QuadPart;
};

// Opaque handles. Each backend defines the structures behind them.
struct HINSTANCE__;
struct HWND__;
struct HDC__;
struct HGLRC__;
struct HICON__;
struct HBRUSH__;
struct HMENU__;
struct HGDIOBJ__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HWND = HWND__*;
using HDC = HDC__*;
using HGLRC = HGLRC__*;
using HICON = HICON__*;
using HCURSOR = HICON;
using HBRUSH = HBRUSH__*;
using HMENU = HMENU__*;
using HGDIOBJ = HGDIOBJ__*;
using HFONT = HGDIOBJ;

#define WINAPI
#define CALLBACK
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Two 16-bit halves packed into a message parameter, and taken out again
// (WM_SIZE carries the client width low and the height high).
constexpr LPARAM MAKELPARAM(std::uint32_t low, std::uint32_t high) {
    return static_cast<LPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr WORD LOWORD(std::uintptr_t value) { return static_cast<WORD>(value & 0xFFFFu); }
constexpr WORD HIWORD(std::uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFFu); }

struct RECT {
    LONG left, top, right, bottom;
};

struct POINT {
    LONG x, y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};

// Only the fields the program fills are kept; the rest of the record does
// not matter on this platform.
struct DEVMODEA {
    WORD dmSize;
    DWORD dmFields;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
    DWORD dmDisplayFrequency;
};

// A glyph's place and size in pixels: its black box (the smallest
// rectangle holding its image), the box's top-left corner relative to the
// character origin on the baseline (y upwards), and the advance.
struct GLYPHMETRICS {
    UINT gmBlackBoxX;
    UINT gmBlackBoxY;
    POINT gmptGlyphOrigin;
    short gmCellIncX;
    short gmCellIncY;
};

// A 16.16 fixed-point number and the 2 x 2 transform GetGlyphOutlineA takes.
struct FIXED {
    WORD fract;
    short value;
};
struct MAT2 {
    FIXED eM11, eM12, eM21, eM22;
};

struct PIXELFORMATDESCRIPTOR {
    WORD nSize;
    WORD nVersion;
    DWORD dwFlags;
    BYTE iPixelType;
    BYTE cColorBits;
    BYTE cRedBits, cRedShift, cGreenBits, cGreenShift, cBlueBits, cBlueShift;
    BYTE cAlphaBits, cAlphaShift;
    BYTE cAccumBits, cAccumRedBits, cAccumGreenBits, cAccumBlueBits, cAccumAlphaBits;
    BYTE cDepthBits;
    BYTE cStencilBits;
    BYTE cAuxBuffers;
    BYTE iLayerType;
    BYTE bReserved;
    DWORD dwLayerMask;
    DWORD dwVisibleMask;
    DWORD dwDamageMask;
};

// ---- Constants -------------------------------------------------------------
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCOMMAND = 0x0112;

constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_F4 = 0x73;

constexpr UINT PM_REMOVE = 0x0001;

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_OWNDC = 0x0020;

constexpr DWORD WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_EX_WINDOWEDGE = 0x00000100;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

constexpr int SW_SHOW = 5;

constexpr DWORD DM_BITSPERPEL = 0x00040000;
constexpr DWORD DM_PELSWIDTH = 0x00080000;
constexpr DWORD DM_PELSHEIGHT = 0x00100000;
constexpr DWORD CDS_FULLSCREEN = 0x00000004;
constexpr LONG DISP_CHANGE_SUCCESSFUL = 0;
constexpr LONG DISP_CHANGE_FAILED = -1;
constexpr LONG DISP_CHANGE_BADMODE = -2;

constexpr DWORD PFD_DOUBLEBUFFER = 0x00000001;
constexpr DWORD PFD_DRAW_TO_WINDOW = 0x00000004;
constexpr DWORD PFD_SUPPORT_OPENGL = 0x00000020;
constexpr BYTE PFD_TYPE_RGBA = 0;
constexpr BYTE PFD_MAIN_PLANE = 0;

// Resource identifiers, passed where Win32 takes MAKEINTRESOURCE values.
#define IDI_APPLICATION (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32512)))
#define IDC_ARROW (reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(32512)))

// GetDeviceCaps indexes: the display's dots per inch across and down.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// GDI font request values.
constexpr int FW_NORMAL = 400;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_TT_PRECIS = 4;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_DONTCARE = 0;
constexpr UINT GGO_BITMAP = 1;
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;

// ---- The program's entry routine (defined by the program) ---------------------
// The backend's process entry calls it once and exits with its result.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

// ---- kernel32 --------------------------------------------------------------
// The handle of the running program's module (never null).
HMODULE GetModuleHandleA(LPCSTR moduleName);
// Ticks per second of the counter below; constant for the process.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
// The current tick count of a monotonic counter.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
// Suspends the thread for the given milliseconds.
void Sleep(DWORD milliseconds);

// ---- user32: window class, window, display mode, cursor ---------------------
// Registers the class so CreateWindowExA can find its window procedure;
// 0 when it is already registered or cannot be.
ATOM RegisterClassA(const WNDCLASSA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
// The program carries no icon resource: null, the platform's default applies.
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// With a mode record and CDS_FULLSCREEN: makes the display show a
// dmPelsWidth x dmPelsHeight picture full screen (a real mode switch where
// the display offers that mode, otherwise the picture scaled to the desktop
// with its aspect kept). DISP_CHANGE_SUCCESSFUL, or a failure code when there
// is no display at all. With null: restores the desktop's own mode.
LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
// Shows (TRUE) or hides (FALSE) the mouse cursor over the window; returns the
// new display count as Win32 does.
int ShowCursor(BOOL show);
// Turns a client rectangle into the window rectangle for the given style.
BOOL AdjustWindowRectEx(RECT* rectangle, DWORD style, BOOL menu, DWORD extendedStyle);
// Creates the window of a registered class; null on failure. WS_POPUP after
// a successful full-screen mode change gives the full-screen window.
HWND CreateWindowExA(DWORD extendedStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
BOOL SetForegroundWindow(HWND window);
// Shows the window. Before it returns, as Win32 does, the window procedure
// gets WM_SIZE with the client size, then WM_SYSCOMMAND SC_SCREENSAVE and
// SC_MONITORPOWER: the screen saver and monitor power-down stay held off
// unless the procedure passes these on to DefWindowProcA. Returns whether
// the window was visible before.
BOOL ShowWindow(HWND window, int showCommand);
HWND SetFocus(HWND window);

// ---- user32: messages --------------------------------------------------------
// Copies the next pending message into *message and, with PM_REMOVE, takes
// it off the queue (without, it stays next); FALSE when none is pending.
// Never blocks. Input and window messages arrive in their order; WM_QUIT
// comes only once nothing else is pending.
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* message);
// Calls the window procedure of the message's window.
LRESULT DispatchMessageA(const MSG* message);
// Posts WM_QUIT with the given exit code as its wParam.
void PostQuitMessage(int exitCode);
// The default handling: WM_SYSKEYDOWN with Alt+F4 (the platform's close
// shortcut) sends WM_SYSCOMMAND SC_CLOSE, which sends WM_CLOSE; WM_CLOSE
// destroys nothing here; a screen-saver or monitor-power request passed here
// is granted; everything else is 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- gdi32 / wgl: device context, pixel format, rendering context ----------
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC deviceContext);
// LOGPIXELSX or LOGPIXELSY: the display's dots per inch, 96 at the
// ordinary size of one device pixel per pixel of the program; 0 for other
// indexes.
int GetDeviceCaps(HDC deviceContext, int index);
// Returns a format index (1-based) that best matches the request; 0 if none.
int ChoosePixelFormat(HDC deviceContext, const PIXELFORMATDESCRIPTOR* descriptor);
BOOL SetPixelFormat(HDC deviceContext, int format, const PIXELFORMATDESCRIPTOR* descriptor);
// A compatibility-profile OpenGL context for the device context's window.
HGLRC wglCreateContext(HDC deviceContext);
BOOL wglMakeCurrent(HDC deviceContext, HGLRC context);
BOOL wglDeleteContext(HGLRC context);
// Presents the finished frame (double-buffered).
BOOL SwapBuffers(HDC deviceContext);

// ---- gdi32 / wgl: fonts ----------------------------------------------------
// A font matched to the face name and cell height the way the system's font
// matching does: a substitute face when the named one is missing.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outputPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, LPCSTR faceName);
// Selects the font into the device context; returns the previously selected one.
HGDIOBJ SelectObject(HDC deviceContext, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
// Fills display lists listBase .. listBase + count - 1 with one glBitmap
// each: the glyph of character first + i from the device context's font,
// drawn at the current raster position, which then advances by the glyph's
// advance width. Needs the current OpenGL context.
BOOL wglUseFontBitmapsA(HDC deviceContext, DWORD first, DWORD count, DWORD listBase);
// The image of one character of the device context's font, the same one
// wglUseFontBitmapsA puts in its list. Only GGO_BITMAP with the identity
// transform: one bit per pixel, most significant bit first, rows top first,
// each row padded to 32 bits. Fills the metrics; with a null buffer or size
// 0 returns the bytes needed, otherwise fills the buffer too and returns the
// bytes written. A character with no image (the space) has a 0 x 0 black box and
// needs 0 bytes. GDI_ERROR for anything else, or a buffer too small.
DWORD GetGlyphOutlineA(HDC deviceContext, UINT character, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       void* buffer, const MAT2* transform);

#endif  // _WIN32
