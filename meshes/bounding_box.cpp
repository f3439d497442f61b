#include "bounding_box.h"

#include <cmath>

void computeBoundingBox(const float* positions, int count, MeshBoundingBox& box) {
    if (count < 1 || !positions) return;
    float lo[3], hi[3];
    for (int k = 0; k < 3; ++k) lo[k] = hi[k] = positions[k];
    for (int i = 1; i < count; ++i)
        for (int k = 0; k < 3; ++k) {
            const float v = positions[i * 3 + k];
            if (v < lo[k]) lo[k] = v;
            if (v > hi[k]) hi[k] = v;
        }
    for (int c = 0; c < 8; ++c) {
        box.corners[c][0] = (c & 4) ? hi[0] : lo[0];
        box.corners[c][1] = (c & 2) ? hi[1] : lo[1];
        box.corners[c][2] = (c & 1) ? hi[2] : lo[2];
    }
    float squared = 0;
    for (int k = 0; k < 3; ++k) {
        box.center[k] = lo[k] + (hi[k] - lo[k]) * 0.5f;
        const float d = hi[k] - box.center[k];
        squared += d * d;
    }
    box.radius = std::sqrt(squared);
    box.used = true;
}

void transformCorners(const MeshBoundingBox& box, const Matrix4& m, Vec4 out[8]) {
    for (int c = 0; c < 8; ++c) out[c] = transformHomogeneous(m, vec3(box.corners[c]));
}
