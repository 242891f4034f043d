// A point or direction in scene units: three 32-bit floats.
#pragma once

// Every operation works component by component and stores each result as a
// 32-bit float, so the particle and card paths come out identical on every
// build (the project compiles without float contraction or fast-math).
struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vector3() = default;
    constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
};

inline Vector3 operator+(const Vector3& a, const Vector3& b) {
    return Vector3(a.x + b.x, a.y + b.y, a.z + b.z);
}

inline Vector3 operator-(const Vector3& a, const Vector3& b) {
    return Vector3(a.x - b.x, a.y - b.y, a.z - b.z);
}

inline Vector3 operator*(const Vector3& v, float factor) {
    return Vector3(v.x * factor, v.y * factor, v.z * factor);
}

inline Vector3 operator*(float factor, const Vector3& v) { return v * factor; }
