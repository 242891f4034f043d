// The floors the program is measured against: the least work that shows
// the same thing, without the program around it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <GL/gl.h>

namespace bench {

// Clears the frame and waits for it: the cost of presenting nothing.
void drawClearFloor();

// Draws what the program's frame showed, from the program's own scene
// objects and font, with nothing but the drawing: the 170 particle quads,
// the cards visible at demoTime, and the page of text visible then (each
// line three times, as the rim needs, by the font's own fastest path).
// Leaves the OpenGL state as the program expects it at a frame's start.
void drawGeometryFloor(float demoTime);

// Decodes every picture of the presentation (merging the leaves' masks)
// and uploads each as a mip-mapped RGBA texture, as plainly as possible.
// Returns the number of textures made; `textureBytes` receives the memory
// their pixels and mipmaps need. Needs a current context.
int loadTextureFloor(std::vector<GLuint>& names, std::uint64_t& textureBytes);

// The files the load reads, in its order.
std::vector<std::string> pictureFiles();

}  // namespace bench
