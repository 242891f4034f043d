// The cycle of one frame and the times that drive it.
#pragma once

// Seconds since the asset load finished; written once per frame.
extern float demoTime;
extern bool assetsLoaded;

void renderFrame();
void beginFrame();
void setProjection(bool orthographic);
void endFrame();
