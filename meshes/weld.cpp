#include "weld.h"

#include <cmath>

namespace {

bool sameLook(const GenericVertex& a, const GenericVertex& b) {
    if (a.wrapId[0] != b.wrapId[0]) return false;
    for (int k = 0; k < 3; ++k)
        if (std::fabs(a.normal[k] - b.normal[k]) > 1e-6f) return false;
    // A point whose corners carry different coordinates (a discontinuous UV
    // entry, a seam) must stay split even when the wrap id does not show it.
    for (int c = 0; c < GENERIC_CHANNELS; ++c)
        for (int k = 0; k < 3; ++k)
            if (a.texcoord[c][k] != b.texcoord[c][k]) return false;
    return true;
}

} // namespace

WeldedMesh weldCorners(const MeshCorners& corners, int surfaceCount) {
    WeldedMesh out;
    const int triangleCount = int(corners.triangleSurface.size());
    // Triangles bucketed by surface, keeping their order within a surface.
    std::vector<int> start(size_t(surfaceCount) + 1, 0);
    for (int s : corners.triangleSurface)
        if (s >= 0 && s < surfaceCount) ++start[size_t(s) + 1];
    for (int s = 0; s < surfaceCount; ++s) start[size_t(s) + 1] += start[size_t(s)];
    std::vector<int> order(static_cast<size_t>(start[size_t(surfaceCount)]));
    {
        std::vector<int> fill(start.begin(), start.end() - 1);
        for (int t = 0; t < triangleCount; ++t) {
            const int s = corners.triangleSurface[size_t(t)];
            if (s >= 0 && s < surfaceCount) order[size_t(fill[size_t(s)]++)] = t;
        }
    }

    // Per point representative: the newest output vertex chain of the
    // current surface; `owner` tells whether the head belongs to it.
    const size_t cornerCount = corners.vertices.size();
    std::vector<int> head(cornerCount, -1), owner(cornerCount, -1);
    std::vector<int> next;
    // Per point: its first output vertex in any surface.
    std::vector<int> firstOutput(cornerCount, -1);

    for (int s = 0; s < surfaceCount; ++s) {
        WeldedSurface surface;
        surface.surface = s;
        surface.firstIndex = int(out.indices.size());
        surface.firstVertex = int(out.vertices.size());
        for (int o = start[size_t(s)]; o < start[size_t(s) + 1]; ++o) {
            const int t = order[size_t(o)];
            uint32_t tri[3];
            for (int k = 0; k < 3; ++k) {
                const int corner = corners.triangles[size_t(t) * 3 + size_t(k)];
                const GenericVertex& v = corners.vertices[size_t(corner)];
                const size_t rep = size_t(corners.representative[size_t(corner)]);
                if (owner[rep] != s) {
                    owner[rep] = s;
                    head[rep] = -1;
                }
                int found = -1, last = -1;
                for (int w = head[rep]; w != -1; w = next[size_t(w)]) {
                    if (sameLook(out.vertices[size_t(w)], v)) {
                        found = w;
                        break;
                    }
                    last = w;
                }
                if (found < 0) {
                    found = int(out.vertices.size());
                    out.vertices.push_back(v);
                    next.push_back(-1);
                    if (firstOutput[rep] < 0) firstOutput[rep] = found;
                    out.pointRepresentative.push_back(firstOutput[rep]);
                    if (last < 0) {
                        head[rep] = found;
                    } else {
                        next[size_t(last)] = found;
                    }
                }
                tri[k] = uint32_t(found);
            }
            if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) {
                ++out.droppedTriangles;
                continue;
            }
            out.indices.insert(out.indices.end(), tri, tri + 3);
        }
        surface.indexCount = int(out.indices.size()) - surface.firstIndex;
        surface.vertexCount = int(out.vertices.size()) - surface.firstVertex;
        if (surface.indexCount > 0) out.surfaces.push_back(surface);
    }
    return out;
}
