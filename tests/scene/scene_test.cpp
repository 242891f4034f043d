// The scene's numbers reproduced to the digits the presentation is made
// with, on an offscreen llvmpipe context.
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "app/FrameCycle.h"
#include "platform/headless/Headless.h"
#include "scene/LeafSystem.h"
#include "scene/PhotoCard.h"
#include "scene/RandomUnit.h"
#include "scene/Scene.h"

namespace {

// How many steps take the generator from one state to another.
int stepsBetween(std::uint32_t from, std::uint32_t to) {
    for (int steps = 0; steps <= 40000; ++steps, randomUnit(from))
        if (from == to) return steps;
    return -1;
}

std::uint32_t stateAfter(int steps) {
    std::uint32_t state = randomSeed;
    for (int i = 0; i < steps; ++i) randomUnit(state);
    return state;
}

void expectNear(const Vector3& v, double x, double y, double z, double tolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

bool same(const Vector3& u, const Vector3& v) { return u.x == v.x && u.y == v.y && u.z == v.z; }
bool same(const LeafParticle& a, const LeafParticle& b) {
    return same(a.position, b.position) && same(a.velocity, b.velocity) && same(a.rotation, b.rotation) &&
           same(a.spin, b.spin) && a.halfSize == b.halfSize;
}

class SceneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(headless::makeStandaloneContext(64, 64)); }
    void SetUp() override { leafRandomState = randomSeed; }
    static void drawAt(float t, float step) {
        for (PhotoCard& c : photoCards) c.clock = 0.0f;
        demoTime = t;
        drawScene(step);
    }
};

}  // namespace

TEST_F(SceneTest, FirstRespawnFromTheFreshSeed) {
    LeafParticle p;
    p.respawn();
    EXPECT_NEAR(p.halfSize, 0.70498, 5e-6);
    expectNear(p.position, 8.09675, 2.39539, -2.95638, 5e-6);
    expectNear(p.velocity, -13.95728, 0.01871, 0.0, 5e-6);
    expectNear(p.rotation, 145.46997, 168.66211, 317.80151, 5e-5);
    expectNear(p.spin, 100.26855, 32.14722, 160.16846, 5e-5);
    EXPECT_EQ(leafRandomState, stateAfter(13));
    // The fifth draw (0.34583) is taken but unused; the sixth sets velocity.y.
    std::uint32_t state = stateAfter(4);
    EXPECT_NEAR(randomUnit(state), 0.34583, 5e-6);
    EXPECT_EQ(p.velocity.y, randomUnit(state) - 0.5f);
    // The speed factor is the float just above 14.3, not 14.3 itself.
    state = stateAfter(6);
    EXPECT_EQ(p.velocity.x, -2.5f - 14.300001f * randomUnit(state));
}

TEST_F(SceneTest, ParticleUpdateAndTheLeftEdge) {
    LeafParticle p;
    p.respawn();
    const LeafParticle before = p;
    const std::uint32_t stateBefore = leafRandomState;
    p.update(0.0f);
    EXPECT_TRUE(same(p, before));
    // Exactly at -8 is not past the edge; the next step respawns at the right.
    LeafParticle edge;
    edge.position = Vector3(-7.0f, 0.0f, -3.0f);
    edge.velocity = Vector3(-1.0f, 0.0f, 0.0f);
    edge.update(1.0f);
    EXPECT_EQ(edge.position.x, -8.0f);
    EXPECT_EQ(leafRandomState, stateBefore);
    edge.update(0.25f);
    EXPECT_EQ(stepsBetween(stateBefore, leafRandomState), 13);
    EXPECT_GE(edge.position.x, 8.0f);
    EXPECT_LT(edge.position.x, 8.2f);
}

TEST_F(SceneTest, SystemInitAndWarmUp) {
    LeafSystem empty;
    empty.init(0);
    empty.drawAndUpdate(0.5f);
    EXPECT_TRUE(empty.particles.empty());
    EXPECT_EQ(leafRandomState, randomSeed);
    // Respawned by init and at least once more in the ten warm-up seconds.
    LeafSystem system;
    system.init(130);
    ASSERT_EQ(system.particles.size(), 130u);
    EXPECT_GE(stepsBetween(randomSeed, leafRandomState), 13 * 2 * 130);
}

