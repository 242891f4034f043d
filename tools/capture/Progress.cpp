#include "tools/capture/Progress.h"

#include <algorithm>
#include <cmath>

namespace capture {

namespace {
constexpr int kBarWidth = 30;
}

Progress::Progress(Style style, std::FILE* out)
    : style_(style), out_(out), start_(std::chrono::steady_clock::now()), lastDraw_(start_) {}

double Progress::elapsedSeconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

std::string Progress::clockText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0.0) return "--:--";
    const long total = std::lround(seconds);
    char text[32];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", total / 60, total % 60);
    return text;
}

std::string Progress::barText(double fraction, std::int64_t written, std::int64_t total, double fps,
                              double etaSeconds) {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
    char text[160];
    std::snprintf(text, sizeof text, "%3d%% [%s] %lld/%lld frames  %.1f fps  ETA %s",
                  static_cast<int>(fraction * 100.0), bar.c_str(), static_cast<long long>(written),
                  static_cast<long long>(total), fps, clockText(etaSeconds).c_str());
    return text;
}

void Progress::update(double fraction, std::int64_t rendered, std::int64_t written, std::int64_t total) {
    if (style_ == Style::Off) return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    const double fps = elapsed > 0.0 ? static_cast<double>(rendered) / elapsed : 0.0;
    const double eta = fraction > 0.0 ? elapsed * (1.0 - fraction) / fraction : -1.0;
    if (style_ == Style::Bar) {
        // A few redraws a second are enough to read and cheap to print.
        if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(250) && fraction < 1.0) return;
        lastDraw_ = now;
        drawn_ = true;
        std::fprintf(out_, "\r%s\033[K", barText(fraction, written, total, fps, eta).c_str());
        std::fflush(out_);
        return;
    }
    const int tenth = static_cast<int>(fraction * 10.0);
    while (lastTenth_ < tenth) {
        ++lastTenth_;
        std::fprintf(out_, "salute-capture: %d%% (%lld/%lld frames, %.1f fps, ETA %s)\n", lastTenth_ * 10,
                     static_cast<long long>(written), static_cast<long long>(total), fps, clockText(eta).c_str());
        std::fflush(out_);
    }
}

void Progress::close() {
    if (style_ == Style::Bar && drawn_) {
        std::fputc('\n', out_);
        std::fflush(out_);
    }
    drawn_ = false;
}

}  // namespace capture
