// The cycle of one frame and the times that drive it.
#pragma once

#include "frame/FrameState.h"

extern bool assetsLoaded;

// What the first frame runs to load the assets: loadAssets. A benchmark
// points it at a timed wrapper of loadAssets before the program starts.
extern void (*firstFrameLoad)();

// The perspective projection's vertical field of view, in degrees.
constexpr double fieldOfView = 40.0;

void renderFrame();
void beginFrame();
void setProjection(bool orthographic);
void endFrame();
