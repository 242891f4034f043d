// Every long-lived object of the presentation, defined in one place so that
// they are constructed in this order at start-up and destroyed in reverse.
// They belong to the shell, the one part that sees every subsystem; each
// subsystem's header declares its own. None of the constructors makes an
// OpenGL call.
#include "assets/Texture.h"
#include "frame/Stopwatch.h"
#include "log/TimingLog.h"
#include "scene/RandomUnit.h"
#include "scene/Scene.h"
#include "text/BitmapFont.h"

// Constant-initialised, so both states hold the seed before any constructor
// below runs: the photo cards draw their paths from theirs as they are built.
std::uint32_t leafRandomState = randomSeed;
std::uint32_t cardRandomState = randomSeed;

// The timing log's file, closed until the first frame opens it.
LogStream timingLog;

// Built in index order, each taking the next fifteen draws for its paths.
PhotoCard photoCards[photoCardCount];

LeafSystem leafSystem;
LeafSystem leaf2System;
LeafSystem leaf3System;
LeafSystem secPhotoSystems[secPhotoCount];
Texture secPhotoTextures[secPhotoCount];

BitmapFont font;

Stopwatch frameClock;
Stopwatch demoClock;

Texture leafTexture;
Texture leaf2Texture;
Texture leaf3Texture;
