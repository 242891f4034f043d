// Textured squares that drift from right to left through the scene while
// tumbling, and are reborn at the right once they have left on the left.
#pragma once

#include <vector>

#include "scene/Vector3.h"

struct LeafParticle {
    Vector3 position;  // centre of the square, scene units
    Vector3 velocity;  // units per second
    Vector3 rotation;  // degrees about x, y and z, applied in that order
    Vector3 spin;      // degrees per second
    float halfSize = 0.0f;

    // New random size, place, speed, pose and spin at the right-hand edge
    // (thirteen draws from the leaves' random state).
    void respawn();
    // Moves and turns the particle by dt seconds; respawns it once it has
    // passed x = -8.
    void update(float dt);
    // One square with the texture that is currently bound.
    void draw() const;
};

class LeafSystem {
public:
    // Gives the system count particles, all freshly respawned, and lets them
    // drift for ten seconds so they start spread over their paths.
    void init(unsigned count);
    // Draws every particle, then moves it on by dt seconds.
    void drawAndUpdate(float dt);

    std::vector<LeafParticle> particles;
};
