// The raster position, glBitmap and display lists: what the font's display
// lists are made of and how the program moves its text along.
//
// A display list here is the glBitmap calls recorded into it; each keeps
// its image as a small texture, drawn as one window-aligned rectangle when
// the list is called.
#include <cmath>
#include <map>
#include <vector>

#include "platform/gles/Layer.h"

namespace gles {

namespace {

struct RecordedBitmap {
    GLsizei width, height;
    GLfloat xOrigin, yOrigin, xMove, yMove;
    GLuint texture;  // 0 for a bitmap with no image (a space)
};

std::map<GLuint, std::vector<RecordedBitmap>>& lists = *new std::map<GLuint, std::vector<RecordedBitmap>>;
GLuint nextList = 1;

// The bitmap's set bits as the alpha of white RGBA texels, unpacked with
// the pixel storage state as OpenGL reads a bitmap: rows bottom first,
// most significant bit first unless GL_UNPACK_LSB_FIRST.
GLuint bitmapTexture(GLsizei width, GLsizei height, const GLubyte* bits) {
    if (width <= 0 || height <= 0 || !bits) return 0;
    const PixelStore& p = layer.pixelStore;
    const std::size_t rowPixels = static_cast<std::size_t>(p.unpackRowLength > 0 ? p.unpackRowLength : width);
    const std::size_t alignment = static_cast<std::size_t>(p.unpackAlignment);
    const std::size_t stride = ((rowPixels + 7) / 8 + alignment - 1) / alignment * alignment;
    std::vector<GLubyte> rgba(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 255);
    for (GLsizei y = 0; y < height; ++y) {
        const GLubyte* row = bits + (static_cast<std::size_t>(y + p.unpackSkipRows)) * stride;
        for (GLsizei x = 0; x < width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x + p.unpackSkipPixels);
            const int shift = p.unpackLsbFirst ? static_cast<int>(bit % 8) : 7 - static_cast<int>(bit % 8);
            rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4 + 3] =
                (row[bit / 8] >> shift & 1) ? 255 : 0;
        }
    }
    GLuint name = 0;
    es.GenTextures(1, &name);
    es.BindTexture(GL_TEXTURE_2D, name);
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    es.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    es.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    es.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    es.PixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    es.PixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    es.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    es.PixelStorei(GL_UNPACK_ALIGNMENT, p.unpackAlignment);
    es.PixelStorei(GL_UNPACK_ROW_LENGTH, p.unpackRowLength);
    es.PixelStorei(GL_UNPACK_SKIP_ROWS, p.unpackSkipRows);
    es.PixelStorei(GL_UNPACK_SKIP_PIXELS, p.unpackSkipPixels);
    es.BindTexture(GL_TEXTURE_2D, layer.state.texture);
    return name;
}

// Draws the bitmap's set bits at the raster position, in the raster colour,
// and moves the raster position on; nothing at all when it is invalid.
void drawBitmap(const RecordedBitmap& bitmap) {
    Raster& raster = layer.state.raster;
    if (!raster.valid) return;
    if (bitmap.texture != 0) {
        // Window coordinates computed in single precision can land a hair
        // below a whole pixel; a driver adds the hair back before rounding
        // down, and so does this.
        const float hair = 0.0001f;
        const float left = std::floor(raster.position[0] + hair - bitmap.xOrigin);
        const float bottom = std::floor(raster.position[1] + hair - bitmap.yOrigin);
        drawWindowRectangle(bitmap.texture, left, bottom, left + static_cast<float>(bitmap.width),
                            bottom + static_cast<float>(bitmap.height), raster.colour);
    }
    raster.position[0] += bitmap.xMove;
    raster.position[1] += bitmap.yMove;
}

void deleteList(GLuint list) {
    const auto found = lists.find(list);
    if (found == lists.end()) return;
    for (const RecordedBitmap& bitmap : found->second)
        if (bitmap.texture != 0) es.DeleteTextures(1, &bitmap.texture);
    lists.erase(found);
}

}  // namespace

void forgetLists() {
    lists.clear();
    nextList = 1;
}

}  // namespace gles

using gles::layer;

// The raster position: (x, y, 0, 1) through both matrices, valid while it
// lies inside the view volume, then in window coordinates; with it the
// current colour.
void glRasterPos2i(GLint x, GLint y) {
    gles::State& s = layer.state;
    const gles::Vector4 eye = layer.modelview.back() * gles::Vector4{static_cast<float>(x), static_cast<float>(y), 0, 1};
    const gles::Vector4 clip = layer.projection.back() * eye;
    s.raster.valid = clip.w > 0.0f && std::fabs(clip.x) <= clip.w && std::fabs(clip.y) <= clip.w &&
                     std::fabs(clip.z) <= clip.w;
    if (!s.raster.valid) return;
    const GLint* view = s.viewport;
    s.raster.position[0] = static_cast<float>(view[0]) + (clip.x / clip.w + 1.0f) * static_cast<float>(view[2]) / 2.0f;
    s.raster.position[1] = static_cast<float>(view[1]) + (clip.y / clip.w + 1.0f) * static_cast<float>(view[3]) / 2.0f;
    s.raster.position[2] = (clip.z / clip.w + 1.0f) / 2.0f;
    s.raster.position[3] = clip.w;
    for (int i = 0; i < 4; ++i) s.raster.colour[i] = s.colour[i];
}

void glBitmap(GLsizei width, GLsizei height, GLfloat xOrigin, GLfloat yOrigin, GLfloat xMove, GLfloat yMove,
              const GLubyte* bits) {
    if (layer.compilingList != 0) {
        gles::lists[layer.compilingList].push_back(gles::RecordedBitmap{
            width, height, xOrigin, yOrigin, xMove, yMove, gles::bitmapTexture(width, height, bits)});
        return;
    }
    // The font moves the raster position with empty bitmaps, character by
    // character: those make no texture.
    const bool empty = width <= 0 || height <= 0 || !bits;
    const gles::RecordedBitmap bitmap{width, height, xOrigin, yOrigin, xMove, yMove,
                                      empty ? 0 : gles::bitmapTexture(width, height, bits)};
    gles::drawBitmap(bitmap);
    if (bitmap.texture != 0) gles::es.DeleteTextures(1, &bitmap.texture);
}

// ---- Display lists ---------------------------------------------------------------
GLuint glGenLists(GLsizei range) {
    if (range <= 0) return 0;
    const GLuint first = gles::nextList;
    gles::nextList += static_cast<GLuint>(range);
    return first;
}

void glDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) gles::deleteList(list + static_cast<GLuint>(i));
}

void glNewList(GLuint list, GLenum mode) {
    if (mode != GL_COMPILE || list == 0) return gles::refuse("glNewList", mode);
    gles::deleteList(list);
    gles::lists[list];
    layer.compilingList = list;
}

void glEndList() { layer.compilingList = 0; }

GLboolean glIsList(GLuint list) { return gles::lists.count(list) ? GL_TRUE : GL_FALSE; }

void glListBase(GLuint base) { layer.state.listBase = base; }

void glCallLists(GLsizei count, GLenum type, const GLvoid* names) {
    if (type != GL_UNSIGNED_BYTE) return gles::refuse("glCallLists", type);
    gles::flush();
    const auto* bytes = static_cast<const GLubyte*>(names);
    for (GLsizei i = 0; i < count; ++i) {
        const auto found = gles::lists.find(layer.state.listBase + bytes[i]);
        if (found == gles::lists.end()) continue;
        for (const gles::RecordedBitmap& bitmap : found->second) gles::drawBitmap(bitmap);
    }
}
