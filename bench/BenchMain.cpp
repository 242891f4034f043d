// salute-bench: measures the presentation on the headless backend, next to
// floors measured in the same run. One mode per measurement; bench/run runs
// them all and prints the table. Every mode prints "key=value" lines.
//
//   salute-bench frames [--fps N] [--to T] [--warmup T] [--csv FILE] [--no-floors]
//   salute-bench load [--program-first]
//   salute-bench memory (--program | --floor) [--fps N]
//   salute-bench instructions [--from T] [--to T]   (under valgrind --tool=callgrind)
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <valgrind/callgrind.h>

#include "app/FrameCycle.h"
#include "assets/AssetLoad.h"
#include "bench/Floors.h"
#include "bench/Stats.h"
#include "platform/headless/Headless.h"
#include "scene/Scene.h"
#include "text/TextPages.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakResidentKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Options {
    std::string mode;
    long fps = 60;
    double from = 0.0;
    double to = -1.0;
    double warmup = 1.0;
    std::string csv;
    bool floors = true;
    bool programFirst = false;
    bool program = false;
    bool floor = false;
};

bool parse(int argc, char** argv, Options& options) {
    if (argc < 2) return false;
    options.mode = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--fps" && hasValue) options.fps = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--from" && hasValue) options.from = std::strtod(argv[++i], nullptr);
        else if (arg == "--to" && hasValue) options.to = std::strtod(argv[++i], nullptr);
        else if (arg == "--warmup" && hasValue) options.warmup = std::strtod(argv[++i], nullptr);
        else if (arg == "--csv" && hasValue) options.csv = argv[++i];
        else if (arg == "--no-floors") options.floors = false;
        else if (arg == "--program-first") options.programFirst = true;
        else if (arg == "--program") options.program = true;
        else if (arg == "--floor") options.floor = true;
        else return false;
    }
    return options.fps > 0 && options.fps <= 1000;
}

int runProgram() { return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW); }

// ---- load timing: the first frame's load runs timedLoad ------------------
Clock::time_point loadStart;
double loadMilliseconds = -1.0;

void printSummary(const char* name, const std::vector<double>& values) {
    const bench::Summary s = bench::summarise(values);
    std::printf("%s_median_ms=%.3f\n%s_p99_ms=%.3f\n%s_max_ms=%.3f\n", name, s.median, name, s.p99, name, s.max);
}

int visibleCards(float time) {
    int count = 0;
    for (int i = 0; i < photoCount; ++i) {
        const float start = photoInterval * static_cast<float>(i);
        count += time > start && time < start + photoWindow;
    }
    return count;
}

int visiblePage(float time) {
    for (int p = 0; p < 4; ++p)
        if (time > textPages[p].start && time < textPages[p].end) return p + 1;
    return 0;
}

int framesMode(const Options& options) {
    struct Row {
        long index;
        float demoTime;
        double program, clear, geometry;
    };
    std::vector<Row> rows;
    rows.reserve(8000);
    Clock::time_point resume = Clock::now();
    headless::Config config;
    config.fpsNumerator = options.fps;
    config.onFrame = [&](const headless::Frame& frame) {
        Row row{frame.index, demoTime, millisecondsSince(resume), 0.0, 0.0};
        if (options.floors) {
            Clock::time_point start = Clock::now();
            bench::drawClearFloor();
            row.clear = millisecondsSince(start);
            start = Clock::now();
            bench::drawGeometryFloor(demoTime);
            row.geometry = millisecondsSince(start);
        }
        rows.push_back(row);
        if (options.to >= 0.0 && demoTime >= options.to) PostQuitMessage(0);
        resume = Clock::now();
    };
    headless::configure(config);
    runProgram();

    if (!options.csv.empty()) {
        std::ofstream csv(options.csv);
        csv << "frame,demo_time,program_ms,clear_floor_ms,geometry_floor_ms,cards,page\n";
        char line[160];
        for (const Row& r : rows) {
            std::snprintf(line, sizeof line, "%ld,%.6f,%.4f,%.4f,%.4f,%d,%d\n", r.index, static_cast<double>(r.demoTime),
                          r.program, r.clear, r.geometry, visibleCards(r.demoTime), visiblePage(r.demoTime));
            csv << line;
        }
        if (!csv) {
            std::fprintf(stderr, "salute-bench: cannot write %s\n", options.csv.c_str());
            return 1;
        }
    }
    std::vector<double> program, clear, geometry;
    for (const Row& r : rows) {
        if (r.demoTime < options.warmup) continue;  // shader compiles, caches filling
        program.push_back(r.program);
        clear.push_back(r.clear);
        geometry.push_back(r.geometry);
    }
    std::printf("frames=%zu\nmeasured_frames=%zu\n", rows.size(), program.size());
    printSummary("program", program);
    if (options.floors) {
        printSummary("clear_floor", clear);
        printSummary("geometry_floor", geometry);
    }
    std::printf("peak_rss_kib=%ld\n", peakResidentKiB());
    return 0;
}

