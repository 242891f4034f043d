// The matrix stacks: model-view, projection and texture, with the
// transformations the program builds them from, computed in single
// precision as a fixed-function driver does.
#include <cmath>

#include <GL/glu.h>

#include "platform/gles/Layer.h"

namespace gles {

Matrix identityMatrix() { return Matrix{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            r.m[column * 4 + row] = sum;
        }
    return r;
}

Vector4 operator*(const Matrix& a, const Vector4& v) {
    const float* m = a.m;
    return Vector4{m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
                   m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
                   m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
                   m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};
}

namespace {

std::vector<Matrix>& currentStack() {
    switch (layer.state.matrixMode) {
    case GL_PROJECTION: return layer.projection;
    case GL_TEXTURE: return layer.texture;
    default: return layer.modelview;
    }
}

// The projection is the shader's: vertices drawn so far keep the old one.
// Model-view and texture matrices are applied as vertices arrive.
void beforeChange() {
    if (layer.state.matrixMode == GL_PROJECTION) flush();
}

void changed(bool identity) {
    if (layer.state.matrixMode == GL_MODELVIEW) layer.modelviewIsIdentity = identity;
    if (layer.state.matrixMode == GL_TEXTURE) layer.textureIsIdentity = identity;
}

void multiply(const Matrix& m) {
    beforeChange();
    Matrix& top = currentStack().back();
    top = top * m;
    changed(false);
}

// Multiplies by the identity matrix with three of its elements (indexes in
// column-major order) set to x, y and z.
void multiplyByIdentityWith(const int (&at)[3], GLfloat x, GLfloat y, GLfloat z) {
    Matrix m = identityMatrix();
    m.m[at[0]] = x;
    m.m[at[1]] = y;
    m.m[at[2]] = z;
    multiply(m);
}

}  // namespace

}  // namespace gles

using gles::layer;
using gles::Matrix;

void glMatrixMode(GLenum mode) {
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) return gles::refuse("glMatrixMode", mode);
    layer.state.matrixMode = mode;
}

void glLoadIdentity() {
    gles::beforeChange();
    gles::currentStack().back() = gles::identityMatrix();
    gles::changed(true);
}

void glPushMatrix() {
    auto& stack = gles::currentStack();
    stack.push_back(stack.back());
}

void glPopMatrix() {
    auto& stack = gles::currentStack();
    if (stack.size() < 2) return;  // a stack underflow: OpenGL ignores the call too
    gles::beforeChange();
    stack.pop_back();
    const Matrix& top = stack.back();
    bool identity = true;
    const Matrix one = gles::identityMatrix();
    for (int i = 0; i < 16; ++i) identity = identity && top.m[i] == one.m[i];
    gles::changed(identity);
}

// The translation fills the last column, the scale the diagonal.
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { gles::multiplyByIdentityWith({12, 13, 14}, x, y, z); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { gles::multiplyByIdentityWith({0, 5, 10}, x, y, z); }

// A rotation by angle degrees about the axis (x, y, z), right-handed.
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = angle * static_cast<float>(M_PI / 180.0);
    const float s = std::sin(radians);
    const float c = std::cos(radians);
    const float t = 1.0f - c;
    const Matrix m{{x * x * t + c, y * x * t + z * s, x * z * t - y * s, 0,  //
                    x * y * t - z * s, y * y * t + c, y * z * t + x * s, 0,  //
                    x * z * t + y * s, y * z * t - x * s, z * z * t + c, 0,  //
                    0, 0, 0, 1}};
    gles::multiply(m);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble nearValue, GLdouble farValue) {
    if (left == right || bottom == top || nearValue == farValue) return;
    Matrix m = gles::identityMatrix();
    m.m[0] = static_cast<float>(2.0 / (right - left));
    m.m[5] = static_cast<float>(2.0 / (top - bottom));
    m.m[10] = static_cast<float>(-2.0 / (farValue - nearValue));
    m.m[12] = static_cast<float>(-(right + left) / (right - left));
    m.m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
    m.m[14] = static_cast<float>(-(farValue + nearValue) / (farValue - nearValue));
    gles::multiply(m);
}

// A perspective projection with a vertical field of view of fovy degrees.
void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double half = fovy / 2.0 * M_PI / 180.0;
    const double depth = zFar - zNear;
    const double sine = std::sin(half);
    if (depth == 0.0 || sine == 0.0 || aspect == 0.0) return;
    const double cotangent = std::cos(half) / sine;
    Matrix m = gles::identityMatrix();
    m.m[0] = static_cast<float>(cotangent / aspect);
    m.m[5] = static_cast<float>(cotangent);
    m.m[10] = static_cast<float>(-(zFar + zNear) / depth);
    m.m[11] = -1.0f;
    m.m[14] = static_cast<float>(-2.0 * zNear * zFar / depth);
    m.m[15] = 0.0f;
    gles::multiply(m);
}
