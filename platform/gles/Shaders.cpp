// The shader programs that stand in for the fixed-function pipeline. Like a
// fixed-function driver, the layer makes one small program for each
// combination of texturing, fog and alpha test that is drawn with, made the
// first time it is needed, so that no fragment pays for a branch it does not
// take.
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/gles/Layer.h"

namespace gles {

namespace {

const char* const vertexShader = R"(
uniform mat4 projection;
layout(location = 0) in vec4 eyePosition;
layout(location = 1) in vec2 texCoordIn;
layout(location = 2) in vec4 colourIn;
out vec2 texCoord;
out vec4 colour;
out float fogDistance;
void main() {
    texCoord = texCoordIn;
    colour = clamp(colourIn, 0.0, 1.0);
    fogDistance = abs(eyePosition.z);
    gl_Position = projection * eyePosition;
}
)";

// OpenGL's order: texture environment, fog (which leaves alpha alone), then
// the alpha test.
const char* const fragmentShader = R"(
precision highp float;
uniform sampler2D image;
uniform vec4 fogColour;
uniform vec2 fogRange;
uniform float alphaReference;
in vec2 texCoord;
in vec4 colour;
in float fogDistance;
out vec4 fragment;
void main() {
    vec4 c = colour;
#if TEXTURE_MODE == 1
    c *= texture(image, texCoord);
#elif TEXTURE_MODE == 2
    c = texture(image, texCoord);
#endif
#if FOG
    float f = clamp((fogRange.y - fogDistance) / (fogRange.y - fogRange.x), 0.0, 1.0);
    c.rgb = mix(fogColour.rgb, c.rgb, f);
#endif
#ifdef ALPHA_PASSES
    float a = c.a;
    float r = alphaReference;
    if (!(ALPHA_PASSES)) discard;
#endif
    fragment = c;
}
)";

// The alpha test's comparisons, GL_NEVER to GL_ALWAYS.
const char* const alphaTests[8] = {"false", "a < r", "a == r", "a <= r", "a > r", "a != r", "a >= r", nullptr};

struct Program {
    GLuint name = 0;
    GLint projection = -1, fogColour = -1, fogRange = -1, alphaReference = -1;
    Uniforms sent{};
    bool sentValid = false;
};

std::map<int, Program>& programs = *new std::map<int, Program>;
GLuint current = 0;

GLuint compile(GLenum kind, const std::string& source) {
    const GLuint shader = es.CreateShader(kind);
    const char* text = source.c_str();
    es.ShaderSource(shader, 1, &text, nullptr);
    es.CompileShader(shader);
    GLint ok = GL_FALSE;
    es.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = "";
        es.GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "salute: the OpenGL ES driver cannot compile the drawing shader: %s\n", log);
        es.DeleteShader(shader);
        return 0;
    }
    return shader;
}

Program build(const Uniforms& u) {
    std::string defines = "#version 300 es\n";
    defines += "#define TEXTURE_MODE " + std::to_string(u.textureMode) + "\n";
    defines += "#define FOG " + std::to_string(u.fog) + "\n";
    if (alphaTests[u.alphaFunction]) defines += std::string("#define ALPHA_PASSES ") + alphaTests[u.alphaFunction] + "\n";
    Program p;
    const GLuint vertex = compile(GL_VERTEX_SHADER, defines + vertexShader);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, defines + fragmentShader);
    if (vertex && fragment) {
        p.name = es.CreateProgram();
        es.AttachShader(p.name, vertex);
        es.AttachShader(p.name, fragment);
        es.LinkProgram(p.name);
        GLint ok = GL_FALSE;
        es.GetProgramiv(p.name, GL_LINK_STATUS, &ok);
        if (!ok) {
            char log[512] = "";
            es.GetProgramInfoLog(p.name, sizeof log, nullptr, log);
            std::fprintf(stderr, "salute: the OpenGL ES driver cannot link the drawing shader: %s\n", log);
            p.name = 0;
        }
    }
    if (vertex) es.DeleteShader(vertex);
    if (fragment) es.DeleteShader(fragment);
    if (p.name == 0) return p;
    es.UseProgram(p.name);
    current = p.name;
    es.Uniform1i(es.GetUniformLocation(p.name, "image"), 0);
    p.projection = es.GetUniformLocation(p.name, "projection");
    p.fogColour = es.GetUniformLocation(p.name, "fogColour");
    p.fogRange = es.GetUniformLocation(p.name, "fogRange");
    p.alphaReference = es.GetUniformLocation(p.name, "alphaReference");
    return p;
}

}  // namespace

bool useProgramFor(const Uniforms& u) {
    const int key = u.textureMode * 16 + u.fog * 8 + u.alphaFunction;
    auto found = programs.find(key);
    if (found == programs.end()) found = programs.emplace(key, build(u)).first;
    Program& p = found->second;
    if (p.name == 0) return false;
    if (p.name != current) {
        es.UseProgram(p.name);
        current = p.name;
    }
    // Only what this program reads, and only when it changed.
    Uniforms& s = p.sent;
    if (!p.sentValid || std::memcmp(u.projection.m, s.projection.m, sizeof u.projection.m) != 0)
        es.UniformMatrix4fv(p.projection, 1, GL_FALSE, u.projection.m);
    if (u.fog && (!p.sentValid || std::memcmp(u.fogColour, s.fogColour, sizeof u.fogColour) != 0))
        es.Uniform4fv(p.fogColour, 1, u.fogColour);
    if (u.fog && (!p.sentValid || u.fogStart != s.fogStart || u.fogEnd != s.fogEnd))
        es.Uniform2f(p.fogRange, u.fogStart, u.fogEnd);
    if (!p.sentValid || u.alphaReference != s.alphaReference) es.Uniform1f(p.alphaReference, u.alphaReference);
    s = u;
    p.sentValid = true;
    return true;
}

void forgetPrograms() {
    programs.clear();
    current = 0;
}

}  // namespace gles
