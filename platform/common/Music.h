// What the backends' music calls (platform/audio.h) have in common: how a
// stream is refused, and the checks of the players of whole files (the
// desktop on SDL_mixer, Windows). The backends that follow one stream of
// known length (headless, the browser) share platform/common/OneStream.h.
#pragma once

#include <cstdio>

#include "platform/audio.h"

namespace music {

// One line on stderr: the stream of `path` cannot play, why, and that the
// presentation ends after its first frame.
void refuse(const char* path, const char* reason);

// Whether `device` is the default output (1, or -1); otherwise a line on
// stderr says that only the default output is available.
bool defaultDevice(int device);

// BASS_StreamCreateFile's checks for the players of whole files: the file
// opened for reading, or null after a refusal (no output open, a memory
// stream or a section of a file, a file that cannot be opened). `path` is
// set to what messages call the stream.
std::FILE* openWholeFile(BOOL mem, const void* file, QWORD offset, QWORD length, bool outputOpen,
                         const char*& path);

}  // namespace music
