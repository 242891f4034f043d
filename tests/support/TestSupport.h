// What the tests share: running the real programs as processes, temporary
// folders, and pictures and music made on the spot.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace support {

struct RunResult {
    int exitCode = -1;  // the process's exit status; 128 + n when killed by signal n
    std::string out;
    std::string err;
    bool timedOut = false;
};

// Runs argv[0] with the arguments in workDir (when not empty), with the
// extra "NAME=value" entries added to the environment. Kills it (SIGKILL)
// after timeoutSeconds; sends it killSignal as soon as killWhen, asked
// whenever standard output grows, says so.
RunResult runProcess(const std::vector<std::string>& argv, const std::string& workDir = "",
                     const std::vector<std::string>& extraEnv = {}, int timeoutSeconds = 300,
                     const std::function<bool(const std::string& out)>& killWhen = nullptr, int killSignal = 9);

// One frame line of salute-capture --hashes: "frame INDEX DEMOTIME HASH".
struct FrameLine {
    long index = 0;
    double demoTime = 0.0;
    std::string hash;
    bool operator==(const FrameLine& o) const { return index == o.index && demoTime == o.demoTime && hash == o.hash; }
};
std::vector<FrameLine> parseFrames(const std::string& out);

std::string capturePath();  // build/salute-capture
std::string programPath();  // build/salute
std::string dataDir();      // the build folder, where the generated data lies
std::string sourceDir();    // the repository

// A fresh folder under /tmp, removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A stereo 44.1 kHz Ogg Vorbis tone of the given length.
bool writeToneOgg(const std::string& path, double seconds);
// A baseline JPEG of one flat colour (grey when g and b are left out).
bool writeFlatJpeg(const std::string& path, int width, int height, int r, int g = -1, int b = -1);
bool copyFile(const std::string& from, const std::string& to);
std::string readFile(const std::string& path);
// The lines of a program's standard error that mention a word ("" for all).
std::vector<std::string> errorLinesAbout(const std::string& err, const std::string& word);

struct Png {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // top row first
    const std::uint8_t* at(int x, int y) const { return &rgba[(static_cast<std::size_t>(y) * width + x) * 4]; }
};
Png readPng(const std::string& path);

}  // namespace support
