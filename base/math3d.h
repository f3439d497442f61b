#pragma once
// The one set of 3D math types the scene model, the renderer and the D3DX
// subset share. Row-vector convention throughout: a point p maps to p * M,
// translation sits in the fourth row, and A * B applies A first. Rotations
// are Direct3D's left-handed ones. Matrix4 has the layout of D3DMATRIX and
// of a row-major float[16].

#include <cmath>

struct Vec3 {
    float x = 0, y = 0, z = 0;
    float operator[](int i) const { return i == 0 ? x : i == 1 ? y : z; }
};

struct Vec4 {
    float x = 0, y = 0, z = 0, w = 0;
};

inline Vec3 vec3(const float p[3]) {
    return {p[0], p[1], p[2]};
}
inline void store(Vec3 v, float out[3]) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = v.z;
}
inline Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(float s, Vec3 a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline Vec3 operator*(Vec3 a, float s) {
    return s * a;
}
inline float dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(Vec3 a) {
    return std::sqrt(dot(a, a));
}
// `a` scaled to unit length; a zero vector stays zero.
inline Vec3 normalised(Vec3 a) {
    const float n = length(a);
    return n > 0 ? Vec3{a.x / n, a.y / n, a.z / n} : a;
}

struct Matrix4 {
    float m[4][4];

    static Matrix4 identity();
    static Matrix4 translation(float x, float y, float z);
    static Matrix4 scaling(float x, float y, float z);
    static Matrix4 rotationX(float a);
    static Matrix4 rotationY(float a);
    static Matrix4 rotationZ(float a);

    Vec3 row(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
    Vec4 row4(int i) const { return {m[i][0], m[i][1], m[i][2], m[i][3]}; }
    const float* data() const { return &m[0][0]; }
    float* data() { return &m[0][0]; }
};

// a * b in full.
Matrix4 operator*(const Matrix4& a, const Matrix4& b);
// a * b for affine matrices (fourth columns (0, 0, 0, 1)): only the 3 x 4
// part is computed.
Matrix4 affineMultiply(const Matrix4& a, const Matrix4& b);
// The inverse of an affine matrix; a singular one gives the identity.
Matrix4 affineInverse(const Matrix4& a);
Matrix4 transposed(const Matrix4& a);
// (p, 1) * M without the division by w.
Vec3 transformPoint(const Matrix4& m, Vec3 p);
void transformPoint(const Matrix4& m, const float p[3], float out[3]);
// (v, 0) * M: directions and normals (with the inverse transpose for the latter).
Vec3 transformVector(const Matrix4& m, Vec3 v);
// (p, 1) * M with all four components kept.
Vec4 transformHomogeneous(const Matrix4& m, Vec3 p);

// Left-handed view matrix looking from `eye` toward `at`, `up` roughly up.
Matrix4 lookAtLH(Vec3 eye, Vec3 at, Vec3 up);

// A plane a x + b y + c z + d = 0 through `point` with normal `normal`.
struct Plane {
    float a = 0, b = 0, c = 0, d = 0;
    static Plane fromPointNormal(Vec3 point, Vec3 normal);
    float distance(Vec3 p) const { return a * p.x + b * p.y + c * p.z + d; }
};

// An axis-aligned box and its eight corners in the order
// (x0,y0,z0), (x0,y0,z1), (x0,y1,z0), (x0,y1,z1), (x1,y0,z0), ... (x1,y1,z1):
// bit 2 of the index picks max x, bit 1 max y, bit 0 max z.
struct Box3 {
    Vec3 min, max;
    Vec3 corner(int i) const {
        return {(i & 4) ? max.x : min.x, (i & 2) ? max.y : min.y, (i & 1) ? max.z : min.z};
    }
    Vec3 centre() const { return min + 0.5f * (max - min); }
};
