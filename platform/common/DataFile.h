// Opening the music file for the backends (and the capture tool): only a
// regular file is opened, without blocking, so that a folder, a named pipe
// or a device under the music's name is refused at once with a line a
// person understands, instead of hanging the start or being called "not
// Ogg Vorbis".
#pragma once

#include <cstdio>

namespace platform {

// Opens the regular file `path` for reading ("rb"). Null when it cannot be
// opened or is not a regular file; `why` then says what is wrong, such as
// "No such file or directory" or "it is a named pipe, not a file".
std::FILE* openDataFile(const char* path, const char*& why);

// The music file opened the same way for a backend's player; when it
// cannot be, one line on stderr names it, says why and that the
// presentation ends after its first frame.
std::FILE* openMusicFile(const char* path);

}  // namespace platform
