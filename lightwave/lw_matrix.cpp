#include "lw_matrix.h"

#include <cmath>

LWMatrix LWMatrix::identity() {
    return {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

LWMatrix LWMatrix::translation(float x, float y, float z) {
    LWMatrix r = identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

LWMatrix LWMatrix::scaling(float x, float y, float z) {
    LWMatrix r = identity();
    r.m[0][0] = x;
    r.m[1][1] = y;
    r.m[2][2] = z;
    return r;
}

LWMatrix LWMatrix::rotationX(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return {{{1, 0, 0, 0}, {0, c, s, 0}, {0, -s, c, 0}, {0, 0, 0, 1}}};
}

LWMatrix LWMatrix::rotationY(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return {{{c, 0, -s, 0}, {0, 1, 0, 0}, {s, 0, c, 0}, {0, 0, 0, 1}}};
}

LWMatrix LWMatrix::rotationZ(float a) {
    const float c = std::cos(a), s = std::sin(a);
    return {{{c, s, 0, 0}, {-s, c, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
}

LWMatrix affineMultiply(const LWMatrix& a, const LWMatrix& b) {
    LWMatrix r;
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

LWMatrix affineInverse(const LWMatrix& a) {
    const float(*m)[4] = a.m;
    const float c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const float c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const float c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const float det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    if (det == 0 || !std::isfinite(det)) return LWMatrix::identity();
    const float d = 1.0f / det;
    LWMatrix r;
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

void transformPoint(const LWMatrix& m, const float p[3], float out[3]) {
    for (int j = 0; j < 3; ++j)
        out[j] = p[0] * m.m[0][j] + p[1] * m.m[1][j] + p[2] * m.m[2][j] + m.m[3][j];
}
