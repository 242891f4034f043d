#include "scene/PhotoCard.h"

#include "scene/FlatQuad.h"
#include "scene/RandomUnit.h"

Vector3 catmullRom(Vector3 p0, Vector3 p1, Vector3 p2, Vector3 p3, float s) {
    const Vector3 c3 = ((-1.0f * p0 + 3.0f * p1) - 3.0f * p2) + p3;
    const Vector3 c2 = ((2.0f * p0 - 5.0f * p1) + 4.0f * p2) - p3;
    const Vector3 c1 = -1.0f * p0 + p2;
    const Vector3 c0 = 2.0f * p1;
    const float s2 = s * s;
    const float s3 = s2 * s;
    return 0.5f * (((s3 * c3 + s2 * c2) + s * c1) + c0);
}

PhotoCard::PhotoCard() {
    // Fifteen draws in a fixed order, z first within each control point.
    // The flight starts right of the view (A), passes the origin (B) and
    // ends left of it (C); the pose at B faces the viewer within a few degrees.
    std::uint32_t& state = cardRandomState;
    Vector3& a = positionPath[0];
    Vector3& c = positionPath[2];
    a.z = -4.0f - 2.0f * randomUnit(state);
    a.y = 2.0f * randomUnit(state) - 1.0f;
    a.x = 0.2f * randomUnit(state) + 3.0f;
    c.z = -4.0f - 2.0f * randomUnit(state);
    c.y = 2.0f * randomUnit(state) - 1.0f;
    c.x = 0.2f * randomUnit(state) - 3.0f;

    Vector3& turnA = rotationPath[0];
    Vector3& turnB = rotationPath[1];
    Vector3& turnC = rotationPath[2];
    turnA.z = 1440.0f * randomUnit(state) - 720.0f;
    turnA.y = 1440.0f * randomUnit(state) - 720.0f;
    turnA.x = 1440.0f * randomUnit(state) - 720.0f;
    turnB.z = 20.0f * randomUnit(state) - 10.0f;
    turnB.y = 4.0f * randomUnit(state) - 2.0f;
    turnB.x = 4.0f * randomUnit(state) - 2.0f;
    turnC.z = 1440.0f * randomUnit(state) - 720.0f;
    turnC.y = 1440.0f * randomUnit(state) - 720.0f;
    turnC.x = 1440.0f * randomUnit(state) - 720.0f;
}

void PhotoCard::advance(float frameDelta, float windowLength) {
    clock += frameDelta;
    // s runs from -0.77 when the window opens to about 2.26 when it closes,
    // passing B (the middle of the view) at s = 0 and again at s = 1.
    const float s = clock / (windowLength * 0.33f) - 0.77f;
    position = catmullRom(positionPath[0], positionPath[1], positionPath[1], positionPath[2], s);
    rotation = catmullRom(rotationPath[0], rotationPath[1], rotationPath[1], rotationPath[2], s);
}

void PhotoCard::draw(float frameDelta, float windowLength) {
    advance(frameDelta, windowLength);
    texture.bind();
    // Texture row 0 is the top of the picture, so it goes along the top edge.
    drawFlatQuad(position, rotation, 1.33f * scale, scale, true);
    texture.unbind();
}
