// The capture tool's command line, parsed and checked into one record:
// everything after this works from values known to be sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/Window.h"
#include "platform/win32.h"

namespace capture {

// A scripted input: a window message posted once the presentation's time
// reaches `time` (or before the first frame when `atStart`).
struct KeyEvent {
    bool atStart = false;
    double time = 0.0;
    UINT message = WM_KEYDOWN;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct CaptureOptions {
    std::string dataDir;  // empty: beside the program, or share/salute
    std::int64_t fpsNumerator = 60;
    std::int64_t fpsDenominator = 1;
    double fromTime = 0.0;
    double toTime = -1.0;  // negative: until the music ends
    std::string videoPath;  // as given; empty for no video
    int scale = 1;          // the drawing is the program's display size times this
    bool sizeGiven = false;
    int width = screenWidth;  // the output size: --size, or the drawing's own
    int height = screenHeight;
    int crf = 18;
    bool lossless = false;
    std::string pngDir;           // as given; empty for no PNGs
    std::vector<double> framesAt;  // with pngDir: single frames, not a sequence
    bool hashes = false;
    bool quiet = false;
    bool summaryKeys = false;  // the closing summary as key=value lines on stdout
    std::vector<KeyEvent> keys;

    double frameSeconds() const {
        return static_cast<double>(fpsDenominator) / static_cast<double>(fpsNumerator);
    }
    bool pngSequence() const { return !pngDir.empty() && framesAt.empty(); }
    bool recording() const { return !videoPath.empty() || pngSequence(); }
};

// Fills `options` from the command line. False when the tool should stop
// now: `status` is then 0 after --help or --version, otherwise the exit
// status of a bad request, whose one-line message is already on stderr.
bool parseOptions(int argc, char** argv, CaptureOptions& options, int& status);

// The pieces, for tests.
bool parseKey(const std::string& name, KeyEvent& event, std::string& error);
bool parseFps(const std::string& text, std::int64_t& numerator, std::int64_t& denominator);

}  // namespace capture
