// The four timed pages of text.
#pragma once

struct TextPage {
    const char* text;
    float start;
    float end;
};

extern const TextPage textPages[4];

void drawPage(const char* text, float start, float end);
void drawTextBlock(float x, float y, const char* text);
