#include "platform/sdl/DisplayLoss.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// Nothing is left to tidy once the display has gone, and the time stamps
// already written are on disk (each one is written out as it is made): one
// line, then _exit, past the exit handlers and SDL's clean-up, which would
// wait on the dead connection.
[[noreturn]] void endForLostDisplay(const char* kind, const char* name) {
    std::fprintf(stderr, "salute: the %s %s went away; the presentation ends\n", kind, name);
    std::fflush(stderr);
    _exit(1);
}

// Xlib calls this when the connection breaks, and exits when it returns.
int xDisplayLost(Display* display) {
    const char* name = display != nullptr ? DisplayString(display) : nullptr;
    endForLostDisplay("display", name != nullptr && *name != '\0' ? name : "(X server)");
}

// SDL's Wayland driver turns a broken connection to the compositor into an
// SDL_QUIT, the same event as an orderly quit; only the connection's own
// error tells the two apart. Called as each event is queued.
int waylandQuitWatch(void*, SDL_Event* event) {
    if (event->type != SDL_QUIT) return 1;
    SDL_Window* window = SDL_GL_GetCurrentWindow();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_WAYLAND ||
        wl_display_get_error(info.info.wl.display) == 0)
        return 1;
    const char* name = std::getenv("WAYLAND_DISPLAY");
    endForLostDisplay("Wayland display", name != nullptr && *name != '\0' ? name : "wayland-0");
}

}  // namespace

void watchForDisplayLoss() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) return;
    if (std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(xDisplayLost);
    if (std::strcmp(driver, "wayland") == 0) SDL_AddEventWatch(waylandQuitWatch, nullptr);
}
