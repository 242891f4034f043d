#include "tools/capture/Outputs.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "app/Soundtrack.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace capture {

namespace {

int fail(const std::string& message) {
    std::fprintf(stderr, "salute-capture: %s\n", message.c_str());
    return 2;
}

std::string folderOfThisProgram() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

// Beside the program in a build folder; share/salute beside bin/ once installed.
std::string defaultDataFolder() {
    const fs::path here = folderOfThisProgram();
    std::error_code error;
    if (fs::exists(here / musicFileName, error)) return here.string();
    const fs::path installed = here.parent_path() / "share" / "salute";
    if (fs::exists(installed / musicFileName, error)) return installed.string();
    return here.string();
}

}  // namespace

bool openOutputs(const CaptureOptions& o, Outputs& out, int& status) {
    status = 2;
    // Paths are taken relative to where we were started, before moving into the data folder.
    std::error_code fsError;
    if (!o.pngDir.empty()) {
        out.pngFolder = fs::absolute(o.pngDir, fsError);
        fs::create_directories(out.pngFolder, fsError);
        if (fsError || !fs::is_directory(out.pngFolder)) {
            fail("cannot create the PNG folder \"" + o.pngDir + "\": " +
                 (fsError ? fsError.message() : std::string("a file of that name is in the way")));
            return false;
        }
    }
    if (!o.videoPath.empty()) {
        out.videoFile = fs::absolute(o.videoPath, fsError);
        if (fs::is_directory(out.videoFile, fsError)) {
            fail("--video \"" + o.videoPath + "\" is a folder; give a file name such as salute.mp4");
            return false;
        }
    }

    out.dataDir = o.dataDir.empty() ? defaultDataFolder() : o.dataDir;
    const std::string& dataDir = out.dataDir;
    if (const char* problem = folderProblem(dataDir.c_str())) {
        fail(fs::exists(dataDir, fsError) ? "cannot use the data folder \"" + dataDir + "\": " + problem + " (see --data)"
                                          : "no data folder \"" + dataDir + "\" (see --data)");
        return false;
    }
    if (chdir(dataDir.c_str()) != 0) {
        fail("cannot use the data folder \"" + dataDir + "\": " + std::strerror(errno));
        return false;
    }

    // A recording needs the music (its length and its sound) and the pictures.
    std::string error;
    if (o.recording()) {
        if (!fs::exists(musicFileName, fsError)) {
            fail("no music \"" + std::string(musicFileName) + "\" in the data folder \"" + dataDir + "\" (see --data)");
            return false;
        }
        if (!out.music.open(musicFileName, error)) {
            fail(error);
            return false;
        }
        if (const char* problem = folderProblem("textures")) {
            fail("cannot use textures/ in the data folder \"" + dataDir + "\": " + problem + " (see --data)");
            return false;
        }
        capture::RecordOptions options;
        options.video = !o.videoPath.empty();
        options.videoOptions.path = out.videoFile.string();
        options.videoOptions.fpsNumerator = o.fpsNumerator;
        options.videoOptions.fpsDenominator = o.fpsDenominator;
        options.videoOptions.crf = o.crf;
        options.videoOptions.lossless = o.lossless;
        options.pngFolder = o.pngSequence() ? out.pngFolder.string() : std::string();
        options.width = o.width;
        options.height = o.height;
        if (!out.recorder.start(options, options.video ? &out.music : nullptr, error)) {
            std::fprintf(stderr, "salute-capture: %s\n", error.c_str());
            status = 1;
            return false;
        }
    }

    out.endTime = o.toTime >= 0.0 ? std::min(o.toTime, o.recording() ? out.music.seconds() : o.toTime)
                                  : out.music.seconds();
    out.expectedFrames = o.recording() ? std::max<std::int64_t>(
                                             1, static_cast<std::int64_t>(std::ceil((out.endTime - o.fromTime) /
                                                                                    o.frameSeconds())))
                                       : 0;
    status = 0;
    return true;
}

}  // namespace capture
