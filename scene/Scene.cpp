#include "scene/Scene.h"

#include <GL/gl.h>

#include "frame/FrameState.h"

namespace {

void drawSystem(Texture& texture, LeafSystem& system, float frameDelta) {
    texture.bind();
    system.drawAndUpdate(frameDelta);
    texture.unbind();
}

}  // namespace

void drawPhotoInWindow(int index, float start, float end, float frameDelta) {
    if (demoTime > start && demoTime < end) photoCards[index].draw(frameDelta, end - start);
}

void setSceneState() {
    glTranslatef(0.0f, 0.0f, -eyeDistance);

    // The clear colour applies from the next frame on: the first frame stays
    // black, every later one starts grey. Fog of the same grey fades distant
    // things into the background.
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    const GLfloat fogColour[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    glFogfv(GL_FOG_COLOR, fogColour);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 18.0f);
    glEnable(GL_FOG);

    // Masks cut the leaves out: fully transparent texels are dropped, the
    // rest blended by their alpha.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);

    // Tumbling squares and cards show both faces.
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
}

void drawScene(float frameDelta) {
    setSceneState();

    // No depth test: the order below alone decides what covers what. The
    // current colour is white, so textures show their own colours.
    for (int k = 0; k < secPhotoCount; ++k) drawSystem(secPhotoTextures[k], secPhotoSystems[k], frameDelta);
    drawSystem(leafTexture, leafSystem, frameDelta);
    drawSystem(leaf2Texture, leaf2System, frameDelta);
    drawSystem(leaf3Texture, leaf3System, frameDelta);

    for (int i = 0; i < photoCount; ++i) {
        const float start = photoInterval * static_cast<float>(i);
        drawPhotoInWindow(i, start, start + photoWindow, frameDelta);
    }
}
