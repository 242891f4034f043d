// The Win32 message rules both backends keep alike, built against each;
// input as SDL events (offscreen driver) or posted messages (headless).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/win32.h"

#ifdef SALUTE_CONTRACT_SDL
#include <SDL.h>
#define NATIVE_KEY(code) code
#else
#include "platform/headless/Headless.h"
#define NATIVE_KEY(code) 0
#endif

namespace {

struct Key {
    WPARAM virtualKey;
    int nativeKey;  // the SDL key code on the desktop backend
};
const Key keyA{'A', NATIVE_KEY(SDLK_a)};
const Key keyB{'B', NATIVE_KEY(SDLK_b)};
const Key keyF4{VK_F4, NATIVE_KEY(SDLK_F4)};

#ifdef SALUTE_CONTRACT_SDL
void useBackend() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }

void press(const Key& key, bool alt = false, bool repeat = false, bool up = false) {
    SDL_Event event{};
    event.type = up ? SDL_KEYUP : SDL_KEYDOWN;
    event.key.state = up ? SDL_RELEASED : SDL_PRESSED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key.nativeKey;
    event.key.keysym.mod = alt ? KMOD_LALT : KMOD_NONE;
    SDL_PushEvent(&event);
}

bool screenSaverMayRun() { return SDL_IsScreenSaverEnabled() == SDL_TRUE; }
#else
void useBackend() {}

// The message the capture tool scripts for a key: what the desktop makes.
void press(const Key& key, bool alt = false, bool repeat = false, bool up = false) {
    std::uint32_t bits = 1u | (alt ? 1u << 29 : 0u) | (repeat || up ? 1u << 30 : 0u) | (up ? 1u << 31 : 0u);
    const UINT message = up ? (alt ? WM_SYSKEYUP : WM_KEYUP) : (alt ? WM_SYSKEYDOWN : WM_KEYDOWN);
    headless::postMessage(message, key.virtualKey, static_cast<LPARAM>(static_cast<std::int32_t>(bits)));
}

bool screenSaverMayRun() { return headless::screenSaverMayRun(); }
#endif


// Records every message; refuses screen-saver requests unless passScreenSaver.
struct Seen {
    UINT message;
    WPARAM wParam;
    std::uint32_t lParam;
};
std::vector<Seen> seen;
bool passScreenSaver = false;

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back({message, wParam, static_cast<std::uint32_t>(lParam)});
    if (message == WM_SYSCOMMAND && (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) && !passScreenSaver)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden 640 x 480 window, ordinary or full screen after a mode change.
class Win32Test : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        useBackend();
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = recordingProc;
        windowClass.lpszClassName = "contract";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
        DWORD style = WS_OVERLAPPEDWINDOW;
        if (GetParam()) {
            DEVMODEA mode{};
            mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
            mode.dmBitsPerPel = 32;
            mode.dmPelsWidth = 640;
            mode.dmPelsHeight = 480;
            ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
            style = WS_POPUP;
        }
        window = CreateWindowExA(0, "contract", "Salute", style, 0, 0, 640, 480, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        if (!window) GTEST_SKIP() << "this backend opens no window here";
        dispatchAll();
        seen.clear();
        passScreenSaver = false;
    }
    void TearDown() override {
        dispatchAll();
        if (window) {
            EXPECT_TRUE(DestroyWindow(window));
            EXPECT_FALSE(DestroyWindow(window));
        }
        UnregisterClassA("contract", nullptr);
        ChangeDisplaySettingsA(nullptr, 0);
    }
    // Removes and dispatches every pending message, a quit included.
    void dispatchAll() {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
    // The next message, taken off the queue or not.
    MSG peek(UINT removeFlags) {
        MSG message{};
        EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, removeFlags));
        return message;
    }
    HWND window = nullptr;
};

