// Polygons become triangle corners in three passes. Each polygon is cut into
// a zig-zag strip and gets one face normal from its first three points. Its
// corners then join a chain per point: a corner's normal gathers the face
// normals of earlier corners on that point whose faces lie within the
// polygon's surface smoothing angle, and those corners gather its normal in
// turn, so the sum is symmetric whatever the polygon order. The first corner
// of a chain represents the point for welding, which then merges corners of
// one surface and point that ended up alike.
#include "mesh_builder.h"

#include "base/color.h"
#include "base/diag_log.h"
#include "base/message_box.h"
#include "lightwave/mesh_data.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_layers.h"
#include "triangulate.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const std::vector<LWSurface*>& surfacesOf(const LoadedLayer& layer) {
    static const std::vector<LWSurface*> none;
    return layer.metamesh ? layer.metamesh->srfs : none;
}

LWSurface* usableSurface(const LoadedLayer& layer, const LWPolygon& polygon) {
    const auto& srfs = surfacesOf(layer);
    if (polygon.srfId < 0 || size_t(polygon.srfId) >= srfs.size()) return nullptr;
    return srfs[size_t(polygon.srfId)];
}

int pointCount(const LoadedLayer& layer) {
    return std::min(layer.numPositions, int(layer.positions.size() / 3));
}

bool pointsInRange(const LWPolygon& polygon, int n, int points) {
    for (int i = 0; i < n; ++i)
        if (polygon.vertices[size_t(i)] >= uint32_t(points)) return false;
    return true;
}

float dot(const float a[3], const float b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

// Each set in the order of the file's point priorities: vertex i goes to
// its permuted place, and the set's batches and indices become the
// reordered base ones.
void reorderProgressive(const ProgressiveMeshLayer& layer, const WeldedMesh& welded,
                        const MeshPrograms& programs, MeshArrays& out) {
    const std::string name = layer.name;
    if (welded.vertices.size() != layer.file.baseCollapseMap.size())
        showMessage(nullptr, ("wrong collapse map for " + name).c_str(), "Error", MessageIcon::Error);
    out.progressive.resize(out.sets.size());
    for (size_t k = 0; k < out.sets.size(); ++k) {
        MeshBufferSet& set = out.sets[k];
        ProgressiveSet& p = out.progressive[k];
        out.fit = reorderByPriority(set, welded.pointRepresentative, layer.file, p);
        if (out.fit.maxRes < layer.minRes) reportAssertion("maxRes >= minRes");
        for (size_t i = 0; i < welded.vertices.size(); ++i)
            if (p.permutation[i] >= 0)
                set.setVertices(&welded.vertices[i], 1, p.permutation[i], programs);
        set.batches = p.baseBatches;
        set.indices = p.baseIndices;
    }
    if (!out.fit.permutationFits)
        showMessage(nullptr, ("wrong permutation for " + name).c_str(), "Error", MessageIcon::Error);
}

} // namespace

