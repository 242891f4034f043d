#include "text/TextPages.h"

const TextPage textPages[4] = {
    {"", 1.0f, 25.0f},
    {"", 25.5f, 50.0f},
    {"", 50.5f, 75.0f},
    {"", 75.5f, 100.0f},
};

void drawPage(const char*, float, float) {}
void drawTextBlock(float, float, const char*) {}
