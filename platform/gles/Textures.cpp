// The layer's textures: what it knows of each (whether it builds its
// mipmaps and can be sampled), their parameters, environment and images,
// and the pixel storage their images are read with.
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "platform/gles/Layer.h"

namespace gles {

namespace {

// What the layer knows of a texture: whether its level 0 upload builds the
// rest of the mipmap chain (GL_GENERATE_MIPMAP, OpenGL 1.4), and whether it
// can be sampled. OpenGL 1.x draws as if texturing were off where the bound
// texture is incomplete; an ES shader would sample black there.
constexpr GLenum generateMipmap = 0x8191;
struct TextureInfo {
    bool generateMipmap = false;
    bool hasImage = false;
    bool minifiesWithMipmaps = true;  // the default GL_NEAREST_MIPMAP_LINEAR
    bool hasMipmaps = false;
};
std::unordered_map<GLuint, TextureInfo>& textures = *new std::unordered_map<GLuint, TextureInfo>;

// An alpha-only image as white RGBA texels of the same alpha: the shader's
// modulation then gives the fragment's colour with the texel's alpha, as
// OpenGL does for an alpha texture. Reads with the unpacking state.
std::vector<GLubyte> whiteWithAlpha(const void* pixels, GLsizei width, GLsizei height) {
    std::vector<GLubyte> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 255);
    if (!pixels) return rgba;
    const PixelStore& p = layer.pixelStore;
    const std::size_t rowLength = static_cast<std::size_t>(p.unpackRowLength > 0 ? p.unpackRowLength : width);
    const std::size_t alignment = static_cast<std::size_t>(p.unpackAlignment);
    const std::size_t stride = (rowLength + alignment - 1) / alignment * alignment;
    const auto* source = static_cast<const GLubyte*>(pixels) + static_cast<std::size_t>(p.unpackSkipRows) * stride +
                         static_cast<std::size_t>(p.unpackSkipPixels);
    for (GLsizei y = 0; y < height; ++y)
        for (GLsizei x = 0; x < width; ++x)
            rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4 + 3] =
                source[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
    return rgba;
}

}  // namespace

void applyPixelStore() {
    const PixelStore& p = layer.pixelStore;
    es.PixelStorei(GL_UNPACK_ALIGNMENT, p.unpackAlignment);
    es.PixelStorei(GL_UNPACK_ROW_LENGTH, p.unpackRowLength);
    es.PixelStorei(GL_UNPACK_SKIP_ROWS, p.unpackSkipRows);
    es.PixelStorei(GL_UNPACK_SKIP_PIXELS, p.unpackSkipPixels);
    es.PixelStorei(GL_PACK_ALIGNMENT, p.packAlignment);
}

bool textureComplete(GLuint name) {
    const auto found = textures.find(name);
    if (found == textures.end()) return false;
    const TextureInfo& t = found->second;
    return t.hasImage && (!t.minifiesWithMipmaps || t.hasMipmaps);
}

void forgetTextures() { textures.clear(); }

}  // namespace gles

using gles::es;
using gles::layer;

// ---- Textures ------------------------------------------------------------------
void glGenTextures(GLsizei count, GLuint* names) { es.GenTextures(count, names); }

void glDeleteTextures(GLsizei count, const GLuint* names) {
    gles::flush();
    for (GLsizei i = 0; i < count; ++i) {
        gles::textures.erase(names[i]);
        if (layer.state.texture == names[i]) layer.state.texture = 0;
    }
    es.DeleteTextures(count, names);
}

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D) return gles::refuse("glBindTexture", target);
    gles::flush();
    layer.state.texture = name;
    es.BindTexture(target, name);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    gles::flush();
    gles::TextureInfo& texture = gles::textures[layer.state.texture];
    if (name == gles::generateMipmap) {
        texture.generateMipmap = value != 0;
        return;
    }
    if (name == GL_TEXTURE_MIN_FILTER) texture.minifiesWithMipmaps = value != GL_NEAREST && value != GL_LINEAR;
    // ES has no border to clamp to; the program's clamped textures are
    // sampled nearest, where the two are the same.
    if ((name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) && value == GL_CLAMP) value = GL_CLAMP_TO_EDGE;
    es.TexParameteri(target, name, value);
}

void glTexEnvi(GLenum target, GLenum name, GLint value) {
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE || (value != GL_MODULATE && value != GL_REPLACE))
        return gles::refuse("glTexEnvi", static_cast<unsigned>(value));
    gles::flush();
    layer.state.textureEnvironment = static_cast<GLenum>(value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels) {
    // One level: the rest of the chain is built, never uploaded.
    if (target != GL_TEXTURE_2D || level != 0 || border != 0 || type != GL_UNSIGNED_BYTE)
        return gles::refuse("glTexImage2D", static_cast<unsigned>(target));
    gles::flush();
    if (format == GL_RGBA && (internalFormat == GL_RGBA || internalFormat == GL_RGBA8 || internalFormat == 4)) {
        es.TexImage2D(target, level, GL_RGBA8, width, height, 0, GL_RGBA, type, pixels);
    } else if (format == GL_RGB && (internalFormat == GL_RGB || internalFormat == GL_RGB8 || internalFormat == 3)) {
        es.TexImage2D(target, level, GL_RGB8, width, height, 0, GL_RGB, type, pixels);
    } else if (format == GL_ALPHA && (internalFormat == GL_ALPHA || internalFormat == GL_ALPHA8)) {
        const std::vector<GLubyte> rgba = gles::whiteWithAlpha(pixels, width, height);
        es.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
        es.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        es.PixelStorei(GL_UNPACK_SKIP_ROWS, 0);
        es.PixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
        es.TexImage2D(target, level, GL_RGBA8, width, height, 0, GL_RGBA, type, rgba.data());
        gles::applyPixelStore();
    } else {
        return gles::refuse("glTexImage2D", format);
    }
    gles::TextureInfo& texture = gles::textures[layer.state.texture];
    texture.hasImage = width > 0 && height > 0;
    texture.hasMipmaps = texture.generateMipmap && texture.hasImage;
    if (texture.hasMipmaps) es.GenerateMipmap(target);
}

void glPixelStorei(GLenum name, GLint value) {
    gles::PixelStore& p = layer.pixelStore;
    switch (name) {
    case GL_UNPACK_ALIGNMENT: p.unpackAlignment = value; break;
    case GL_UNPACK_ROW_LENGTH: p.unpackRowLength = value; break;
    case GL_UNPACK_SKIP_ROWS: p.unpackSkipRows = value; break;
    case GL_UNPACK_SKIP_PIXELS: p.unpackSkipPixels = value; break;
    case GL_PACK_ALIGNMENT: p.packAlignment = value; break;
    // Only bitmaps read these, and the layer unpacks those itself.
    case GL_UNPACK_LSB_FIRST: p.unpackLsbFirst = value; return;
    case GL_UNPACK_SWAP_BYTES: p.unpackSwapBytes = value; return;
    default: return gles::refuse("glPixelStorei", name);
    }
    es.PixelStorei(name, value);
}
