// The soak: the real program plays the whole presentation of the real data
// under Xvfb, on real time, with the space bar pressed at known times.
// Afterwards:
//   - log.txt holds one line per press, in order, numbered from 0, each
//     ended by CR LF, each time within a frame (plus scheduling slack) of
//     its press;
//   - the presentation ended by itself, with status 0 and nothing said,
//     about when its music ended;
//   - frames kept coming at a steady rate (no stall, no slowdown), and the
//     memory in use stayed flat once the pictures were loaded.
// demoTime 0 is the end of the load, just before the first frame is shown;
// its wall-clock time is taken from the first buffer swap, which a small
// preloaded library (frame_counter.cpp) records once a second with the frame
// count and the longest gap between two swaps.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The music's length, as the headless run at one frame a second finds it.
double presentationLength(const ProgramFolder& folder) {
    const support::RunResult run = support::runProcess({support::capturePath(), "--data", folder.path(), "--fps", "1"});
    std::remove(folder.file("log.txt").c_str());
    std::smatch match;
    const std::regex last("presentation time ([0-9.]+) s at the last frame");
    return std::regex_search(run.err, match, last) ? std::stod(match[1]) : 0.0;
}

long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

struct FrameReport {
    double time;  // since the first swap
    long frames;
    double longest;
};

struct Press {
    double before;  // since the first swap
    double after;
};

