#include "app/FrameCycle.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/Stopwatch.h"
#include "app/Window.h"
#include "assets/AssetLoad.h"
#include "scene/Scene.h"
#include "text/TextPages.h"

float demoTime = 0.0f;
bool assetsLoaded = false;
void (*firstFrameLoad)() = loadAssets;

Stopwatch::Stopwatch() {
    startCount.QuadPart = 0;
    LARGE_INTEGER frequency;
    frequency.QuadPart = 0;
    QueryPerformanceFrequency(&frequency);
    // Bits 8 to 39 of the frequency: frequency / 256 for every real counter.
    scaledFrequency = static_cast<float>(static_cast<std::int32_t>(
        static_cast<std::uint32_t>(static_cast<std::uint64_t>(frequency.QuadPart) >> 8)));
}

void Stopwatch::restart() { QueryPerformanceCounter(&startCount); }

float Stopwatch::elapsedSeconds() const {
    if (scaledFrequency == 0.0f) return 0.0f;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // The full 64-bit difference, so the clock never wraps during a run.
    const std::int64_t ticks = now.QuadPart - startCount.QuadPart;
    return static_cast<float>(static_cast<double>(ticks) / static_cast<double>(scaledFrequency) *
                              0.00390625);
}

void beginFrame() {
    if (!assetsLoaded) {
        firstFrameLoad();
        assetsLoaded = true;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

void setProjection(bool orthographic) {
    glViewport(0, 0, viewWidth, viewHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (orthographic) {
        glOrtho(0, viewWidth, viewHeight, 0, -1, 1000);
    } else {
        const double aspect =
            viewHeight == 0 ? 1.0 : static_cast<double>(viewWidth) / static_cast<double>(viewHeight);
        gluPerspective(fieldOfView, aspect, static_cast<double>(0.1f), 1000.0);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endFrame() {
    glFlush();
    SwapBuffers(deviceContext);
}

void renderFrame() {
    beginFrame();
    setProjection(false);
    demoTime = demoClock.elapsedSeconds();
    const float frameDelta = frameClock.elapsedSeconds();
    frameClock.restart();

    drawScene(frameDelta);

    setProjection(true);
    glDisable(GL_TEXTURE_2D);
    for (const TextPage& page : textPages) drawPage(page.text, page.start, page.end);

    endFrame();
}
