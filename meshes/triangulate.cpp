#include "triangulate.h"

#include "base/math3d.h"

#include <cmath>
#include <cstddef>

// The strip keeps triangles thin at neither end, unlike a fan, and needs no
// geometry: concave polygons are drawn as the authoring tool left them.
void triangulatePolygon(int first, int n, std::vector<int>& triangles) {
    int g = first + 1;
    int f = first + n - 1;
    while (g < f) {
        triangles.insert(triangles.end(), {g - 1, g, f});
        if (g + 1 < f) triangles.insert(triangles.end(), {g, f - 1, f});
        --f;
        ++g;
    }
}

void faceNormal(const float p0[3], const float p1[3], const float p2[3], float out[3]) {
    const Vec3 origin = vec3(p0);
    store(normalised(cross(vec3(p1) - origin, vec3(p2) - origin)), out);
}

// The area vector (Newell's sums) gives a sound normal for an n-gon whose
// first corners happen to be collinear, where the three-point normal is 0.
void polygonNormal(const float* positions, const uint32_t* indices, int n, float out[3]) {
    out[0] = out[1] = out[2] = 0;
    if (n < 3) return;
    auto at = [&](int i) { return positions + size_t(indices[i]) * 3; };
    faceNormal(at(0), at(1), at(2), out);
    if (out[0] != 0 || out[1] != 0 || out[2] != 0) return;
    double sum[3] = {0, 0, 0};
    for (int i = 0; i < n; ++i) {
        const float* a = at(i);
        const float* b = at((i + 1) % n);
        sum[0] += (double(a[1]) - b[1]) * (double(a[2]) + b[2]);
        sum[1] += (double(a[2]) - b[2]) * (double(a[0]) + b[0]);
        sum[2] += (double(a[0]) - b[0]) * (double(a[1]) + b[1]);
    }
    const double length = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    if (length == 0) return;
    for (int k = 0; k < 3; ++k) out[k] = float(sum[k] / length);
}
