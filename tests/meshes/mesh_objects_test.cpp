// Every LWO2 test object, loaded as the player loads it and built with the
// texture-coordinate sets activation assigns.
#include "base/math3d.h"
#include "base/message_box.h"
#include "lightwave/lwo_stage.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "mesh_test_support.h"
#include "meshes/mesh_builder.h"
#include "meshes/point_cloud.h"
#include "test_objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>


TEST(MeshObjects, EveryTestObjectBuildsWithoutAMessage) {
    const auto files = testObjects();
    ASSERT_GE(files.size(), 25u);
    int meshesBuilt = 0, texturedVertices = 0;
    for (const std::string& path : files) {
        Stage stage;
        MetaMesh* mesh = stage.load("obj.lwo", readFile(path));
        ASSERT_NE(nullptr, mesh) << path;
        MessageRecorder messages; // only what building raises
        for (LWSurface* s : mesh->srfs)
            if (s) assignTexcoords(*s);
        for (LWObjectLayer* l : mesh->layer) {
            auto* layer = dynamic_cast<LoadedLayer*>(l);
            if (!layer) continue;
            if (layer->kind == LAYER_POINT_CLOUD) {
                PointCloudArrays a;
                EXPECT_TRUE(buildPointCloud(*layer, MeshDeviceLimits(), a)) << path;
                continue;
            }
            if (layer->kind != LAYER_POLYGON_MESH) continue;
            MeshArrays m;
            ASSERT_TRUE(buildMeshArrays(*layer, PrefixPrograms(), MeshDeviceLimits(), m)) << path;
            ++meshesBuilt;
            EXPECT_TRUE(m.box.used) << path;
            EXPECT_GT(m.triangleCount, 0) << path;
            EXPECT_EQ(size_t(m.cornerCount), m.vertices.size());
            for (const GenericVertex& v : m.vertices) {
                EXPECT_NEAR(1.0f, length(vec3(v.normal)), 1e-5f) << path;
                for (int k = 0; k < 3; ++k) {
                    EXPECT_GE(v.position[k], m.box.corners[0][k]) << path;
                    EXPECT_LE(v.position[k], m.box.corners[7][k]) << path;
                }
                if (v.texcoord[0][0] != 0 || v.texcoord[0][1] != 0) ++texturedVertices;
            }
            for (const MeshBufferSet& set : m.sets) {
                EXPECT_EQ(m.cornerCount, set.vertexCount()) << path;
                EXPECT_EQ(size_t(m.triangleCount) * 3, set.indices.size()) << path;
                int primitives = 0;
                for (const MeshBatch& b : set.batches) {
                    primitives += b.primitiveCount;
                    for (int i = b.startIndex; i < b.startIndex + b.primitiveCount * 3; ++i) {
                        ASSERT_LT(set.indices[size_t(i)], uint32_t(m.cornerCount)) << path;
                        EXPECT_GE(int(set.indices[size_t(i)]), b.minVertexIndex) << path;
                        EXPECT_LT(int(set.indices[size_t(i)]), b.minVertexIndex + b.vertexCount)
                            << path;
                    }
                }
                EXPECT_EQ(m.triangleCount, primitives) << path;
            }
        }
        EXPECT_EQ(0u, messages.count())
            << path << ": " << (messages.count() ? messages.messages()[0].text : "");
    }
    EXPECT_GE(meshesBuilt, 25);
    // The UV and projected objects give their corners texture coordinates.
    EXPECT_GT(texturedVertices, 0);
}
