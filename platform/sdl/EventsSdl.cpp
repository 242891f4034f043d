// The desktop backend's input: SDL events translated into window messages
// for the shared queue (platform/common/Win32Common.cpp), keys with Win32's
// virtual-key codes and lParam bits.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/common/Backend.h"
#include "platform/sdl/SdlBackend.h"

using sdlbackend::isLiveWindow;

namespace {

HWND windowFromId(Uint32 id) {
    SDL_Window* sdl = SDL_GetWindowFromID(id);
    HWND window = sdl ? static_cast<HWND>(SDL_GetWindowData(sdl, "salute.hwnd")) : nullptr;
    return isLiveWindow(window) ? window : nullptr;
}

// Keyboard input goes to the window it names, else to the focus window.
HWND keyboardWindow(Uint32 id) {
    if (HWND window = windowFromId(id)) return window;
    if (isLiveWindow(sdlbackend::focusWindow())) return sdlbackend::focusWindow();
    const std::vector<HWND>& windows = sdlbackend::windows();
    return windows.empty() ? nullptr : windows.front();
}

// Win32 virtual-key code of an SDL key; 0xFF (no mapping) for the rest.
WPARAM virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return 0x7C + (key - SDLK_F13);
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 0x61 + (key - SDLK_KP_1);
    switch (key) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return 0x10;
    case SDLK_LCTRL: case SDLK_RCTRL: return 0x11;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0xFF;
    }
}

// Turns one SDL event into a window message; false when it means nothing
// to the program.
bool translateEvent(const SDL_Event& event, MSG* message) {
    *message = MSG{};
    message->time = SDL_GetTicks();
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        HWND window = keyboardWindow(event.key.windowID);
        if (!window) return false;
        const bool down = event.type == SDL_KEYDOWN;
        const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        // lParam as Win32 packs it: repeat count 1, bit 29 Alt held, bit 30
        // the key was already down (auto-repeat, and every key-up), bit 31
        // released.
        std::uint32_t bits = 1;
        if (alt) bits |= 1u << 29;
        if (!down || event.key.repeat) bits |= 1u << 30;
        if (!down) bits |= 1u << 31;
        message->hwnd = window;
        message->message = down ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP);
        message->wParam = virtualKey(event.key.keysym.sym);
        message->lParam = static_cast<LPARAM>(static_cast<std::int32_t>(bits));
        return true;
    }
    case SDL_QUIT:  // also raised by SIGINT and SIGTERM
        if (sdlbackend::windows().empty()) return false;
        message->hwnd = sdlbackend::windows().front();
        message->message = WM_CLOSE;
        return true;
    case SDL_WINDOWEVENT: {
        HWND window = windowFromId(event.window.windowID);
        if (!window) return false;
        message->hwnd = window;
        switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            message->message = WM_CLOSE;
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            message->message = WM_SIZE;
            message->lParam = MAKELPARAM(0, 0);
            return true;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_SIZE_CHANGED: {
            int width = 0;
            int height = 0;
            sdlbackend::clientSize(window, &width, &height);
            message->message = WM_SIZE;
            message->lParam = MAKELPARAM(width, height);
            return true;
        }
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

}  // namespace

// Every pending SDL event that means something to the program, in order.
void win32native::pumpEvents() {
    if (!sdlbackend::videoReady()) return;
    SDL_Event event;
    MSG message;
    while (SDL_PollEvent(&event)) {
        if (translateEvent(event, &message)) win32common::queueMessage(message);
    }
}

bool sdlbackend::holdEnds() {
    SDL_PumpEvents();
    const auto ends = [](const SDL_Event& event) {
        return event.type == SDL_QUIT || event.type == SDL_KEYDOWN ||
               (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
    };
    SDL_Event pending[64];
    const int count = SDL_PeepEvents(pending, 64, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    return std::any_of(pending, pending + std::max(count, 0), ends);
}
