// Progressive meshes on a real device: the show's relic (38 400 triangles)
// with the file nltool pm made for it, drawn up close and far away. Close up
// it is drawn whole, far away with a few hundred triangles and the same
// outline; its dynamic
// index buffers survive a device reset; a file for another mesh is reported
// and the mesh drawn whole.
#include "app/resource_count.h"
#include "render/mesh_buffers.h"
#include "scene_fixture.h"
#include "tests/meshes/test_objects.h"

namespace {

class ProgressiveMeshTest : public SceneRendererTest {
protected:
    // The relic `distance` ahead of the camera, lit from the camera's side.
    LW6Scene& relicScene(float distance, bool withFile = true) {
        const std::string content = NL_SHOW_CONTENT;
        (*files)["relic.lwo"] = readFile(content + "/relic.lwo");
        if (withFile) (*files)["relic.lwo.1.pm"] = readFile(content + "/relic.lwo.1.pm");
        EXPECT_FALSE((*files)["relic.lwo"].empty());
        lws::Scene s;
        s.objects.push_back(objectAt("relic.lwo", 0, 0, 0));
        lws::Light light;
        light.motion[0].position[2] = -10;
        s.lights.push_back(light);
        s.cameras.push_back(cameraAt(distance));
        return load(s);
    }
    ProgressiveMeshLayer& relic(LW6Scene& scene) {
        auto* layer = dynamic_cast<ProgressiveMeshLayer*>(scene.objects[0]->layer);
        EXPECT_NE(nullptr, layer);
        return *layer;
    }
    // Triangles the relic's own buffer set draws at its current level.
    static int trianglesDrawn(ProgressiveMeshLayer& layer) {
        auto* buffers = dynamic_cast<MeshBuffers*>(layer.device.get());
        if (!buffers || !buffers->ownSet(0)) return -1;
        int n = 0;
        for (const MeshBatch& b : buffers->ownSet(0)->batches) n += b.primitiveCount;
        return n;
    }
    static void cameraTo(LW6Scene& scene, float z) {
        LWAnimValue& channel = scene.currentCamera->channels[2]; // z
        channel.setEnvelope(nullptr);
        channel.value = z;
    }
    static int covered(const Readback& r) {
        int n = 0;
        for (UINT y = 0; y < r.height; ++y)
            for (UINT x = 0; x < r.width; ++x) n += (r.at(x, y) & 0xFFFFFF) != 0;
        return n;
    }
};

TEST_F(ProgressiveMeshTest, NearItIsWholeFarItIsCheapAndKeepsItsOutline) {
    LW6Scene& scene = relicScene(4);
    ProgressiveMeshLayer& layer = relic(scene);
    const Readback closeUp = frame(scene, 0);
    EXPECT_EQ(0u, messages.count()) << (messages.count() ? messages.messages()[0].text : "");
    EXPECT_TRUE(layer.fileFits);
    EXPECT_EQ(19200, layer.maxRes);
    EXPECT_GE(layer.projectedSize, 1.0f);
    EXPECT_EQ(layer.maxRes, layer.currentResolution);
    EXPECT_EQ(38400, trianglesDrawn(layer));
    EXPECT_GT(covered(closeUp), W * H / 3);

    // Halfway across the screen: half the points.
    cameraTo(scene, -14);
    frame(scene, 0);
    EXPECT_GE(layer.projectedSize, 0.5f);
    EXPECT_LT(layer.projectedSize, 0.75f);
    EXPECT_EQ(9600, layer.currentResolution);
    const int half = trianglesDrawn(layer);
    EXPECT_GT(half, 15000);
    EXPECT_LT(half, 22000);

    // Small on screen: the smallest level, a few hundred triangles ...
    cameraTo(scene, -33);
    const Readback distant = frame(scene, 0);
    EXPECT_LT(layer.projectedSize, 0.25f) << layer.projectedSize;
    EXPECT_EQ(std::max(layer.minRes, PM_LOWEST_RESOLUTION), layer.currentResolution);
    const int few = trianglesDrawn(layer);
    EXPECT_GT(few, 100);
    EXPECT_LT(few, 1500);
    // ... covering the pixels the whole mesh covers there, give or take an edge.
    layer.fileFits = false; // drawn whole
    const Readback whole = frame(scene, 0);
    EXPECT_EQ(38400, trianglesDrawn(layer));
    int differing = 0;
    for (UINT y = 0; y < UINT(H); ++y)
        for (UINT x = 0; x < UINT(W); ++x)
            differing += ((distant.at(x, y) & 0xFFFFFF) != 0) != ((whole.at(x, y) & 0xFFFFFF) != 0);
    EXPECT_GT(covered(whole), 150);
    EXPECT_LT(differing, covered(whole) / 8) << covered(distant) << " " << covered(whole);
}

TEST_F(ProgressiveMeshTest, ItsIndexBuffersAreMadeAgainAfterADeviceReset) {
    LW6Scene& scene = relicScene(30);
    const Readback before = frame(scene, 0);
    ProgressiveMeshLayer& layer = relic(scene);
    const int level = layer.currentResolution;
    const std::vector<LW6Scene*> drawing = releaseDefaultPool(*meta);
    stage.display.resetAll();
    EXPECT_EQ(D3D_OK, stage.device()->TestCooperativeLevel());
    restoreDefaultPool(*meta, context(), drawing);
    const Readback after = frame(scene, 0);
    EXPECT_EQ(level, layer.currentResolution);
    EXPECT_EQ(covered(before), covered(after));
    EXPECT_EQ(0u, messages.count());
}

// The count of live Direct3D resources follows what the player makes and
// what Direct3D destroys, whoever releases last.
TEST_F(ProgressiveMeshTest, LiveResourcesAreCountedUntilDirect3DDestroysThem) {
    const long before = liveResources();
    IDirect3DTexture8* texture = nullptr;
    IDirect3DSurface8* depth = nullptr;
    ASSERT_TRUE(SUCCEEDED(stage.device()->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8,
                                                        D3DPOOL_MANAGED, &texture)));
    ASSERT_TRUE(SUCCEEDED(stage.device()->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8,
                                                                    D3DMULTISAMPLE_NONE, &depth)));
    countResource(texture);
    countResource(depth);
    EXPECT_EQ(before + 2, liveResources());
    // A level of the texture holds it alive after the texture's own release.
    IDirect3DSurface8* level = nullptr;
    ASSERT_TRUE(SUCCEEDED(texture->GetSurfaceLevel(0, &level)));
    texture->Release();
    EXPECT_EQ(before + 2, liveResources());
    level->Release();
    depth->Release();
    EXPECT_EQ(before, liveResources());

    // The relic's buffers (a vertex and an index buffer per program) live
    // with its metascene and go with it.
    LW6Scene& scene = relicScene(10);
    EXPECT_EQ(before + 8, liveResources());
    frame(scene, 0);
    EXPECT_EQ(before + 8, liveResources());
    meta.reset();
    // The device holds the last vertex and index buffer it drew from until
    // a draw with other sources.
    EXPECT_EQ(before + 2, liveResources());
    IDirect3DDevice8* d = stage.device();
    d->SetStreamSource(0, nullptr, 0);
    d->SetIndices(nullptr, 0);
    const float triangle[] = {0, 0, 0.5f, 1, 0, 0.5f, 0, 1, 0.5f};
    d->BeginScene();
    d->SetVertexShader(D3DFVF_XYZ);
    d->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 12);
    d->EndScene();
    EXPECT_EQ(before, liveResources());
}

TEST_F(ProgressiveMeshTest, AFileForAnotherMeshIsReportedAndTheMeshDrawnWhole) {
    // A file that describes three points.
    (*files)["relic.lwo.1.pm"] = {28, 0, 3, 0, 0, 0, 1, 0, 2, 0, 3, 0, 0xFF, 0xFF, 0xFF, 0xFF,
                                  0xFF, 0xFF};
    LW6Scene& scene = relicScene(60, false);
    frame(scene, 0);
    EXPECT_TRUE(messages.saw("wrong collapse map for relic.lwo:1"));
    EXPECT_TRUE(messages.saw("wrong permutation for relic.lwo:1"));
    EXPECT_EQ(38400, trianglesDrawn(relic(scene)));
}

} // namespace
