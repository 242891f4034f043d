// One OpenGL 2D texture, bound through a one-slot cache.
#pragma once

#include <cstdint>

#include <GL/gl.h>

struct Size {
    std::int32_t width;
    std::int32_t height;
};

class Texture {
public:
    Texture();
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Uploads width x height RGBA pixels (row 0 first). GL_LINEAR also
    // builds mipmaps and asks for anisotropic filtering (at most 8).
    void create(const void* pixels, const Size& size, GLint filter, GLint wrap, GLenum format);
    void bind();
    void unbind();
    void release();

    GLuint name;
    GLenum target;

    // The name most recently bound through bind(); 0 when none.
    static GLuint lastBound;
};
