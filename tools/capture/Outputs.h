// Where one capture run reads and writes: the data folder, the music, and
// the video file and PNG folder the options name.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "tools/capture/MusicTrack.h"
#include "tools/capture/Options.h"
#include "tools/capture/Recorder.h"

namespace capture {

struct Outputs {
    std::filesystem::path pngFolder;  // absolute; empty without --png
    std::filesystem::path videoFile;  // absolute; empty without --video
    std::string dataDir;
    capture::MusicTrack music;
    capture::Recorder recorder;
    double endTime = 0.0;  // the run ends with the music, or at --to
    std::int64_t expectedFrames = 0;
};

// Checks the folders and files the run needs and opens what it writes,
// before anything is rendered. False with the exit status on failure.
bool openOutputs(const CaptureOptions& o, Outputs& out, int& status);

}  // namespace capture
