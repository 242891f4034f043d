#include "scene/Scene.h"

void drawScene(float) {}
