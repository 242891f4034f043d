// The scene's numbers: the random source, leaf particles, photo-card paths
// and the timeline bounds, reproduced to the digits the presentation is
// specified with. Drawing calls run on an offscreen llvmpipe context.
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
    for (int steps = 0; steps <= 40000; ++steps) {
        if (from == to) return steps;
        randomUnit(from);
    }
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

bool sameParticle(const LeafParticle& a, const LeafParticle& b) {
    const auto same = [](const Vector3& u, const Vector3& v) { return u.x == v.x && u.y == v.y && u.z == v.z; };
    return same(a.position, b.position) && same(a.velocity, b.velocity) && same(a.rotation, b.rotation) &&
           same(a.spin, b.spin) && a.halfSize == b.halfSize;
}

class SceneUnit : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(headless::makeStandaloneContext(64, 64)); }
    void SetUp() override { leafRandomState = randomSeed; }
};

}  // namespace

TEST_F(SceneUnit, RandomUnitStepsAndRange) {
    std::uint32_t state = randomSeed;
    // (31337303 * 15625 + 1) & 0x7FFF, computed by hand.
    const float first = randomUnit(state);
    EXPECT_EQ(state, static_cast<std::uint32_t>((31337303ull * 15625ull + 1ull) & 0x7FFFull));
    EXPECT_EQ(first, static_cast<float>(state) / 32768.0f);
    for (int i = 0; i < 40000; ++i) {
        const float value = randomUnit(state);
        ASSERT_GE(value, 0.0f);
        ASSERT_LT(value, 1.0f);
        ASSERT_LE(state, 0x7FFFu);
    }
}

TEST_F(SceneUnit, FirstRespawnFromTheFreshSeed) {
    LeafParticle p;
    p.respawn();
    EXPECT_NEAR(p.halfSize, 0.70498, 5e-6);
    expectNear(p.position, 8.09675, 2.39539, -2.95638, 5e-6);
    expectNear(p.velocity, -13.95728, 0.01871, 0.0, 5e-6);
    EXPECT_EQ(p.velocity.z, 0.0f);
    expectNear(p.rotation, 145.46997, 168.66211, 317.80151, 5e-5);
    expectNear(p.spin, 100.26855, 32.14722, 160.16846, 5e-5);
    EXPECT_EQ(leafRandomState, stateAfter(13));

    // The fifth draw is taken but unused: it is 0.34583, and the sixth is
    // the one that sets velocity.y.
    std::uint32_t state = stateAfter(4);
    EXPECT_NEAR(randomUnit(state), 0.34583, 5e-6);
    EXPECT_EQ(p.velocity.y, randomUnit(state) - 0.5f);
    // The speed factor is the float just above 14.3, not 14.3 itself.
    state = stateAfter(6);
    EXPECT_EQ(p.velocity.x, -2.5f - 14.300001f * randomUnit(state));
    EXPECT_NE(14.300001f, 14.3f);
}

TEST_F(SceneUnit, ParticleUpdateAndTheLeftEdge) {
    LeafParticle p;
    p.respawn();
    const LeafParticle before = p;
    const std::uint32_t stateBefore = leafRandomState;
    p.update(0.0f);
    EXPECT_TRUE(sameParticle(p, before));
    EXPECT_EQ(leafRandomState, stateBefore);

    // One second moves by velocity and turns by spin, in floats.
    p.update(1.0f);
    EXPECT_EQ(p.position.x, before.position.x + before.velocity.x);
    EXPECT_EQ(p.rotation.z, before.rotation.z + before.spin.z);

    // Exactly at -8 is not past the edge.
    LeafParticle edge;
    edge.position = Vector3(-7.0f, 0.0f, -3.0f);
    edge.velocity = Vector3(-1.0f, 0.0f, 0.0f);
    edge.update(1.0f);
    EXPECT_EQ(edge.position.x, -8.0f);
    EXPECT_EQ(leafRandomState, stateBefore);
    // The next step below it respawns at the right-hand edge.
    edge.update(0.25f);
    EXPECT_EQ(stepsBetween(stateBefore, leafRandomState), 13);
    EXPECT_GE(edge.position.x, 8.0f);
    EXPECT_LT(edge.position.x, 8.2f);
}

