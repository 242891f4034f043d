// The six music-library calls (platform/audio.h) on Windows: the waveOut
// output of winmm, fed by a worker thread that decodes the Ogg Vorbis file
// with libvorbisfile into eight buffers of 4096 frames (93 ms each at
// 44.1 kHz, 0.74 s in all) and refills each as soon as it has been played.
// The drawing keeps every core busy, so the worker runs at the priority
// meant for sound and keeps well ahead of the device.
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/common/Music.h"

// After <windows.h> (through audio.h), which the lean build leaves it out of.
#include <mmsystem.h>

namespace {

constexpr int bufferCount = 8;
constexpr int bufferFrames = 4096;

struct Stream {
    OggVorbis_File vorbis{};
    int channels = 0;
    long rate = 0;
};

std::vector<std::unique_ptr<Stream>> streams;  // handle h names streams[h - 1]

struct Output {
    HWAVEOUT device = nullptr;
    WAVEFORMATEX format{};
    HANDLE bufferDone = nullptr;  // set by the device each time a buffer has been played
    bool running = false;         // between BASS_Start and BASS_Stop
    HANDLE player = nullptr;      // the worker thread while a stream plays
    std::atomic<bool> stopWanted{false};
    std::atomic<bool> playing{false};
    HSTREAM stream = 0;  // the stream last started
    DWORD framesWritten = 0;  // of the playing stream, handed to the device
    WAVEHDR headers[bufferCount]{};
    std::vector<char> buffers[bufferCount];
} output;

Stream* streamFor(DWORD handle) {
    if (handle == 0 || handle > streams.size()) return nullptr;
    return streams[handle - 1].get();
}

std::string deviceError(MMRESULT result) {
    char text[MAXERRORLENGTH] = "";
    if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR || !text[0])
        std::snprintf(text, sizeof text, "error %u", result);
    return text;
}

MMRESULT openDevice(long rate, int channels) {
    WAVEFORMATEX& format = output.format;
    format = WAVEFORMATEX{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    return waveOutOpen(&output.device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(output.bufferDone), 0,
                       CALLBACK_EVENT);
}

// Decodes into buffer i as much as fits and hands it to the device; false
// at the stream's end (nothing handed over).
bool queueBuffer(Stream& stream, int i) {
    std::vector<char>& buffer = output.buffers[i];
    buffer.resize(static_cast<std::size_t>(bufferFrames) * output.format.nBlockAlign);
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        int section = 0;
        const long got = ov_read(&stream.vorbis, buffer.data() + filled, static_cast<int>(buffer.size() - filled),
                                 0, 2, 1, &section);
        if (got == OV_HOLE) continue;  // a gap in the data: play on after it
        if (got <= 0) break;           // the end, or damage that ends it
        filled += static_cast<std::size_t>(got);
    }
    if (filled == 0) return false;
    WAVEHDR& header = output.headers[i];
    header = WAVEHDR{};
    header.lpData = buffer.data();
    header.dwBufferLength = static_cast<DWORD>(filled);
    if (waveOutPrepareHeader(output.device, &header, sizeof header) != MMSYSERR_NOERROR) return false;
    if (waveOutWrite(output.device, &header, sizeof header) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(output.device, &header, sizeof header);
        return false;
    }
    output.framesWritten += static_cast<DWORD>(filled / output.format.nBlockAlign);
    return true;
}

bool inDevice(const WAVEHDR& header) { return (header.dwFlags & WHDR_PREPARED) && !(header.dwFlags & WHDR_DONE); }

// Whether the device has played the last frame handed to it. A buffer is
// given back once the device has taken it, which with a sound server
// between can be well before it is heard; the position says when it is.
bool heardToTheEnd() {
    MMTIME position{};
    position.wType = TIME_SAMPLES;
    return waveOutGetPosition(output.device, &position, sizeof position) != MMSYSERR_NOERROR ||
           position.wType != TIME_SAMPLES || position.u.sample >= output.framesWritten;
}

// The worker: keeps every buffer filled until the stream ends, then waits
// for the device to play the last of it (for at most two seconds more).
DWORD WINAPI play(void* parameter) {
    Stream& stream = *static_cast<Stream*>(parameter);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    bool ended = false;
    for (;;) {
        bool busy = false;
        for (int i = 0; i < bufferCount; ++i) {
            WAVEHDR& header = output.headers[i];
            if ((header.dwFlags & WHDR_DONE) && (header.dwFlags & WHDR_PREPARED))
                waveOutUnprepareHeader(output.device, &header, sizeof header);
            if (!ended && !inDevice(header) && !output.stopWanted) ended = !queueBuffer(stream, i);
            busy = busy || inDevice(header);
        }
        if (output.stopWanted || (ended && !busy)) break;
        WaitForSingleObject(output.bufferDone, 100);
    }
    for (int wait = 0; wait < 100 && !output.stopWanted && !heardToTheEnd(); ++wait)
        WaitForSingleObject(output.bufferDone, 20);
    output.playing = false;
    return 0;
}

