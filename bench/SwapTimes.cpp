// Preloaded into the desktop program (LD_PRELOAD) by bench/desktop and by
// the desktop soak test: writes the monotonic time (CLOCK_MONOTONIC, the
// clock of std::chrono::steady_clock) of every buffer swap, one line each,
// to the file named by SALUTE_SWAP_TIMES, without changing the program.
// Every presented frame goes through SDL_GL_SwapWindow.
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

using SwapWindow = void (*)(void*);

std::FILE* openLog() {
    const char* path = std::getenv("SALUTE_SWAP_TIMES");
    std::FILE* file = path && *path ? std::fopen(path, "w") : nullptr;
    // Line-buffered: a run ended by a signal keeps every frame but the last.
    if (file) std::setvbuf(file, nullptr, _IOLBF, 0);
    return file;
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(void* window) {
    static const auto real = reinterpret_cast<SwapWindow>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    static std::FILE* const log = openLog();
    if (real) real(window);
    if (log) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::fprintf(log, "%ld.%09ld\n", static_cast<long>(now.tv_sec), now.tv_nsec);
    }
}
