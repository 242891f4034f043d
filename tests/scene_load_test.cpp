// The asset load: which files it reads and in what order, what a missing
// picture or mask leads to, and what the textures and particle systems hold
// afterwards.
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "app/Stopwatch.h"
#include "assets/AssetLoad.h"
#include "platform/headless/Headless.h"
#include "tests/scene_support.h"

using namespace scenetest;

namespace {

// Every "textures/....jpg" named on stderr, in order.
std::vector<std::string> namedPictures(const std::string& err) {
    std::vector<std::string> names;
    const std::regex picture("textures/[A-Za-z0-9_]+\\.jpg");
    for (auto it = std::sregex_iterator(err.begin(), err.end(), picture); it != std::sregex_iterator(); ++it)
        names.push_back(it->str());
    return names;
}

std::vector<std::string> manifestOrder() {
    std::vector<std::string> names;
    for (const LeafPictures& leaf : leafFileNames) {
        names.push_back(leaf.picture);
        names.push_back(leaf.mask);
    }
    for (const char* name : photoFileNames) names.push_back(name);
    for (const char* name : secPhotoFileNames) names.push_back(name);
    return names;
}

support::RunResult capture(const support::TempDir& data, const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {support::capturePath(), "--data", data.path(), "--fps", "2"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    return support::runProcess(argv, "", {"SALUTE_COUNTER_HZ=2560000"}, 600);
}

// Level 0 of a texture, as OpenGL holds it.
std::vector<std::uint8_t> texels(const Texture& texture, int& width, int& height) {
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(width) * height * 4);
    if (!data.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    glBindTexture(GL_TEXTURE_2D, Texture::lastBound);
    return data;
}

void expectTexel(const Texture& texture, int r, int g, int b, int a, const std::string& what) {
    int width = 0, height = 0;
    const std::vector<std::uint8_t> data = texels(texture, width, height);
    ASSERT_FALSE(data.empty()) << what;
    const std::uint8_t* middle = &data[(static_cast<std::size_t>(height / 2) * width + width / 2) * 4];
    EXPECT_NEAR(middle[0], r, 3) << what;
    EXPECT_NEAR(middle[1], g, 3) << what;
    EXPECT_NEAR(middle[2], b, 3) << what;
    EXPECT_NEAR(middle[3], a, 3) << what;
}

}  // namespace

TEST(SceneLoad, ReadsEveryPictureOnceInManifestOrder) {
    // With no pictures at all every read fails and is named: the order and
    // number of reads (45 pictures, 3 masks) become visible, and the
    // presentation still runs.
    support::TempDir data;
    ASSERT_TRUE(support::writeToneOgg(data.file("90secver.ogg"), 3.0));
    const support::RunResult run = capture(data, {"--to", "1"});
    ASSERT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> expected = manifestOrder();
    ASSERT_EQ(expected.size(), 48u);
    EXPECT_EQ(namedPictures(run.err), expected) << run.err;
}

TEST(SceneLoad, MissingPhotoShowsThePreviousPhoto) {
    support::TempDir data;
    ASSERT_TRUE(writeFlatData(data, 16.0, {"textures/photo5.jpg"}));
    support::TempDir out;
    // Photos 4 and 5 as each passes the middle of the view.
    const support::RunResult run = capture(data, {"--frames-at", "11.5,14", "--png", out.path()});
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(namedPictures(run.err), std::vector<std::string>{"textures/photo5.jpg"}) << run.err;

    const Rgb four = photoColour(4);
    const std::pair<int, float> shown[2] = {{4, 1.5f}, {5, 1.5f}};  // card, its clock in the frame
    for (int n = 0; n < 2; ++n) {
        const support::Png png = support::readPng(out.path() + (n == 0 ? "/0001.png" : "/0002.png"));
        ASSERT_TRUE(png.ok);
        const ScreenQuad quad = projectCard(photoCards[shown[n].first], shown[n].second);
        const std::uint8_t* p = png.at(static_cast<int>(quad.centreX), static_cast<int>(quad.centreY));
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(p[c], four[c], 4) << "card " << shown[n].first << " channel " << c;
    }
}

TEST(SceneLoad, MissingFirstLeafMaskIsSafe) {
    // The first merge then finds an empty mask: it must not read past it
    // (this test is the one to run under -DSALUTE_SANITIZE=ON). The first
    // leaf kind keeps its picture's own alpha, so it shows as opaque squares.
    support::TempDir data;
    ASSERT_TRUE(writeFlatData(data, 3.0, {"textures/leaf_a.jpg"}));
    support::TempDir out;
    const support::RunResult run = capture(data, {"--frames-at", "1", "--png", out.path()});
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(namedPictures(run.err), std::vector<std::string>{"textures/leaf_a.jpg"}) << run.err;
    const support::Png png = support::readPng(out.path() + "/0001.png");
    ASSERT_TRUE(png.ok);
    long light = 0;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x)
            if (png.at(x, y)[0] > 120 && png.at(x, y)[1] > 120 && png.at(x, y)[2] > 120) light++;
    EXPECT_GT(light, 1000);
}

