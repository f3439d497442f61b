#include "free_camera.h"

#include <cmath>

// The camera's rotation is roll, then pitch, then yaw (row vectors: v * Rz *
// Rx * Ry); its rows for x and z are the right and forward vectors.

void FreeCamera::forwardVector(float out[3]) const {
    float cp = std::cos(pitch), sp = std::sin(pitch), cy = std::cos(yaw), sy = std::sin(yaw);
    out[0] = cp * sy;
    out[1] = -sp;
    out[2] = cp * cy;
}

void FreeCamera::rightVector(float out[3]) const {
    float cp = std::cos(pitch), sp = std::sin(pitch), cy = std::cos(yaw), sy = std::sin(yaw);
    float cr = std::cos(roll), sr = std::sin(roll);
    out[0] = cr * cy + sr * sp * sy;
    out[1] = sr * cp;
    out[2] = -cr * sy + sr * sp * cy;
}

void FreeCamera::move(float right, float forward) {
    float f[3], r[3];
    forwardVector(f);
    rightVector(r);
    // Both are unit length already; normalise anyway against rounding drift.
    float lf = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    float lr = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    for (int i = 0; i < 3; ++i) position[i] += f[i] / lf * forward + r[i] / lr * right;
}

void FreeCamera::rotate(float dYaw, float dPitch, float dRoll) {
    yaw += dYaw;
    roll += dRoll;
    pitch += dPitch;
    if (pitch > MAX_PITCH) pitch = MAX_PITCH;
    if (pitch < -MAX_PITCH) pitch = -MAX_PITCH;
}
