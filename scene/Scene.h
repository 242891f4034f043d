// The 3D pass of every frame.
#pragma once

void drawScene(float frameDelta);
