#pragma once
// A layer's device half: building it once before its first draw (mesh
// arrays into managed buffers, per kind) and drawing the point-cloud kind,
// whose streaks are placed anew each frame.

#include "app/device_context.h"
#include "meshes/mesh_layers.h"
#include "meshes/point_cloud.h"

class PointCloudBuffers : public LayerDeviceData {
public:
    ~PointCloudBuffers() override;
    PointCloudArrays arrays;
    IDirect3DVertexBuffer8* vertexBuffer = nullptr; // on the device current at build
    IDirect3DIndexBuffer8* indexBuffer = nullptr;
    double lastDrawTime = 0;
};

// Builds the layer for drawing unless it was built: polygon and progressive
// meshes into one buffer set per surface program, point clouds into their
// streak buffers; a single particle has nothing to build. False when the
// device refused a buffer or the mesh is too big (its message was shown);
// the layer may then be built again.
bool buildLayer(DeviceContext& context, LoadedLayer& layer);

// Draws a built point cloud with the device's current world, view and
// projection transforms.
void drawPointCloud(DeviceContext& context, LoadedLayer& layer, double time);
