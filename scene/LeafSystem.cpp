#include "scene/LeafSystem.h"

#include "scene/FlatQuad.h"
#include "scene/RandomUnit.h"

void LeafParticle::respawn() {
    // Thirteen draws in a fixed order; within each triple z comes first.
    // The fifth draw is not used but must still be taken.
    std::uint32_t& state = leafRandomState;
    halfSize = 0.6f * randomUnit(state) + 0.4f;
    position.z = -0.2f - 13.8f * randomUnit(state);
    position.y = 6.0f * randomUnit(state) - 3.0f;
    position.x = 0.2f * randomUnit(state) + 8.0f;
    randomUnit(state);
    velocity.y = randomUnit(state) - 0.5f;
    velocity.z = 0.0f;
    velocity.x = -2.5f - 14.300001f * randomUnit(state);
    rotation.z = 360.0f * randomUnit(state);
    rotation.y = 360.0f * randomUnit(state);
    rotation.x = 360.0f * randomUnit(state);
    spin.z = 200.0f * randomUnit(state);
    spin.y = 200.0f * randomUnit(state);
    spin.x = 200.0f * randomUnit(state);
}

void LeafParticle::update(float dt) {
    position = position + velocity * dt;
    rotation = rotation + spin * dt;
    if (position.x < -8.0f) respawn();
}

void LeafParticle::draw() const { drawFlatQuad(position, rotation, halfSize, halfSize, false); }

void LeafSystem::init(unsigned count) {
    particles.resize(count);
    for (LeafParticle& particle : particles) particle.respawn();
    // Ten seconds of drift: every particle crosses x = -8 at least once, so
    // the system does not begin as a line at the right-hand edge.
    for (int pass = 0; pass < 10; ++pass) {
        for (LeafParticle& particle : particles) particle.update(1.0f);
    }
}

void LeafSystem::drawAndUpdate(float dt) {
    for (LeafParticle& particle : particles) {
        particle.draw();
        particle.update(dt);
    }
}
