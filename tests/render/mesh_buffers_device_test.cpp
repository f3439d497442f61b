// A mesh from its LWO2 file to the screen on a real device under Wine: the
// loader, mesh building, the device buffers and the fixed-function program
// draw a lit cube whose face towards the light is brighter than the others.

#include "app/readback.h"
#include "base/message_box.h"
#include "d3dx/d3dx8.h"
#include "lightwave/lwo_builder.h"
#include "lightwave/mesh_data.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_layers.h"
#include "render/mesh_buffers.h"
#include "render/surface_programs.h"
#include "tests/support/memory_file.h"
#include "tests/support/test_stage.h"
#include "base/math3d.h"

#include <cmath>

#include <gtest/gtest.h>

namespace {

using B = LwoBuilder;

// A unit cube (side 2) of six quads, each wound clockwise as seen from
// outside, as LightWave writes front faces; one white surface.
B::Bytes cube() {
    const Vec3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<float> points;
    std::vector<std::vector<uint32_t>> faces;
    for (const Vec3& n : normals) {
        const Vec3 up = n.y != 0 ? Vec3{0, 0, 1} : Vec3{0, 1, 0};
        const Vec3 forward = {-n.x, -n.y, -n.z}; // the viewer looks at the face
        const Vec3 right = cross(up, forward);
        const Vec3 corners[4] = {n + up - right, n + up + right, n - up + right, n - up - right};
        std::vector<uint32_t> face;
        for (const Vec3& c : corners) {
            face.push_back(uint32_t(points.size() / 3));
            points.insert(points.end(), {c.x, c.y, c.z});
        }
        faces.push_back(face);
    }
    B b;
    b.tags({"White"});
    b.layer(0);
    b.points(points);
    b.polygons("FACE", faces);
    B::Bytes ptag;
    B::id(ptag, "SURF");
    for (uint32_t i = 0; i < 6; ++i) {
        B::vx(ptag, i);
        B::u2(ptag, 0);
    }
    b.chunk("PTAG", ptag);
    B::Bytes colour, diffuse;
    for (int i = 0; i < 3; ++i) B::f4(colour, 1.0f);
    B::vx(colour, 0);
    B::f4(diffuse, 1.0f);
    B::vx(diffuse, 0);
    b.surface("White", B::join(B::sub("COLR", colour), B::sub("DIFF", diffuse)));
    return b.file();
}

} // namespace

TEST(MeshBuffersOnDevice, ALitCubeIsBrightestOnTheFaceTowardsTheLight) {
    TestStage stage;
    ASSERT_TRUE(stage.open(160, 120));
    DeviceContext& context = *stage.context;
    createSurfacePrograms(context);
    MessageRecorder messages;

    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["cube.lwo"] = cube();
    MemoryFile memory(files);
    MetaScene meta(&context);
    auto* scene = new LW6Scene(&context, &meta);
    meta.scenes.emplace_back(scene);
    MetaMesh* mesh = scene->loadObject(&memory, "cube.lwo");
    ASSERT_NE(nullptr, mesh);
    meta.meshes.emplace_back(mesh);
    for (const auto& s : meta.surfaces) assignTexcoords(*s);
    auto* layer = dynamic_cast<LoadedLayer*>(mesh->layer[0]);
    ASSERT_NE(nullptr, layer);

    MeshArrays arrays;
    ASSERT_TRUE(
        buildMeshArrays(*layer, DeviceMeshPrograms(context), meshLimitsOf(context), arrays));
    EXPECT_EQ(12, arrays.triangleCount);
    MeshBuffers buffers;
    ASSERT_TRUE(buffers.create(context, arrays));
    // A copy for every program (shadow passes draw any mesh); the surface's own is program 0's.
    ASSERT_EQ(4u, buffers.sets.size());
    ASSERT_EQ(1u, buffers.surfaceSet.size());
    const DeviceBufferSet& own = buffers.sets[size_t(buffers.surfaceSet[0])];
    EXPECT_EQ(0, own.program);
    EXPECT_EQ(24, own.vertexCount);
    EXPECT_EQ(48, own.stride);

    // Seen from (3, 2, -4); light travelling towards -X lights the +X face.
    IDirect3DDevice8* d = context.device;
    D3DXMATRIX view, projection, viewProjection;
    const D3DXVECTOR3 eye(3, 2, -4), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const float f = 1.0f / std::tan(0.5f), zn = 1, zf = 20;
    projection = {};
    projection._11 = f * 0.75f;
    projection._22 = f;
    projection._33 = zf / (zf - zn);
    projection._34 = 1;
    projection._43 = -zn * zf / (zf - zn);
    D3DMATRIX identity = {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1;
    d->SetTransform(D3DTS_WORLD, &identity);
    d->SetTransform(D3DTS_VIEW, &view);
    d->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT8 light = {};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {-1, 0, 0};
    d->SetLight(0, &light);
    d->LightEnable(0, TRUE);
    d->SetRenderState(D3DRS_LIGHTING, TRUE);
    d->SetRenderState(D3DRS_AMBIENT, 0xFF202020);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    buffers.drawSurface(context, 0, *meta.surfaces[0], 0);
    d->EndScene();
    Readback back;
    ASSERT_TRUE(readBackBuffer(d, &back));

    // Where the face centres land on the screen.
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    auto pixelOf = [&](float x, float y, float z) {
        const D3DXMATRIX& m = viewProjection;
        const float cx = x * m._11 + y * m._21 + z * m._31 + m._41;
        const float cy = x * m._12 + y * m._22 + z * m._32 + m._42;
        const float cw = x * m._14 + y * m._24 + z * m._34 + m._44;
        const UINT px = UINT((cx / cw * 0.5f + 0.5f) * float(back.width));
        const UINT py = UINT((0.5f - cy / cw * 0.5f) * float(back.height));
        return back.rgb(px, py);
    };
    const uint32_t lit = pixelOf(1, 0, 0), side = pixelOf(0, 0, -1), top = pixelOf(0, 1, 0);
    const uint32_t corner = back.rgb(0, 0);
    EXPECT_EQ(0u, corner); // the background stays clear
    // Lit: white x (1, 0.5, 1) material plus ambient; unlit faces: ambient only.
    EXPECT_GT(int(lit & 0xFF), 200) << std::hex << lit;
    EXPECT_GT(int((lit >> 8) & 0xFF), 100) << std::hex << lit;
    EXPECT_LT(int(side & 0xFF), 60) << std::hex << side;
    EXPECT_GT(int(side & 0xFF), 10) << std::hex << side; // drawn, in ambient light
    EXPECT_LT(int(top & 0xFF), 60) << std::hex << top;
    EXPECT_EQ(0u, messages.count());
}
