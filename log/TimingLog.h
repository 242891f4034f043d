// Numbered time stamps in "log.txt", one per space-bar press.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The log's output file: a small buffered stream that writes its bytes
// unchanged (line ends are written by the caller, the same on every
// platform), hands every entry to the file as soon as it is complete, and
// stops writing for good once the file has failed.
class LogStream {
public:
    static constexpr std::size_t bufferSize = 512;

    LogStream() = default;
    ~LogStream();
    LogStream(const LogStream&) = delete;
    LogStream& operator=(const LogStream&) = delete;

    // Creates or truncates the file. Opening a stream that already has a
    // file open, or a file that cannot be opened, sets the failed flag; a
    // failed flag that is already set stays set.
    void open(const char* path);
    // Adds bytes to the buffer, handing a full buffer to the file. Does
    // nothing when the stream has failed; returns false when the bytes did
    // not all get through (no file open, or the file refused them).
    bool write(const char* bytes, std::size_t count);
    // Hands the buffer to the file and asks the C library to pass it on.
    bool flush();
    // Flushes and closes; the failed flag is kept.
    void close();

    bool isOpen() const { return file != nullptr; }
    bool failed() const { return failedFlag; }

private:
    bool writeOut();
    void fail(const char* path, const char* what, int error);

    std::FILE* file = nullptr;
    bool failedFlag = false;
    bool reported = false;  // the one stderr line has been written
    std::size_t used = 0;
    char name[256] = {};  // the file's path, for the message
    char buffer[bufferSize] = {};
};

extern LogStream timingLog;
// Presses so far, written or not.
extern std::int32_t stampCounter;

// Writes the time form of a log line into out: %g with six significant
// digits and an exponent of at least three digits ("2.7e-005"). Returns the
// length (without the NUL); out needs room for 32 characters.
std::size_t formatLogTime(double seconds, char* out, std::size_t size);
// One whole entry, "N : T" and carriage return plus line feed.
std::size_t formatLogEntry(std::int32_t counter, float seconds, char* out, std::size_t size);

// Opens "log.txt" in the current directory, created or emptied (first frame).
void openTimingLog();
// One entry with the current demoTime (space bar).
void writeTimeStamp();
