#include "log/TimingLog.h"

#include <cerrno>
#include <cstring>

#include "frame/FrameState.h"

std::int32_t stampCounter = 0;

namespace {

const char logFileName[] = "log.txt";

// Said once per run: a press before the first frame finds no file yet.
bool earlyPressReported = false;

}  // namespace

// ---- LogStream -----------------------------------------------------------

LogStream::~LogStream() { close(); }

void LogStream::open(const char* path) {
    if (file != nullptr) {
        fail(path, "is already open", 0);
        return;
    }
    // Binary mode: the bytes reach the file exactly as written, so the
    // line ends are the same on every platform.
    errno = 0;
    file = std::fopen(path, "wb");
    if (file == nullptr) {
        fail(path, "cannot be opened for writing", errno);
        return;
    }
    // The stream keeps its own buffer; the C library's would only hold the
    // bytes back a second time.
    std::setvbuf(file, nullptr, _IONBF, 0);
    std::snprintf(name, sizeof name, "%s", path);
    used = 0;
}

bool LogStream::write(const char* bytes, std::size_t count) {
    if (failedFlag || file == nullptr) return false;
    while (count > 0) {
        if (used == bufferSize && !writeOut()) return false;
        const std::size_t room = bufferSize - used;
        const std::size_t part = count < room ? count : room;
        std::memcpy(buffer + used, bytes, part);
        used += part;
        bytes += part;
        count -= part;
    }
    return true;
}

bool LogStream::flush() {
    if (failedFlag || file == nullptr) return false;
    return writeOut();
}

void LogStream::close() {
    if (file == nullptr) return;
    if (!failedFlag) writeOut();
    errno = 0;
    if (std::fclose(file) != 0 && !failedFlag) fail(name, "could not be closed", errno);
    file = nullptr;
    used = 0;
}

bool LogStream::writeOut() {
    const std::size_t count = used;
    used = 0;
    if (count == 0) return true;
    errno = 0;
    if (std::fwrite(buffer, 1, count, file) == count) return true;
    // A full disk, a vanished device: what did not get through is dropped,
    // and so is everything after it.
    fail(name, "could not be written", errno);
    return false;
}

void LogStream::fail(const char* path, const char* what, int error) {
    failedFlag = true;
    if (reported) return;
    reported = true;
    if (error != 0) {
        std::fprintf(stderr, "salute: %s %s (%s); time stamps are not being saved\n", path, what,
                     std::strerror(error));
    } else {
        std::fprintf(stderr, "salute: %s %s; time stamps are not being saved\n", path, what);
    }
}

// ---- Formatting ----------------------------------------------------------

std::size_t formatLogTime(double seconds, char* out, std::size_t size) {
    if (size == 0) return 0;
    char text[40];
    int length = std::snprintf(text, sizeof text, "%.6g", seconds);
    if (length < 0) length = 0;
    if (static_cast<std::size_t>(length) >= sizeof text) length = sizeof text - 1;

    // The C libraries differ in the exponent's width (two digits or three);
    // the log always has at least three.
    std::size_t o = 0;
    auto put = [&](char c) {
        if (o + 1 < size) out[o++] = c;
    };
    const char* e = static_cast<const char*>(std::memchr(text, 'e', static_cast<std::size_t>(length)));
    if (e == nullptr) {
        for (int i = 0; i < length; ++i) put(text[i]);
    } else {
        for (const char* p = text; p <= e; ++p) put(*p);  // mantissa and 'e'
        const char* p = e + 1;
        if (*p == '+' || *p == '-') put(*p++);
        const std::size_t digits = std::strlen(p);
        for (std::size_t i = digits; i < 3; ++i) put('0');
        while (*p != '\0') put(*p++);
    }
    out[o] = '\0';
    return o;
}

std::size_t formatLogEntry(std::int32_t counter, float seconds, char* out, std::size_t size) {
    if (size == 0) return 0;
    int length = std::snprintf(out, size, "%d : ", static_cast<int>(counter));
    if (length < 0) length = 0;
    std::size_t o = static_cast<std::size_t>(length) < size ? static_cast<std::size_t>(length) : size - 1;
    o += formatLogTime(static_cast<double>(seconds), out + o, size - o);
    // Carriage return and line feed, written out rather than left to a
    // text-mode file.
    for (const char* c = "\r\n"; *c != '\0'; ++c) {
        if (o + 1 < size) out[o++] = *c;
    }
    out[o] = '\0';
    return o;
}

// ---- The log ---------------------------------------------------------------

void openTimingLog() { timingLog.open(logFileName); }

void writeTimeStamp() {
    // Every press counts, also one whose entry is dropped. Wrapping instead
    // of overflowing after 2^31 presses.
    const std::int32_t n = stampCounter;
    stampCounter = static_cast<std::int32_t>(static_cast<std::uint32_t>(n) + 1u);

    if (!timingLog.isOpen()) {
        // Before the first frame there is no file yet: this press is lost,
        // the ones after the first frame are written as usual.
        if (!timingLog.failed() && !earlyPressReported) {
            earlyPressReported = true;
            std::fprintf(stderr,
                         "salute: a time stamp made before the presentation started was not saved\n");
        }
        return;
    }

    char entry[64];
    const std::size_t length = formatLogEntry(n, demoTime, entry, sizeof entry);
    // The whole entry goes to the file at once, so a kill loses nothing
    // already pressed.
    if (timingLog.write(entry, length)) timingLog.flush();
}
