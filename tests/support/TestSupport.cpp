#include "tests/support/TestSupport.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <png.h>

#include "tools/common/JpegWriter.h"
#include "tools/common/OggWriter.h"

namespace support {

std::string capturePath() { return SALUTE_CAPTURE_PATH; }
std::string programPath() { return SALUTE_PROGRAM_PATH; }
std::string dataDir() { return SALUTE_DATA_DIR; }
std::string sourceDir() { return SALUTE_SOURCE_DIR; }

RunResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                     const std::vector<std::string>& extraEnv, int timeoutSeconds,
                     const std::function<bool(const std::string& out)>& killWhen, int killSignal) {
    RunResult result;
    int pipes[2][2];
    if (argv.empty() || pipe(pipes[0]) != 0 || pipe(pipes[1]) != 0) return result;
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);  // its own group, killed whole
        dup2(pipes[0][1], 1);
        dup2(pipes[1][1], 2);
        for (auto& ends : pipes) close(ends[0]), close(ends[1]);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
        for (const std::string& entry : extraEnv) putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    pollfd fds[2] = {{pipes[0][0], POLLIN, 0}, {pipes[1][0], POLLIN, 0}};
    for (auto& ends : pipes) close(ends[1]);
    std::string* sinks[2] = {&result.out, &result.err};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    for (int open = child > 0 ? 2 : 0; open > 0;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(-child, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[65536];
            const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(got));
                if (i == 0 && killWhen && killWhen(result.out)) kill(-child, killSignal);
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    for (pollfd& fd : fds)
        if (fd.fd >= 0) close(fd.fd);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::vector<FrameLine> parseFrames(const std::string& out) {
    std::vector<FrameLine> frames;
    std::istringstream input(out);
    FrameLine frame;
    for (std::string line; std::getline(input, line);) {
        std::istringstream fields(line);
        std::string word;
        if (fields >> word && word == "frame" && fields >> frame.index >> frame.demoTime >> frame.hash) frames.push_back(frame);
    }
    return frames;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/salute-test-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "/tmp";
}

TempDir::~TempDir() {
    if (path_ == "/tmp") return;
    namespace fs = std::filesystem;
    std::error_code error;
    // Tests may leave read-only folders behind; make them removable first.
    for (auto it = fs::recursive_directory_iterator(path_, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

bool writeToneOgg(const std::string& path, double seconds) {
    std::vector<float> samples(static_cast<std::size_t>(std::lround(seconds * 44100)) * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<float>(0.2 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i / 2) / 44100));
    return tools::writeOggVorbis(path, samples, 2, 44100, 0.1f);
}

bool writeFlatJpeg(const std::string& path, int width, int height, int r, int g, int b) {
    const int components = g < 0 ? 1 : 3;
    const std::uint8_t colour[3] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * components);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = colour[i % components];
    tools::JpegOptions options;
    options.quality = 100;
    return tools::writeJpeg(path, samples.data(), width, height, components, options);
}

bool copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

std::string readFile(const std::string& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

std::vector<std::string> errorLinesAbout(const std::string& err, const std::string& word) {
    std::vector<std::string> lines;
    std::istringstream input(err);
    for (std::string line; std::getline(input, line);)
        if (line.find(word) != std::string::npos) lines.push_back(line);
    return lines;
}

Png readPng(const std::string& path) {
    Png png;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return png;
    image.format = PNG_FORMAT_RGBA;
    png.rgba.resize(PNG_IMAGE_SIZE(image));
    png.ok = png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr) != 0;
    png.width = static_cast<int>(image.width);
    png.height = static_cast<int>(image.height);
    return png;
}

}  // namespace support
