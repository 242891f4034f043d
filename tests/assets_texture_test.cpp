// Textures on a real (offscreen) OpenGL context. The test executable is
// linked with the GL entry points wrapped, so that the bind cache can be
// checked by counting the calls that reach OpenGL.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assets/Texture.h"
#include "platform/headless/Headless.h"

namespace {

constexpr GLenum kGenerateMipmap = 0x8191;
constexpr GLenum kTextureMaxAnisotropy = 0x84FE;
constexpr GLenum kMaxTextureMaxAnisotropy = 0x84FF;

// What reached OpenGL, in order.
struct Call {
    enum Kind { Bind, Delete } kind;
    GLenum target;
    GLuint name;
};
std::vector<Call> calls;
int anisotropyQueries = 0;

// How the wrapped query answers for the maximum anisotropy.
enum class Anisotropy { Real, Reported, NoExtension };
Anisotropy anisotropyMode = Anisotropy::Real;
GLint reportedAnisotropy = 0;

// What the wrapped query answers for the renderer's name; the real name when
// null. The tests run on a software renderer, which gets no anisotropy, so
// by default they answer as a GPU would.
const char* rendererName = nullptr;

}  // namespace

extern "C" {
void __real_glBindTexture(GLenum target, GLuint name);
void __real_glDeleteTextures(GLsizei count, const GLuint* names);
void __real_glGetIntegerv(GLenum parameter, GLint* values);
const GLubyte* __real_glGetString(GLenum name);

const GLubyte* __wrap_glGetString(GLenum name) {
    if (name == GL_RENDERER && rendererName != nullptr) return reinterpret_cast<const GLubyte*>(rendererName);
    return __real_glGetString(name);
}

void __wrap_glBindTexture(GLenum target, GLuint name) {
    calls.push_back({Call::Bind, target, name});
    __real_glBindTexture(target, name);
}

void __wrap_glDeleteTextures(GLsizei count, const GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) calls.push_back({Call::Delete, 0, names[i]});
    __real_glDeleteTextures(count, names);
}

void __wrap_glGetIntegerv(GLenum parameter, GLint* values) {
    if (parameter == kMaxTextureMaxAnisotropy) {
        ++anisotropyQueries;
        if (anisotropyMode == Anisotropy::Reported) {
            *values = reportedAnisotropy;
            return;
        }
        if (anisotropyMode == Anisotropy::NoExtension) {
            // As an implementation without the extension: an error, and the
            // value left as it was.
            return;
        }
    }
    __real_glGetIntegerv(parameter, values);
}
}

namespace {

class Textures : public testing::Test {
protected:
    static void SetUpTestSuite() { contextReady = headless::makeStandaloneContext(64, 64); }

    void SetUp() override {
        ASSERT_TRUE(contextReady) << "no offscreen OpenGL context";
        const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
        hasAnisotropy = extensions && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic");
        __real_glBindTexture(GL_TEXTURE_2D, 0);
        Texture::lastBound = 0;
        anisotropyMode = Anisotropy::Real;
        anisotropyQueries = 0;
        rendererName = "Some GPU/PCIe/SSE2";
        calls.clear();
        while (glGetError() != GL_NO_ERROR) {
        }
    }

    static GLint boundName() {
        GLint name = -1;
        __real_glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
        return name;
    }

    static GLint parameter(GLenum which) {
        GLint value = -1;
        glGetTexParameteriv(GL_TEXTURE_2D, which, &value);
        return value;
    }

    static GLfloat maxAnisotropy() {
        GLfloat value = -1;
        glGetTexParameterfv(GL_TEXTURE_2D, kTextureMaxAnisotropy, &value);
        return value;
    }

    static GLint levelWidth(int level) {
        GLint width = -1;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        return width;
    }

