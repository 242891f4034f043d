// Textures on an offscreen context, the GL calls wrapped: binds counted, the
// anisotropy limit and the renderer's name answered as other drivers would.
#include <cstring>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "assets/Texture.h"
#include "platform/headless/Headless.h"

namespace {

constexpr GLenum kGenerateMipmap = 0x8191;
constexpr GLenum kTextureMaxAnisotropy = 0x84FE;
constexpr GLenum kMaxTextureMaxAnisotropy = 0x84FF;

std::vector<GLuint> binds, deletions;
int anisotropyQueries = 0;
GLint reportedAnisotropy = -1;  // what the limit query answers; -1: as without the extension
const char* rendererName = nullptr;

}  // namespace

extern "C" {
void __real_glBindTexture(GLenum target, GLuint name);
void __real_glDeleteTextures(GLsizei count, const GLuint* names);
void __real_glGetIntegerv(GLenum parameter, GLint* values);
const GLubyte* __real_glGetString(GLenum name);

const GLubyte* __wrap_glGetString(GLenum name) {
    if (name == GL_RENDERER && rendererName) return reinterpret_cast<const GLubyte*>(rendererName);
    return __real_glGetString(name);
}
void __wrap_glBindTexture(GLenum target, GLuint name) {
    binds.push_back(name);
    __real_glBindTexture(target, name);
}
void __wrap_glDeleteTextures(GLsizei count, const GLuint* names) {
    deletions.insert(deletions.end(), names, names + count);
    __real_glDeleteTextures(count, names);
}
void __wrap_glGetIntegerv(GLenum parameter, GLint* values) {
    if (parameter != kMaxTextureMaxAnisotropy) return __real_glGetIntegerv(parameter, values);
    ++anisotropyQueries;
    if (reportedAnisotropy != -1) *values = reportedAnisotropy;  // -1: an error, the value left as it was
}
}

namespace {

// The bound texture's parameters, as OpenGL holds them.
GLint parameter(GLenum which) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
    return value;
}
GLint levelWidth(int level) {
    GLint width = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
    return width;
}
GLint bound() {
    GLint name = -1;
    __real_glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}
std::vector<GLint> filters() {
    return {parameter(GL_TEXTURE_MIN_FILTER), parameter(GL_TEXTURE_MAG_FILTER), parameter(kGenerateMipmap)};
}

class TextureTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(headless::makeStandaloneContext(64, 64)); }
    void SetUp() override {
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        hasAnisotropy = extensions && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic");
        __real_glBindTexture(GL_TEXTURE_2D, 0);
        Texture::lastBound = 0;
        reportedAnisotropy = 16;
        anisotropyQueries = 0;
        rendererName = "Some GPU/PCIe/SSE2";  // the tests run on llvmpipe, which gets no anisotropy
        binds.clear();
        deletions.clear();
    }
    void createSmall(Texture& texture) {
        const std::uint8_t rgba[16] = {};
        texture.create(rgba, Size{2, 2}, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_RGBA);
    }
    bool hasAnisotropy = false;
};

// bind reaches OpenGL only when the name changes; a released name reused is
// bound for real.
TEST_F(TextureTest, BindCacheNeverLeavesTheWrongTextureBound) {
    Texture a, b, c;
    createSmall(a);
    createSmall(b);
    EXPECT_EQ(bound(), GLint(b.name));
    binds.clear();
    b.bind();
    a.bind();
    a.bind();
    a.unbind();
    b.unbind();
    a.bind();
    EXPECT_EQ(binds, (std::vector<GLuint>{a.name, 0, a.name}));
    const GLuint first = a.name;
    createSmall(a);
    const GLuint second = a.name;
    a.release();
    a.release();
    EXPECT_EQ(deletions, (std::vector<GLuint>{first, second}));
    createSmall(c);
    EXPECT_EQ(bound(), GLint(c.name));
}

// Other filters: no mipmaps, no anisotropy; 0 x 0 (a failed first picture).
TEST_F(TextureTest, NearestFilterKeepsThePixelsAndAnEmptyPictureIsNoError) {
    std::vector<std::uint8_t> rgba(8 * 4 * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = std::uint8_t(i * 37);
    Texture texture;
    texture.create(rgba.data(), Size{8, 4}, GL_NEAREST, GL_REPEAT, GL_RGBA);
    std::vector<std::uint8_t> back(rgba.size());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, rgba);
    EXPECT_EQ(filters(), (std::vector<GLint>{GL_NEAREST, GL_NEAREST, GL_FALSE}));
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(levelWidth(1), 0);
    EXPECT_EQ(anisotropyQueries, 0);
    texture.create(nullptr, Size{0, 0}, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_RGBA);
    EXPECT_EQ(levelWidth(0), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// Capped at 8; off on software renderers, whose filter stalls for seconds.
TEST_F(TextureTest, AnisotropyIsCappedAtEightAndOffOnSoftwareRenderers) {
    // The renderer, the limit it reports, the anisotropy set (1, OpenGL's default: none).
    const std::tuple<const char*, GLint, GLfloat> cases[] = {
        {"GPU", 16, 8}, {"GPU", 8, 8}, {"GPU", 2, 2}, {"GPU", 0, 1}, {"GPU", -3, 1}, {"GPU", -1, 1},
        {"llvmpipe (LLVM 15.0.6, 256 bits)", 16, 1}, {"softpipe", 16, 1}};
    for (const auto& [renderer, reported, expected] : cases) {
        SCOPED_TRACE(testing::Message() << renderer << " " << reported);
        rendererName = renderer;
        reportedAnisotropy = reported;
        Texture texture;
        createSmall(texture);
        GLfloat anisotropy = -1;
        glGetTexParameterfv(GL_TEXTURE_2D, kTextureMaxAnisotropy, &anisotropy);
        EXPECT_TRUE(!hasAnisotropy || anisotropy == expected) << anisotropy;
        EXPECT_EQ(filters(), (std::vector<GLint>{GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, GL_TRUE}));  // trilinear either way
        EXPECT_EQ(levelWidth(1), 1);
        EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    }
}

}  // namespace
