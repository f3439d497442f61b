#include "progressive_generator.h"

#include "meshes/mesh_builder.h"
#include "meshes/mesh_layers.h"
#include "meshes/progressive_mesh.h"
#include "meshes/weld.h"

#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <OpenMesh/Tools/Decimater/DecimaterT.hh>
#include <OpenMesh/Tools/Decimater/ModNormalFlippingT.hh>
#include <OpenMesh/Tools/Decimater/ModQuadricT.hh>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace {

using Mesh = OpenMesh::TriMesh_ArrayKernelT<>;

// Refuses a collapse that would leave a vertex of the removed point without
// a vertex of the kept point in the same surface, and records every
// collapse the decimater makes, in order.
// Distance of p from the segment a-b.
template <typename Point> double segmentDistance(const Point& p, const Point& a, const Point& b) {
    const Point ab = b - a, ap = p - a;
    const double len2 = double(ab.sqrnorm());
    double t = len2 > 0 ? double(ab | ap) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const Point q = a + ab * float(t);
    return double((p - q).norm());
}

template <class MeshT> class ModSurfaceGuardT : public OpenMesh::Decimater::ModBaseT<MeshT> {
public:
    DECIMATING_MODULE(ModSurfaceGuardT, MeshT, SurfaceGuard);
    explicit ModSurfaceGuardT(MeshT& mesh) : Base(mesh, true) {}

    float collapse_priority(const CollapseInfo& ci) override {
        const std::vector<int>& from = (*surfaces)[size_t(ci.v0.idx())];
        const std::vector<int>& to = (*surfaces)[size_t(ci.v1.idx())];
        for (int s : from)
            if (!std::binary_search(to.begin(), to.end(), s)) return float(Base::ILLEGAL_COLLAPSE);
        // The quadrics see faces, not outlines: a border or feature line
        // through the removed point must stay within the bound of where
        // it ran (so corners and outlines keep their shape).
        MeshT& mesh = Base::mesh();
        for (auto h : mesh.voh_range(ci.v0)) {
            const auto w = mesh.to_vertex_handle(h);
            if (w == ci.v1) continue;
            const auto e = mesh.edge_handle(h);
            if (!mesh.is_boundary(e) && !mesh.status(e).feature()) continue;
            if (segmentDistance(ci.p0, ci.p1, mesh.point(w)) > outlineBound)
                return float(Base::ILLEGAL_COLLAPSE);
        }
        return float(Base::LEGAL_COLLAPSE);
    }
    void postprocess_collapse(const CollapseInfo& ci) override {
        collapses.emplace_back(ci.v0.idx(), ci.v1.idx());
    }

    const std::vector<std::vector<int>>* surfaces = nullptr; // per point, sorted
    double outlineBound = 0;
    std::vector<std::pair<int, int>> collapses;              // (removed, kept) points
};

float attributeDistance(const GenericVertex& a, const GenericVertex& b) {
    float d = 0;
    for (int k = 0; k < 3; ++k) d += (a.normal[k] - b.normal[k]) * (a.normal[k] - b.normal[k]);
    for (int c = 0; c < GENERIC_CHANNELS; ++c)
        for (int k = 0; k < 3; ++k) {
            const float t = a.texcoord[c][k] - b.texcoord[c][k];
            d += t * t;
        }
    return d;
}

} // namespace

