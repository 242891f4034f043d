#include "tests/support/TestSupport.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include <png.h>
#include <vorbis/vorbisfile.h>

#include "tools/common/JpegWriter.h"
#include "tools/common/OggWriter.h"

namespace support {

std::string capturePath() { return SALUTE_CAPTURE_PATH; }
#ifdef SALUTE_PROGRAM_PATH
std::string programPath() { return SALUTE_PROGRAM_PATH; }
#else
std::string programPath() { return {}; }  // an OpenGL ES build has no desktop program
#endif
std::string dataDir() { return SALUTE_DATA_DIR; }
std::string sourceDir() { return SALUTE_SOURCE_DIR; }

Env join(Env a, const Env& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

double now() { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); }

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

bool eventually(const std::function<bool()>& condition, double seconds, const std::function<bool()>& alive) {
    for (const double deadline = now() + seconds;; pause(0.05)) {
        if (condition()) return true;
        if ((alive && !alive()) || now() >= deadline) return false;
    }
}

Process::Process(const std::vector<std::string>& argv, const std::string& workDir, const Env& env) {
    pid_ = fork();
    if (pid_ != 0) return;
    if (!freopen("/dev/null", "r", stdin) || !freopen(logs_.file("out").c_str(), "w", stdout) ||
        !freopen(logs_.file("err").c_str(), "w", stderr))
        _exit(126);
    for (int number : {SIGINT, SIGTERM, SIGUSR1, SIGPIPE}) ::signal(number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
    for (const std::string& entry : env) {
        const std::size_t equals = entry.find('=');
        if (equals == std::string::npos) unsetenv(entry.c_str());
        else setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

Process::~Process() {
    signal(SIGKILL);
    waitExit(10);
}

void Process::signal(int number) {
    if (pid_ > 0 && !status_) kill(pid_, number);
}

std::optional<int> Process::waitExit(double seconds) {
    eventually([&] {
        int status = 0;
        if (!status_ && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_)
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_.has_value();
    }, seconds);
    return status_;
}

std::string Process::out() const { return readFile(logs_.file("out")); }
std::string Process::err() const { return readFile(logs_.file("err")); }

int Process::waitForErrLine(const std::string& text, double seconds, int fromLine) {
    int found = -1;
    eventually(
        [&] {
            std::istringstream lines(err());
            std::string line;
            for (int number = 0; std::getline(lines, line); ++number)
                if (number >= fromLine && line.find(text) != std::string::npos) return (found = number) >= 0;
            return false;
        },
        seconds, [&] { return running(); });
    return found;
}

RunResult runProcess(const std::vector<std::string>& argv, const std::string& workDir, const Env& env,
                     int timeoutSeconds, const std::function<bool(const std::string& out)>& killWhen, int killSignal) {
    Process process(argv, workDir, env);
    RunResult result;
    std::optional<int> status;
    for (const double deadline = now() + timeoutSeconds; !(status = process.waitExit(0)) && now() < deadline; pause(0.01))
        if (killWhen && killWhen(process.out())) process.signal(killSignal);
    result.timedOut = !status;
    process.signal(SIGKILL);
    result.exitCode = process.waitExit(10).value_or(-1);
    result.out = process.out();
    result.err = process.err();
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

Picture readPng(const std::string& path, int channels) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    picture = {int(image.width), int(image.height), channels, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) picture.pixels.clear();
    return picture;
}

std::optional<std::vector<LogEntry>> readLog(const std::string& path) {
    static const std::regex line(R"(^(-?[0-9]+) : (-?[0-9.]+(e[-+][0-9]{3,})?)\r\n)");
    std::vector<LogEntry> entries;
    std::smatch match;
    for (std::string rest = readFile(path); !rest.empty(); rest = match.suffix()) {
        if (!std::regex_search(rest, match, line)) return std::nullopt;
        entries.push_back({std::stol(match[1]), std::stod(match[2])});
    }
    return entries;
}

std::vector<float> decodeOgg(const std::string& path, long* rate, int* channels) {
    std::vector<float> mono;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) return mono;
    const vorbis_info* info = ov_info(&file, -1);
    if (rate) *rate = info->rate;
    if (channels) *channels = info->channels;
    float** pcm = nullptr;
    int section = 0;
    for (long n; (n = ov_read_float(&file, &pcm, 4096, &section)) > 0;)
        for (long i = 0; i < n; ++i) mono.push_back((pcm[0][i] + pcm[info->channels - 1][i]) / 2);
    ov_clear(&file);
    return mono;
}

}  // namespace support
