#pragma once
// The layer kinds an LWO2 layer becomes: a polygon mesh, a progressive mesh
// (when "<file>.<n>.pm" exists), a point cloud (single-vertex polygons) or a
// single particle. They hold the loaded geometry; building device geometry
// from it is the mesh builder's work, which is not here yet.

#include "lightwave/mesh_data.h"

#include <vector>

class DeviceContextBase;

enum LayerKind { LAYER_POLYGON_MESH, LAYER_PROGRESSIVE_MESH, LAYER_POINT_CLOUD, LAYER_PARTICLE };

class LoadedLayer : public LWObjectLayer {
public:
    LoadedLayer(LayerKind kind, DeviceContextBase* context, MetaMesh* mesh)
        : kind(kind), context(context) {
        metamesh = mesh;
    }
    LayerKind kind;
    DeviceContextBase* context;
    int numFaces = 0;
    int numPositions = 0;
    std::vector<LWPolygon> polygons;
    std::vector<float> positions; // 3 per position
};

class PolygonMeshLayer : public LoadedLayer {
public:
    PolygonMeshLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_POLYGON_MESH, context, mesh) {}
};

class ProgressiveMeshLayer : public LoadedLayer {
public:
    ProgressiveMeshLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_PROGRESSIVE_MESH, context, mesh) {}
    std::vector<uint8_t> pmData; // the ".pm" file as read
};

class PointCloudLayer : public LoadedLayer {
public:
    PointCloudLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_POINT_CLOUD, context, mesh) {}
};

class ParticleLayer : public LoadedLayer {
public:
    ParticleLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_PARTICLE, context, mesh) {}
};
