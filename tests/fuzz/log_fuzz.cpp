// Fuzzes the log entry formatting (fixed buffers filled by hand): any counter,
// float and buffer size, the buffer allocated at exactly that size. The text
// fits, is whole in 64 bytes, reads back to six digits, exponents of three.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "log/TimingLog.h"

// What log/TimingLog.cpp needs from the rest of the program.
float demoTime = 0.0f;
LogStream timingLog;

namespace {

void check(bool ok, const char* what, const std::string& text) {
    if (ok) return;
    std::fprintf(stderr, "log fuzz: %s: \"%s\"\n", what, text.c_str());
    std::abort();
}

void checkTime(const std::string& time, double expected) {
    if (std::isnan(expected)) return check(time == "nan" || time == "-nan", "NaN written as", time);
    if (std::isinf(expected)) return check(time == (expected > 0 ? "inf" : "-inf"), "infinity written as", time);
    char* end = nullptr;
    const double read = std::strtod(time.c_str(), &end);
    check(end != time.c_str() && *end == '\0', "time does not read back", time);
    check(std::fabs(read - expected) <= std::fabs(expected) * 5.0000001e-6, "time reads back wrong", time);
    const std::size_t e = time.find('e');
    if (e == std::string::npos) return;
    const std::size_t digits = e + 1 + (time[e + 1] == '+' || time[e + 1] == '-');
    check(time.size() - digits >= 3, "exponent of fewer than three digits", time);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    std::int32_t counter = 0;
    float seconds = 0.0f;
    std::memcpy(&counter, data, 4);
    std::memcpy(&seconds, data + 4, 4);
    const std::size_t bufferSize = data[8] % 80;  // 0 to 79 bytes, 64 among them
    char* const buffer = static_cast<char*>(std::malloc(bufferSize == 0 ? 1 : bufferSize));
    const std::size_t length = formatLogEntry(counter, seconds, buffer, bufferSize);
    check(bufferSize == 0 ? length == 0 : length < bufferSize && buffer[length] == '\0' && std::strlen(buffer) == length,
          "entry does not fit its buffer", "");
    std::free(buffer);

    char entry[64];
    const std::string text(entry, formatLogEntry(counter, seconds, entry, sizeof entry));
    const std::string prefix = std::to_string(counter) + " : ";
    check(text.compare(0, prefix.size(), prefix) == 0, "entry does not start with its number", text);
    check(text.size() >= prefix.size() + 3 && text.compare(text.size() - 2, 2, "\r\n") == 0, "entry not ended by CR LF", text);
    const std::string time = text.substr(prefix.size(), text.size() - prefix.size() - 2);
    check(time.find_first_of(" \r\n") == std::string::npos, "time holds a space or line end", text);
    checkTime(time, static_cast<double>(seconds));

    // The time alone, from a double.
    double wide = 0.0;
    if (size >= 17) std::memcpy(&wide, data + 9, 8);
    char timeText[40];
    const std::size_t timeLength = formatLogTime(wide, timeText, sizeof timeText);
    check(timeLength < sizeof timeText && std::strlen(timeText) == timeLength, "time does not fit", timeText);
    checkTime(timeText, wide);
    return 0;
}