void buildCorners(const LoadedLayer& layer, MeshCorners& out) {
    out = MeshCorners{};
    const int points = pointCount(layer);
    const float* positions = layer.positions.data();
    // Vertex colours and UV maps are both kept per layer number.
    const int colorSelection = layer.number;
    // The one morph target a mesh carries.
    const LWMorphMap* morph = layer.morphMaps.empty() ? nullptr : layer.morphMaps[0];

    int cornerTotal = 0, skipped = 0;
    for (const LWPolygon& p : layer.polygons) {
        const int n = std::min(p.numVertices, int(p.vertices.size()));
        if (n < 3) continue;
        if (!usableSurface(layer, p) || !pointsInRange(p, n, points)) {
            ++skipped;
            continue;
        }
        cornerTotal += n;
    }
    if (skipped)
        diagLog() << layer.name << ": " << skipped
                  << " polygons with an unknown surface or point left out\n";

    out.vertices.resize(size_t(cornerTotal));
    out.representative.assign(size_t(cornerTotal), -1);
    std::vector<int> chainHead(size_t(points), -1), chainNext(size_t(cornerTotal), -1);
    std::vector<int> cornerPolygon(size_t(cornerTotal), -1);
    std::vector<float> faceNormals;
    faceNormals.reserve(layer.polygons.size() * 3);
    std::vector<TexcoordCorner> texcoords;
    std::vector<bool> warnedTexcoords(surfacesOf(layer).size(), false);

    int e = 0;
    for (size_t i = 0; i < layer.polygons.size(); ++i) {
        const LWPolygon& p = layer.polygons[i];
        const int n = std::min(p.numVertices, int(p.vertices.size()));
        LWSurface* surface = n >= 3 ? usableSurface(layer, p) : nullptr;
        if (!surface || !pointsInRange(p, n, points)) {
            faceNormals.insert(faceNormals.end(), {0, 0, 0});
            continue;
        }
        auto point = [&](int corner) { return positions + size_t(p.vertices[size_t(corner)]) * 3; };
        float normal[3];
        polygonNormal(positions, p.vertices.data(), n, normal);
        faceNormals.insert(faceNormals.end(), normal, normal + 3);
        // A polygon without area (all its points in one spot or a line)
        // draws nothing and has no direction to light it by.
        if (normal[0] == 0 && normal[1] == 0 && normal[2] == 0) continue;
        const size_t before = out.triangles.size();
        triangulatePolygon(e, n, out.triangles);
        out.triangleSurface.resize(out.triangleSurface.size() + (out.triangles.size() - before) / 3,
                                   p.srfId);

        for (int m = 0; m < n; ++m) {
            const int corner = e + m;
            GenericVertex& v = out.vertices[size_t(corner)];
            std::memset(&v, 0, sizeof v);
            std::memcpy(v.position, point(m), sizeof v.position);
            std::memcpy(v.normal, normal, sizeof v.normal);
            cornerPolygon[size_t(corner)] = int(i);
            const uint32_t pt = p.vertices[size_t(m)];
            if (morph && morph->offsets.size() >= (size_t(pt) + 1) * 3)
                std::memcpy(v.morphPosition, &morph->offsets[size_t(pt) * 3], sizeof v.morphPosition);
            int last = -1;
            for (int c = chainHead[pt]; c != -1; c = chainNext[size_t(c)]) {
                const float* other = &faceNormals[size_t(cornerPolygon[size_t(c)]) * 3];
                if (dot(other, normal) >= surface->cosMaxSmoothAngle) {
                    for (int k = 0; k < 3; ++k) {
                        out.vertices[size_t(c)].normal[k] += normal[k];
                        v.normal[k] += other[k];
                    }
                }
                last = c;
            }
            if (last < 0) {
                chainHead[pt] = corner;
            } else {
                chainNext[size_t(last)] = corner;
            }
            out.representative[size_t(corner)] = chainHead[pt];
        }

        const LWColorMap* colors =
            colorSelection >= 0 && size_t(colorSelection) < surface->vertexColorMaps.size()
                ? surface->vertexColorMaps[size_t(colorSelection)]
                : nullptr;
        for (int m = 0; m < n; ++m) {
            uint32_t diffuse = 0xFF000000u;
            const size_t pt = p.vertices[size_t(m)];
            if (colors && colors->rgba.size() >= (pt + 1) * 4) {
                const float* c = &colors->rgba[pt * 4];
                diffuse = packColor(c[0], c[1], c[2], c[3]);
            }
            out.vertices[size_t(e + m)].diffuse = diffuse;
        }

        if (surface->numTexcoords > MAX_TEXCOORDS && !warnedTexcoords[size_t(p.srfId)]) {
            warnedTexcoords[size_t(p.srfId)] = true; // once per surface, not per polygon
            reportAssertion("metamesh->srfs[polys[i].srfId]->numTexcoords <= MAX_TEXCOORDS");
        }
        // Beyond four sets there is no room in the vertex: the rest are ignored.
        const int sets = std::min(surface->numTexcoords, int(GENERIC_CHANNELS));
        texcoords.resize(size_t(n));
        for (int c = 0; c < sets; ++c) {
            // The seam flag marks wrapped corners so they keep their own vertices.
            generateTexcoords(*surface, layer.number, p, int(i), positions, points, c, true,
                              texcoords.data());
            for (int m = 0; m < n; ++m) {
                GenericVertex& v = out.vertices[size_t(e + m)];
                v.texcoord[c][0] = texcoords[size_t(m)].u;
                v.texcoord[c][1] = texcoords[size_t(m)].v;
                v.texcoord[c][2] = texcoords[size_t(m)].w;
                v.wrapId[c] = texcoords[size_t(m)].marker;
            }
        }
        e += n;
    }

    out.vertices.resize(size_t(e));
    out.representative.resize(size_t(e));
    for (GenericVertex& v : out.vertices) {
        const float length = std::sqrt(dot(v.normal, v.normal));
        if (length != 0)
            for (float& c : v.normal) c /= length;
    }
}

bool buildMeshArrays(const LoadedLayer& layer, const MeshPrograms& programs,
                     const MeshDeviceLimits& limits, MeshArrays& out) {
    out = MeshArrays{};
    const int programCount = programs.programCount();
    for (int k = 0; k < programCount; ++k)
        out.sets.emplace_back(k, programs.vertexStride(k), limits);
    computeBoundingBox(layer.positions.data(), pointCount(layer), out.box);

    const auto& srfs = surfacesOf(layer);
    out.surfaceSet.assign(srfs.size(), -1);
    for (size_t s = 0; s < srfs.size(); ++s) {
        if (!srfs[s]) continue;
        const int program = programs.programIndex(*srfs[s]);
        if (program >= 0 && program < programCount) {
            out.surfaceSet[s] = program;
        } else {
            reportAssertion("srfvb[s] != NULL");
        }
        if (srfs[s]->cosMaxSmoothAngle > 0.99f)
            reportAssertion("metamesh->srfs[s]->cosMaxSmoothAngle <= 0.99");
    }

    MeshCorners corners;
    buildCorners(layer, corners);
    WeldedMesh welded = weldCorners(corners, int(srfs.size()));
    out.triangleCount = int(welded.indices.size() / 3);
    out.cornerCount = int(welded.vertices.size());

    for (const WeldedSurface& s : welded.surfaces)
        for (MeshBufferSet& set : out.sets)
            set.addSurface(welded.indices.data() + s.firstIndex, s.indexCount, s.surface,
                           s.firstVertex, s.vertexCount);
    if (layer.kind == LAYER_PROGRESSIVE_MESH) {
        reorderProgressive(static_cast<const ProgressiveMeshLayer&>(layer), welded, programs, out);
    } else {
        for (MeshBufferSet& set : out.sets)
            set.setVertices(welded.vertices.data(), int(welded.vertices.size()), 0, programs);
    }
    bool ready = true;
    for (MeshBufferSet& set : out.sets)
        if (set.prepare(0) == BufferSetState::Refused) ready = false;
    out.vertices = std::move(welded.vertices);
    out.pointRepresentative = std::move(welded.pointRepresentative);
    return ready;
}