    // An 8 x 4 picture in 2 x 2 blocks of one colour each, so that the next
    // mip level is known exactly: one pixel per block.
    static std::vector<std::uint8_t> blockPicture() {
        std::vector<std::uint8_t> rgba(8 * 4 * 4);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                std::uint8_t* p = &rgba[(y * 8 + x) * 4];
                const int block = (y / 2) * 4 + x / 2;
                p[0] = static_cast<std::uint8_t>(block * 30);
                p[1] = static_cast<std::uint8_t>(255 - block * 20);
                p[2] = static_cast<std::uint8_t>(block * 7 + 3);
                p[3] = static_cast<std::uint8_t>(block % 2 ? 255 : 40);
            }
        }
        return rgba;
    }

    void createSmall(Texture& texture, GLint filter = GL_LINEAR) {
        const std::uint8_t rgba[4 * 4] = {};
        texture.create(rgba, Size{2, 2}, filter, GL_CLAMP_TO_EDGE, GL_RGBA);
    }

    static std::vector<GLuint> deletions() {
        std::vector<GLuint> names;
        for (const Call& call : calls) {
            if (call.kind == Call::Delete) names.push_back(call.name);
        }
        return names;
    }

    static int binds() {
        int count = 0;
        for (const Call& call : calls) count += call.kind == Call::Bind;
        return count;
    }

    static bool contextReady;
    bool hasAnisotropy = false;
};

bool Textures::contextReady = false;

TEST_F(Textures, BindGoesToOpenGlOnlyWhenTheNameChanges) {
    Texture a;
    Texture b;
    createSmall(a);
    createSmall(b);
    ASSERT_NE(a.name, 0u);
    ASSERT_NE(a.name, b.name);
    // create leaves its texture bound and cached.
    EXPECT_EQ(Texture::lastBound, b.name);
    EXPECT_EQ(boundName(), static_cast<GLint>(b.name));

    calls.clear();
    b.bind();
    EXPECT_EQ(binds(), 0);
    a.bind();
    a.bind();
    EXPECT_EQ(binds(), 1);
    EXPECT_EQ(calls.back().target, static_cast<GLenum>(GL_TEXTURE_2D));
    EXPECT_EQ(calls.back().name, a.name);
    EXPECT_EQ(boundName(), static_cast<GLint>(a.name));

    // unbind binds 0 once and empties the cache, so the same texture binds
    // again afterwards.
    calls.clear();
    a.unbind();
    EXPECT_EQ(binds(), 1);
    EXPECT_EQ(calls.back().name, 0u);
    EXPECT_EQ(Texture::lastBound, 0u);
    EXPECT_EQ(boundName(), 0);
    b.unbind();
    a.unbind();
    EXPECT_EQ(binds(), 1);
    a.bind();
    EXPECT_EQ(binds(), 2);
    EXPECT_EQ(boundName(), static_cast<GLint>(a.name));

    // unbind does not ask which texture is bound.
    calls.clear();
    b.unbind();
    EXPECT_EQ(binds(), 1);
    EXPECT_EQ(boundName(), 0);
}

TEST_F(Textures, ReleaseDeletesOnceAndForgetsItsCachedBinding) {
    Texture empty;
    empty.release();
    EXPECT_TRUE(calls.empty());

    Texture a;
    Texture b;
    createSmall(a);
    createSmall(b);
    const GLuint aName = a.name;
    calls.clear();

    // Releasing a texture that is not the cached one keeps the cache.
    a.release();
    a.release();
    EXPECT_EQ(deletions(), std::vector<GLuint>{aName});
    EXPECT_EQ(a.name, 0u);
    EXPECT_EQ(Texture::lastBound, b.name);

    // Releasing the cached one empties the cache: a texture created next
    // may get the same name from OpenGL and must then be bound for real.
    b.release();
    EXPECT_EQ(Texture::lastBound, 0u);
    Texture c;
    const std::vector<std::uint8_t> rgba = blockPicture();
    c.create(rgba.data(), Size{8, 4}, GL_NEAREST, GL_CLAMP_TO_EDGE, GL_RGBA);
    EXPECT_EQ(boundName(), static_cast<GLint>(c.name));
    std::vector<std::uint8_t> back(rgba.size());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(back, rgba);
}

TEST_F(Textures, CreateOnAHeldTextureDeletesTheOldNameFirst) {
    Texture a;
    createSmall(a);
    const GLuint old = a.name;
    calls.clear();
    createSmall(a);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, Call::Delete);
    EXPECT_EQ(calls[0].name, old);
    EXPECT_EQ(deletions().size(), 1u);
    EXPECT_EQ(calls[1].kind, Call::Bind);
    EXPECT_EQ(calls[1].name, a.name);
    EXPECT_EQ(boundName(), static_cast<GLint>(a.name));
}

