// The layer's drawing: immediate-mode quads batched into one vertex buffer
// and drawn with the shader program for the state they were given under.
//
// Vertices are taken to eye coordinates on the CPU as they arrive, so the
// many small quads of the scene, each under its own model-view matrix, go
// to ES in a few large draws: a batch is drawn only when state that the
// shader reads changes.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "platform/gles/GlesLayer.h"
#include "platform/gles/Layer.h"

namespace gles {

// The layer outlives every static object of the program: their destructors
// still call OpenGL after main has returned, as a driver allows. So its
// state is made once and never destroyed.
EsCalls es;
Layer& layer = *new Layer;

namespace {

struct Vertex {
    GLfloat position[4];  // eye coordinates
    GLfloat texCoord[2];
    GLfloat colour[4];
};

// Vertices per draw at the most (4096 quads): their indices fit 16 bits.
constexpr std::size_t maxVertices = 16384;

// Batches are appended one after another to one large vertex buffer, which
// is given new storage only when it is full, so no draw waits for the ones
// before it to finish reading their vertices (see upload()).
constexpr GLsizeiptr streamBytes = 4 << 20;
GLintptr streamOffset = 0;
std::vector<Vertex>& batch = *new std::vector<Vertex>;
std::string& rendererName = *new std::string;

template <typename Entry>
bool fetch(ProcLoader loader, Entry& entry, const char* name, std::string& missing) {
    entry = reinterpret_cast<Entry>(loader(name));
    if (!entry) missing += missing.empty() ? name : std::string(", ") + name;
    return entry != nullptr;
}

bool fetchAll(ProcLoader loader) {
    std::string missing;
#define SALUTE_FETCH(entry) fetch(loader, es.entry, "gl" #entry, missing)
    SALUTE_FETCH(BindTexture), SALUTE_FETCH(BlendFunc), SALUTE_FETCH(Clear), SALUTE_FETCH(ClearColor);
    SALUTE_FETCH(ColorMask), SALUTE_FETCH(CullFace), SALUTE_FETCH(DeleteTextures), SALUTE_FETCH(DepthFunc);
    SALUTE_FETCH(DepthMask), SALUTE_FETCH(Disable), SALUTE_FETCH(Enable), SALUTE_FETCH(Finish);
    SALUTE_FETCH(Flush), SALUTE_FETCH(FrontFace), SALUTE_FETCH(GenTextures), SALUTE_FETCH(GetBooleanv);
    SALUTE_FETCH(GetError), SALUTE_FETCH(GetFloatv), SALUTE_FETCH(GetIntegerv), SALUTE_FETCH(GetString);
    SALUTE_FETCH(Hint), SALUTE_FETCH(IsEnabled), SALUTE_FETCH(PixelStorei), SALUTE_FETCH(ReadPixels);
    SALUTE_FETCH(Scissor), SALUTE_FETCH(TexImage2D), SALUTE_FETCH(TexParameteri), SALUTE_FETCH(TexSubImage2D);
    SALUTE_FETCH(Viewport), SALUTE_FETCH(ClearDepthf), SALUTE_FETCH(GenerateMipmap), SALUTE_FETCH(ActiveTexture);
    SALUTE_FETCH(GenBuffers), SALUTE_FETCH(BindBuffer), SALUTE_FETCH(BufferData), SALUTE_FETCH(BufferSubData);
    SALUTE_FETCH(GenVertexArrays), SALUTE_FETCH(BindVertexArray), SALUTE_FETCH(EnableVertexAttribArray);
    SALUTE_FETCH(VertexAttribPointer), SALUTE_FETCH(DrawElements), SALUTE_FETCH(CreateShader);
    SALUTE_FETCH(ShaderSource), SALUTE_FETCH(CompileShader), SALUTE_FETCH(GetShaderiv);
    SALUTE_FETCH(GetShaderInfoLog), SALUTE_FETCH(DeleteShader), SALUTE_FETCH(CreateProgram);
    SALUTE_FETCH(AttachShader), SALUTE_FETCH(BindAttribLocation), SALUTE_FETCH(LinkProgram);
    SALUTE_FETCH(GetProgramiv), SALUTE_FETCH(GetProgramInfoLog), SALUTE_FETCH(UseProgram);
    SALUTE_FETCH(GetUniformLocation), SALUTE_FETCH(Uniform1i), SALUTE_FETCH(Uniform1f), SALUTE_FETCH(Uniform2f);
    SALUTE_FETCH(Uniform4fv), SALUTE_FETCH(UniformMatrix4fv);
#undef SALUTE_FETCH
    // Optional: without them the vertices are written with glBufferSubData.
    es.MapBufferRange = reinterpret_cast<PFNGLMAPBUFFERRANGEPROC>(loader("glMapBufferRange"));
    es.UnmapBuffer = reinterpret_cast<PFNGLUNMAPBUFFERPROC>(loader("glUnmapBuffer"));
    if (!es.UnmapBuffer) es.MapBufferRange = nullptr;
    if (!missing.empty())
        std::fprintf(stderr, "salute: the OpenGL ES context lacks %s; nothing can be drawn\n", missing.c_str());
    return missing.empty();
}

// The vertex array: one stream of vertices, and indices that cut every
// four of them into two triangles (0 1 2, 0 2 3), as a quad is drawn.
void buildBuffers() {
    GLuint vertexArray = 0;
    es.GenVertexArrays(1, &vertexArray);
    es.BindVertexArray(vertexArray);
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    es.GenBuffers(1, &vertexBuffer);
    es.GenBuffers(1, &indexBuffer);
    std::vector<GLushort> indices;
    indices.reserve(maxVertices / 4 * 6);
    for (std::size_t quad = 0; quad < maxVertices / 4; ++quad) {
        const GLushort first = static_cast<GLushort>(quad * 4);
        for (GLushort corner : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<GLushort>(first + corner));
    }
    es.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    es.BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(GLushort)),
                  indices.data(), GL_STATIC_DRAW);
    es.BindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    es.BufferData(GL_ARRAY_BUFFER, streamBytes, nullptr, GL_STREAM_DRAW);
    streamOffset = 0;
    for (GLuint index : {0, 1, 2}) es.EnableVertexAttribArray(index);
}

