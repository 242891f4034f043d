// The layer's server state: capabilities, blending and the alpha test, fog,
// the attribute stacks, and the queries the program makes. What ES has is
// handed on; what it lacks is kept here for the shader. Textures and pixel
// storage are Textures.cpp's.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

#include "platform/gles/Layer.h"

namespace gles {

namespace {

std::vector<std::pair<GLbitfield, State>>& attributeStack = *new std::vector<std::pair<GLbitfield, State>>;
std::vector<PixelStore>& clientStack = *new std::vector<PixelStore>;

// The capabilities, which of them ES has, and where the layer keeps each.
struct Capability {
    GLenum name;
    bool Enables::*flag;
    bool inEs;
};
constexpr Capability capabilities[] = {
    {GL_TEXTURE_2D, &Enables::texture2D, false}, {GL_FOG, &Enables::fog, false},
    {GL_ALPHA_TEST, &Enables::alphaTest, false}, {GL_NORMALIZE, &Enables::normalize, false},
    {GL_BLEND, &Enables::blend, true},           {GL_CULL_FACE, &Enables::cullFace, true},
    {GL_DEPTH_TEST, &Enables::depthTest, true},  {GL_SCISSOR_TEST, &Enables::scissorTest, true},
    {GL_STENCIL_TEST, &Enables::stencilTest, true}, {GL_DITHER, &Enables::dither, true},
};

// Capabilities the program only ever switches off, which ES does not know.
bool alwaysOff(GLenum capability) {
    return capability == GL_LIGHTING || capability == GL_TEXTURE_GEN_S || capability == GL_TEXTURE_GEN_T ||
           capability == GL_COLOR_LOGIC_OP;
}

void setCapability(GLenum capability, bool on, const char* call) {
    flush();
    for (const Capability& c : capabilities) {
        if (c.name != capability) continue;
        layer.state.on.*c.flag = on;
        if (c.inEs) (on ? es.Enable : es.Disable)(capability);
        return;
    }
    if (!on && alwaysOff(capability)) return;
    refuse(call, capability);
}

}  // namespace

void applyState(const State* previous) {
    const State& s = layer.state;
    const State* p = previous;
    for (const Capability& c : capabilities)
        if (c.inEs && (!p || p->on.*c.flag != s.on.*c.flag)) (s.on.*c.flag ? es.Enable : es.Disable)(c.name);
    if (!p || p->blendSource != s.blendSource || p->blendDestination != s.blendDestination)
        es.BlendFunc(s.blendSource, s.blendDestination);
    if (!p || !std::equal(std::begin(s.clearColour), std::end(s.clearColour), std::begin(p->clearColour)))
        es.ClearColor(s.clearColour[0], s.clearColour[1], s.clearColour[2], s.clearColour[3]);
    if (!p || std::memcmp(p->colourMask, s.colourMask, sizeof s.colourMask) != 0)
        es.ColorMask(s.colourMask[0], s.colourMask[1], s.colourMask[2], s.colourMask[3]);
    if (!p || p->texture != s.texture) es.BindTexture(GL_TEXTURE_2D, s.texture);
    if (!p || std::memcmp(p->viewport, s.viewport, sizeof s.viewport) != 0)
        es.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
}

void resetState(GLint width, GLint height) {
    layer = Layer{};
    layer.state.viewport[2] = width;
    layer.state.viewport[3] = height;
    attributeStack.clear();
    clientStack.clear();
    forgetTextures();
    applyState(nullptr);
    applyPixelStore();
}

}  // namespace gles

using gles::es;
using gles::layer;

// ---- Capabilities and per-fragment state ---------------------------------------
void glEnable(GLenum capability) { gles::setCapability(capability, true, "glEnable"); }
void glDisable(GLenum capability) { gles::setCapability(capability, false, "glDisable"); }

void glAlphaFunc(GLenum function, GLclampf reference) {
    if (function < GL_NEVER || function > GL_ALWAYS) return gles::refuse("glAlphaFunc", function);
    gles::flush();
    layer.state.alphaFunction = function;
    layer.state.alphaReference = reference < 0.0f ? 0.0f : reference > 1.0f ? 1.0f : reference;
}