TEST(SceneLoad, FillsTexturesAndParticleSystemsInProcess) {
    // One load in this process, on an offscreen context, from a folder where
    // photo5 and the second leaf's mask are missing and the other masks are
    // plain greys.
    support::TempDir data;
    ASSERT_TRUE(writeFlatData(data, 1.0, {"textures/photo5.jpg", "textures/leaf2_a.jpg"}));
    ASSERT_TRUE(support::writeFlatJpeg(texturePath(data, "textures/leaf_a.jpg"), 64, 64, 200, 200, 200));
    ASSERT_TRUE(support::writeFlatJpeg(texturePath(data, "textures/leaf3_a.jpg"), 64, 64, 100, 100, 100));
    ASSERT_TRUE(support::writeFlatJpeg(texturePath(data, "textures/leaf3.jpg"), 32, 64, 10, 20, 250));
    ASSERT_EQ(chdir(data.path().c_str()), 0);
    ASSERT_TRUE(headless::makeStandaloneContext(640, 480));

    loadAssets();

    // 45 textures, each its own name; cards 38 and 39 get none.
    std::vector<const Texture*> made = {&leafTexture, &leaf2Texture, &leaf3Texture};
    for (int i = 0; i < photoCount; ++i) made.push_back(&photoCards[i].texture);
    for (const Texture& t : secPhotoTextures) made.push_back(&t);
    ASSERT_EQ(made.size(), 45u);
    std::set<GLuint> names;
    for (const Texture* t : made) {
        EXPECT_NE(t->name, 0u);
        EXPECT_TRUE(glIsTexture(t->name));
        names.insert(t->name);
    }
    EXPECT_EQ(names.size(), 45u);
    EXPECT_EQ(photoCards[38].texture.name, 0u);
    EXPECT_EQ(photoCards[39].texture.name, 0u);
    // The last texture made stays bound.
    EXPECT_EQ(Texture::lastBound, secPhotoTextures[3].name);

    // Each photo card holds its own photo; the missing one repeats the photo before it.
    for (int i = 0; i < photoCount; ++i) {
        const Rgb c = photoColour(i == 5 ? 4 : i);
        expectTexel(photoCards[i].texture, c[0], c[1], c[2], 255, "photo " + std::to_string(i));
    }
    // Masks become alpha; a missing mask leaves the previous kind's mask in use.
    expectTexel(leafTexture, 255, 255, 255, 200, "leaf");
    expectTexel(leaf2Texture, 255, 255, 255, 200, "leaf2");
    expectTexel(leaf3Texture, 10, 20, 250, 100, "leaf3");
    int width = 0, height = 0;
    texels(leaf3Texture, width, height);
    EXPECT_EQ(width, 32);
    EXPECT_EQ(height, 64);
    for (const Texture& t : secPhotoTextures) expectTexel(t, backgroundGrey, backgroundGrey, backgroundGrey, 255, "secPhoto");

    EXPECT_EQ(leafSystem.particles.size(), 130u);
    EXPECT_EQ(leaf2System.particles.size(), 10u);
    EXPECT_EQ(leaf3System.particles.size(), 10u);
    for (const LeafSystem& s : secPhotoSystems) EXPECT_EQ(s.particles.size(), 5u);

    // The log was opened (and created) first of all.
    EXPECT_EQ(access("log.txt", F_OK), 0);
    // The clocks start at the end of the load.
    EXPECT_LT(demoClock.elapsedSeconds(), 0.001f);
}