TEST_F(SceneTest, CardPathsComeFromTheirOwnRandomState) {
    const PhotoCard& card = photoCards[0];
    expectNear(card.positionPath[0], 3.17985, -0.60052, -5.01660, 5e-6);
    expectNear(card.positionPath[1], 0.0, 0.0, 0.0, 0.0);
    expectNear(card.positionPath[2], -2.89626, -0.30835, -4.96747, 5e-6);
    expectNear(card.rotationPath[0], -45.352, 551.206, 433.740, 5e-4);
    expectNear(card.rotationPath[1], -1.35706, 1.20337, -1.91833, 5e-6);
    expectNear(card.rotationPath[2], 33.311, -27.554, 1.934, 5e-4);
    EXPECT_EQ(card.scale, 1.0f);
    // Fifteen draws per card, in index order, nothing else from their state.
    EXPECT_EQ(cardRandomState, stateAfter(15 * photoCardCount));
    const std::uint32_t saved = cardRandomState;
    for (int i : {1, 17, 39}) {
        cardRandomState = stateAfter(15 * i);
        const PhotoCard again;
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(same(again.positionPath[k], photoCards[i].positionPath[k])) << i;
            EXPECT_TRUE(same(again.rotationPath[k], photoCards[i].rotationPath[k])) << i;
        }
    }
    cardRandomState = saved;
}

TEST_F(SceneTest, CardDrawFollowsItsOwnClock) {
    PhotoCard& card = photoCards[0];
    card.clock = 0.0f;
    card.draw(0.0f, 5.0f);  // s = -0.77: entering from the right
    expectNear(card.position, 5.355, -0.5625, -3.444, 5e-4);
    expectNear(card.rotation, -72.61, 679.69, 521.54, 5e-3);
    card.draw(1.2705f, 5.0f);  // s close to 0: at the origin, facing the viewer
    EXPECT_NEAR(card.position.x, 0.0, 0.01);
    EXPECT_NEAR(card.rotation.z, card.rotationPath[1].z, 0.1);
    card.draw(5.0f - 1.2705f, 5.0f);  // s = 1/0.33 - 0.77: leaving far left
    EXPECT_EQ(card.clock, 5.0f);
    expectNear(card.position, -15.032, 0.085, -6.987, 5e-4);
    expectNear(card.rotation, 189.23, -1078.68, -771.56, 5e-3);
    card.clock = 0.0f;
    card.draw(10.0f, 10.0f);  // another window length stretches the same sweep
    expectNear(card.position, -15.032, 0.085, -6.987, 5e-4);
    card.clock = 0.0f;
    EXPECT_EQ(Texture::lastBound, 0u);  // nothing left bound
}

TEST_F(SceneTest, TimelineBoundsAreOpen) {
    // Card i is drawn only while demoTime lies strictly inside (2.5 i, 2.5 i + 5).
    const float step = 0.25f;
    for (int i = 0; i < photoCount; ++i) {
        const float start = 2.5f * static_cast<float>(i), end = start + 5.0f;
        for (float t : {start, end, std::nextafter(start, 0.0f), std::nextafter(end, 200.0f)}) {
            drawAt(t, step);
            EXPECT_EQ(photoCards[i].clock, 0.0f) << "photo " << i << " drawn at " << t;
        }
        for (float t : {std::nextafter(start, 200.0f), std::nextafter(end, 0.0f)}) {
            drawAt(t, step);
            EXPECT_EQ(photoCards[i].clock, step) << "photo " << i << " not drawn at " << t;
        }
    }
    // Cards 38 and 39 are never drawn; at 6.0 photos 1 and 2 only.
    for (float t : {0.0f, 6.0f, 97.5f, 1000.0f}) {
        drawAt(t, step);
        for (int i = 0; i < photoCardCount; ++i)
            EXPECT_EQ(photoCards[i].clock, t == 6.0f && (i == 1 || i == 2) ? step : 0.0f) << i << " at " << t;
    }
    drawAt(0.0f, 0.0f);
}
