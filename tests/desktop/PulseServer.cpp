#include "tests/desktop/PulseServer.h"

#include <regex>

namespace desktop {

namespace {

// pactl run against `server`, its standard output; empty on failure.
std::string pactl(const std::vector<std::string>& server, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"pactl"};
    argv.insert(argv.end(), args.begin(), args.end());
    const support::RunResult run = support::runProcess(argv, "", server, 10);
    return run.exitCode == 0 ? run.out : "";
}

}  // namespace

bool havePulseTools() { return haveCommand("pulseaudio") && haveCommand("pactl") && haveCommand("parec"); }

std::unique_ptr<PulseServer> PulseServer::start() {
    auto server = std::unique_ptr<PulseServer>(new PulseServer);
    server->address_ = "unix:" + server->dir_.file("native");
    // Run as root in a container: no system instance, no default script
    // (-n: no hardware detection, no D-Bus, no X11 modules), runtime and state
    // in our folder, never exiting on idle, memory shared by copying only.
    server->process_ = std::make_unique<Process>(
        std::vector<std::string>{"pulseaudio", "-n", "--daemonize=no", "--system=no", "--exit-idle-time=-1",
                                 "--use-pid-file=no", "--disable-shm=yes", "--log-target=stderr",
                                 "-L", "module-null-sink sink_name=salute_sink rate=44100 channels=2",
                                 "-L", "module-native-protocol-unix auth-anonymous=1 socket=" + server->dir_.file("native")},
        server->dir_.path(),
        std::vector<std::string>{"HOME=" + server->dir_.path(), "PULSE_RUNTIME_PATH=" + server->dir_.file("run"),
                                 "PULSE_STATE_PATH=" + server->dir_.file("state"), "PULSE_SERVER", "DISPLAY"});
    for (int i = 0; i < 200 && server->running(); ++i) {
        if (pactl(server->clientEnv(), {"info"}).find("Default Sink: salute_sink") != std::string::npos) return server;
        pause(0.05);
    }
    std::fprintf(stderr, "desktop test: pulseaudio did not come up: %s\n",
                 server->process_ ? server->process_->err().c_str() : "");
    return nullptr;
}

std::unique_ptr<Process> PulseServer::record(const std::string& file) const {
    return std::make_unique<Process>(std::vector<std::string>{"parec", "--device", monitor, "--raw",
                                                              "--format=s16le", "--rate=44100", "--channels=2",
                                                              "--latency-msec=10", file},
                                     "", clientEnv());
}

std::optional<double> PulseServer::playbackLatency() const {
    const std::string list = pactl(clientEnv(), {"list", "sink-inputs"});
    std::smatch buffer;
    std::smatch sink;
    if (!std::regex_search(list, buffer, std::regex("Buffer Latency: ([0-9]+) usec")) ||
        !std::regex_search(list, sink, std::regex("Sink Latency: ([0-9]+) usec")))
        return std::nullopt;
    return (std::stod(buffer[1]) + std::stod(sink[1])) / 1e6;
}

}  // namespace desktop
