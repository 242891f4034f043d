#include "assets/Texture.h"

#include <cstring>

namespace {

// OpenGL 1.4 and EXT_texture_filter_anisotropic values, spelled out so that
// no extension header is needed.
constexpr GLenum kGenerateMipmap = 0x8191;
constexpr GLenum kTextureMaxAnisotropy = 0x84FE;
constexpr GLenum kMaxTextureMaxAnisotropy = 0x84FF;
constexpr GLint kAnisotropyCap = 8;

// Mesa's software renderers (llvmpipe, softpipe: machines without a GPU,
// virtual machines, virtual X servers, the video renderer) filter
// anisotropically so slowly that single frames stall for seconds, some for
// minutes. SwiftShader, the browsers' renderer without a GPU, works in
// software as well. There the textures stay plainly trilinear.
bool anisotropyStallsRenderer() {
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return renderer != nullptr && (std::strstr(renderer, "llvmpipe") != nullptr ||
                                   std::strstr(renderer, "softpipe") != nullptr ||
                                   std::strstr(renderer, "SwiftShader") != nullptr);
}

}  // namespace

// A plain value, zero before any constructor runs.
GLuint Texture::lastBound = 0;

Texture::Texture() : name(0), target(GL_TEXTURE_2D) {}

Texture::~Texture() {
    release();
}

void Texture::create(const void* pixels, const Size& size, GLint filter, GLint wrap, GLenum format) {
    release();
    glGenTextures(1, &name);
    bind();

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    if (filter == GL_LINEAR) {
        // Trilinear filtering over a chain that the upload below builds.
        glTexParameteri(GL_TEXTURE_2D, kGenerateMipmap, GL_TRUE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        // Without the extension the query fails and leaves the value alone.
        GLint anisotropy = 0;
        glGetIntegerv(kMaxTextureMaxAnisotropy, &anisotropy);
        if (anisotropy > 0 && !anisotropyStallsRenderer()) {
            if (anisotropy > kAnisotropyCap) anisotropy = kAnisotropyCap;
            glTexParameteri(GL_TEXTURE_2D, kTextureMaxAnisotropy, anisotropy);
        }
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), size.width, size.height, 0, format,
                 GL_UNSIGNED_BYTE, pixels);
}

void Texture::bind() {
    if (name != lastBound) {
        lastBound = name;
        glBindTexture(target, name);
    }
}

void Texture::unbind() {
    if (lastBound != 0) {
        lastBound = 0;
        glBindTexture(target, 0);
    }
}

// Also forgets the cached binding of the deleted name: the driver may hand
// the same name to the next texture created, which must then really be bound.
void Texture::release() {
    if (name != 0) {
        if (lastBound == name) lastBound = 0;
        glDeleteTextures(1, &name);
        name = 0;
    }
}