// Writes the batch after the last one in the vertex buffer, without waiting
// for draws still reading the buffer, and points the attributes at it.
// Mapping the range unsynchronised is what keeps a driver from waiting;
// where it cannot be mapped (WebGL has no mapping), the range is written.
void upload() {
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(batch.size() * sizeof(Vertex));
    if (streamOffset + bytes > streamBytes) {
        es.BufferData(GL_ARRAY_BUFFER, streamBytes, nullptr, GL_STREAM_DRAW);
        streamOffset = 0;
    }
    void* target = es.MapBufferRange ? es.MapBufferRange(GL_ARRAY_BUFFER, streamOffset, bytes,
                                                         GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                                             GL_MAP_INVALIDATE_RANGE_BIT)
                                     : nullptr;
    if (target) {
        std::memcpy(target, batch.data(), static_cast<std::size_t>(bytes));
        es.UnmapBuffer(GL_ARRAY_BUFFER);
    } else {
        es.BufferSubData(GL_ARRAY_BUFFER, streamOffset, bytes, batch.data());
    }
    const auto attribute = [](GLuint index, GLint size, std::size_t offset) {
        es.VertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, sizeof(Vertex),
                               reinterpret_cast<void*>(static_cast<std::size_t>(streamOffset) + offset));
    };
    attribute(0, 4, offsetof(Vertex, position));
    attribute(1, 2, offsetof(Vertex, texCoord));
    attribute(2, 4, offsetof(Vertex, colour));
    streamOffset += bytes;
}

Uniforms uniformsFromState() {
    const State& s = layer.state;
    Uniforms u{};
    u.projection = layer.projection.back();
    const bool texturing = s.on.texture2D && textureComplete(s.texture);
    u.textureMode = texturing ? (s.textureEnvironment == GL_REPLACE ? 2 : 1) : 0;
    u.fog = s.on.fog ? 1 : 0;
    if (s.on.fog && s.fogMode != GL_LINEAR) refuse("glFogi(GL_FOG_MODE)", s.fogMode);
    std::memcpy(u.fogColour, s.fogColour, sizeof u.fogColour);
    u.fogStart = s.fogStart;
    u.fogEnd = s.fogEnd;
    u.alphaFunction = s.on.alphaTest ? static_cast<GLint>(s.alphaFunction - GL_NEVER) : 7;
    u.alphaReference = s.alphaReference;
    return u;
}

// Draws the batch with the program and uniforms for the given state.
void drawBatch(const Uniforms& u) {
    if (batch.empty()) return;
    if (!useProgramFor(u)) {
        batch.clear();
        return;
    }
    upload();
    es.DrawElements(GL_TRIANGLES, static_cast<GLsizei>(batch.size() / 4 * 6), GL_UNSIGNED_SHORT, nullptr);
    batch.clear();
}

}  // namespace

