#include "bench/Floors.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "app/FrameCycle.h"
#include "app/Window.h"
#include "assets/Manifest.h"
#include "scene/Scene.h"
#include "text/BitmapFont.h"
#include "text/TextPages.h"

namespace bench {

namespace {

constexpr GLenum kGenerateMipmap = 0x8191;

struct Line {
    const char* text;
    std::size_t length;
};

// The visible lines of each page, split once so the floor's frames do no parsing.
const std::vector<Line>& pageLines(int page) {
    static std::vector<Line> lines[4];
    static bool split = false;
    if (!split) {
        split = true;
        for (int p = 0; p < 4; ++p) {
            const char* line = textPages[p].text;
            const char* end = std::strchr(line, '\n');
            while (end && end != line) {
                lines[p].push_back({line, static_cast<std::size_t>(end - line)});
                line = end + 1;
                end = std::strchr(line, '\n');
            }
        }
    }
    return lines[page];
}

void quad(float w, float h, bool photo) {
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, photo ? 1.0f : 0.0f);
    glVertex3f(-w, -h, 0.0f);
    glTexCoord2f(1.0f, photo ? 1.0f : 0.0f);
    glVertex3f(w, -h, 0.0f);
    glTexCoord2f(1.0f, photo ? 0.0f : 1.0f);
    glVertex3f(w, h, 0.0f);
    glTexCoord2f(0.0f, photo ? 0.0f : 1.0f);
    glVertex3f(-w, h, 0.0f);
    glEnd();
}

void place(const Vector3& position, const Vector3& rotation) {
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
}

void drawParticles(const Texture& texture, const LeafSystem& system) {
    glBindTexture(GL_TEXTURE_2D, texture.name);
    for (const LeafParticle& particle : system.particles) {
        glPushMatrix();
        place(particle.position, particle.rotation);
        quad(particle.halfSize, particle.halfSize, false);
        glPopMatrix();
    }
}

struct ErrorManager {
    jpeg_error_mgr library;
    std::jmp_buf escape;
};

void onError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1); }

// Decodes a JPEG into 8-bit samples (1 or 3 per pixel). False on any fault.
bool decode(const std::string& path, std::vector<std::uint8_t>& samples, int& width, int& height, int& channels) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    jpeg_decompress_struct info{};
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = onError;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    channels = info.output_components;
    samples.resize(static_cast<std::size_t>(width) * height * channels);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &samples[static_cast<std::size_t>(info.output_scanline) * width * channels];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

void toRgba(const std::vector<std::uint8_t>& samples, int channels, std::vector<std::uint8_t>& rgba) {
    const std::size_t pixels = samples.size() / static_cast<std::size_t>(channels);
    rgba.resize(pixels * 4);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* s = &samples[i * channels];
        rgba[i * 4 + 0] = s[0];
        rgba[i * 4 + 1] = channels == 3 ? s[1] : s[0];
        rgba[i * 4 + 2] = channels == 3 ? s[2] : s[0];
        rgba[i * 4 + 3] = 255;
    }
}

std::uint64_t mipmappedBytes(int width, int height) {
    std::uint64_t bytes = 0;
    for (;;) {
        bytes += static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 4;
        if (width == 1 && height == 1) return bytes;
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
}

GLuint upload(const std::vector<std::uint8_t>& rgba, int width, int height) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, kGenerateMipmap, GL_TRUE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return name;
}

}  // namespace

void drawClearFloor() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
}

void drawGeometryFloor(float demoTime) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setProjection(false);
    setSceneState();

    for (int k = 0; k < secPhotoCount; ++k) drawParticles(secPhotoTextures[k], secPhotoSystems[k]);
    drawParticles(leafTexture, leafSystem);
    drawParticles(leaf2Texture, leaf2System);
    drawParticles(leaf3Texture, leaf3System);
    for (int i = 0; i < photoCount; ++i) {
        const float start = photoInterval * static_cast<float>(i);
        if (!(demoTime > start && demoTime < start + photoWindow)) continue;
        const PhotoCard& card = photoCards[i];
        glBindTexture(GL_TEXTURE_2D, card.texture.name);
        glPushMatrix();
        place(card.position, card.rotation);
        quad(1.33f * card.scale, card.scale, true);
        glPopMatrix();
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    setProjection(true);
    glDisable(GL_TEXTURE_2D);

    for (int p = 0; p < 4; ++p) {
        if (!(demoTime > textPages[p].start && demoTime < textPages[p].end)) continue;
        glDisable(GL_FOG);
        float y = 80.0f;
        for (const Line& line : pageLines(p)) {
            glLoadIdentity();
            glTranslatef(16.0f, y, 0.0f);
            glColor3f(0.0f, 0.0f, 0.0f);
            font.draw(line.text, line.length);
            glTranslatef(1.0f, 0.0f, 0.0f);
            font.draw(line.text, line.length);
            glTranslatef(0.0f, 1.0f, 0.0f);
            glColor3f(1.0f, 1.0f, 1.0f);
            font.draw(line.text, line.length);
            y += 16.0f;
        }
        glLoadIdentity();
        glEnable(GL_FOG);
    }
    glFinish();
}

std::vector<std::string> pictureFiles() {
    std::vector<std::string> files;
    for (const LeafPictures& leaf : leafFileNames) {
        files.push_back(leaf.picture);
        files.push_back(leaf.mask);
    }
    for (const char* photo : photoFileNames) files.push_back(photo);
    for (const char* photo : secPhotoFileNames) files.push_back(photo);
    return files;
}

int loadTextureFloor(std::vector<GLuint>& names, std::uint64_t& textureBytes) {
    std::vector<std::uint8_t> samples;
    std::vector<std::uint8_t> maskSamples;
    std::vector<std::uint8_t> rgba;
    int width = 0, height = 0, channels = 0;
    textureBytes = 0;
    const auto make = [&] {
        names.push_back(upload(rgba, width, height));
        textureBytes += mipmappedBytes(width, height);
    };
    for (const LeafPictures& leaf : leafFileNames) {
        int maskWidth = 0, maskHeight = 0, maskChannels = 0;
        if (!decode(leaf.picture, samples, width, height, channels) ||
            !decode(leaf.mask, maskSamples, maskWidth, maskHeight, maskChannels))
            continue;
        toRgba(samples, channels, rgba);
        if (maskWidth == width && maskHeight == height)
            for (std::size_t i = 0; i < rgba.size() / 4; ++i) rgba[i * 4 + 3] = maskSamples[i * maskChannels];
        make();
    }
    std::vector<const char*> photos(photoFileNames, photoFileNames + photoCount);
    photos.insert(photos.end(), secPhotoFileNames, secPhotoFileNames + secPhotoCount);
    for (const char* photo : photos) {
        if (!decode(photo, samples, width, height, channels)) continue;
        toRgba(samples, channels, rgba);
        make();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glFinish();
    return static_cast<int>(names.size());
}

}  // namespace bench