bool makeProgressiveFile(const LoadedLayer& layer, ProgressiveFile& out, std::string& error,
                         ProgressiveStats* stats, double maxError) {
    out = ProgressiveFile{};
    const int surfaceCount = layer.metamesh ? int(layer.metamesh->srfs.size()) : 0;
    MeshCorners corners;
    buildCorners(layer, corners);
    const WeldedMesh welded = weldCorners(corners, surfaceCount);
    const int vertexCount = int(welded.vertices.size());
    int pointCount = 0;
    const std::vector<int> pointId = pointIdsOf(welded.pointRepresentative, &pointCount);
    ProgressiveStats local;
    ProgressiveStats& st = stats ? *stats : local;
    st = ProgressiveStats{};
    st.points = pointCount;
    st.weldedVertices = vertexCount;
    st.triangles = int(welded.indices.size() / 3);
    if (st.triangles == 0) {
        error = "no triangles";
        return false;
    }
    // 0xFFFF marks a vertex that never collapses, so it cannot be one.
    if (vertexCount >= PM_NEVER_COLLAPSES || pointCount > 0xFFFF) {
        error = std::to_string(vertexCount) + " vertices: more than 16-bit entries address";
        return false;
    }

    // Per point: its welded vertices, and its surfaces.
    std::vector<std::vector<int>> vertexOfPoint(static_cast<size_t>(pointCount));
    std::vector<int> surfaceOfVertex(size_t(vertexCount), -1);
    for (const WeldedSurface& s : welded.surfaces)
        for (int v = s.firstVertex; v < s.firstVertex + s.vertexCount; ++v)
            surfaceOfVertex[size_t(v)] = s.surface;
    std::vector<std::vector<int>> surfacesOfPoint(static_cast<size_t>(pointCount));
    for (int v = 0; v < vertexCount; ++v) {
        const size_t p = size_t(pointId[size_t(v)]);
        vertexOfPoint[p].push_back(v);
        surfacesOfPoint[p].push_back(surfaceOfVertex[size_t(v)]);
    }
    for (auto& s : surfacesOfPoint) {
        std::sort(s.begin(), s.end());
        s.erase(std::unique(s.begin(), s.end()), s.end());
    }

    // The library reports every face it refuses; those are handled below.
    struct Quiet {
        Quiet() { omerr().disable(); }
        ~Quiet() { omerr().enable(); }
    } quiet;
    Mesh mesh;
    mesh.request_vertex_status();
    mesh.request_edge_status();
    mesh.request_face_status();
    std::vector<Mesh::VertexHandle> handles(static_cast<size_t>(pointCount));
    for (int p = 0; p < pointCount; ++p) {
        const float* at = welded.vertices[size_t(vertexOfPoint[size_t(p)][0])].position;
        handles[size_t(p)] = mesh.add_vertex(Mesh::Point(at[0], at[1], at[2]));
    }
    // Per face the simplifier holds: its triangle's welded vertices.
    std::vector<std::array<int, 3>> faceVertices;
    std::vector<bool> locked(static_cast<size_t>(pointCount), false);
    for (size_t t = 0; t + 2 < welded.indices.size(); t += 3) {
        const int v[3] = {int(welded.indices[t]), int(welded.indices[t + 1]),
                          int(welded.indices[t + 2])};
        const int p[3] = {pointId[size_t(v[0])], pointId[size_t(v[1])], pointId[size_t(v[2])]};
        Mesh::FaceHandle f;
        if (p[0] != p[1] && p[1] != p[2] && p[0] != p[2]) {
            f = mesh.add_face(handles[size_t(p[0])], handles[size_t(p[1])], handles[size_t(p[2])]);
        }
        if (!f.is_valid()) {
            // A triangle the simplifier cannot hold (a second layer of
            // faces, a non-manifold fan) must keep its corners.
            for (int k : p) locked[size_t(k)] = true;
            continue;
        }
        if (size_t(f.idx()) >= faceVertices.size()) faceVertices.resize(size_t(f.idx()) + 1);
        faceVertices[size_t(f.idx())] = {v[0], v[1], v[2]};
    }

    // Borders between surfaces and seams (a point split into several
    // vertices across the edge) are features: their points only move
    // along them.
    auto vertexAt = [&](Mesh::FaceHandle f, int point) {
        for (int v : faceVertices[size_t(f.idx())])
            if (pointId[size_t(v)] == point) return v;
        return -1;
    };
    for (Mesh::EdgeHandle e : mesh.edges()) {
        const Mesh::HalfedgeHandle h0 = mesh.halfedge_handle(e, 0), h1 = mesh.halfedge_handle(e, 1);
        const Mesh::FaceHandle f0 = mesh.face_handle(h0), f1 = mesh.face_handle(h1);
        if (!f0.is_valid() || !f1.is_valid()) continue; // open borders: the decimater keeps them
        const int a = mesh.to_vertex_handle(h0).idx(), b = mesh.from_vertex_handle(h0).idx();
        const bool feature =
            vertexAt(f0, a) != vertexAt(f1, a) || vertexAt(f0, b) != vertexAt(f1, b) ||
            surfaceOfVertex[size_t(vertexAt(f0, a))] != surfaceOfVertex[size_t(vertexAt(f1, a))];
        if (!feature) continue;
        mesh.status(e).set_feature(true);
        mesh.status(mesh.to_vertex_handle(h0)).set_feature(true);
        mesh.status(mesh.from_vertex_handle(h0)).set_feature(true);
    }
    for (int p = 0; p < pointCount; ++p) {
        if (!locked[size_t(p)]) continue;
        mesh.status(handles[size_t(p)]).set_locked(true);
        ++st.lockedPoints;
    }

    OpenMesh::Decimater::DecimaterT<Mesh> decimater(mesh);
    OpenMesh::Decimater::ModQuadricT<Mesh>::Handle quadric;
    OpenMesh::Decimater::ModNormalFlippingT<Mesh>::Handle flipping;
    ModSurfaceGuardT<Mesh>::Handle guard;
    decimater.add(quadric);
    decimater.add(flipping);
    decimater.add(guard);
    decimater.module(guard).surfaces = &surfacesOfPoint;
    Vec3 lo = vec3(welded.vertices[0].position), hi = lo;
    for (const GenericVertex& v : welded.vertices) {
        lo = {std::min(lo.x, v.position[0]), std::min(lo.y, v.position[1]), std::min(lo.z, v.position[2])};
        hi = {std::max(hi.x, v.position[0]), std::max(hi.y, v.position[1]), std::max(hi.z, v.position[2])};
    }
    const double bound = maxError * double(length(hi - lo));
    decimater.module(quadric).set_max_err(bound * bound, false);
    decimater.module(guard).outlineBound = bound;
    decimater.initialize();
    decimater.decimate_to(0);
    const auto& collapses = decimater.module(guard).collapses;
    st.collapses = int(collapses.size());

    // Priorities: the first point removed is the last one kept; points the
    // simplifier kept come first, in their own order.
    const int kept = pointCount - int(collapses.size());
    std::vector<int> priority(size_t(pointCount), -1);
    for (size_t k = 0; k < collapses.size(); ++k)
        priority[size_t(collapses[k].first)] = pointCount - 1 - int(k);
    int next = 0;
    for (int p = 0; p < pointCount; ++p)
        if (priority[size_t(p)] < 0) priority[size_t(p)] = next++;

    out.minRes = kept;
    out.basePermutation.resize(size_t(pointCount));
    for (int p = 0; p < pointCount; ++p) out.basePermutation[size_t(p)] = uint16_t(priority[size_t(p)]);
    // Each vertex of a removed point goes onto the vertex of the kept point
    // in its surface that looks most like it.
    out.baseCollapseMap.assign(size_t(vertexCount), PM_NEVER_COLLAPSES);
    for (const auto& [from, to] : collapses) {
        for (int v : vertexOfPoint[size_t(from)]) {
            int best = -1;
            float bestDistance = std::numeric_limits<float>::max();
            for (int w : vertexOfPoint[size_t(to)]) {
                if (surfaceOfVertex[size_t(w)] != surfaceOfVertex[size_t(v)]) continue;
                const float d = attributeDistance(welded.vertices[size_t(v)], welded.vertices[size_t(w)]);
                if (d < bestDistance) {
                    bestDistance = d;
                    best = w;
                }
            }
            if (best >= 0) out.baseCollapseMap[size_t(v)] = uint16_t(best);
        }
    }
    return true;
}
