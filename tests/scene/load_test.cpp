// The asset load on an offscreen context: textures and particle systems.
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "frame/Stopwatch.h"
#include "assets/AssetLoad.h"
#include "platform/headless/Headless.h"
#include "tests/support/DataFolder.h"

using support::Rgb;

namespace {

// The middle texel of level 0 of a texture, and its size.
void expectTexel(const Texture& texture, int r, int g, int b, int a, const std::string& what, int w = 0, int h = 0) {
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(width) * height * 4);
    ASSERT_FALSE(data.empty()) << what;
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    glBindTexture(GL_TEXTURE_2D, Texture::lastBound);
    const std::uint8_t* middle = &data[(static_cast<std::size_t>(height / 2) * width + width / 2) * 4];
    const int expected[4] = {r, g, b, a};
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(middle[c], expected[c], 3) << what << " channel " << c;
    EXPECT_TRUE((!w || width == w) && (!h || height == h)) << what << ": " << width << " x " << height;
}

}  // namespace

TEST(LoadTest, FillsTexturesAndParticleSystems) {
    // photo5 and two masks missing: the first leaf's merge meets an empty mask
    // (run it under the sanitizers); the third reuses the second's.
    support::TempDir data;
    ASSERT_TRUE(support::writeDataFolder(data.path(), 1.0));
    for (const char* name : {photoFileNames[5], leafFileNames[0].mask, leafFileNames[2].mask}) std::remove(data.file(name).c_str());
    ASSERT_TRUE(support::writeFlatJpeg(data.file(leafFileNames[1].mask), 64, 64, 200));
    ASSERT_TRUE(support::writeFlatJpeg(data.file(leafFileNames[2].picture), 32, 64, 10, 20, 250));
    ASSERT_EQ(chdir(data.path().c_str()), 0);
    ASSERT_TRUE(headless::makeStandaloneContext(640, 480));
    testing::internal::CaptureStderr();
    loadAssets();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(support::errorLinesAbout(err, "cannot load").size(), 3u) << err;

    // 45 textures, each its own name; cards 38 and 39 get none.
    std::vector<const Texture*> made = {&leafTexture, &leaf2Texture, &leaf3Texture};
    for (int i = 0; i < photoCount; ++i) made.push_back(&photoCards[i].texture);
    for (const Texture& t : secPhotoTextures) made.push_back(&t);
    std::set<GLuint> names;
    for (const Texture* t : made) {
        EXPECT_TRUE(glIsTexture(t->name));
        names.insert(t->name);
    }
    EXPECT_EQ(names.size(), 45u);
    EXPECT_EQ(photoCards[38].texture.name, 0u);
    EXPECT_EQ(photoCards[39].texture.name, 0u);
    EXPECT_EQ(Texture::lastBound, secPhotoTextures[3].name);  // the last one made stays bound

    // Each card holds its own photo; the missing one repeats the one before.
    for (int i = 0; i < photoCount; ++i) {
        const Rgb c = support::photoColour(i == 5 ? 4 : i);
        expectTexel(photoCards[i].texture, c[0], c[1], c[2], 255, "photo " + std::to_string(i));
    }
    const Rgb leaf = support::leafColour(0), leaf2 = support::leafColour(1);
    expectTexel(leafTexture, leaf[0], leaf[1], leaf[2], 255, "leaf without its mask");
    expectTexel(leaf2Texture, leaf2[0], leaf2[1], leaf2[2], 200, "leaf2");
    expectTexel(leaf3Texture, 10, 20, 250, 200, "leaf3 with leaf2's mask", 32, 64);
    for (int i = 0; i < secPhotoCount; ++i) {
        const Rgb c = support::secPhotoColour(i);
        expectTexel(secPhotoTextures[i], c[0], c[1], c[2], 255, "secPhoto " + std::to_string(i + 1));
    }

    EXPECT_EQ(leafSystem.particles.size(), 130u);
    EXPECT_EQ(leaf2System.particles.size(), 10u);
    EXPECT_EQ(leaf3System.particles.size(), 10u);
    for (const LeafSystem& s : secPhotoSystems) EXPECT_EQ(s.particles.size(), 5u);
    EXPECT_EQ(access("log.txt", F_OK), 0);                 // the log was opened (created)
    EXPECT_LT(demoClock.elapsedSeconds(), 0.001f);         // the clocks start at the end of the load
}
