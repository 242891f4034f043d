// The entry routine, the main loop and the window procedure.

#include "app/FrameCycle.h"
#include "app/Soundtrack.h"
#include "app/Window.h"
#include "log/TimingLog.h"

HSTREAM musicStream = 0;
bool musicStarted = false;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        resizeView(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostQuitMessage(0);
        } else if (wParam == VK_SPACE) {
            writeTimeStamp();
        }
        return 0;  // every other key is swallowed
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;  // refused
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MSG msg{};
    const bool windowCreated = createWindow();

    bool audioReady = false;
    if (BASS_Init(1, 44100, 0, nullptr, nullptr)) {
        audioReady = true;
        musicStream = BASS_StreamCreateFile(FALSE, musicFileName, 0, 0, 0);
        BASS_Start();
    }

    // Without a window there is no device context to draw into.
    if (windowCreated) initGL(windowHandle);
    Sleep(1000);

    bool quitRemoved = false;
    if (windowCreated) {
        for (;;) {
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    quitRemoved = true;
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                continue;
            }
            renderFrame();
            if (audioReady && !musicStarted) {
                BASS_ChannelPlay(musicStream, TRUE);
                musicStarted = true;
            }
            if (BASS_ChannelIsActive(musicStream) == BASS_ACTIVE_STOPPED) break;
        }
    }

    releaseGL(windowHandle);
    // The platform has already said in one line why there is no window (no
    // display, a refused mode); nothing was shown, which the status reports.
    if (!windowCreated) return 1;
    // Give the desktop its display mode and cursor back on every way out.
    killWindow();
    return quitRemoved ? static_cast<int>(msg.wParam) : 0;
}