TEST_F(Textures, LinearUploadsTheLevelAndBuildsTrilinearMipmaps) {
    const std::vector<std::uint8_t> rgba = blockPicture();
    Texture texture;
    texture.create(rgba.data(), Size{8, 4}, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_RGBA);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    std::vector<std::uint8_t> level0(rgba.size());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, level0.data());
    EXPECT_EQ(level0, rgba);

    ASSERT_EQ(levelWidth(1), 4);
    std::vector<std::uint8_t> level1(4 * 2 * 4);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_BYTE, level1.data());
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* expected = &rgba[(y * 2 * 8 + x * 2) * 4];
            const std::uint8_t* got = &level1[(y * 4 + x) * 4];
            for (int c = 0; c < 4; ++c) EXPECT_NEAR(got[c], expected[c], 1) << x << "," << y << " channel " << c;
        }
    }
    EXPECT_EQ(levelWidth(3), 1);  // the chain goes down to 1 x 1

    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(kGenerateMipmap), GL_TRUE);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    EXPECT_EQ(anisotropyQueries, 1);
    if (hasAnisotropy) {
        GLint limit = 0;
        __real_glGetIntegerv(kMaxTextureMaxAnisotropy, &limit);
        EXPECT_EQ(maxAnisotropy(), static_cast<GLfloat>(limit < 8 ? limit : 8));
    }
}

TEST_F(Textures, AnisotropyIsCappedAtEightAndSkippedWithoutTheExtension) {
    const std::uint8_t rgba[4 * 4] = {};
    struct Case {
        Anisotropy mode;
        GLint reported;
        GLfloat expected;  // 1 is OpenGL's default: nothing was set
    };
    const Case cases[] = {
        {Anisotropy::Reported, 16, 8},
        {Anisotropy::Reported, 8, 8},
        {Anisotropy::Reported, 2, 2},
        {Anisotropy::Reported, 0, 1},
        {Anisotropy::Reported, -3, 1},
        {Anisotropy::NoExtension, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reported);
        anisotropyMode = c.mode;
        reportedAnisotropy = c.reported;
        Texture texture;
        texture.create(rgba, Size{2, 2}, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_RGBA);
        if (hasAnisotropy) {
            EXPECT_EQ(maxAnisotropy(), c.expected);
        }
        // Mipmapped and trilinear either way.
        EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(parameter(kGenerateMipmap), GL_TRUE);
        EXPECT_EQ(levelWidth(1), 1);
    }
}

TEST_F(Textures, SoftwareRenderersGetTrilinearFilteringOnly) {
    const std::uint8_t rgba[4 * 4] = {};
    anisotropyMode = Anisotropy::Reported;
    reportedAnisotropy = 16;
    for (const char* renderer : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe"}) {
        SCOPED_TRACE(renderer);
        rendererName = renderer;
        Texture texture;
        texture.create(rgba, Size{2, 2}, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_RGBA);
        if (hasAnisotropy) {
            EXPECT_EQ(maxAnisotropy(), 1.0f);
        }
        EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(parameter(kGenerateMipmap), GL_TRUE);
    }
}

TEST_F(Textures, OtherFiltersGetNeitherMipmapsNorAnisotropy) {
    const std::vector<std::uint8_t> rgba = blockPicture();
    Texture texture;
    texture.create(rgba.data(), Size{8, 4}, GL_NEAREST, GL_REPEAT, GL_RGBA);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
    EXPECT_EQ(parameter(kGenerateMipmap), GL_FALSE);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(anisotropyQueries, 0);
    if (hasAnisotropy) {
        EXPECT_EQ(maxAnisotropy(), 1.0f);
    }
    EXPECT_EQ(levelWidth(0), 8);
    EXPECT_EQ(levelWidth(1), 0);
}

TEST_F(Textures, EmptyPictureGivesAnEmptyTexture) {
    // What a first picture that failed to load leaves: no pixels, 0 x 0.
    Texture texture;
    texture.create(nullptr, Size{0, 0}, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_RGBA);
    EXPECT_NE(texture.name, 0u);
    EXPECT_EQ(levelWidth(0), 0);
    texture.release();
    EXPECT_EQ(deletions().size(), 1u);
}

}  // namespace
