#include "progressive_levels.h"

#include "meshes/mesh_layers.h"
#include "meshes/progressive_mesh.h"

#include <cstring>

namespace {

// One program whose vertices are positions alone.
class PositionPrograms : public MeshPrograms {
public:
    int programCount() const override { return 1; }
    int programIndex(const LWSurface&) const override { return 0; }
    int vertexStride(int) const override { return 12; }
    void convertVertex(int, const GenericVertex& v, void* dst) const override {
        std::memcpy(dst, v.position, 12);
    }
};

} // namespace

bool buildAsPlayer(const LoadedLayer& layer, const ProgressiveFile& file, MeshArrays& out) {
    ProgressiveMeshLayer copy(nullptr, layer.metamesh, file);
    copy.number = layer.number;
    copy.name = layer.name;
    copy.positions = layer.positions;
    copy.numPositions = layer.numPositions;
    copy.polygons = layer.polygons;
    copy.numFaces = layer.numFaces;
    return buildMeshArrays(copy, PositionPrograms(), MeshDeviceLimits(), out);
}

TriangleMesh levelMesh(MeshArrays& arrays, int r) {
    TriangleMesh mesh;
    if (arrays.progressive.empty() || arrays.sets.empty()) return mesh;
    ProgressiveSet& set = arrays.progressive[0];
    setResolution(set, r);
    // Every vertex format starts with the position.
    const MeshBufferSet& vertices = arrays.sets[0];
    const size_t stride = size_t(vertices.stride);
    mesh.positions.resize(stride ? vertices.vertexData.size() / stride : 0);
    for (size_t i = 0; i < mesh.positions.size(); ++i)
        std::memcpy(&mesh.positions[i], vertices.vertexData.data() + i * stride, 12);
    mesh.indices = set.activeIndices;
    return mesh;
}
