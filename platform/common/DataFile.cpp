#include "platform/common/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

const char* notAFile(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISFIFO(mode)) return "it is a named pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    return "it is not a regular file";
}

}  // namespace

std::FILE* openDataFile(const char* path, const char*& why) {
    // Looked at by name first, so that no device is ever opened, then again
    // on the descriptor, which opens without waiting for a pipe's writer.
    struct stat status {};
    if (stat(path, &status) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    const int fd = S_ISREG(status.st_mode) ? open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
    if (fd < 0) {
        why = S_ISREG(status.st_mode) ? std::strerror(errno) : notAFile(status.st_mode);
        return nullptr;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = S_ISREG(status.st_mode) ? std::strerror(errno) : notAFile(status.st_mode);
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* const file = fdopen(fd, "rb");
    if (!file) {
        why = std::strerror(errno);
        close(fd);
    }
    return file;
}

std::FILE* openMusicFile(const char* path) {
    const char* why = nullptr;
    std::FILE* const file = openDataFile(path, why);
    if (!file)
        std::fprintf(stderr, "salute: cannot play \"%s\": %s; the presentation ends after its first frame\n", path, why);
    return file;
}

}  // namespace platform