// Ends the worker; what the device still holds is dropped.
void stopPlayer() {
    if (!output.player) return;
    output.stopWanted = true;
    waveOutReset(output.device);  // marks every buffer done
    SetEvent(output.bufferDone);
    WaitForSingleObject(output.player, INFINITE);
    CloseHandle(output.player);
    output.player = nullptr;
    output.stopWanted = false;
    for (WAVEHDR& header : output.headers) {
        if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(output.device, &header, sizeof header);
        header = WAVEHDR{};
    }
}

// At process end, as the audio library does when it is unloaded.
void closeOutput() {
    stopPlayer();
    if (output.device) waveOutClose(output.device);
    output.device = nullptr;
    for (auto& stream : streams) {
        if (stream) ov_clear(&stream->vorbis);
    }
    streams.clear();
}

}  // namespace

// Device 1 (or -1, the default) opens the system's default output at the
// given rate, stereo, 16-bit. Any other device number is refused.
BOOL BASS_Init(int device, DWORD frequency, DWORD, HWND, const void*) {
    if (output.device) return TRUE;
    if (!music::defaultDevice(device)) return FALSE;
    std::string error;
    if (waveOutGetNumDevs() == 0) {
        error = "no sound device found";
    } else {
        if (!output.bufferDone) output.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        const MMRESULT result = openDevice(static_cast<long>(frequency), 2);
        if (result != MMSYSERR_NOERROR) {
            output.device = nullptr;
            error = deviceError(result);
        }
    }
    if (!error.empty()) {
        std::fprintf(stderr, "salute: no audio output (%s); the presentation ends after its first frame\n",
                     error.c_str());
        return FALSE;
    }
    static const bool exitHookSet = std::atexit(closeOutput) == 0;
    (void)exitHookSet;
    output.running = true;
    return TRUE;
}

// Opens an Ogg Vorbis file from its path as a stopped stream. Memory streams
// and file sections are not supported (the program uses neither).
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, QWORD offset, QWORD length, DWORD) {
    const char* path = nullptr;
    std::FILE* const opened = music::openWholeFile(mem, file, offset, length, output.device != nullptr, path);
    if (!opened) return 0;
    auto stream = std::make_unique<Stream>();
    if (ov_open_callbacks(opened, &stream->vorbis, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(opened);
        music::refuse(path, "not an Ogg Vorbis file");
        return 0;
    }
    const vorbis_info* info = ov_info(&stream->vorbis, -1);
    if (!info || info->channels < 1 || info->channels > 8 || info->rate < 1) {
        ov_clear(&stream->vorbis);
        music::refuse(path, "its format cannot be played");
        return 0;
    }
    stream->channels = info->channels;
    stream->rate = info->rate;
    streams.push_back(std::move(stream));
    return static_cast<HSTREAM>(streams.size());
}

// Lets the output run again after BASS_Stop.
BOOL BASS_Start() {
    if (!output.device) return FALSE;
    output.running = true;
    waveOutRestart(output.device);
    return TRUE;
}

// Plays the stream once from its beginning (from where it was when it is
// the stream already playing and restart is FALSE). The device is opened
// again when the stream's rate or channels differ from its own.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
    Stream* stream = streamFor(handle);
    if (!stream || !output.device) return FALSE;
    if (!restart && output.stream == handle && output.playing) return BASS_Start();
    stopPlayer();
    if (stream->rate != static_cast<long>(output.format.nSamplesPerSec) || stream->channels != output.format.nChannels) {
        waveOutClose(output.device);
        const MMRESULT result = openDevice(stream->rate, stream->channels);
        if (result != MMSYSERR_NOERROR) {
            output.device = nullptr;
            std::fprintf(stderr, "salute: cannot start the music: %s\n", deviceError(result).c_str());
            return FALSE;
        }
    }
    ov_pcm_seek(&stream->vorbis, 0);
    waveOutReset(output.device);  // the position counts from this stream's start
    output.framesWritten = 0;
    if (output.running) waveOutRestart(output.device);
    else waveOutPause(output.device);  // heard once the output is started
    output.stream = handle;
    output.playing = true;
    output.player = CreateThread(nullptr, 0, play, stream, 0, nullptr);
    if (!output.player) {
        output.playing = false;
        std::fprintf(stderr, "salute: cannot start the music: no thread for it\n");
        return FALSE;
    }
    return TRUE;
}

// Playing until the device has played the stream's last sample; paused
// while the output is stopped; stopped otherwise, and for a handle that
// names no stream.
DWORD BASS_ChannelIsActive(DWORD handle) {
    if (!streamFor(handle) || handle != output.stream || !output.playing) return BASS_ACTIVE_STOPPED;
    return output.running ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_PAUSED;
}

// Stops the output: the music pauses where it is. FALSE before BASS_Init.
BOOL BASS_Stop() {
    if (!output.device) return FALSE;
    output.running = false;
    waveOutPause(output.device);
    return TRUE;
}
