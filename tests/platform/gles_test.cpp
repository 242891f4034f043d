// The OpenGL ES layer where the fixed-function pipeline's rules are easy to
// get wrong and the golden frames would not say which rule broke: fog by eye
// distance, textures that cannot be sampled, alpha-only textures, the
// attribute stack, the raster position, and calls outside the program's
// subset.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/headless/Headless.h"

namespace {

constexpr int size = 8;

class GlesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(headless::makeStandaloneContext(size, size));
        glViewport(0, 0, size, size);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1, 1, -1, 1, 0, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // A quad over the whole view at eye depth -z, in the current colour.
    static void fill(float z) {
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0), glVertex3f(-1, -1, -z);
        glTexCoord2f(1, 0), glVertex3f(1, -1, -z);
        glTexCoord2f(1, 1), glVertex3f(1, 1, -z);
        glTexCoord2f(0, 1), glVertex3f(-1, 1, -z);
        glEnd();
    }

    static std::array<int, 4> centre() {
        std::array<std::uint8_t, size * size * 4> rgba{};
        headless::readFramebuffer(size, size, rgba.data());
        const std::uint8_t* p = &rgba[(size / 2 * size + size / 2) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

TEST_F(GlesTest, FogByEyeDistanceAndTexturesAsOpenGLSamplesThem) {
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 15.0f);
    const GLfloat fogColour[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    glFogfv(GL_FOG_COLOR, fogColour);
    glEnable(GL_FOG);
    glColor3f(1, 0, 0);
    for (const auto& [z, red, blue] : {std::array{2, 255, 0}, {10, 128, 128}, {50, 0, 255}}) {
        fill(static_cast<float>(z));
        const auto c = centre();
        EXPECT_NEAR(c[0], red, 1) << "eye distance " << z;
        EXPECT_NEAR(c[2], blue, 1) << "eye distance " << z;
    }
    glDisable(GL_FOG);

    // A texture with no image, or without the mipmaps its filter reads:
    // drawn as if texturing were off, not black.
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glColor3f(0, 1, 0);
    fill(1);
    EXPECT_EQ(centre()[1], 255);
    const GLubyte half[4] = {128, 128, 128, 128};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // rows of two bytes
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, 2, 2, 0, GL_ALPHA, GL_UNSIGNED_BYTE, half);
    fill(1);
    EXPECT_EQ(centre()[1], 255) << "mipmapped filter, no mipmaps";

    // An alpha texture modulates alpha only; the alpha test drops what fails.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    fill(1);
    EXPECT_NEAR(centre()[0], 128, 1);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.6f);
    glClear(GL_COLOR_BUFFER_BIT);
    fill(1);
    EXPECT_EQ(centre()[0], 0);
    glDeleteTextures(1, &texture);
}

TEST_F(GlesTest, AttributesComeBackAndTheRasterPositionFollowsTheView) {
    glColor3f(0.25f, 0.5f, 1.0f);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 7);
    glColor3f(1, 1, 1);
    glPopAttrib();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 0);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[1], 0.5f);

    // Window coordinates of the view's centre; a bitmap's move shifts them.
    GLfloat position[4];
    GLboolean valid = GL_FALSE;
    glRasterPos2i(0, 0);
    glBitmap(0, 0, 0, 0, 1.5f, 2.0f, nullptr);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    EXPECT_TRUE(valid);
    EXPECT_FLOAT_EQ(position[0], size / 2 + 1.5f);
    EXPECT_FLOAT_EQ(position[1], size / 2 + 2.0f);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    // Outside the view the position is invalid and bitmaps neither draw nor move it.
    glRasterPos2i(5, 0);
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    EXPECT_FALSE(valid);
}

TEST_F(GlesTest, ACallOutsideTheSubsetIsNamedOnceAndChangesNothing) {
    testing::internal::CaptureStderr();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHTING);
    glDisable(GL_LIGHTING);  // switching off what is never on is in the subset
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "salute: the OpenGL ES layer does not implement glEnable with 0x0B50; the call is ignored\n");
    glColor3f(1, 1, 1);
    fill(1);
    EXPECT_EQ(centre()[0], 255);
}

}  // namespace
