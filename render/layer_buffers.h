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
    std::vector<IDirect3DVertexBuffer8*> vertexBuffers; // per device, owned; default pool
    std::vector<IDirect3DIndexBuffer8*> indexBuffers;   // per device, owned
    double lastDrawTime = 0;
};

// Builds the layer for drawing unless it was built: polygon and progressive
// meshes into one buffer set per surface program, point clouds into their
// streak buffers; a single particle has nothing to build. False when the
// device refused a buffer or the mesh is too big (its message was shown;
// the layer is then marked so that drawing does not try every frame), or
// when there is no device yet (nothing marked).
bool buildLayer(DeviceContext& context, LoadedLayer& layer);

// Releases a point cloud's streak buffers (default pool) before a device
// reset; each is made again when its output next draws the cloud.
void releaseStreakBuffers(LoadedLayer& layer);

// Moves a built point cloud's streaks on for a frame seen through
// `worldViewProjection` (also in frames that are not drawn).
void placeCloudStreaks(DeviceContext& context, LoadedLayer& layer,
                       const Matrix4& worldViewProjection);

// Places the streaks, then draws them on the current device.
void drawPointCloud(DeviceContext& context, LoadedLayer& layer,
                    const Matrix4& worldViewProjection, double time);
