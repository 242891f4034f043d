#include "platform/sdl/WaylandDriver.h"

#include <SDL.h>
#include <wayland-client.h>

#include <cstring>
#include <sstream>
#include <string>

namespace {

// Asks the compositor named by WAYLAND_DISPLAY (or the default socket) for
// its globals. False as well when there is no compositor to ask: SDL's driver
// then fails by itself.
bool compositorLacksSeat() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return false;
    bool seat = false;
    static const wl_registry_listener listener = {
        [](void* found, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(found) = true;
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &seat);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && !seat;
}

}  // namespace

bool leaveOutSeatlessWayland() {
    SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_ALLOW_LIBDECOR, "0");
    const char* choice = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (!choice || !std::strstr(choice, "wayland") || !compositorLacksSeat()) return false;
    std::istringstream names(choice);
    std::string rest;
    for (std::string name; std::getline(names, name, ',');) {
        if (name == "wayland") continue;
        rest += (rest.empty() ? "" : ",") + name;
    }
    // Over SDL_VIDEODRIVER in the environment too: an empty choice would let
    // SDL try every driver, Wayland included, so it names none then.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, rest.empty() ? "none" : rest.c_str(), SDL_HINT_OVERRIDE);
    return true;
}
