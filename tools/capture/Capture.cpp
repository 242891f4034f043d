// salute-capture: runs the unchanged presentation headless on a virtual
// clock and records what it shows: a video with the music, PNG frames,
// per-frame hashes, and scripted key presses at chosen presentation times.
//
// One run: the options are parsed into a checked record, the outputs are
// opened, the program runs with a sink that takes every frame it presents,
// and the report says what was written.
#include <signal.h>

#include <cstdio>
#include <exception>

extern "C" {
#include <libavutil/log.h>
}

#include "platform/headless/Headless.h"
#include "tools/capture/FrameSink.h"
#include "tools/capture/Options.h"
#include "tools/capture/Outputs.h"
#include "tools/capture/Report.h"

namespace {

using capture::CaptureOptions;
using capture::FrameSink;
using capture::Outputs;
using capture::Summary;

extern "C" void onInterrupt(int) { capture::interrupted.store(true); }

// Ctrl-C (or a polite kill) ends the capture after the current frame and
// keeps what was rendered; a second Ctrl-C ends the process at once.
void catchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int run(int argc, char** argv) {
    CaptureOptions options;
    int status = 0;
    if (!capture::parseOptions(argc, argv, options, status)) return status;

    // The encoders' own statistics are noise here; their errors still show.
    av_log_set_level(AV_LOG_ERROR);

    Outputs outputs;
    if (!capture::openOutputs(options, outputs, status)) return status;

    FrameSink sink(options, outputs);
    headless::configure(sink.config());
    sink.postStartKeys();
    catchInterrupts();
    const int programStatus = WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOW);
    sink.closeProgress();

    Summary summary;
    status = capture::report(options, outputs, sink, programStatus, summary);
    if (options.summaryKeys) capture::printSummary(summary, status);
    return status;
}

}  // namespace

// Whatever escapes (a failed allocation in the option parser, say) ends the
// tool with one line, not an abort.
int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "salute-capture: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "salute-capture: stopped by an unexpected error\n");
    }
    return 1;
}

