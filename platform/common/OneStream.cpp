#include "platform/common/OneStream.h"

#include "platform/common/DataFile.h"

namespace onestream {

DWORD Stream::activeAt(DWORD h, double now) const {
    if (!started(h)) return BASS_ACTIVE_STOPPED;
    return now - playStart < seconds ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

Stream& stream() {
    static Stream one;
    return one;
}

}  // namespace onestream

using onestream::stream;

BOOL BASS_Init(int, DWORD, DWORD, HWND, const void*) {
    if (!musicnative::openOutput()) return FALSE;
    stream().initialised = true;
    return TRUE;
}

// Opens the file as every data file is opened (platform/files.h); the
// backend reads it.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD, QWORD, DWORD) {
    if (!stream().initialised || mem || !file) return 0;
    const char* name = static_cast<const char*>(file);
    std::FILE* opened = platform::openMusicFile(name);
    double length = -1.0;
    if (!opened || !musicnative::readStream(name, opened, &length)) return 0;
    onestream::Stream& s = stream();
    s.file = name;
    s.open = length >= 0.0;
    s.seconds = s.open ? length : 0.0;
    s.playStart = -1.0;
    return onestream::Stream::handle;
}

BOOL BASS_Start() { return stream().initialised; }