TEST_F(SceneUnit, SystemInitAndWarmUp) {
    LeafSystem empty;
    empty.init(0);
    EXPECT_TRUE(empty.particles.empty());
    empty.drawAndUpdate(0.5f);
    EXPECT_EQ(leafRandomState, randomSeed);

    // Every particle is respawned once by init and at least once more while
    // it drifts through the ten warm-up seconds.
    LeafSystem system;
    system.init(130);
    ASSERT_EQ(system.particles.size(), 130u);
    EXPECT_GE(stepsBetween(randomSeed, leafRandomState), 13 * 2 * 130);
    for (const LeafParticle& p : system.particles) {
        EXPECT_GE(p.position.x, -8.0f);
        EXPECT_LT(p.position.x, 8.2f);
        EXPECT_GE(p.halfSize, 0.4f);
        EXPECT_LT(p.halfSize, 1.0f);
    }

    // A second init respawns the particles it already had: the result is
    // the same as an empty system's init from the same random state.
    LeafSystem grown;
    grown.init(3);
    const std::uint32_t state = leafRandomState;
    grown.init(5);
    const std::uint32_t after = leafRandomState;
    leafRandomState = state;
    LeafSystem fresh;
    fresh.init(5);
    EXPECT_EQ(leafRandomState, after);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(sameParticle(grown.particles[i], fresh.particles[i])) << i;

    // Shrinking keeps the order of the particles that remain.
    grown.particles.resize(2);
    EXPECT_TRUE(sameParticle(grown.particles[1], fresh.particles[1]));
}

TEST_F(SceneUnit, CardPathsComeFromTheirOwnRandomState) {
    // Card 0 from the fresh seed.
    const PhotoCard& card = photoCards[0];
    expectNear(card.positionPath[0], 3.17985, -0.60052, -5.01660, 5e-6);
    expectNear(card.positionPath[1], 0.0, 0.0, 0.0, 0.0);
    expectNear(card.positionPath[2], -2.89626, -0.30835, -4.96747, 5e-6);
    expectNear(card.rotationPath[0], -45.352, 551.206, 433.740, 5e-4);
    expectNear(card.rotationPath[1], -1.35706, 1.20337, -1.91833, 5e-6);
    expectNear(card.rotationPath[2], 33.311, -27.554, 1.934, 5e-4);
    EXPECT_EQ(card.scale, 1.0f);

    // The 40 cards took fifteen draws each, in index order, and nothing
    // else has drawn from their state.
    EXPECT_EQ(cardRandomState, stateAfter(15 * photoCardCount));
    const std::uint32_t saved = cardRandomState;
    for (int i : {1, 17, 39}) {
        cardRandomState = stateAfter(15 * i);
        const PhotoCard again;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(again.positionPath[k].x, photoCards[i].positionPath[k].x) << i;
            EXPECT_EQ(again.rotationPath[k].z, photoCards[i].rotationPath[k].z) << i;
        }
    }
    cardRandomState = saved;

    for (const PhotoCard& c : photoCards) {
        EXPECT_GE(c.positionPath[0].x, 3.0f);
        EXPECT_LT(c.positionPath[0].x, 3.2f);
        EXPECT_GE(c.positionPath[2].x, -3.0f);
        EXPECT_LT(c.positionPath[2].x, -2.8f);
        EXPECT_LE(std::fabs(c.rotationPath[1].x), 2.0f);
        EXPECT_LE(std::fabs(c.rotationPath[1].z), 10.0f);
    }
}

