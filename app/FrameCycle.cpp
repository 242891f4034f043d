#include "app/FrameCycle.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/Window.h"
#include "assets/AssetLoad.h"
#include "frame/Stopwatch.h"
#include "scene/Scene.h"
#include "text/TextPages.h"

float demoTime = 0.0f;
bool assetsLoaded = false;
void (*firstFrameLoad)() = loadAssets;

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
