#include "layer_buffers.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "lightwave/mesh_data.h"
#include "mesh_buffers.h"
#include "surface_programs.h"

#include <cstring>

PointCloudBuffers::~PointCloudBuffers() {
    for (IDirect3DVertexBuffer8* vb : vertexBuffers)
        if (vb) vb->Release();
    for (IDirect3DIndexBuffer8* ib : indexBuffers)
        if (ib) ib->Release();
}

namespace {

// The streaks are written anew at every draw: a dynamic buffer written with
// a discard lock, so that writing never waits for the device to finish the
// lines it drew from the buffer a pass before (the default pool's buffers
// go before a device reset and are made again when next drawn).
bool createStreakBuffer(IDirect3DDevice8* d, UINT bytes, IDirect3DVertexBuffer8*& vb) {
    vb = nullptr;
    if (!D3D_CHECK(d->CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, STREAK_FVF,
                                         D3DPOOL_DEFAULT, &vb)))
        return false;
    countResource(vb);
    return true;
}

bool buildMesh(DeviceContext& context, LoadedLayer& layer) {
    DeviceMeshPrograms programs(context);
    MeshArrays arrays;
    if (!buildMeshArrays(layer, programs, meshLimitsOf(context), arrays)) return false;
    auto buffers = std::make_unique<MeshBuffers>();
    if (!buffers->create(context, arrays)) return false;
    if (auto* progressive = dynamic_cast<ProgressiveMeshLayer*>(&layer)) {
        progressive->maxRes = arrays.fit.maxRes;
        progressive->fileFits = arrays.fit.fits();
        progressive->currentResolution = -1;
    }
    layer.device = std::move(buffers);
    return true;
}

bool buildCloud(DeviceContext& context, LoadedLayer& layer) {
    auto cloud = std::make_unique<PointCloudBuffers>();
    if (!buildPointCloud(layer, meshLimitsOf(context), cloud->arrays)) return false;
    const PointCloudArrays& a = cloud->arrays;
    const bool wide = a.indexFormat == MESH_INDEX32;
    const UINT indexBytes = UINT(a.indices.size() * (wide ? 4 : 2));
    const UINT vertexBytes = UINT(a.vertices.size() * sizeof(StreakVertex));
    // One pair of buffers per device, as every output draws the cloud.
    for (IDirect3DDevice8* d : context.devices) {
        IDirect3DVertexBuffer8* vb = nullptr;
        IDirect3DIndexBuffer8* ib = nullptr;
        if (d && a.count > 0) {
            BYTE* target = nullptr;
            if (!D3D_CHECK(d->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY,
                                                D3DFORMAT(a.indexFormat), D3DPOOL_MANAGED, &ib)) ||
                !D3D_CHECK(ib->Lock(0, indexBytes, &target, 0))) {
                if (ib) ib->Release();
                return false;
            }
            for (size_t i = 0; i < a.indices.size(); ++i) {
                if (wide)
                    reinterpret_cast<uint32_t*>(target)[i] = a.indices[i];
                else
                    reinterpret_cast<uint16_t*>(target)[i] = uint16_t(a.indices[i]);
            }
            ib->Unlock();
            countResource(ib);
            if (!createStreakBuffer(d, vertexBytes, vb)) {
                ib->Release();
                return false;
            }
        }
        cloud->indexBuffers.push_back(ib);
        cloud->vertexBuffers.push_back(vb);
    }
    layer.device = std::move(cloud);
    return true;
}

} // namespace

bool buildLayer(DeviceContext& context, LoadedLayer& layer) {
    if (layer.built) return true;
    if (!context.device) return false;
    layer.ensureBoundingBox();
    bool ok = true;
    switch (layer.kind) {
    case LAYER_POLYGON_MESH:
    case LAYER_PROGRESSIVE_MESH:
        ok = buildMesh(context, layer);
        break;
    case LAYER_POINT_CLOUD:
        ok = buildCloud(context, layer);
        break;
    case LAYER_PARTICLE:
        break;
    }
    layer.built = ok;
    layer.buildFailed = !ok;
    return ok;
}

void releaseStreakBuffers(LoadedLayer& layer) {
    if (auto* cloud = dynamic_cast<PointCloudBuffers*>(layer.device.get()))
        for (IDirect3DVertexBuffer8*& vb : cloud->vertexBuffers)
            if (vb) {
                vb->Release();
                vb = nullptr;
            }
}

// Which of the cloud's views the current pass is: its output, and its eye
// (the right eye's pass, or the left eye's or the only one).
static int streakView(const DeviceContext& context) {
    return context.currentOutput * 2 + (context.eye == 1 ? 1 : 0);
}

void placeCloudStreaks(DeviceContext& context, LoadedLayer& layer,
                       const Matrix4& worldViewProjection) {
    if (auto* cloud = dynamic_cast<PointCloudBuffers*>(layer.device.get()))
        placeStreaks(cloud->arrays, worldViewProjection, context.screenWidth,
                     context.screenHeight, streakView(context));
}

void drawPointCloud(DeviceContext& context, LoadedLayer& layer,
                    const Matrix4& worldViewProjection, double time) {
    auto* cloud = dynamic_cast<PointCloudBuffers*>(layer.device.get());
    IDirect3DDevice8* d = context.device;
    const size_t output = size_t(context.currentOutput);
    if (!cloud || !d || output >= cloud->vertexBuffers.size() || !cloud->indexBuffers[output] ||
        cloud->arrays.count < 1)
        return;
    PointCloudArrays& a = cloud->arrays;
    const UINT bytes = UINT(a.vertices.size() * sizeof(StreakVertex));
    IDirect3DVertexBuffer8*& vb = cloud->vertexBuffers[output];
    // The points move on even when there is no buffer to draw them from, so
    // that a later draw does not streak them back across a gap.
    placeStreaks(a, worldViewProjection, context.screenWidth, context.screenHeight,
                 streakView(context));
    if (!vb && !createStreakBuffer(d, bytes, vb)) return;
    BYTE* target = nullptr;
    if (!D3D_CHECK(vb->Lock(0, bytes, &target, D3DLOCK_DISCARD))) return;
    std::memcpy(target, a.vertices.data(), bytes);
    vb->Unlock();

    LWSurface* first = nullptr;
    if (layer.metamesh)
        for (LWSurface* s : layer.metamesh->srfs)
            if (s) {
                first = s;
                break;
            }
    if (first && !context.programs.empty()) context.programs[0]->setupSurface(*first, time);
    d->SetIndices(cloud->indexBuffers[output], 0);
    d->SetVertexShader(STREAK_FVF);
    d->SetPixelShader(0);
    d->SetStreamSource(0, vb, sizeof(StreakVertex));
    d->DrawIndexedPrimitive(D3DPT_LINELIST, 0, UINT(a.count * 2), 0, UINT(a.count));
    cloud->lastDrawTime = time;
}
