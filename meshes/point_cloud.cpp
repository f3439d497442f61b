#include "point_cloud.h"

#include "base/color.h"
#include "base/message_box.h"
#include "meshes/mesh_layers.h"

#include <algorithm>

bool buildPointCloud(const LoadedLayer& layer, const MeshDeviceLimits& limits,
                     PointCloudArrays& out) {
    out = PointCloudArrays{};
    const int n = std::max(0, std::min(layer.numPositions, int(layer.positions.size() / 3)));
    out.count = n;
    out.positions.assign(layer.positions.begin(), layer.positions.begin() + size_t(n) * 3);
    computeBoundingBox(out.positions.data(), n, out.box);

    // Two vertices per point: past 32768 points 16-bit indices would wrap.
    const uint32_t vertexCount = uint32_t(n) * 2;
    if (vertexCount > 0 && vertexCount - 1 > limits.maxVertexIndex) {
        showMessage(nullptr, "multiple buffers are not yet supported...", "Error",
                    MessageIcon::Error);
        return false;
    }
    out.indexFormat = vertexCount > 0x10000 ? MESH_INDEX32 : MESH_INDEX16;
    out.indices.resize(vertexCount);
    for (uint32_t i = 0; i < vertexCount; ++i) out.indices[i] = i;
    out.vertices.resize(vertexCount);
    for (uint32_t j = 0; j < uint32_t(n); ++j) {
        out.vertices[j * 2].diffuse = packColor(1, 1, 1, 1);
        out.vertices[j * 2 + 1].diffuse = packColor(0, 0, 0, 0);
    }
    for (std::vector<float>& previous : out.previous) previous.assign(size_t(n) * 4, 0.0f);
    return true;
}

void placeStreaks(PointCloudArrays& cloud, const Matrix4& m, int width, int height, int view) {
    view = view >= 0 && view < STREAK_VIEWS ? view : 0;
    std::vector<float>& last = cloud.previous[view];
    const float halfWidth = float(width / 2), halfHeight = float(height / 2);
    for (int j = 0; j < cloud.count; ++j) {
        const Vec4 c = transformHomogeneous(m, vec3(&cloud.positions[size_t(j) * 3]));
        StreakVertex& head = cloud.vertices[size_t(j) * 2];
        StreakVertex& tail = cloud.vertices[size_t(j) * 2 + 1];
        if (!(c.w > 1e-6f)) {
            // At or behind the eye: no place on the screen. Its streak is
            // left off the screen and it starts afresh where it reappears.
            for (StreakVertex* v : {&head, &tail}) {
                v->x = v->y = -1.0f;
                v->z = v->rhw = 1.0f;
            }
            float* previous = &last[size_t(j) * 4];
            previous[0] = previous[1] = -1.0f;
            previous[2] = previous[3] = 1.0f;
            continue;
        }
        const float rhw = 1.0f / c.w;
        head.x = c.x * rhw * float(width) * 0.5f + halfWidth;
        head.y = halfHeight - c.y * rhw * float(height) * 0.5f;
        head.z = c.z * rhw;
        head.rhw = rhw;
        float* previous = &last[size_t(j) * 4];
        if (!cloud.previousValid[view]) {
            previous[0] = head.x;
            previous[1] = head.y;
            previous[2] = head.z;
            previous[3] = head.rhw;
        }
        tail.x = previous[0] + 1.0f;
        tail.y = previous[1];
        tail.z = previous[2];
        tail.rhw = previous[3];
        previous[0] = head.x;
        previous[1] = head.y;
        previous[2] = head.z;
        previous[3] = head.rhw;
    }
    cloud.previousValid[view] = true;
}
