// The six calls of the music library that the presentation makes, with the
// meaning the program relies on. The desktop backend plays through
// SDL2_mixer; the headless backend follows the stream on the virtual clock.
#pragma once

#include "win32.h"

using QWORD = std::uint64_t;
using HSTREAM = DWORD;

constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_STALLED = 2;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// Opens the output device (1 = the first real device) at the given rate.
// Non-zero on success; zero when there is no usable output (a line on
// stderr says why and how to run silently).
BOOL BASS_Init(int device, DWORD frequency, DWORD flags, HWND window, const void* deviceId);

// Opens an Ogg Vorbis file (mem FALSE: file is a path) as a stopped stream;
// offset 0 and length 0 mean the whole file. A handle, or 0 when the file is
// missing or not Ogg Vorbis (a line on stderr names the file and the reason).
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD flags);

// Starts the output. Non-zero on success.
BOOL BASS_Start();

// Starts the stream playing; restart TRUE plays from the beginning. Zero for
// a handle that names no stream.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);

// BASS_ACTIVE_STOPPED (0) for a stream that has not been started or has
// played to its end, and for a handle that names no stream; otherwise
// playing, stalled or paused.
DWORD BASS_ChannelIsActive(DWORD handle);

// Stops the output. Safe before BASS_Init.
BOOL BASS_Stop();
