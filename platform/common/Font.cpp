// Placeholder: no system font yet; the font calls fail and draw nothing.
#include "platform/win32.h"

HFONT CreateFontA(int, int, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, LPCSTR) {
    return nullptr;
}
HGDIOBJ SelectObject(HDC, HGDIOBJ) { return nullptr; }
BOOL DeleteObject(HGDIOBJ) { return FALSE; }
BOOL wglUseFontBitmapsA(HDC, DWORD, DWORD, DWORD) { return FALSE; }