// Reads every picture once so that neither side pays for a cold disk.
void warmFileCache() {
    std::vector<char> buffer(1 << 16);
    for (const std::string& path : bench::pictureFiles()) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) continue;
        while (std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size()) {
        }
        std::fclose(file);
    }
}

double timeLoadFloor() {
    if (!headless::makeStandaloneContext(640, 480)) return -1.0;
    std::vector<GLuint> names;
    std::uint64_t bytes = 0;
    const Clock::time_point start = Clock::now();
    const int made = bench::loadTextureFloor(names, bytes);
    const double elapsed = millisecondsSince(start);
    if (made != 45) std::fprintf(stderr, "salute-bench: the floor made %d textures, not 45\n", made);
    glDeleteTextures(static_cast<GLsizei>(names.size()), names.data());
    return elapsed;
}

int loadMode(const Options& options) {
    warmFileCache();
    double floor = -1.0;
    if (!options.programFirst) floor = timeLoadFloor();
    double firstFrame = -1.0;
    Clock::time_point programStart;
    headless::Config config;
    config.onFrame = [&](const headless::Frame& frame) {
        if (frame.index == 0) {
            firstFrame = millisecondsSince(loadStart);
            PostQuitMessage(0);
        }
    };
    headless::configure(config);
    runProgram();
    if (options.programFirst) floor = timeLoadFloor();
    std::printf("load_floor_ms=%.3f\nload_program_ms=%.3f\nfirst_frame_ms=%.3f\n", floor, loadMilliseconds, firstFrame);
    return floor < 0.0 || loadMilliseconds < 0.0 ? 1 : 0;
}

int memoryMode(const Options& options) {
    if (options.floor) {
        if (!headless::makeStandaloneContext(640, 480)) return 1;
        std::vector<GLuint> names;
        std::uint64_t bytes = 0;
        const int made = bench::loadTextureFloor(names, bytes);
        std::printf("textures=%d\ntexture_bytes=%llu\npeak_rss_kib=%ld\n", made, static_cast<unsigned long long>(bytes),
                    peakResidentKiB());
        return made == 45 ? 0 : 1;
    }
    headless::Config config;
    config.fpsNumerator = options.fps;
    long frames = 0;
    config.onFrame = [&](const headless::Frame&) { ++frames; };
    headless::configure(config);
    runProgram();
    std::printf("frames=%ld\npeak_rss_kib=%ld\n", frames, peakResidentKiB());
    return 0;
}

int instructionsMode(const Options& options) {
    headless::Config config;
    config.fpsNumerator = options.fps;
    long first = -1;
    long last = -1;
    config.onFrame = [&](const headless::Frame& frame) {
        // The frames after the first one at or after --from are counted
        // (never the first frame, which loads everything).
        if (first < 0 && demoTime >= options.from) {
            first = frame.index;
            CALLGRIND_START_INSTRUMENTATION;
            return;
        }
        if (last < 0 && options.to >= 0.0 && demoTime >= options.to) {
            CALLGRIND_STOP_INSTRUMENTATION;
            CALLGRIND_DUMP_STATS_AT("frames");
            last = frame.index;
            PostQuitMessage(0);
        }
    };
    headless::configure(config);
    runProgram();
    if (last < 0) {
        CALLGRIND_STOP_INSTRUMENTATION;
        CALLGRIND_DUMP_STATS_AT("frames");
        last = headless::framesPresented() - 1;
    }
    std::printf("counted_frames=%ld\n", last - first);
    return 0;
}

// The asset load, timed to the end of its uploads.
void timedLoad() {
    loadStart = Clock::now();
    loadAssets();
    glFinish();
    loadMilliseconds = millisecondsSince(loadStart);
}

}  // namespace

int main(int argc, char** argv) {
    firstFrameLoad = timedLoad;
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: salute-bench frames [--fps N] [--to T] [--warmup T] [--csv FILE] [--no-floors]\n"
                     "       salute-bench load [--program-first]\n"
                     "       salute-bench memory (--program | --floor) [--fps N]\n"
                     "       salute-bench instructions [--fps N] [--from T] [--to T]\n"
                     "Runs in the current folder, which must hold the presentation's data.\n");
        return 2;
    }
    if (options.mode == "frames") return framesMode(options);
    if (options.mode == "load") return loadMode(options);
    if (options.mode == "memory" && options.program != options.floor) return memoryMode(options);
    if (options.mode == "instructions") return instructionsMode(options);
    std::fprintf(stderr, "salute-bench: unknown mode \"%s\"\n", options.mode.c_str());
    return 2;
}