TEST_F(SceneUnit, CatmullRomPassesTheMiddlePointExactly) {
    // Exactly B at s = 0; at s = 1 only up to float rounding.
    for (const PhotoCard& c : photoCards) {
        const Vector3* p = c.positionPath;
        const Vector3* r = c.rotationPath;
        const Vector3 at = catmullRom(p[0], p[1], p[1], p[2], 0.0f);
        EXPECT_EQ(at.x, p[1].x);
        EXPECT_EQ(at.y, p[1].y);
        EXPECT_EQ(at.z, p[1].z);
        const Vector3 pose = catmullRom(r[0], r[1], r[1], r[2], 0.0f);
        EXPECT_EQ(pose.x, r[1].x);
        EXPECT_EQ(pose.y, r[1].y);
        EXPECT_EQ(pose.z, r[1].z);
        expectNear(catmullRom(p[0], p[1], p[1], p[2], 1.0f), p[1].x, p[1].y, p[1].z, 1e-5);
        expectNear(catmullRom(r[0], r[1], r[1], r[2], 1.0f), r[1].x, r[1].y, r[1].z, 1e-3);
    }
    // A general segment: p1 at 0, p2 at 1, and the standard cubic between.
    const Vector3 p0(0, 0, 0), p1(1, 2, 3), p2(4, 0, -2), p3(5, 5, 5);
    const Vector3 end = catmullRom(p0, p1, p2, p3, 1.0f);
    expectNear(end, 4.0, 0.0, -2.0, 1e-6);
    const Vector3 half = catmullRom(p0, p1, p2, p3, 0.5f);
    expectNear(half, 2.5, 0.8125, 0.25, 1e-6);
}

TEST_F(SceneUnit, CardDrawFollowsItsOwnClock) {
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

    // No time, no movement.
    const Vector3 where = card.position;
    card.draw(0.0f, 5.0f);
    EXPECT_EQ(card.position.x, where.x);
    EXPECT_EQ(card.clock, 5.0f);

    // Another window length stretches the same sweep.
    card.clock = 0.0f;
    card.draw(10.0f, 10.0f);
    expectNear(card.position, -15.032, 0.085, -6.987, 5e-4);
    card.clock = 0.0f;

    // The card leaves nothing bound behind it.
    EXPECT_EQ(Texture::lastBound, 0u);
}

TEST_F(SceneUnit, TimelineBoundsAreOpen) {
    // drawScene draws card i only while demoTime lies strictly inside
    // (2.5 i, 2.5 i + 5); a card that is not drawn keeps its clock.
    const float step = 0.25f;
    for (int i = 0; i < photoCount; ++i) {
        const float start = 2.5f * static_cast<float>(i);
        const float end = start + 5.0f;
        for (float t : {start, end, std::nextafter(start, 0.0f), std::nextafter(end, 200.0f)}) {
            for (PhotoCard& c : photoCards) c.clock = 0.0f;
            demoTime = t;
            drawScene(step);
            EXPECT_EQ(photoCards[i].clock, 0.0f) << "photo " << i << " drawn at " << t;
        }
        for (float t : {std::nextafter(start, 200.0f), std::nextafter(end, 0.0f), start + 2.5f}) {
            for (PhotoCard& c : photoCards) c.clock = 0.0f;
            demoTime = t;
            drawScene(step);
            EXPECT_EQ(photoCards[i].clock, step) << "photo " << i << " not drawn at " << t;
        }
    }
    // Cards 38 and 39 are never drawn; nothing is drawn from 97.5 on.
    for (float t : {0.0f, 97.5f, 100.0f, 1000.0f}) {
        for (PhotoCard& c : photoCards) c.clock = 0.0f;
        demoTime = t;
        drawScene(step);
        for (const PhotoCard& c : photoCards) EXPECT_EQ(c.clock, 0.0f) << t;
    }
    // At 5.0 only photo 1; at 6.0 photos 1 and 2.
    for (PhotoCard& c : photoCards) c.clock = 0.0f;
    demoTime = 5.0f;
    drawScene(step);
    for (int i = 0; i < photoCardCount; ++i) EXPECT_EQ(photoCards[i].clock, i == 1 ? step : 0.0f) << i;
    for (PhotoCard& c : photoCards) c.clock = 0.0f;
    demoTime = 6.0f;
    drawScene(step);
    for (int i = 0; i < photoCardCount; ++i) EXPECT_EQ(photoCards[i].clock, (i == 1 || i == 2) ? step : 0.0f) << i;
    for (PhotoCard& c : photoCards) c.clock = 0.0f;
    demoTime = 0.0f;
}
