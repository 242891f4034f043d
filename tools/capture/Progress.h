// How far a long capture has got: a bar redrawn in place on a terminal,
// one plain line per tenth otherwise (logs, CI), nothing when quiet.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace capture {

class Progress {
public:
    enum class Style { Off, Bar, Lines };

    Progress(Style style, std::FILE* out);

    // fraction: 0..1 of the whole run; rendered: frames drawn so far;
    // written / total: frames recorded and expected.
    void update(double fraction, std::int64_t rendered, std::int64_t written, std::int64_t total);
    // Ends the bar's line.
    void close();

    double elapsedSeconds() const;

    // "1:05" / "1:02:03".
    static std::string clockText(double seconds);
    // One line of the bar, width-limited.
    static std::string barText(double fraction, std::int64_t written, std::int64_t total, double fps,
                               double etaSeconds);

private:
    Style style_;
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    int lastTenth_ = 0;
    bool drawn_ = false;
};

}  // namespace capture
