#pragma once
// Three-float vectors for tests that place geometry by hand.

#include <cmath>

struct V3 {
    float x, y, z;
};
inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(float s, V3 a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline float dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline V3 normalised(V3 a) {
    const float n = std::sqrt(dot(a, a));
    return n > 0 ? V3{a.x / n, a.y / n, a.z / n} : a;
}
