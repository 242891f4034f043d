#include "tools/common/NewFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace tools {

namespace {

// Read-write: the video muxer reads its file back to move the index to the front.
int createExclusively(const std::string& path) {
    return open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

}  // namespace

bool NewFile::create(const std::string& finalPath, std::string& error) {
    discard();
    final_ = finalPath;
    std::random_device random;
    std::string name = finalPath + ".part";
    fd_ = createExclusively(name);
    // Something is at the usual name (a planted link, or what a killed run
    // left): it is not touched, and a name no one can guess is tried.
    for (int attempt = 0; fd_ < 0 && (errno == EEXIST || errno == ELOOP) && attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.part", static_cast<unsigned>(random()));
        name = finalPath + suffix;
        fd_ = createExclusively(name);
    }
    if (fd_ < 0) {
        error = "cannot write \"" + finalPath + "\": " + std::strerror(errno);
        return false;
    }
    temporary_ = name;
    return true;
}

int NewFile::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

bool NewFile::commit(std::string& error) {
    if (temporary_.empty()) {
        error = "no file to name \"" + final_ + "\"";
        return false;
    }
    if (fd_ >= 0 && close(release()) != 0) {
        error = "cannot write \"" + final_ + "\": " + std::strerror(errno);
        discard();
        return false;
    }
    if (std::rename(temporary_.c_str(), final_.c_str()) != 0) {
        error = "cannot name \"" + final_ + "\": " + std::strerror(errno);
        discard();
        return false;
    }
    temporary_.clear();
    return true;
}

void NewFile::discard() {
    if (fd_ >= 0) close(release());
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace tools
