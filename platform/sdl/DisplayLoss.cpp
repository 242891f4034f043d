#include "platform/sdl/DisplayLoss.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Xlib calls this when the connection breaks and exits when it returns;
// exit would run the exit handlers, and SDL's own clean-up would spin on the
// dead connection forever. Nothing is left to tidy: the display is gone,
// and the time stamps already written are on disk (each one is written out
// as it is made). So: one line, then _exit.
int displayLost(Display* display) {
    const char* name = display != nullptr ? DisplayString(display) : nullptr;
    std::fprintf(stderr, "salute: the display %s went away; the presentation ends\n",
                 name != nullptr && *name != '\0' ? name : "(X server)");
    std::fflush(stderr);
    _exit(1);
}

}  // namespace

void watchForDisplayLoss() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(displayLost);
}
