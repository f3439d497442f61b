#include "progressive_mesh.h"

#include "base/message_box.h"
#include "meshes/mesh_builder.h"
#include "meshes/mesh_layers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

template <typename T> void putHost(std::vector<uint8_t>& out, T v) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, &v, sizeof(T));
    out.insert(out.end(), bytes, bytes + sizeof(T));
}

} // namespace

std::vector<int> pointIdsOf(const std::vector<int>& pointRepresentative, int* pointCount) {
    std::vector<int> ids(pointRepresentative.size(), -1);
    int n = 0;
    for (size_t i = 0; i < pointRepresentative.size(); ++i) {
        const int rep = pointRepresentative[i];
        if (rep == int(i)) {
            ids[i] = n++;
        } else if (rep >= 0 && size_t(rep) < i) {
            ids[i] = ids[size_t(rep)];
        } else {
            reportAssertion("pReps[i] < (uint) i");
            ids[i] = n++; // a point of its own rather than an unset one
        }
    }
    if (pointCount) *pointCount = n;
    return ids;
}

ProgressiveFit reorderByPriority(const MeshBufferSet& set,
                                 const std::vector<int>& pointRepresentative,
                                 const ProgressiveFile& file, ProgressiveSet& out) {
    out = ProgressiveSet{};
    ProgressiveFit fit;
    const int vertexCount = int(pointRepresentative.size());
    int n = 0;
    const std::vector<int> pointId = pointIdsOf(pointRepresentative, &n);
    fit.maxRes = n;
    fit.permutationFits = file.basePermutation.size() == size_t(n);
    for (uint16_t p : file.basePermutation) fit.permutationFits &= p < n;
    fit.collapseMapFits = file.baseCollapseMap.size() == size_t(vertexCount);
    // Without a permutation that fits, points keep their own order.
    auto priority = [&](int vertex) {
        const int id = pointId[size_t(vertex)];
        return fit.permutationFits ? int(file.basePermutation[size_t(id)]) : id;
    };

    out.baseBatches = set.batches;
    out.permutation.assign(size_t(vertexCount), -1);
    std::vector<int> count(size_t(n) + 1);
    int s = 0;
    for (size_t bi = 0; bi < out.baseBatches.size(); ++bi) {
        MeshBatch& batch = out.baseBatches[bi];
        // A surface cut into several batches at the primitive limit repeats
        // its vertex range: the range is ordered once and its map shared.
        if (bi > 0 && batch.minVertexIndex == set.batches[bi - 1].minVertexIndex &&
            batch.vertexCount == set.batches[bi - 1].vertexCount) {
            out.groupPRepMaps.push_back(out.groupPRepMaps.back());
            batch.minVertexIndex = out.baseBatches[bi - 1].minVertexIndex;
            continue;
        }
        const int first = std::clamp(int(batch.minVertexIndex), 0, vertexCount);
        const int end = std::clamp(int(batch.minVertexIndex + batch.vertexCount), first, vertexCount);
        std::fill(count.begin(), count.end(), 0);
        for (int i = first; i < end; ++i) ++count[size_t(priority(i))];
        std::vector<int> pRepMap(size_t(n) + 1);
        int running = s;
        for (int r = 0; r <= n; ++r) {
            pRepMap[size_t(r)] = running;
            running += count[size_t(r)];
        }
        std::vector<int> next(pRepMap);
        for (int i = first; i < end; ++i) {
            if (out.permutation[size_t(i)] != -1) continue; // ranges overlap: placed already
            out.permutation[size_t(i)] = next[size_t(priority(i))]++;
        }
        for (int r = 0; r < n; ++r)
            if (next[size_t(r)] != pRepMap[size_t(r) + 1])
                reportAssertion("pRepMap[j] == groupPRepMaps[ii][j+1]");
        batch.minVertexIndex = s;
        s = pRepMap[size_t(n)];
        out.groupPRepMaps.push_back(std::move(pRepMap));
    }

    const int positions = std::max(s, vertexCount);
    out.collapseMap.assign(size_t(positions), -1);
    for (int i = 0; i < vertexCount; ++i) {
        const int at = out.permutation[size_t(i)];
        if (at == -1) {
            reportAssertion("permutation[i] != -1");
            continue;
        }
        // Without a fitting file the targets mean nothing for these points.
        const uint16_t t = fit.fits() ? file.baseCollapseMap[size_t(i)] : PM_NEVER_COLLAPSES;
        if (t == PM_NEVER_COLLAPSES) continue;
        if (t >= vertexCount) {
            reportAssertion("baseCollapseMap[i] < (uint) numVertices");
            continue;
        }
        if (priority(t) > priority(i)) reportAssertion("basePermutation[bla1] <= basePermutation[bla2]");
        out.collapseMap[size_t(at)] = out.permutation[size_t(t)];
    }
    // Chains must only go down, or following one might never end. A vertex
    // collapsing onto itself is reported once here rather than at every
    // corner of every level drawn.
    bool selfMapped = false;
    for (int j = 0; j < positions; ++j) {
        if (out.collapseMap[size_t(j)] > j) {
            reportAssertion("collapseMap[i] <= i");
            out.collapseMap[size_t(j)] = -1;
        } else if (out.collapseMap[size_t(j)] == j) {
            selfMapped = true;
            out.collapseMap[size_t(j)] = -1;
        }
    }
    if (selfMapped) reportAssertion("false");

    out.baseIndices.resize(set.indices.size());
    for (size_t k = 0; k < set.indices.size(); ++k) {
        const uint32_t i = set.indices[k];
        out.baseIndices[k] = i < uint32_t(vertexCount) && out.permutation[i] >= 0
                                 ? uint32_t(out.permutation[i])
                                 : 0;
    }
    return fit;
}

