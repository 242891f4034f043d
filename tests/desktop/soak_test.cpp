// The whole presentation under Xvfb on real time with presses; frames timed
// by bench/SwapTimes.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/desktop/Harness.h"

namespace {

using namespace desktop;

long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

TEST(SoakTest, WholePresentationOnTheDesktop) {
    std::string why;
    auto server = startServer(Kind::xvfb, why);
    if (!server) GTEST_SKIP() << why;
    ProgramFolder folder;
    // The music's length, as the headless run at one frame a second finds it.
    const support::RunResult headless =
        support::runProcess({support::capturePath(), "--data", folder.dir.path(), "--fps", "1"});
    std::remove(folder.file("log.txt").c_str());
    std::smatch match;
    ASSERT_TRUE(std::regex_search(headless.err, match, std::regex("presentation time ([0-9.]+) s at the last frame")));
    const double length = std::stod(match[1]);

    // Every 7.5 s from 3 s to 4 s before the end, and a quick pair.
    std::vector<double> schedule;
    for (double t = 3; t < length - 4; t += 7.5) schedule.push_back(t);
    ASSERT_GE(schedule.size(), 3u);
    schedule.insert(schedule.begin() + 2, schedule[1] + 0.25);

    XConnection x = connect(server->display);
    ASSERT_TRUE(x);
    const std::string swapLog = folder.file("swaps");
    const Env timed{"LD_PRELOAD=" SALUTE_SWAP_TIMES, "SALUTE_SWAP_TIMES=" + swapLog};
    auto program = startProgram(folder, join(server->clientEnv, timed));
    const auto swaps = [&] {
        std::vector<double> all;
        std::istringstream lines(support::readFile(swapLog));
        for (double time = 0; lines >> time;) all.push_back(time);
        return all;
    };
    ASSERT_TRUE(eventually([&] { return !swaps().empty(); }, 60)) << "no frame within 60 s: " << program->err();
    const double zero = swaps().front();

    std::vector<std::pair<double, long>> memory;
    const auto waitUntil = [&](double until) {
        for (double time = now(); time < until && program->running(); time = now()) {
            if (memory.empty() || time - zero >= memory.back().first + 1)
                memory.emplace_back(time - zero, residentKilobytes(program->pid()));
            pause(std::min(0.01, until - time));
        }
    };
    std::vector<std::pair<double, double>> presses;  // before and after, since the first swap
    for (double t : schedule) {
        waitUntil(zero + t);
        const double before = now() - zero;
        key(x.get(), "space");
        presses.emplace_back(before, now() - zero);
    }
    waitUntil(now() + 60);
    const double ran = now() - zero;
    ASSERT_EQ(program->waitExit(0), 0) << "still running 60 s after the last press, or failed: " << program->err();
    EXPECT_EQ(program->err(), "");

    EXPECT_GT(ran, length - 0.5);
    EXPECT_LT(ran, length + 5);

    // No stall from 2 s on (the first pictures drawn), no slowdown.
    std::vector<double> frames = swaps();
    for (double& time : frames) time -= zero;
    const auto longestIn = [&](double from, double to) {
        double longest = 0;
        for (std::size_t i = 1; i < frames.size(); ++i)
            if (frames[i] >= from && frames[i - 1] <= to) longest = std::max(longest, frames[i] - frames[i - 1]);
        return longest;
    };
    const auto rate = [&](double from, double to) {
        return std::count_if(frames.begin(), frames.end(), [&](double t) { return t >= from && t < to; }) / (to - from);
    };
    const double longest = longestIn(2, 1e9), earlyRate = rate(10, 20), lateRate = rate(length - 12, frames.back());
    std::printf("frames: %zu in %.1f s; %.0f/s at 10-20 s, %.0f/s in the last 12 s; longest frame %.3f s\n",
                frames.size(), frames.back(), earlyRate, lateRate, longest);
    EXPECT_LE(longest, 2) << "the frames stalled";
    EXPECT_GE(lateRate, 0.5 * earlyRate) << "the frame rate fell";

    // All is allocated by the load: from 10 s on within 16 MB (or 5 %).
    long base = -1, peak = 0;
    for (const auto& [time, kilobytes] : memory) {
        if (time < 10 || kilobytes < 0) continue;
        if (base < 0) base = kilobytes;
        peak = std::max(peak, kilobytes);
    }
    ASSERT_GE(base, 0) << "no memory samples";
    std::printf("memory: %.1f MB at 10 s, peak %.1f MB after\n", base / 1024.0, peak / 1024.0);
    EXPECT_TRUE(peak - base <= 16384 || peak - base <= base / 20) << "memory grew";

    // A press carries its frame's time; demoTime 0 lies within 0.5 s of swap 1.
    ASSERT_TRUE(logHolds(folder, presses.size()));
    const auto log = support::readLog(folder.file("log.txt"));
    std::vector<double> logged;
    for (const support::LogEntry& entry : *log) logged.push_back(entry.seconds);
    double offset = 1e9;
    for (std::size_t i = 0; i < presses.size(); ++i) offset = std::min(offset, presses[i].second - logged[i]);
    EXPECT_LT(std::abs(offset), 0.5) << "demoTime 0 would lie " << offset << " s away from the first frame";
    for (std::size_t i = 0; i < presses.size(); ++i) {
        EXPECT_TRUE(i == 0 || logged[i] > logged[i - 1]) << "entry " << i << " is not later than the one before";
        const double frame = longestIn(presses[i].first - 1.5, presses[i].first + 2.5);
        EXPECT_LE(presses[i].first - offset - logged[i], frame + 0.05)
            << "press " << i << " at " << presses[i].first - offset << " s was logged as " << logged[i];
    }
}

}  // namespace
