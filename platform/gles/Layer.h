// What the layer keeps of the fixed-function pipeline that OpenGL ES does
// not have, shared by its parts: the state the program set, the matrix
// stacks, and the batch of vertices waiting to be drawn.
#pragma once

#include <vector>

#include "platform/gles/EsCalls.h"

namespace gles {

// A 4 x 4 matrix in OpenGL's order: column by column.
struct Matrix {
    float m[16];
};
Matrix identityMatrix();
// a * b: b applied first, as glMultMatrix applies its argument.
Matrix operator*(const Matrix& a, const Matrix& b);

struct Vector4 {
    float x, y, z, w;
};
Vector4 operator*(const Matrix& a, const Vector4& v);

// The capabilities the program switches, both those the layer draws itself
// (texturing, fog, the alpha test) and those it hands to ES.
struct Enables {
    bool texture2D = false;
    bool fog = false;
    bool alphaTest = false;
    bool blend = false;
    bool cullFace = false;
    bool depthTest = false;
    bool scissorTest = false;
    bool stencilTest = false;
    bool dither = true;
    bool normalize = false;
};

// The raster position of glRasterPos and glBitmap, in window coordinates.
struct Raster {
    float position[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    bool valid = true;
};

// The server state that glPushAttrib saves, grouped as its bits group it.
struct State {
    Enables on;
    // GL_COLOR_BUFFER_BIT
    GLenum alphaFunction = GL_ALWAYS;
    GLfloat alphaReference = 0.0f;
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    GLfloat clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    GLboolean colourMask[4] = {GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE};
    // GL_CURRENT_BIT
    GLfloat colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    GLfloat texCoord[2] = {0.0f, 0.0f};
    Raster raster;
    // GL_TEXTURE_BIT
    GLuint texture = 0;
    GLenum textureEnvironment = GL_MODULATE;
    // GL_LIST_BIT
    GLuint listBase = 0;
    // GL_TRANSFORM_BIT
    GLenum matrixMode = GL_MODELVIEW;
    // GL_FOG_BIT
    GLenum fogMode = GL_EXP;
    GLfloat fogColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    GLfloat fogStart = 0.0f;
    GLfloat fogEnd = 1.0f;
    // GL_VIEWPORT_BIT
    GLint viewport[4] = {0, 0, 0, 0};
};

// glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT)'s state.
struct PixelStore {
    GLint unpackAlignment = 4;
    GLint unpackRowLength = 0;
    GLint unpackSkipRows = 0;
    GLint unpackSkipPixels = 0;
    GLint unpackLsbFirst = GL_FALSE;
    GLint unpackSwapBytes = GL_FALSE;
    GLint packAlignment = 4;
};

struct Layer {
    State state;
    PixelStore pixelStore;
    std::vector<Matrix> modelview{identityMatrix()};
    std::vector<Matrix> projection{identityMatrix()};
    std::vector<Matrix> texture{identityMatrix()};
    bool modelviewIsIdentity = true;
    bool textureIsIdentity = true;
    bool insideBegin = false;
    GLuint compilingList = 0;  // the display list being recorded, or 0
};
extern Layer& layer;  // never destroyed (see Draw.cpp)

// What the shader does with a fragment (see Shaders.cpp).
struct Uniforms {
    Matrix projection;
    GLint textureMode;  // 0 none, 1 modulate, 2 replace
    GLint fog;          // 0 or 1: linear fog
    GLfloat fogColour[4];
    GLfloat fogStart, fogEnd;
    GLint alphaFunction;  // 0 (GL_NEVER) to 7 (GL_ALWAYS, no test)
    GLfloat alphaReference;
};

// Makes current the program for these uniforms' combination of texturing,
// fog and alpha test, built the first time, and sends it the uniform values
// that changed. False when the driver cannot build it (said on stderr).
bool useProgramFor(const Uniforms& uniforms);
// A new context: the programs of the old one are gone with it.
void forgetPrograms();

// One line on standard error, the first time a call outside the program's
// subset is made: what it was. The call then does nothing.
void refuse(const char* call, unsigned value = 0);

// Draws the vertices batched so far with the state they were given under.
// Every entry point that changes drawing state calls it first.
void flush();

// Adds one vertex (in object coordinates) with the current colour and
// texture coordinate to the batch.
void addVertex(float x, float y, float z);
// glEnd: a quad left without its fourth vertex is not drawn.
void dropIncompleteQuad();

// Draws one window-aligned rectangle of a texture, in window coordinates,
// where its texels' alpha is above zero, in the given colour, without fog:
// how a bitmap's set bits reach the framebuffer.
void drawWindowRectangle(GLuint texture, float left, float bottom, float right, float top, const GLfloat colour[4]);

// Textures (Textures.cpp). Whether a texture can be sampled: it has an
// image, and mipmaps if its minification filter reads them.
bool textureComplete(GLuint name);
// Forgets what the layer knew of an old context's textures.
void forgetTextures();
// Hands the layer's pixel storage to ES.
void applyPixelStore();

// Hands the layer's record of the ES-backed state to ES: what differs from
// the previous state (after a glPopAttrib), or all of it (null: a new context).
void applyState(const State* previous);

// Sets up a new context: the state back to OpenGL's defaults.
void resetState(GLint width, GLint height);

// The renderer name set with setRendererName, or null for the context's own.
const char* rendererOverride();

// Display lists (Raster.cpp): forgets the recorded lists of an old context.
void forgetLists();

}  // namespace gles
