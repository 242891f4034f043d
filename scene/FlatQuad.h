// The one shape the scene draws: a flat textured rectangle, placed and
// turned the way every object of the scene is.
#pragma once

#include "scene/Vector3.h"

// Draws the rectangle of half-size halfWidth x halfHeight centred in its
// own plane z = 0, moved to position and turned by rotation: degrees about
// x, then y, then z. The texture's first row (t = 0) lies along the bottom
// edge, or along the top edge when firstRowOnTop. Leaves the modelview
// matrix as it found it.
void drawFlatQuad(const Vector3& position, const Vector3& rotation, float halfWidth, float halfHeight,
                  bool firstRowOnTop);
