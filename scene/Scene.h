// The 3D pass of every frame: seven particle systems, then the photo cards
// of the timeline, under a grey fog with alpha-tested, blended textures.
#pragma once

#include "assets/Texture.h"
#include "scene/LeafSystem.h"
#include "scene/PhotoCard.h"

// Photos on the timeline (cards 0 to 37); the two further cards are built
// with the others but never shown.
constexpr int photoCount = 38;
constexpr int photoCardCount = 40;
constexpr int secPhotoCount = 4;

// Photo i is on screen while demoTime lies strictly inside
// (photoInterval * i, photoInterval * i + photoWindow).
constexpr float photoInterval = 2.5f;
constexpr float photoWindow = 5.0f;

// The scene's origin lies this far in front of the eye (scene units).
constexpr float eyeDistance = 5.0f;

extern PhotoCard photoCards[photoCardCount];
extern LeafSystem leafSystem;
extern LeafSystem leaf2System;
extern LeafSystem leaf3System;
extern LeafSystem secPhotoSystems[secPhotoCount];
extern Texture secPhotoTextures[secPhotoCount];
extern Texture leafTexture;
extern Texture leaf2Texture;
extern Texture leaf3Texture;

// The 3D pass's OpenGL state, set anew every frame: the origin moved in
// front of the eye, grey clear colour and fog, blending with the alpha test,
// no culling, texturing. Expects what drawScene expects; the benchmarks'
// floor draws under the same state.
void setSceneState();

// Expects the perspective projection and an identity modelview matrix.
void drawScene(float frameDelta);

// Draws card index when demoTime lies strictly between start and end; the
// card's clock advances only then.
void drawPhotoInWindow(int index, float start, float end, float frameDelta);