TEST(Soak, WholePresentationOnTheDesktop) {
    if (!haveCommand("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    ProgramFolder folder;
    const double length = presentationLength(folder);
    ASSERT_GT(length, 10) << "cannot tell how long the presentation is";
    std::printf("presentation length: %.3f s\n", length);

    // Presses every 7.5 s from 3 s on, and a quick pair (0.25 s apart), up
    // to 4 s before the end.
    std::vector<double> schedule;
    for (double t = 3; t < length - 4; t += 7.5) schedule.push_back(t);
    ASSERT_GE(schedule.size(), 3u);
    schedule.insert(schedule.begin() + 2, schedule[1] + 0.25);

    auto server = Xvfb::start(640, 480);
    ASSERT_TRUE(server);
    XClient client(server->display());
    const std::string frameLog = folder.file("frames");
    auto program = startProgram(folder, *server, {"LD_PRELOAD=" SALUTE_FRAME_COUNTER, "SALUTE_FRAME_LOG=" + frameLog});

    // Samples the memory once a second while waiting until `until`.
    std::vector<std::pair<double, long>> memory;
    double nextSample = 0;
    const auto waitUntil = [&](double until) {
        for (double now = wallSeconds(); now < until && program->running(); now = wallSeconds()) {
            if (now >= nextSample) {
                memory.emplace_back(now, residentKilobytes(program->pid()));
                nextSample = now + 1;
            }
            pause(std::min(0.01, until - now));
        }
    };
    const auto reports = [&](double zero) {
        std::vector<FrameReport> all;
        std::istringstream lines(support::readFile(frameLog));
        for (FrameReport report{}; lines >> report.time >> report.frames >> report.longest;) {
            report.time -= zero;
            all.push_back(report);
        }
        return all;
    };

    double zero = 0;
    for (int i = 0; i < 600 && program->running(); ++i) {
        std::istringstream first(support::readFile(frameLog));
        if (first >> zero) break;
        pause(0.1);
    }
    ASSERT_GT(zero, 0) << "no frame within 60 s: " << program->err();
    std::vector<Press> presses;
    for (double t : schedule) {
        waitUntil(zero + t);
        const double before = wallSeconds() - zero;
        client.key("space");
        presses.push_back({before, wallSeconds() - zero});
    }
    waitUntil(wallSeconds() + 60);
    const double ran = wallSeconds() - zero;
    ASSERT_EQ(program->waitExit(0), 0) << "still running 60 s after the last press, or failed: " << program->err();
    EXPECT_EQ(program->err(), "");

    // Ended by itself when the music did.
    std::printf("ended %.1f s after the first frame\n", ran);
    EXPECT_GT(ran, length - 0.5);
    EXPECT_LT(ran, length + 5);

    // Frames: the longest time between two frames (from 2 s on, once the
    // first pictures are drawn), and the rate early on against the rate at
    // the end.
    const std::vector<FrameReport> frames = reports(zero);
    ASSERT_GE(frames.size(), 3u);
    const auto at = [&](double t) {
        return *std::find_if(frames.begin(), frames.end(), [&](const FrameReport& r) { return r.time >= t || &r == &frames.back(); });
    };
    double longest = 0;
    double longestAt = 0;
    for (const FrameReport& report : frames) {
        if (report.time >= 2 && report.longest > longest) {
            longest = report.longest;
            longestAt = report.time;
        }
    }
    const FrameReport early0 = at(10), early1 = at(20), late = at(length - 12), last = frames.back();
    const double earlyRate = (early1.frames - early0.frames) / (early1.time - early0.time);
    const double lateRate = (last.frames - late.frames) / (last.time - late.time);
    std::printf("frames: %ld in %.1f s; %.0f/s at 10-20 s, %.0f/s in the last 12 s; longest frame %.3f s (at %.1f s)\n",
                last.frames, last.time, earlyRate, lateRate, longest, longestAt);
    EXPECT_LE(longest, 2) << "the frames stalled";
    EXPECT_GE(lateRate, 0.5 * earlyRate) << "the frame rate fell";

    // Memory: what the program holds is allocated by the load; once the
    // first pictures have been drawn (10 s), the resident memory must stay
    // within 16 MB (or 5 %) of what it was then, to the end.
    long base = -1;
    long peak = 0;
    for (const auto& [time, kilobytes] : memory) {
        if (time - zero < 10 || kilobytes < 0) continue;
        if (base < 0) base = kilobytes;
        peak = std::max(peak, kilobytes);
    }
    ASSERT_GE(base, 0) << "no memory samples";
    std::printf("memory: %.1f MB at 10 s, peak %.1f MB after\n", base / 1024.0, peak / 1024.0);
    EXPECT_TRUE(peak - base <= 16384 || peak - base <= base / 20) << "memory grew";

    // The log: a press handled between two frames carries the time of the
    // frame before it: at most the press time, and earlier by at most the
    // frame drawn then (the longest reported around the press) plus 50 ms
    // of scheduling slack. demoTime 0 lies a little before the first swap;
    // the offset is taken as the tightest bound the presses give (each
    // logged time is at most its press's end), and must lie within half a
    // second.
    const std::string log = support::readFile(folder.file("log.txt"));
    std::vector<double> logged;
    std::istringstream lines(log);
    const std::regex entry("([0-9]+) : ([0-9.e+-]+)\r");
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, entry) && std::stoul(match[1]) == logged.size()) << line;
        logged.push_back(std::stod(match[2]));
    }
    ASSERT_EQ(logged.size(), presses.size()) << log;
    ASSERT_EQ(log.back(), '\n');
    double offset = presses[0].after - logged[0];
    for (std::size_t i = 0; i < logged.size(); ++i) offset = std::min(offset, presses[i].after - logged[i]);
    EXPECT_LT(std::abs(offset), 0.5) << "demoTime 0 would lie " << offset << " s away from the first frame";
    for (std::size_t i = 0; i < logged.size(); ++i) {
        if (i > 0) {
            EXPECT_GT(logged[i], logged[i - 1]) << "entry " << i << " is not later than the one before";
        }
        double frame = 0;
        for (const FrameReport& report : frames)
            if (report.time > presses[i].before - 1.5 && report.time < presses[i].before + 2.5)
                frame = std::max(frame, report.longest);
        EXPECT_LE(presses[i].before - offset - logged[i], frame + 0.05)
            << "press " << i << " at " << presses[i].before - offset << " s was logged as " << logged[i];
    }
}

}  // namespace
