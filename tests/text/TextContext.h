// The text tests' offscreen 640 x 480 context as the 2D pass finds it.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/headless/Headless.h"
#include "text/BitmapFont.h"

namespace textcontext {

constexpr int width = 640;
constexpr int height = 480;
constexpr int backgroundGrey = 51;  // 0.2 in 8 bits

struct Pixels {
    std::vector<std::uint8_t> rgba = std::vector<std::uint8_t>(std::size_t(width) * height * 4);
    const std::uint8_t* at(int x, int y) const { return &rgba[(std::size_t(y) * width + x) * 4]; }
    bool is(int x, int y, int r, int g, int b) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return false;
        const std::uint8_t* p = at(x, y);
        return p[0] == r && p[1] == g && p[2] == b;
    }
    bool white(int x, int y) const { return is(x, y, 255, 255, 255); }
    bool background(int x, int y) const { return is(x, y, backgroundGrey, backgroundGrey, backgroundGrey); }
    long count(bool (Pixels::*test)(int, int) const) const {
        long n = 0;
        for (int k = 0; k < width * height; ++k) n += (this->*test)(k % width, k / width);
        return n;
    }
    bool operator==(const Pixels& other) const { return rgba == other.rgba; }
};

// Any handle will do: the font code never looks inside it.
inline HDC testDeviceContext() {
    static int marker;
    return reinterpret_cast<HDC>(&marker);
}

// renderFrame's state for the 2D pass; a grey background, the colour white.
inline void startPicture() {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

inline Pixels grab() {
    Pixels pixels;
    headless::readFramebuffer(width, height, pixels.rgba.data());
    return pixels;
}

// One context and one built font per test process.
class TextContext : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static bool ready = headless::makeStandaloneContext(width, height);
        contextReady = ready;
    }
    void SetUp() override {
        ASSERT_TRUE(contextReady) << "no offscreen OpenGL";
        if (font.glyphListBase() == 0) font.build(testDeviceContext(), "Verdana", 16);
        ASSERT_NE(font.glyphListBase(), 0u);
        startPicture();
    }
    static inline bool contextReady = false;
};

}  // namespace textcontext
