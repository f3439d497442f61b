#include "matrix_math.h"

#include <cmath>
#include <cstring>

void multiplyMatrix(float out[16], const float a[16], const float b[16]) {
    float r[16];
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r[i * 4 + j] = a[i * 4 + 0] * b[0 * 4 + j] + a[i * 4 + 1] * b[1 * 4 + j] +
                           a[i * 4 + 2] * b[2 * 4 + j] + a[i * 4 + 3] * b[3 * 4 + j];
    std::memcpy(out, r, sizeof r);
}

namespace {

void normalize(float v[3]) {
    const float len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len > 0) {
        v[0] /= len;
        v[1] /= len;
        v[2] /= len;
    }
}

void cross(float out[3], const float a[3], const float b[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

float dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // namespace

void lookAtLH(float out[16], const float eye[3], const float at[3], const float up[3]) {
    float z[3] = {at[0] - eye[0], at[1] - eye[1], at[2] - eye[2]};
    normalize(z);
    float x[3];
    cross(x, up, z);
    normalize(x);
    float y[3];
    cross(y, z, x);
    const float m[16] = {x[0],         y[0],         z[0],         0, //
                         x[1],         y[1],         z[1],         0, //
                         x[2],         y[2],         z[2],         0, //
                         -dot(x, eye), -dot(y, eye), -dot(z, eye), 1};
    std::memcpy(out, m, sizeof m);
}
