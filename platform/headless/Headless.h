// Control of the headless backend: the same Win32 and audio calls as the
// desktop backend, but with no display and no sound card. OpenGL runs
// offscreen (Mesa through EGL, no display needed), and time is virtual: the
// performance counter moves only when a frame is presented (by one frame
// step) and when Sleep is called (by its argument).
//
// Tests and the capture tool configure it before the program's entry
// routine runs, and watch every presented frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32.h"

namespace headless {

// One presented frame, as the viewer would see it.
struct Frame {
    long index;              // 0 for the first presented frame
    double virtualSeconds;   // virtual time at which it was presented
    int width;               // drawing size (the window's client size)
    int height;
    const std::uint8_t* rgba;  // width x height RGBA, top row first; null unless pixels are read
};

struct Config {
    // Frame step as a fraction of a second: one frame lasts denominator /
    // numerator seconds (60/1 by default; 60000/1001 for NTSC rates).
    std::int64_t fpsNumerator = 60;
    std::int64_t fpsDenominator = 1;
    bool readPixels = false;  // hand every frame's pixels to onFrame
    // Device pixels per pixel of the program's (1 to 4): the window's
    // client area, and so the drawing, is this many times the size the
    // program asks for, and the display reports 96 times this many dots per
    // inch, from which the program sizes its text.
    int scale = 1;
    // Called after each presented frame, on the program's thread. It may
    // post messages (postMessage) that the program handles before its next
    // frame.
    std::function<void(const Frame&)> onFrame;
    // Called when the music starts playing, with the virtual time of the call.
    std::function<void(double virtualSeconds)> onMusicPlay;
};

// Replaces the configuration; call before WinMain.
void configure(const Config& config);

// Queues a window message for the program's window, as if input had
// arrived. Messages posted before the window exists wait in the queue.
void postMessage(UINT message, WPARAM wParam, LPARAM lParam);

// Whether the screen saver and monitor power-down may run: false from the
// moment the window is shown until a request reaches DefWindowProcA.
bool screenSaverMayRun();

// Virtual time since the process started, in seconds.
double virtualSeconds();

// Counter frequency in ticks per second. 10 MHz unless the environment
// variable SALUTE_COUNTER_HZ says otherwise (read at the first query, so it
// applies to the clocks constructed before main).
std::int64_t counterFrequency();

// Moves the virtual counter on by the given ticks, and sets the frequency
// (for tests of the clocks).
void advanceCounter(std::int64_t ticks);
void setCounterFrequency(std::int64_t ticksPerSecond);

// Number of frames presented so far.
long framesPresented();

// Wall-clock seconds spent reading frames back so far (with readPixels).
double readbackSeconds();

// The music file opened by the program, or empty; and the virtual time at
// which it started playing (negative when it never did).
std::string musicFile();
double musicStartSeconds();

// Fault injection for tests, also settable through the environment:
// SALUTE_NO_DISPLAY=1 (no display at all), SALUTE_NO_AUDIO=1 (no output
// device).
void setNoDisplay(bool value);
void setNoAudioDevice(bool value);

// Makes a current offscreen OpenGL context of the given size outside the
// program's own window, for tests of drawing code. Returns false (with a
// message on stderr) when no OpenGL is available.
bool makeStandaloneContext(int width, int height);
// Reads the current framebuffer as RGBA, top row first.
void readFramebuffer(int width, int height, std::uint8_t* rgba);

}  // namespace headless
