#include "tests/reliability_support.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tools/common/JpegWriter.h"

namespace reliability {

namespace {

bool writeSamples(const std::string& path, const std::vector<std::uint8_t>& samples, int width, int height,
                  int components) {
    tools::JpegOptions options;
    options.quality = 100;
    return tools::writeJpeg(path, samples.data(), width, height, components, options);
}

bool writeFlat(const std::string& path, int size, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return support::writeFlatJpeg(path, size, size, r, g, b);
}

// A grey ramp from left to right, shifted by `offset`, so that each mask
// cuts a different shape out of its leaf.
bool writeRamp(const std::string& path, int size, int offset) {
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            samples[static_cast<std::size_t>(y * size + x)] =
                static_cast<std::uint8_t>(((x + offset) % size) * 255 / (size - 1));
    return writeSamples(path, samples, size, size, 1);
}

}  // namespace

CaptureRun capture(const std::string& dataDir, const std::vector<std::string>& arguments,
            const std::vector<std::string>& environment, int timeoutSeconds) {
    std::vector<std::string> argv = {support::capturePath(), "--data", dataDir, "--hashes", "--quiet"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CaptureRun run;
    run.result = support::runProcess(argv, "", environment, timeoutSeconds);
    run.frames = support::parseFrames(run.result.out);
    run.errLines = lines(run.result.err);
    return run;
}

std::string leafPicture(int kind) {
    return kind == 0 ? "textures/leaf.jpg" : "textures/leaf" + std::to_string(kind + 1) + ".jpg";
}
std::string leafMask(int kind) {
    return kind == 0 ? "textures/leaf_a.jpg" : "textures/leaf" + std::to_string(kind + 1) + "_a.jpg";
}
std::string photo(int index) { return "textures/photo" + std::to_string(index) + ".jpg"; }
std::string secPhoto(int index) { return "textures/secPhoto" + std::to_string(index) + ".jpg"; }

void writeDataFolder(const std::string& dir, double musicSeconds) {
    std::filesystem::create_directories(dir + "/textures");
    bool ok = support::writeToneOgg(dir + "/90secver.ogg", musicSeconds);
    for (int kind = 0; kind < 3; ++kind) {
        ok = ok && writeFlat(dir + "/" + leafPicture(kind), 64, static_cast<std::uint8_t>(200 - 60 * kind), 120,
                             static_cast<std::uint8_t>(40 + 70 * kind));
        ok = ok && writeRamp(dir + "/" + leafMask(kind), 64, 21 * kind);
    }
    for (int i = 0; i < 38; ++i)
        ok = ok && writeFlat(dir + "/" + photo(i), 64, static_cast<std::uint8_t>(30 + 6 * i),
                             static_cast<std::uint8_t>(230 - 5 * i), static_cast<std::uint8_t>((97 * i) % 256));
    for (int k = 1; k <= 4; ++k)
        ok = ok && writeFlat(dir + "/" + secPhoto(k), 32, static_cast<std::uint8_t>(60 * k), 30,
                             static_cast<std::uint8_t>(250 - 50 * k));
    if (!ok) {
        std::fprintf(stderr, "reliability: cannot write the data folder %s\n", dir.c_str());
        std::abort();
    }
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream input(text);
    std::string line;
    while (std::getline(input, line)) result.push_back(line);
    return result;
}

int countContaining(const std::vector<std::string>& lines, const std::string& needle) {
    int count = 0;
    for (const std::string& line : lines)
        if (line.find(needle) != std::string::npos) ++count;
    return count;
}

LogFile readLog(const std::string& path) {
    LogFile log;
    std::error_code error;
    log.exists = std::filesystem::is_regular_file(path, error);
    if (!log.exists) return log;
    log.raw = support::readFile(path);
    std::size_t start = 0;
    while (start < log.raw.size()) {
        const std::size_t end = log.raw.find("\r\n", start);
        if (end == std::string::npos) {  // a last line without its ending
            log.wellFormed = false;
            break;
        }
        const std::string line = log.raw.substr(start, end - start);
        start = end + 2;
        LogEntry entry;
        char* rest = nullptr;
        entry.counter = std::strtol(line.c_str(), &rest, 10);
        if (rest == line.c_str() || std::string(rest).rfind(" : ", 0) != 0 ||
            line.find_first_of("\r\n") != std::string::npos) {
            log.wellFormed = false;
            continue;
        }
        const char* time = rest + 3;
        char* timeEnd = nullptr;
        entry.seconds = std::strtod(time, &timeEnd);
        if (timeEnd == time || *timeEnd != '\0') log.wellFormed = false;
        log.entries.push_back(entry);
    }
    return log;
}

std::string keys(const std::vector<std::pair<double, std::string>>& presses) {
    std::ostringstream list;
    list.precision(17);
    for (std::size_t i = 0; i < presses.size(); ++i) {
        if (i > 0) list << ',';
        list << presses[i].first << ':' << presses[i].second;
    }
    return list.str();
}

}  // namespace reliability
