#include "assets/AssetLoad.h"

#include <GL/gl.h>

#include <cstdio>

#include "assets/Image.h"
#include "assets/JpegLoader.h"
#include "assets/Manifest.h"
#include "assets/Texture.h"
#include "frame/FrameState.h"
#include "frame/Stopwatch.h"
#include "log/TimingLog.h"
#include "platform/files.h"
#include "scene/Scene.h"
#include "text/BitmapFont.h"

namespace {

void createFrom(Texture& texture, const Image& picture) {
    texture.create(picture.pixels, Size{picture.width, picture.height}, GL_LINEAR, GL_CLAMP_TO_EDGE,
                   GL_RGBA);
}

// Whether the pictures' folder is there. When it is missing or is not a
// folder, one line says so instead of one line for each of the 48
// pictures; the load then goes on exactly as with every picture missing.
bool picturesFolderUsable() {
    const char* const problem = folderProblem(picturesFolder);
    if (!problem) return true;
    std::fprintf(stderr, "salute: cannot load the pictures from \"%s/\": %s; the presentation goes on without them\n",
                 picturesFolder, problem);
    return false;
}

}  // namespace

// The order below is part of the presentation: the leaf systems draw their
// random numbers in this order, and a picture that fails to load leaves the
// previous one in the working Image, so its texture repeats that picture
// (the loader names the file on stderr). Nothing here stops the load early.
void loadAssets() {
    openTimingLog();

    JpegLoader loader;
    Image picture;
    Image mask;
    const bool pictures = picturesFolderUsable();
    const auto load = [&](const char* fileName, Image& image) {
        if (pictures) loader.load(fileName, image);
    };

    Texture* const leafTextures[3] = {&leafTexture, &leaf2Texture, &leaf3Texture};
    for (int kind = 0; kind < 3; ++kind) {
        load(leafFileNames[kind].picture, picture);
        load(leafFileNames[kind].mask, mask);
        picture.mergeAlpha(mask);
        createFrom(*leafTextures[kind], picture);
    }

    for (int i = 0; i < photoCount; ++i) {
        load(photoFileNames[i], picture);
        createFrom(photoCards[i].texture, picture);
    }

    // The font's cell grows with the drawing, so the text keeps its look.
    font.build(deviceContext, "Verdana", 16 * viewScale);

    leafSystem.init(130);
    leaf2System.init(10);
    leaf3System.init(10);

    for (int k = 0; k < secPhotoCount; ++k) {
        load(secPhotoFileNames[k], picture);
        createFrom(secPhotoTextures[k], picture);
        secPhotoSystems[k].init(5);
    }

    // The presentation's time starts now, however long the load took.
    frameClock.restart();
    demoClock.restart();

    mask.release();
    picture.release();
}
