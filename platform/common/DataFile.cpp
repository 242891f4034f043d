// Opening data files on POSIX systems (platform/files.h). The music file is
// opened with it in platform/common/Music.cpp.
#include "platform/common/DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The refusal for each kind that is not a regular file.
const char* refusalFor(mode_t mode) {
    if (S_ISDIR(mode)) return "it is a folder, not a file";
    if (S_ISFIFO(mode)) return "it is a named pipe, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
    if (S_ISSOCK(mode)) return "it is a socket, not a file";
    return "it is not a regular file";
}

}  // namespace

const char* folderProblem(const char* path) {
    struct stat status {};
    if (stat(path, &status) != 0) return errno == ENOENT ? "there is no such folder" : std::strerror(errno);
    if (S_ISDIR(status.st_mode)) return nullptr;
    if (S_ISREG(status.st_mode)) return "it is a file, not a folder";
    if (S_ISFIFO(status.st_mode)) return "it is a named pipe, not a folder";
    if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "it is a device, not a folder";
    return "it is not a folder";
}

std::FILE* openDataFile(const char* path, const char*& why) {
    // Looked at before it is opened, so that no device is opened at all;
    // checked again on the open descriptor, in case the name changed.
    struct stat status {};
    if (stat(path, &status) != 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        why = refusalFor(status.st_mode);
        return nullptr;
    }
    // Without blocking: opening a pipe that took the name meanwhile would
    // wait for a writer.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return nullptr;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = S_ISREG(status.st_mode) ? std::strerror(errno) : refusalFor(status.st_mode);
        close(fd);
        return nullptr;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (!file) {
        why = std::strerror(errno);
        close(fd);
    }
    return file;
}
