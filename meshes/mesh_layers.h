#pragma once
// The layer kinds an LWO2 layer becomes: a polygon mesh, a progressive mesh
// (when "<file>.<n>.pm" exists), a point cloud (single-vertex polygons) or a
// single particle. They hold the loaded geometry, the bounding box the
// renderer culls with, and, once built for drawing, their device half
// (made and drawn by the renderer, which owns the Direct3D side).

#include "base/math3d.h"
#include "lightwave/envelope.h"
#include "lightwave/mesh_data.h"
#include "meshes/bounding_box.h"
#include "meshes/progressive_mesh.h"

#include <cfloat>
#include <memory>
#include <vector>

class DeviceContextBase;
class LWItem;

enum LayerKind { LAYER_POLYGON_MESH, LAYER_PROGRESSIVE_MESH, LAYER_POINT_CLOUD, LAYER_PARTICLE };

// What the renderer made on the devices for a layer (buffers); released with it.
class LayerDeviceData {
public:
    virtual ~LayerDeviceData() = default;
};

class LoadedLayer : public LWObjectLayer {
public:
    LoadedLayer(LayerKind kind, DeviceContextBase* context, MetaMesh* mesh)
        : kind(kind), context(context) {
        metamesh = mesh;
    }
    ~LoadedLayer() override;

    // Computes the box from the points unless it was computed from them
    // already; a layer without points keeps no box.
    virtual void ensureBoundingBox();
    // The eight box corners as (x, y, z, 1) * m, all four components kept.
    // Every camera that draws the layer calls it.
    virtual void transformCorners(const Matrix4& m, Vec4 out[8]);
    // Forgets what the cameras of the last render saw (each render's start).
    virtual void resetFrame() {}
    // Takes a reference on the morph maps of the layer being loaded; only
    // the first is used as a morph target.
    void keepMorphMaps(const std::vector<LWMorphMap*>& maps);

    LayerKind kind;
    DeviceContextBase* context;
    int numFaces = 0;
    int numPositions = 0;
    std::vector<LWPolygon> polygons;
    std::vector<float> positions; // 3 per position

    MeshBoundingBox box;                // box.used: `bboxused`
    const float* bboxSource = nullptr;  // the points the box was computed from
    std::vector<LWMorphMap*> morphMaps; // referenced
    int numMorf = 0;
    LWAnimValue* dissolve = nullptr; // not owned; none when null
    bool built = false;
    bool buildFailed = false; // the last build was refused (its message shown)
    std::unique_ptr<LayerDeviceData> device;
    LWItem* currentObject = nullptr; // the object being drawn with this layer
};

class PolygonMeshLayer : public LoadedLayer {
public:
    PolygonMeshLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_POLYGON_MESH, context, mesh) {}
};

class ProgressiveMeshLayer : public LoadedLayer {
public:
    ProgressiveMeshLayer(DeviceContextBase* context, MetaMesh* mesh, ProgressiveFile file)
        : LoadedLayer(LAYER_PROGRESSIVE_MESH, context, mesh), file(std::move(file)) {
        minRes = this->file.minRes;
    }
    void transformCorners(const Matrix4& m, Vec4 out[8]) override;
    void resetFrame() override;
    // The resolution to draw at, once per render: the new level when it
    // differs from the current one, else -1 (also when chosen already).
    int levelToDraw();

    ProgressiveFile file;
    int minRes = 0;
    int maxRes = 0;        // distinct points, set at build
    bool fileFits = true;  // false: the file does not match the mesh, drawn whole
    int currentResolution = -1;
    bool levelChosen = false;
    float nearestW = FLT_MAX;
    float projectedSize = 0;
};

class PointCloudLayer : public LoadedLayer {
public:
    PointCloudLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_POINT_CLOUD, context, mesh) {}
};

// One particle: nothing to draw and no box.
class ParticleLayer : public LoadedLayer {
public:
    ParticleLayer(DeviceContextBase* context, MetaMesh* mesh)
        : LoadedLayer(LAYER_PARTICLE, context, mesh) {}
    void ensureBoundingBox() override {}
};
