#include "platform/common/Music.h"

#include "platform/common/DataFile.h"
#include "platform/files.h"

namespace music {

void refuse(const char* path, const char* reason) {
    std::fprintf(stderr, "salute: cannot play \"%s\": %s; the presentation ends after its first frame\n", path,
                 reason);
}

bool defaultDevice(int device) {
    if (device == 1 || device == -1) return true;
    std::fprintf(stderr, "salute: audio device %d is not available; only the default output is\n", device);
    return false;
}

std::FILE* openWholeFile(BOOL mem, const void* file, QWORD offset, QWORD length, bool outputOpen,
                         const char*& path) {
    path = mem ? "(memory)" : static_cast<const char*>(file);
    if (!path) path = "";
    if (!outputOpen) {
        refuse(path, "the audio output is not open");
        return nullptr;
    }
    if (mem || offset != 0 || length != 0) {
        refuse(path, "only whole files can be played");
        return nullptr;
    }
    return platform::openMusicFile(path);
}

}  // namespace music

namespace platform {

// Opened as every data file is (platform/files.h), so that only a regular
// file is read (a pipe would block the start) and a folder is called a folder.
std::FILE* openMusicFile(const char* path) {
    const char* why = nullptr;
    std::FILE* const file = openDataFile(path, why);
    if (!file) music::refuse(path, why);
    return file;
}

}  // namespace platform