void glBlendFunc(GLenum source, GLenum destination) {
    gles::flush();
    layer.state.blendSource = source;
    layer.state.blendDestination = destination;
    es.BlendFunc(source, destination);
}

void glFogf(GLenum name, GLfloat value) {
    gles::flush();
    if (name == GL_FOG_START) layer.state.fogStart = value;
    else if (name == GL_FOG_END) layer.state.fogEnd = value;
    else if (name == GL_FOG_MODE) layer.state.fogMode = static_cast<GLenum>(value);
    else if (name != GL_FOG_DENSITY) gles::refuse("glFogf", name);
}

void glFogi(GLenum name, GLint value) { glFogf(name, static_cast<GLfloat>(value)); }

void glFogfv(GLenum name, const GLfloat* values) {
    if (name != GL_FOG_COLOR) return glFogf(name, values[0]);
    gles::flush();
    std::memcpy(layer.state.fogColour, values, sizeof layer.state.fogColour);
}

void glShadeModel(GLenum mode) {
    if (mode != GL_SMOOTH) gles::refuse("glShadeModel", mode);
}

// Hints may be ignored; ES keeps the one for building mipmaps.
void glHint(GLenum target, GLenum mode) {
    if (target == GL_GENERATE_MIPMAP_HINT) es.Hint(target, mode);
}

void glPolygonMode(GLenum, GLenum mode) {
    if (mode != GL_FILL) gles::refuse("glPolygonMode", mode);
}

void glFrontFace(GLenum mode) { gles::flush(), es.FrontFace(mode); }
void glCullFace(GLenum mode) { gles::flush(), es.CullFace(mode); }
void glDepthFunc(GLenum function) { gles::flush(), es.DepthFunc(function); }
void glClearDepth(GLclampd depth) { es.ClearDepthf(static_cast<GLfloat>(depth)); }

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    const GLfloat colour[4] = {red, green, blue, alpha};
    std::memcpy(layer.state.clearColour, colour, sizeof colour);
    es.ClearColor(red, green, blue, alpha);
}

void glColorMask(GLboolean red, GLboolean green, GLboolean blue, GLboolean alpha) {
    gles::flush();
    const GLboolean mask[4] = {red, green, blue, alpha};
    std::memcpy(layer.state.colourMask, mask, sizeof mask);
    es.ColorMask(red, green, blue, alpha);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    gles::flush();
    const GLint viewport[4] = {x, y, width, height};
    std::memcpy(layer.state.viewport, viewport, sizeof viewport);
    es.Viewport(x, y, width, height);
}

void glClear(GLbitfield mask) { gles::flush(), es.Clear(mask); }
void glFlush() { gles::flush(), es.Flush(); }
void glFinish() { gles::flush(), es.Finish(); }

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels) {
    gles::flush();
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE) return gles::refuse("glReadPixels", format);
    es.ReadPixels(x, y, width, height, format, type, pixels);
}

// ---- Attribute stacks ----------------------------------------------------------
void glPushAttrib(GLbitfield mask) {
    constexpr GLbitfield known = GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_FOG_BIT | GL_LIST_BIT |
                                 GL_TEXTURE_BIT | GL_TRANSFORM_BIT | GL_VIEWPORT_BIT;
    if (mask != GL_ALL_ATTRIB_BITS && (mask & ~known) != 0) gles::refuse("glPushAttrib", mask & ~known);
    gles::attributeStack.emplace_back(mask, layer.state);
}

