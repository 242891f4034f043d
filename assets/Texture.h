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
    // Binds this texture unless the cache says it is already bound.
    void bind();
    // Binds 0 when the cache holds a name, and empties the cache.
    void unbind();
    // Deletes the texture; also empties the cache when it holds this name,
    // since OpenGL may give the name to a texture created later.
    void release();

    GLuint name;
    GLenum target;

    // The name most recently bound through bind(); 0 when none.
    static GLuint lastBound;
};
