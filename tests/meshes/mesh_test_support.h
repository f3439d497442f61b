#pragma once
// Layers made by hand for mesh tests, and surface programs whose formats are
// a prefix of the generic vertex, so converted data can be read back.

#include "lightwave/mesh_data.h"
#include "lightwave/surface.h"
#include "meshes/mesh_layers.h"
#include "meshes/mesh_programs.h"

#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

class PrefixPrograms : public MeshPrograms {
public:
    int programCount() const override { return 4; }
    int programIndex(const LWSurface& surface) const override {
        const auto it = programOf.find(&surface);
        return it == programOf.end() ? 0 : it->second;
    }
    int vertexStride(int program) const override { return strides[program]; }
    void convertVertex(int program, const GenericVertex& v, void* dst) const override {
        std::memcpy(dst, &v, size_t(strides[program]));
    }
    int strides[4] = {48, 36, 80, 36};
    std::map<const LWSurface*, int> programOf;
};

// A polygon layer over its own surfaces (owned here, as a metascene would).
struct HandLayer {
    MetaMesh mesh;
    LoadedLayer* layer;
    std::vector<std::unique_ptr<LWSurface>> surfaces;

    // A progressive layer when given its file.
    explicit HandLayer(int surfaceCount = 1, const ProgressiveFile* file = nullptr) {
        if (file)
            layer = new ProgressiveMeshLayer(nullptr, &mesh, *file);
        else
            layer = new PolygonMeshLayer(nullptr, &mesh);
        layer->name = "hand.lwo:1";
        mesh.layer.push_back(layer);
        for (int i = 0; i < surfaceCount; ++i) {
            surfaces.emplace_back(new LWSurface);
            mesh.srfs.push_back(surfaces.back().get());
        }
        mesh.numTags = surfaceCount;
    }
    void points(const std::vector<float>& xyz) {
        layer->positions = xyz;
        layer->numPositions = int(xyz.size() / 3);
    }
    void polygon(const std::vector<uint32_t>& corners, int surface = 0) {
        LWPolygon p;
        p.numVertices = int(corners.size());
        p.vertices = corners;
        p.srfId = surface;
        layer->polygons.push_back(p);
        if (p.numVertices > 2) ++layer->numFaces;
    }
    // A unit cube of six outward-facing quads.
    void cube(int surface = 0) {
        points({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1});
        polygon({0, 3, 2, 1}, surface); // z = 0, facing -z
        polygon({4, 5, 6, 7}, surface); // z = 1
        polygon({0, 1, 5, 4}, surface); // y = 0
        polygon({3, 7, 6, 2}, surface); // y = 1
        polygon({0, 4, 7, 3}, surface); // x = 0
        polygon({1, 2, 6, 5}, surface); // x = 1
    }
    void smoothingAngle(int surface, double degrees) {
        surfaces[size_t(surface)]->smoothing = true;
        surfaces[size_t(surface)]->cosMaxSmoothAngle =
            float(std::cos(degrees * 3.14159265358979323846 / 180.0) - 1e-6);
    }
};
