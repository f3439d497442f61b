#include "base/message_box.h"
#include "mesh_test_support.h"
#include "meshes/point_cloud.h"

#include <gtest/gtest.h>

namespace {

PointCloudLayer* cloud(MetaMesh& mesh, const std::vector<float>& xyz) {
    auto* layer = new PointCloudLayer(nullptr, &mesh);
    mesh.layer.push_back(layer);
    layer->positions = xyz;
    layer->numPositions = int(xyz.size() / 3);
    return layer;
}

} // namespace

TEST(PointCloud, EachPointIsAWhiteHeadAndABlackTail) {
    MetaMesh mesh;
    PointCloudLayer* layer = cloud(mesh, {1, 2, 3, -1, 0, 7, 4, -2, 5});
    PointCloudArrays a;
    ASSERT_TRUE(buildPointCloud(*layer, MeshDeviceLimits(), a));
    EXPECT_EQ(3, a.count);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 3, 4, 5}), a.indices);
    EXPECT_EQ(MESH_INDEX16, a.indexFormat);
    ASSERT_EQ(6u, a.vertices.size());
    for (size_t j = 0; j < 3; ++j) {
        EXPECT_EQ(0xFFFFFFFFu, a.vertices[j * 2].diffuse);
        EXPECT_EQ(0x00000000u, a.vertices[j * 2 + 1].diffuse);
        EXPECT_EQ(0, a.vertices[j * 2].u);
        EXPECT_EQ(0, a.vertices[j * 2 + 1].v);
    }
    for (const std::vector<float>& previous : a.previous) EXPECT_EQ(12u, previous.size());
    for (bool valid : a.previousValid) EXPECT_FALSE(valid);
    ASSERT_TRUE(a.box.used);
    EXPECT_EQ(-1, a.box.corners[0][0]);
    EXPECT_EQ(-2, a.box.corners[0][1]);
    EXPECT_EQ(3, a.box.corners[0][2]);
    EXPECT_EQ(4, a.box.corners[7][0]);
    EXPECT_EQ(2, a.box.corners[7][1]);
    EXPECT_EQ(7, a.box.corners[7][2]);
    EXPECT_FLOAT_EQ(1.5f, a.box.center[0]);
    EXPECT_FLOAT_EQ(std::sqrt(2.5f * 2.5f + 2 * 2 + 2 * 2), a.box.radius);
}

TEST(PointCloud, NoPointsLeaveTheBoxUnset) {
    MetaMesh mesh;
    PointCloudArrays a;
    ASSERT_TRUE(buildPointCloud(*cloud(mesh, {}), MeshDeviceLimits(), a));
    EXPECT_FALSE(a.box.used);
    EXPECT_TRUE(a.indices.empty());
}

TEST(PointCloud, LargeCloudsNeedWideIndicesOrAreRefused) {
    MetaMesh mesh;
    PointCloudLayer* layer = cloud(mesh, std::vector<float>(40000 * 3, 1.0f));
    {
        MessageRecorder messages;
        PointCloudArrays a;
        EXPECT_FALSE(buildPointCloud(*layer, MeshDeviceLimits(), a));
        ASSERT_EQ(1u, messages.count());
        EXPECT_EQ("multiple buffers are not yet supported...", messages.messages()[0].text);
    }
    MeshDeviceLimits wide;
    wide.maxVertexIndex = 0xFFFFFF;
    PointCloudArrays a;
    ASSERT_TRUE(buildPointCloud(*layer, wide, a));
    EXPECT_EQ(MESH_INDEX32, a.indexFormat);
    EXPECT_EQ(79999u, a.indices.back());
}
