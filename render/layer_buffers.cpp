#include "layer_buffers.h"

#include "app/d3d_check.h"
#include "lightwave/mesh_data.h"
#include "mesh_buffers.h"
#include "surface_programs.h"

#include <cstring>

PointCloudBuffers::~PointCloudBuffers() {
    if (vertexBuffer) vertexBuffer->Release();
    if (indexBuffer) indexBuffer->Release();
}

namespace {

bool buildMesh(DeviceContext& context, LoadedLayer& layer) {
    DeviceMeshPrograms programs(context);
    MeshArrays arrays;
    if (!buildMeshArrays(layer, programs, meshLimitsOf(context), arrays)) return false;
    auto buffers = std::make_unique<MeshBuffers>();
    if (!buffers->create(context, arrays)) return false;
    layer.device = std::move(buffers);
    return true;
}

bool buildCloud(DeviceContext& context, LoadedLayer& layer) {
    auto cloud = std::make_unique<PointCloudBuffers>();
    if (!buildPointCloud(layer, meshLimitsOf(context), cloud->arrays)) return false;
    IDirect3DDevice8* d = context.device;
    const PointCloudArrays& a = cloud->arrays;
    if (d && a.count > 0) {
        const bool wide = a.indexFormat == MESH_INDEX32;
        const UINT indexBytes = UINT(a.indices.size() * (wide ? 4 : 2));
        if (!D3D_CHECK(d->CreateIndexBuffer(indexBytes, D3DUSAGE_WRITEONLY,
                                            D3DFORMAT(a.indexFormat), D3DPOOL_MANAGED,
                                            &cloud->indexBuffer)))
            return false;
        BYTE* target = nullptr;
        if (!D3D_CHECK(cloud->indexBuffer->Lock(0, indexBytes, &target, 0))) return false;
        for (size_t i = 0; i < a.indices.size(); ++i) {
            if (wide)
                reinterpret_cast<uint32_t*>(target)[i] = a.indices[i];
            else
                reinterpret_cast<uint16_t*>(target)[i] = uint16_t(a.indices[i]);
        }
        cloud->indexBuffer->Unlock();
        const UINT vertexBytes = UINT(a.vertices.size() * sizeof(StreakVertex));
        if (!D3D_CHECK(d->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, STREAK_FVF,
                                             D3DPOOL_MANAGED, &cloud->vertexBuffer)))
            return false;
    }
    layer.device = std::move(cloud);
    return true;
}

} // namespace

bool buildLayer(DeviceContext& context, LoadedLayer& layer) {
    if (layer.built) return true;
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

void drawPointCloud(DeviceContext& context, LoadedLayer& layer, double time) {
    auto* cloud = dynamic_cast<PointCloudBuffers*>(layer.device.get());
    IDirect3DDevice8* d = context.device;
    if (!cloud || !d || !cloud->vertexBuffer || cloud->arrays.count < 1) return;
    D3DMATRIX world, view, projection;
    d->GetTransform(D3DTS_WORLD, &world);
    d->GetTransform(D3DTS_VIEW, &view);
    d->GetTransform(D3DTS_PROJECTION, &projection);
    Matrix4 m;
    static_assert(sizeof(D3DMATRIX) == sizeof(Matrix4), "one matrix layout");
    Matrix4 w, v, p;
    std::memcpy(&w, &world, sizeof w);
    std::memcpy(&v, &view, sizeof v);
    std::memcpy(&p, &projection, sizeof p);
    m = w * v * p;
    PointCloudArrays& a = cloud->arrays;
    placeStreaks(a, m, context.screenWidth, context.screenHeight);
    BYTE* target = nullptr;
    const UINT bytes = UINT(a.vertices.size() * sizeof(StreakVertex));
    if (!D3D_CHECK(cloud->vertexBuffer->Lock(0, bytes, &target, 0))) return;
    std::memcpy(target, a.vertices.data(), bytes);
    cloud->vertexBuffer->Unlock();

    LWSurface* first = nullptr;
    if (layer.metamesh)
        for (LWSurface* s : layer.metamesh->srfs)
            if (s) {
                first = s;
                break;
            }
    if (first && !context.programs.empty()) context.programs[0]->setupSurface(*first, time);
    d->SetIndices(cloud->indexBuffer, 0);
    d->SetVertexShader(STREAK_FVF);
    d->SetPixelShader(0);
    d->SetStreamSource(0, cloud->vertexBuffer, sizeof(StreakVertex));
    d->DrawIndexedPrimitive(D3DPT_LINELIST, 0, UINT(a.count * 2), 0, UINT(a.count));
    cloud->lastDrawTime = time;
}
