// What the tests share: processes, temporary folders, data made on the spot.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace support {

// Environment changes: "NAME=value" sets a variable, a bare "NAME" removes it.
using Env = std::vector<std::string>;
Env join(Env a, const Env& b);
double now();  // seconds on CLOCK_MONOTONIC, as the program's traces give them
void pause(double seconds);
// Whether `condition` holds within `seconds` (while `alive`), asked every 50 ms.
bool eventually(const std::function<bool()>& condition, double seconds = 10,
                const std::function<bool()>& alive = nullptr);

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

// A child process, its output and errors in files; killed and reaped at the end.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& workDir = "", const Env& env = {});
    ~Process();
    pid_t pid() const { return pid_; }
    bool running() { return pid_ > 0 && !waitExit(0); }
    void signal(int number);
    // The exit status (128 + n when ended by signal n), waiting up to `seconds`.
    std::optional<int> waitExit(double seconds);
    std::string out() const;
    std::string err() const;
    // The first stderr line from `fromLine` on holding `text`, or -1 (`seconds`).
    int waitForErrLine(const std::string& text, double seconds, int fromLine = 0);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    TempDir logs_;
};

struct RunResult {
    int exitCode = -1;  // 128 + n when killed by signal n
    std::string out;
    std::string err;
    bool timedOut = false;
};

// A Process run to its end (SIGKILL after timeoutSeconds, killSignal once killWhen).
RunResult runProcess(const std::vector<std::string>& argv, const std::string& workDir = "", const Env& env = {},
                     int timeoutSeconds = 300,
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

// A stereo 44.1 kHz Ogg Vorbis tone of the given length.
bool writeToneOgg(const std::string& path, double seconds);
// A baseline JPEG of one flat colour (grey when g and b are left out).
bool writeFlatJpeg(const std::string& path, int width, int height, int r, int g = -1, int b = -1);
std::string readFile(const std::string& path);
// The lines of a program's standard error that mention a word ("" for all).
std::vector<std::string> errorLinesAbout(const std::string& err, const std::string& word);

struct Picture {  // RGB or RGBA, top row first
    int width = 0, height = 0, channels = 3;
    std::vector<std::uint8_t> pixels;
    const std::uint8_t* at(int x, int y) const { return &pixels[(std::size_t(y) * width + x) * channels]; }
};
Picture readPng(const std::string& path, int channels = 3);  // no pixels when unreadable

struct LogEntry {
    long counter;
    double seconds;
};
// The entries of log.txt; nothing when a line is not "N : T" ended by CR LF.
std::optional<std::vector<LogEntry>> readLog(const std::string& path);
// The music as a player decodes it, the channels averaged.
std::vector<float> decodeOgg(const std::string& path, long* rate = nullptr, int* channels = nullptr);

}  // namespace support