TEST_P(Win32Test, ShowWindowSendsTheClientSizeThenAsksAboutScreenSaverAndMonitorPower) {
    const bool passes[] = {false, true, false};
    for (std::size_t call = 0; call < std::size(passes); ++call) {
        SCOPED_TRACE(passes[call] ? "requests passed on" : "requests refused");
        passScreenSaver = passes[call];
        seen.clear();
        EXPECT_EQ(ShowWindow(window, SW_SHOW) != FALSE, call > 0);  // whether it was visible before
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(std::make_pair(seen[0].message, seen[0].lParam), std::make_pair(UINT(WM_SIZE), std::uint32_t(MAKELPARAM(640, 480))));
        EXPECT_EQ(std::make_pair(seen[1].message, seen[1].wParam), std::make_pair(UINT(WM_SYSCOMMAND), WPARAM(SC_SCREENSAVE)));
        EXPECT_EQ(std::make_pair(seen[2].message, seen[2].wParam), std::make_pair(UINT(WM_SYSCOMMAND), WPARAM(SC_MONITORPOWER)));
        EXPECT_EQ(screenSaverMayRun(), passes[call]);
    }
}

// WM_QUIT comes after all input queued before it is taken.
TEST_P(Win32Test, PeekLeavesOrTakesTheMessageAndQuitComesLast) {
    press(keyA);
    PostQuitMessage(7);
    press(keyB);
    EXPECT_EQ(peek(0).wParam, keyA.virtualKey);
    EXPECT_EQ(peek(0).wParam, keyA.virtualKey);
    const MSG removed = peek(PM_REMOVE);
    EXPECT_EQ(removed.wParam, keyA.virtualKey);
    EXPECT_EQ(removed.hwnd, window);
    EXPECT_EQ(peek(PM_REMOVE).wParam, keyB.virtualKey);
    EXPECT_EQ(peek(0).message, WM_QUIT);
    const MSG quit = peek(PM_REMOVE);
    EXPECT_EQ(quit.message, WM_QUIT);
    EXPECT_EQ(quit.wParam, 7u);
    MSG none{};
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
}

TEST_P(Win32Test, AltF4BecomesTheCloseCommandAndThenWmClose) {
    press(keyF4, true);
    press(keyF4);  // without Alt: an ordinary key
    dispatchAll();
    ASSERT_EQ(seen.size(), 4u);
    const std::pair<UINT, WPARAM> expected[] = {{WM_SYSKEYDOWN, VK_F4}, {WM_SYSCOMMAND, SC_CLOSE}, {WM_CLOSE, seen[2].wParam}, {WM_KEYDOWN, VK_F4}};
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(std::make_pair(seen[i].message, seen[i].wParam), expected[i]) << i;
}

// lParam: repeat count 1, bit 29 Alt, bit 30 already down, bit 31 released.
TEST_P(Win32Test, KeysArriveWithTheirVirtualKeyAndWin32Bits) {
    const Key keys[] = {{VK_SPACE, NATIVE_KEY(SDLK_SPACE)}, {VK_ESCAPE, NATIVE_KEY(SDLK_ESCAPE)}, {'Z', NATIVE_KEY(SDLK_z)},
                        {'5', NATIVE_KEY(SDLK_5)}, {0x70, NATIVE_KEY(SDLK_F1)}};
    struct Press {
        bool alt, repeat, up;
        UINT message;
        std::uint32_t lParam;
    };
    const Press presses[] = {{false, false, false, WM_KEYDOWN, 1u},
                             {false, true, false, WM_KEYDOWN, 1u | 1u << 30},
                             {false, false, true, WM_KEYUP, 1u | 3u << 30},
                             {true, false, false, WM_SYSKEYDOWN, 1u | 1u << 29},
                             {true, false, true, WM_SYSKEYUP, 1u | 1u << 29 | 3u << 30}};
    for (const Key& key : keys)
        for (const Press& how : presses) press(key, how.alt, how.repeat, how.up);
    dispatchAll();
    ASSERT_EQ(seen.size(), std::size(keys) * std::size(presses));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].wParam, keys[i / std::size(presses)].virtualKey);
        EXPECT_EQ(seen[i].message, presses[i % std::size(presses)].message);
        EXPECT_EQ(seen[i].lParam, presses[i % std::size(presses)].lParam);
    }
}

INSTANTIATE_TEST_SUITE_P(Styles, Win32Test, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "fullscreen" : "windowed";
                         });

}  // namespace