void setResolution(ProgressiveSet& set, int r) {
    set.activeBatches.clear();
    set.activeIndices.clear();
    for (size_t bi = 0; bi < set.baseBatches.size() && bi < set.groupPRepMaps.size(); ++bi) {
        const MeshBatch& base = set.baseBatches[bi];
        const std::vector<int>& pRepMap = set.groupPRepMaps[bi];
        const int b = pRepMap[size_t(std::clamp(r, 0, int(pRepMap.size()) - 1))];
        MeshBatch batch = base;
        batch.startIndex = int32_t(set.activeIndices.size());
        int kept = 0;
        int lowest = base.minVertexIndex, end = b;
        for (int t = 0; t < base.primitiveCount; ++t) {
            int v[3];
            for (int k = 0; k < 3; ++k) {
                const size_t at = size_t(base.startIndex) + size_t(t) * 3 + size_t(k);
                int i = at < set.baseIndices.size() ? int(set.baseIndices[at]) : -1;
                while (i >= b) {
                    const int to = size_t(i) < set.collapseMap.size() ? set.collapseMap[size_t(i)] : -1;
                    if (to == i) {
                        reportAssertion("false");
                        i = -1;
                    } else {
                        i = to;
                    }
                }
                v[k] = i;
            }
            if (v[0] < 0 || v[1] < 0 || v[2] < 0 || v[0] == v[1] || v[1] == v[2] || v[0] == v[2])
                continue;
            for (int k = 0; k < 3; ++k) {
                set.activeIndices.push_back(uint32_t(v[k]));
                // The draw's vertex range must hold every index it uses,
                // even one a mismatched file sends outside the batch.
                lowest = std::min(lowest, v[k]);
                end = std::max(end, v[k] + 1);
            }
            ++kept;
        }
        if (kept == 0) continue;
        batch.primitiveCount = kept;
        batch.minVertexIndex = lowest;
        batch.vertexCount = end - lowest;
        set.activeBatches.push_back(batch);
    }
    set.currentResolution = r;
}

bool exportGeometry(const LoadedLayer& layer, std::vector<uint8_t>& out) {
    out.clear();
    const size_t points = std::min(size_t(std::max(layer.numPositions, 0)), layer.positions.size() / 3);
    if (points > 0xFFFF || layer.polygons.size() > 0xFFFF) return false;
    for (const LWPolygon& p : layer.polygons)
        if (p.vertices.size() > 0xFFFF) return false;
    putHost<uint16_t>(out, 0x4D50);
    putHost<uint16_t>(out, uint16_t(points));
    for (size_t i = 0; i < points * 3; ++i) putHost<float>(out, layer.positions[i]);
    putHost<uint16_t>(out, uint16_t(layer.polygons.size()));
    for (const LWPolygon& p : layer.polygons) {
        const size_t n = std::min(size_t(std::max(p.numVertices, 0)), p.vertices.size());
        putHost<uint16_t>(out, uint16_t(n));
        for (size_t k = 0; k < n; ++k) putHost<uint16_t>(out, uint16_t(p.vertices[k]));
        putHost<uint16_t>(out, uint16_t(p.srfId));
    }
    return true;
}

int weldedPointCount(const LoadedLayer& layer) {
    MeshCorners corners;
    buildCorners(layer, corners);
    const int surfaces = layer.metamesh ? int(layer.metamesh->srfs.size()) : 0;
    int points = 0;
    pointIdsOf(weldCorners(corners, surfaces).pointRepresentative, &points);
    return points;
}

void levelResolutions(int minRes, int maxRes, int out[5]) {
    for (int q = 0; q < 5; ++q) out[q] = chooseResolution(minRes, maxRes, 0.25f * float(q));
}
