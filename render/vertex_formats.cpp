#include "vertex_formats.h"

#include "base/math3d.h"
#include "base/message_box.h"

#include <cmath>
#include <cstring>

namespace {

void put(float*& out, const float* values, int n) {
    std::memcpy(out, values, size_t(n) * sizeof(float));
    out += n;
}

void putColour(float*& out, uint32_t colour) {
    std::memcpy(out, &colour, 4);
    out += 1;
}

} // namespace

void convertVertex(int program, const GenericVertex& v, void* dst) {
    float* out = static_cast<float*>(dst);
    put(out, v.position, 3);
    put(out, v.normal, 3);
    if (program == 0) {
        put(out, v.texcoord[0], 3);
        put(out, v.texcoord[1], 3);
        return;
    }
    putColour(out, v.diffuse);
    put(out, v.texcoord[0], 2);
    if (program != 2) return;
    const float zero[9] = {};
    put(out, zero, 9); // S, T and S x T: the tangent pass fills them
    put(out, v.texcoord[1], 2);
}

bool prepareBumpVertices(float* vertices, const uint32_t* indices, uint32_t vertexCount,
                         uint32_t indexCount) {
    using namespace bump_format;
    bool reported = false;
    for (uint32_t i = 0; i + 2 < indexCount; i += 3) {
        const uint32_t i0 = indices[i], i1 = indices[i + 1], i2 = indices[i + 2];
        if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount) {
            if (!reported)
                reportAssertion("index[i] < numVertices && index[i+1] < numVertices && "
                                "index[i+2] < numVertices");
            reported = true;
            continue;
        }
        float* v0 = vertices + size_t(i0) * WORDS;
        float* v1 = vertices + size_t(i1) * WORDS;
        float* v2 = vertices + size_t(i2) * WORDS;
        const float du1 = v1[TEXCOORD0] - v0[TEXCOORD0],
                    dv1 = v1[TEXCOORD0 + 1] - v0[TEXCOORD0 + 1];
        const float du2 = v2[TEXCOORD0] - v0[TEXCOORD0],
                    dv2 = v2[TEXCOORD0 + 1] - v0[TEXCOORD0 + 1];
        const float den = dv2 * du1 - dv1 * du2;
        if (std::fabs(den) <= 0) continue;
        for (int k = 0; k < 3; ++k) {
            const float d1 = v1[POSITION + k] - v0[POSITION + k];
            const float d2 = v2[POSITION + k] - v0[POSITION + k];
            const float s = (dv1 * d2 - dv2 * d1) / den;
            const float t = (du2 * d1 - du1 * d2) / den;
            for (float* v : {v0, v1, v2}) {
                v[TANGENT_S + k] -= s;
                v[TANGENT_T + k] -= t;
            }
        }
    }
    for (uint32_t i = 0; i < vertexCount; ++i) {
        float* v = vertices + size_t(i) * WORDS;
        const Vec3 s = normalised(vec3(v + TANGENT_S));
        const Vec3 t = normalised(vec3(v + TANGENT_T));
        const Vec3 n = normalised(vec3(v + NORMAL));
        Vec3 st = cross(s, t);
        if (dot(st, n) < 0) st = -st;
        store(s, v + TANGENT_S);
        store(t, v + TANGENT_T);
        store(n, v + NORMAL);
        store(st, v + S_CROSS_T);
    }
    return true;
}