void refuse(const char* call, unsigned value) {
    static auto& said = *new std::set<std::string>;
    char line[160];
    std::snprintf(line, sizeof line, value ? "%s with 0x%04X" : "%s", call, value);
    if (said.insert(line).second)
        std::fprintf(stderr, "salute: the OpenGL ES layer does not implement %s; the call is ignored\n", line);
}

void flush() {
    if (layer.compilingList != 0) refuse("a call other than glBitmap inside a display list");
    if (!batch.empty()) drawBatch(uniformsFromState());
}

void addVertex(float x, float y, float z) {
    if (batch.size() == maxVertices) flush();  // always between two quads
    const State& s = layer.state;
    const Vector4 object{x, y, z, 1.0f};
    const Vector4 eye = layer.modelviewIsIdentity ? object : layer.modelview.back() * object;
    Vertex v{{eye.x, eye.y, eye.z, eye.w}, {s.texCoord[0], s.texCoord[1]}, {}};
    if (!layer.textureIsIdentity) {
        const Vector4 t = layer.texture.back() * Vector4{s.texCoord[0], s.texCoord[1], 0.0f, 1.0f};
        v.texCoord[0] = t.x / t.w;
        v.texCoord[1] = t.y / t.w;
    }
    std::memcpy(v.colour, s.colour, sizeof v.colour);
    batch.push_back(v);
}

void dropIncompleteQuad() { batch.resize(batch.size() / 4 * 4); }

void drawWindowRectangle(GLuint texture, float left, float bottom, float right, float top, const GLfloat colour[4]) {
    flush();
    const GLint* view = layer.state.viewport;
    Uniforms u = uniformsFromState();
    // Window coordinates to clip coordinates across the viewport.
    u.projection = identityMatrix();
    u.projection.m[0] = 2.0f / static_cast<float>(view[2]);
    u.projection.m[5] = 2.0f / static_cast<float>(view[3]);
    u.projection.m[12] = -1.0f - 2.0f * static_cast<float>(view[0]) / static_cast<float>(view[2]);
    u.projection.m[13] = -1.0f - 2.0f * static_cast<float>(view[1]) / static_cast<float>(view[3]);
    u.textureMode = 1;
    u.fog = 0;
    u.alphaFunction = GL_GREATER - GL_NEVER;
    u.alphaReference = 0.0f;
    const float corners[4][4] = {{left, bottom, 0, 0}, {right, bottom, 1, 0}, {right, top, 1, 1}, {left, top, 0, 1}};
    for (const auto& c : corners)
        batch.push_back(Vertex{{c[0], c[1], 0.0f, 1.0f}, {c[2], c[3]}, {colour[0], colour[1], colour[2], colour[3]}});
    es.BindTexture(GL_TEXTURE_2D, texture);
    drawBatch(u);
    es.BindTexture(GL_TEXTURE_2D, layer.state.texture);
}

bool load(ProcLoader loader) {
    batch.clear();
    forgetPrograms();
    if (!loader || !fetchAll(loader)) return false;
    buildBuffers();
    es.ActiveTexture(GL_TEXTURE0);
    GLint viewport[4] = {0, 0, 0, 0};
    es.GetIntegerv(GL_VIEWPORT, viewport);
    resetState(viewport[2], viewport[3]);
    forgetLists();
    return true;
}

void setRendererName(const char* name) { rendererName = name ? name : ""; }

const char* rendererOverride() { return rendererName.empty() ? nullptr : rendererName.c_str(); }

}  // namespace gles

using gles::layer;

// ---- Immediate mode ----------------------------------------------------------
void glBegin(GLenum mode) {
    if (mode != GL_QUADS) gles::refuse("glBegin", mode);
    layer.insideBegin = mode == GL_QUADS;
}

void glEnd() {
    layer.insideBegin = false;
    gles::dropIncompleteQuad();
}

void glVertex2f(GLfloat x, GLfloat y) {
    if (layer.insideBegin) gles::addVertex(x, y, 0.0f);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (layer.insideBegin) gles::addVertex(x, y, z);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    layer.state.texCoord[0] = s;
    layer.state.texCoord[1] = t;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    const GLfloat colour[4] = {red, green, blue, 1.0f};
    glColor4fv(colour);
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    const GLfloat colour[4] = {red, green, blue, alpha};
    glColor4fv(colour);
}

void glColor4fv(const GLfloat* colour) { std::memcpy(layer.state.colour, colour, sizeof layer.state.colour); }
