#include "math3d.h"

Matrix4 Matrix4::identity() {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix4 Matrix4::translation(float x, float y, float z) {
    Matrix4 r = identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Matrix4 Matrix4::scaling(float x, float y, float z) {
    Matrix4 r = identity();
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    return r;
}

Matrix4 Matrix4::rotationX(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}

Matrix4 Matrix4::rotationY(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}

Matrix4 Matrix4::rotationZ(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

Matrix4 operator*(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
    return r;
}

Matrix4 affineMultiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 r;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
        r.m[i][3] = 0;
    }
    for (int j = 0; j < 3; ++j)
        r.m[3][j] =
            a.m[3][0] * b.m[0][j] + a.m[3][1] * b.m[1][j] + a.m[3][2] * b.m[2][j] + b.m[3][j];
    r.m[3][3] = 1;
    return r;
}

Matrix4 affineInverse(const Matrix4& a) {
    const float(*m)[4] = a.m;
    const float c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const float c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const float c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const float det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    if (det == 0 || !std::isfinite(det)) return Matrix4::identity();
    const float d = 1.0f / det;
    Matrix4 r;
    r.m[0][0] = c00 * d;
    r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * d;
    r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * d;
    r.m[1][0] = c01 * d;
    r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * d;
    r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * d;
    r.m[2][0] = c02 * d;
    r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * d;
    r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * d;
    for (int i = 0; i < 3; ++i) r.m[i][3] = 0;
    for (int j = 0; j < 3; ++j)
        r.m[3][j] = -(m[3][0] * r.m[0][j] + m[3][1] * r.m[1][j] + m[3][2] * r.m[2][j]);
    r.m[3][3] = 1;
    return r;
}

Matrix4 transposed(const Matrix4& a) {
    Matrix4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) r.m[i][j] = a.m[j][i];
    return r;
}

Vec3 transformPoint(const Matrix4& m, Vec3 p) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

void transformPoint(const Matrix4& m, const float p[3], float out[3]) {
    store(transformPoint(m, vec3(p)), out);
}

Vec3 transformVector(const Matrix4& m, Vec3 v) {
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
}

Vec4 transformHomogeneous(const Matrix4& m, Vec3 p) {
    const Vec3 r = transformPoint(m, p);
    return {r.x, r.y, r.z, p.x * m.m[0][3] + p.y * m.m[1][3] + p.z * m.m[2][3] + m.m[3][3]};
}

Matrix4 lookAtLH(Vec3 eye, Vec3 at, Vec3 up) {
    const Vec3 z = normalised(at - eye);
    const Vec3 x = normalised(cross(up, z));
    const Vec3 y = cross(z, x);
    return {{{x.x, y.x, z.x, 0},
             {x.y, y.y, z.y, 0},
             {x.z, y.z, z.z, 0},
             {-dot(x, eye), -dot(y, eye), -dot(z, eye), 1}}};
}

Plane Plane::fromPointNormal(Vec3 point, Vec3 normal) {
    return {normal.x, normal.y, normal.z, -dot(point, normal)};
}
