#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

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
                     const std::function<bool(const std::string& out)>& killWhen) {
    RunResult result;
    int outPipe[2];
    int errPipe[2];
    if (argv.empty() || pipe(outPipe) != 0) return result;
    if (pipe(errPipe) != 0) {
        close(outPipe[0]);
        close(outPipe[1]);
        return result;
    }
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(outPipe[1]);
        close(errPipe[0]);
        close(errPipe[1]);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
        for (const std::string& entry : extraEnv) putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    if (child < 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
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
                if (i == 0 && killWhen && killWhen(result.out)) kill(-child, SIGKILL);
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
    waitpid(child, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status)) result.exitCode = 128 + WTERMSIG(status);
    return result;
}

std::vector<FrameLine> parseFrames(const std::string& out) {
    std::vector<FrameLine> frames;
    std::istringstream input(out);
    std::string line;
    while (std::getline(input, line)) {
        std::istringstream fields(line);
        std::string word;
        FrameLine frame;
        if (fields >> word && word == "frame" && fields >> frame.index >> frame.demoTime >> frame.hash)
            frames.push_back(frame);
    }
    return frames;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/salute-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made ? made : "/tmp";
}

TempDir::~TempDir() {
    if (path_ == "/tmp") return;
    std::error_code error;
    // Tests may leave read-only folders behind; make them removable first.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
    }
    std::filesystem::remove_all(path_, error);
}

bool writeToneOgg(const std::string& path, double seconds) {
    const int rate = 44100;
    const long frames = std::lround(seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames) * 2);
    for (long i = 0; i < frames; ++i) {
        const float value = static_cast<float>(0.2 * std::sin(2.0 * M_PI * 440.0 * static_cast<double>(i) / rate));
        samples[static_cast<std::size_t>(2 * i)] = value;
        samples[static_cast<std::size_t>(2 * i + 1)] = value;
    }
    return tools::writeOggVorbis(path, samples, 2, rate, 0.1f);
}

bool writeFlatJpeg(const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g,
                   std::uint8_t b) {
    std::vector<std::uint8_t> samples(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < samples.size(); i += 3) {
        samples[i] = r;
        samples[i + 1] = g;
        samples[i + 2] = b;
    }
    tools::JpegOptions options;
    options.quality = 100;
    return tools::writeJpeg(path, samples.data(), width, height, 3, options);
}

bool copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
    return !error;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::string> errorLinesAbout(const std::string& err, const std::string& word) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < err.size()) {
        std::size_t end = err.find('\n', start);
        if (end == std::string::npos) end = err.size();
        std::string line = err.substr(start, end - start);
        if (line.find(word) != std::string::npos) lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

Png readPng(const std::string& path) {
    Png png;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return png;
    image.format = PNG_FORMAT_RGBA;
    png.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, png.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        png.rgba.clear();
        return png;
    }
    png.ok = true;
    png.width = static_cast<int>(image.width);
    png.height = static_cast<int>(image.height);
    return png;
}

}  // namespace support
