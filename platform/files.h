// Opening the presentation's data files, for the program and the backends.
// A data file's name may hold a folder, a named pipe or a device instead of
// a file: reading a pipe or some devices blocks for ever, and a folder fails
// in confusing ways. Only regular files are opened, without blocking, so
// each of these is refused at once with words a person understands. One
// implementation per operating system: platform/common/DataFile.cpp (POSIX)
// and platform/windows/DataFile.cpp.
#pragma once

#include <cstdio>

// Opens the regular file `path` for reading ("rb"). Null when it cannot be
// opened or is not a regular file; `why` then says what is wrong, such as
// "No such file or directory" or "it is a folder, not a file".
std::FILE* openDataFile(const char* path, const char*& why);

// Null when `path` is a folder (or a link to one); otherwise what is wrong:
// "there is no such folder", "it is a file, not a folder", ...
const char* folderProblem(const char* path);
