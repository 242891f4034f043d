// Preloaded into the desktop program during the soak (LD_PRELOAD): counts
// the frames it presents without changing the program. Every buffer swap
// goes through SDL_GL_SwapWindow; once a second the running count is
// appended to the file named by SALUTE_FRAME_LOG as "SECONDS FRAMES LONGEST":
// the wall-clock time (as date +%s.%N gives it), the frames so far, and the
// longest time between two swaps since the report before.
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

using SwapWindow = void (*)(void*);

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

std::FILE* openLog() {
    const char* path = std::getenv("SALUTE_FRAME_LOG");
    std::FILE* file = path && *path ? std::fopen(path, "w") : nullptr;
    if (file) std::setvbuf(file, nullptr, _IOLBF, 0);
    return file;
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(void* window) {
    static const auto real = reinterpret_cast<SwapWindow>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    static std::FILE* const log = openLog();
    static long frames = 0;
    static double nextReport = 0.0;
    static double lastSwap = 0.0;
    static double longest = 0.0;
    if (real) real(window);
    ++frames;
    const double now = wallSeconds();
    if (frames > 1 && now - lastSwap > longest) longest = now - lastSwap;
    lastSwap = now;
    if (log && now >= nextReport) {
        std::fprintf(log, "%.4f %ld %.4f\n", now, frames, longest);
        nextReport = now + 1.0;
        longest = 0.0;
    }
}