void glPopAttrib() {
    if (gles::attributeStack.empty()) return;  // an underflow: OpenGL ignores the call too
    gles::flush();
    const auto [mask, saved] = gles::attributeStack.back();
    gles::attributeStack.pop_back();
    gles::State& s = layer.state;
    const gles::State before = s;
    if (mask & GL_ENABLE_BIT) s.on = saved.on;
    if (mask & GL_COLOR_BUFFER_BIT) {
        s.on.alphaTest = saved.on.alphaTest;
        s.on.blend = saved.on.blend;
        s.on.dither = saved.on.dither;
        s.alphaFunction = saved.alphaFunction;
        s.alphaReference = saved.alphaReference;
        s.blendSource = saved.blendSource;
        s.blendDestination = saved.blendDestination;
        std::memcpy(s.clearColour, saved.clearColour, sizeof s.clearColour);
        std::memcpy(s.colourMask, saved.colourMask, sizeof s.colourMask);
    }
    if (mask & GL_CURRENT_BIT) {
        std::memcpy(s.colour, saved.colour, sizeof s.colour);
        std::memcpy(s.texCoord, saved.texCoord, sizeof s.texCoord);
        s.raster = saved.raster;
    }
    if (mask & GL_TEXTURE_BIT) {
        s.on.texture2D = saved.on.texture2D;
        s.texture = saved.texture;
        s.textureEnvironment = saved.textureEnvironment;
    }
    if (mask & GL_LIST_BIT) s.listBase = saved.listBase;
    if (mask & GL_TRANSFORM_BIT) {
        s.matrixMode = saved.matrixMode;
        s.on.normalize = saved.on.normalize;
    }
    if (mask & GL_FOG_BIT) {
        s.on.fog = saved.on.fog;
        s.fogMode = saved.fogMode;
        std::memcpy(s.fogColour, saved.fogColour, sizeof s.fogColour);
        s.fogStart = saved.fogStart;
        s.fogEnd = saved.fogEnd;
    }
    if (mask & GL_VIEWPORT_BIT) std::memcpy(s.viewport, saved.viewport, sizeof s.viewport);
    gles::applyState(&before);
}

void glPushClientAttrib(GLbitfield mask) {
    if (mask != GL_CLIENT_PIXEL_STORE_BIT && mask != GL_CLIENT_ALL_ATTRIB_BITS) gles::refuse("glPushClientAttrib", mask);
    gles::clientStack.push_back(layer.pixelStore);
}

void glPopClientAttrib() {
    if (gles::clientStack.empty()) return;
    layer.pixelStore = gles::clientStack.back();
    gles::clientStack.pop_back();
    gles::applyPixelStore();
}

// ---- Queries -------------------------------------------------------------------
const GLubyte* glGetString(GLenum name) {
    const char* renderer = gles::rendererOverride();
    if (name == GL_RENDERER && renderer) return reinterpret_cast<const GLubyte*>(renderer);
    return es.GetString(name);
}

GLenum glGetError() { return es.GetError(); }

void glGetFloatv(GLenum name, GLfloat* values) {
    const gles::State& s = layer.state;
    switch (name) {
    case GL_CURRENT_COLOR: std::memcpy(values, s.colour, sizeof s.colour); return;
    case GL_CURRENT_RASTER_POSITION: std::memcpy(values, s.raster.position, sizeof s.raster.position); return;
    case GL_CURRENT_RASTER_COLOR: std::memcpy(values, s.raster.colour, sizeof s.raster.colour); return;
    case GL_MODELVIEW_MATRIX: std::memcpy(values, layer.modelview.back().m, sizeof(gles::Matrix)); return;
    case GL_PROJECTION_MATRIX: std::memcpy(values, layer.projection.back().m, sizeof(gles::Matrix)); return;
    default: es.GetFloatv(name, values);
    }
}

void glGetIntegerv(GLenum name, GLint* values) {
    const gles::State& s = layer.state;
    switch (name) {
    case GL_VIEWPORT: std::memcpy(values, s.viewport, sizeof s.viewport); return;
    case GL_TEXTURE_BINDING_2D: values[0] = static_cast<GLint>(s.texture); return;
    case GL_MATRIX_MODE: values[0] = static_cast<GLint>(s.matrixMode); return;
    case GL_LIST_BASE: values[0] = static_cast<GLint>(s.listBase); return;
    default: es.GetIntegerv(name, values);
    }
}

void glGetBooleanv(GLenum name, GLboolean* values) {
    if (name == GL_CURRENT_RASTER_POSITION_VALID) values[0] = layer.state.raster.valid ? GL_TRUE : GL_FALSE;
    else es.GetBooleanv(name, values);
}

GLboolean glIsEnabled(GLenum capability) {
    for (const gles::Capability& c : gles::capabilities)
        if (c.name == capability) return layer.state.on.*c.flag ? GL_TRUE : GL_FALSE;
    return GL_FALSE;
}
