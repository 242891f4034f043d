// A photograph on a flat 1.33 : 1 card that flies through the middle of the
// view along a smooth random path while it turns.
#pragma once

#include "assets/Texture.h"
#include "scene/Vector3.h"

// The uniform Catmull-Rom cubic through p0..p3 at parameter s. s is not
// clamped; the segment runs from p1 (s = 0) to p2 (s = 1).
Vector3 catmullRom(Vector3 p0, Vector3 p1, Vector3 p2, Vector3 p3, float s);

struct PhotoCard {
    Texture texture;               // the photograph, made by the asset load
    Vector3 position;              // current centre, set by every draw
    Vector3 rotation;              // current angles in degrees, set by every draw
    Vector3 positionPath[3];       // control points A, B, C of the flight
    Vector3 rotationPath[3];       // control points A, B, C of the turning, degrees
    float scale = 1.0f;            // half the card's height
    float clock = 0.0f;            // seconds for which the card has been drawn

    // Chooses both paths from the cards' random state (fifteen draws).
    PhotoCard();

    // Advances the card's own clock by frameDelta and places it on its paths:
    // a window of windowLength seconds sweeps the whole flight.
    void advance(float frameDelta, float windowLength);
    // Advances and places the card, then draws it.
    void draw(float frameDelta, float windowLength);
};
