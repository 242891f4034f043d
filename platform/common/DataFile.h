// Opening the music file for the backends (and the capture tool), the way
// platform/files.h opens every data file (platform/common/Music.cpp).
#pragma once

#include <cstdio>

#include "platform/files.h"

namespace platform {

// The music file opened for a backend's player; when it cannot be, one
// line on stderr names it, says why and that the presentation ends after
// its first frame.
std::FILE* openMusicFile(const char* path);

}  // namespace platform
