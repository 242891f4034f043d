// Fuzzes the timing log's entry formatting, the one piece of the program
// that builds text into fixed buffers by hand: any counter, any float (NaN,
// infinities, subnormals) and any buffer size. The buffer is allocated at
// exactly the size passed, so the sanitizers catch a byte written past it.
// Checked on every input:
//   - the text fits: its length is below the size and it ends in a NUL;
//   - with the program's 64-byte buffer the entry is whole: the counter in
//     decimal, " : ", the time, carriage return and line feed;
//   - the time reads back as the float to six significant digits, with an
//     exponent of at least three digits when there is one.
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

[[noreturn]] void broken(const char* what, const std::string& text) {
    std::fprintf(stderr, "log fuzz: %s: \"%s\"\n", what, text.c_str());
    std::abort();
}

void checkTime(const char* text, double expected) {
    const std::string time(text);
    if (std::isnan(expected)) {
        if (time != "nan" && time != "-nan") broken("NaN written as", time);
        return;
    }
    if (std::isinf(expected)) {
        if (time != (expected > 0 ? "inf" : "-inf")) broken("infinity written as", time);
        return;
    }
    char* end = nullptr;
    const double read = std::strtod(time.c_str(), &end);
    if (end == time.c_str() || *end != '\0') broken("time does not read back", time);
    // Six significant digits: within half a unit of the sixth digit.
    const double tolerance = std::fabs(expected) * 5.0000001e-6;
    if (std::fabs(read - expected) > tolerance) broken("time reads back wrong", time);
    const std::size_t e = time.find('e');
    if (e != std::string::npos) {
        std::size_t digits = e + 1;
        if (digits < time.size() && (time[digits] == '+' || time[digits] == '-')) ++digits;
        if (time.size() - digits < 3) broken("exponent of fewer than three digits", time);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    std::int32_t counter = 0;
    float seconds = 0.0f;
    std::memcpy(&counter, data, 4);
    std::memcpy(&seconds, data + 4, 4);
    const std::size_t bufferSize = data[8] % 80;  // 0 to 79 bytes, 64 among them

    // Any size: the text fits and is terminated.
    char* const buffer = static_cast<char*>(std::malloc(bufferSize == 0 ? 1 : bufferSize));
    const std::size_t length = formatLogEntry(counter, seconds, buffer, bufferSize);
    if (bufferSize == 0) {
        if (length != 0) broken("text written into no room", "");
    } else {
        if (length >= bufferSize || buffer[length] != '\0' || std::strlen(buffer) != length)
            broken("entry does not fit its buffer", std::string(buffer, length < bufferSize ? length : 0));
    }

    // The program's buffer: the whole entry.
    char entry[64];
    const std::size_t entryLength = formatLogEntry(counter, seconds, entry, sizeof entry);
    const std::string text(entry, entryLength);
    const std::string prefix = std::to_string(counter) + " : ";
    if (text.compare(0, prefix.size(), prefix) != 0) broken("entry does not start with its number", text);
    if (text.size() < prefix.size() + 3 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        broken("entry not ended by CR LF", text);
    const std::string time = text.substr(prefix.size(), text.size() - prefix.size() - 2);
    if (time.find_first_of(" \r\n") != std::string::npos) broken("time holds a space or line end", text);
    checkTime(time.c_str(), static_cast<double>(seconds));

    // The time alone, from a double, into the same kind of buffer.
    double wide = 0.0;
    if (size >= 17) std::memcpy(&wide, data + 9, 8);
    char timeText[40];
    const std::size_t timeLength = formatLogTime(wide, timeText, sizeof timeText);
    if (timeLength >= sizeof timeText || std::strlen(timeText) != timeLength) broken("time does not fit", timeText);
    checkTime(timeText, wide);

    std::free(buffer);
    return 0;
}
