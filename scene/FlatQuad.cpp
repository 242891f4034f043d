#include "scene/FlatQuad.h"

#include <GL/gl.h>

void drawFlatQuad(const Vector3& position, const Vector3& rotation, float halfWidth, float halfHeight,
                  bool firstRowOnTop) {
    const float bottomRow = firstRowOnTop ? 1.0f : 0.0f;
    const float topRow = 1.0f - bottomRow;
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, bottomRow);
    glVertex3f(-halfWidth, -halfHeight, 0.0f);
    glTexCoord2f(1.0f, bottomRow);
    glVertex3f(halfWidth, -halfHeight, 0.0f);
    glTexCoord2f(1.0f, topRow);
    glVertex3f(halfWidth, halfHeight, 0.0f);
    glTexCoord2f(0.0f, topRow);
    glVertex3f(-halfWidth, halfHeight, 0.0f);
    glEnd();
    glPopMatrix();
}
