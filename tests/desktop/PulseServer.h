// A PulseAudio server of the test's own with one null sink: what a client
// plays there can be recorded from the sink's monitor.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/desktop/Harness.h"

namespace desktop {

class PulseServer : public ServerProcess {
public:
    // Null (with a message) when pulseaudio did not come up.
    static std::unique_ptr<PulseServer> start();
    ~PulseServer() override { stop(); }  // before its folder goes

    // What a client's environment needs to reach this server.
    std::vector<std::string> clientEnv() const { return {"PULSE_SERVER=" + address_}; }
    static constexpr const char* monitor = "salute_sink.monitor";
    // parec recording the monitor into `file` as raw 44.1 kHz stereo s16le,
    // in 10 ms fragments.
    std::unique_ptr<Process> record(const std::string& file) const;
    // The latency the server reports for the one playback stream (its
    // buffer plus the sink's), in seconds; nothing when there is no stream.
    std::optional<double> playbackLatency() const;

private:
    support::TempDir dir_;
    std::string address_;
};

// True when pulseaudio, pactl and parec are installed.
bool havePulseTools();

}  // namespace desktop
