#pragma once
// The arrays of a point-cloud layer, whose points are drawn each frame as
// screen-space motion streaks: one line per point from where it is now
// (white) to where it was in the previous drawn frame (black). The device
// layer fills in the screen positions at draw time.

#include "bounding_box.h"
#include "buffer_set.h"

#include <cstdint>
#include <vector>

class LoadedLayer;

// A transformed, lit vertex (FVF 0x144: XYZRHW, DIFFUSE, TEX1), 28 bytes.
struct StreakVertex {
    float x = 0, y = 0, z = 0, rhw = 0;
    uint32_t diffuse = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(StreakVertex) == 28, "FVF 0x144 vertices are 28 bytes");
constexpr uint32_t STREAK_FVF = 0x144;

// The views a cloud keeps its points' last places for: the two eyes of
// each of two outputs.
constexpr int STREAK_VIEWS = 4;

struct PointCloudArrays {
    MeshBoundingBox box;
    int count = 0;                 // points
    std::vector<float> positions;  // 3 per point
    std::vector<uint32_t> indices; // 0 .. 2 count - 1, one line per point
    MeshIndexFormat indexFormat = MESH_INDEX16;
    std::vector<StreakVertex> vertices; // 2 per point: head white, tail black
    // Screen x, y, z, rhw of each point at the previous draw, for each view
    // (each eye of each output sees the points from a place of its own);
    // unset until a view's first draw, which starts them where the points
    // are (zero-length streaks).
    std::vector<float> previous[STREAK_VIEWS];
    bool previousValid[STREAK_VIEWS] = {};
};

// Places each point's streak for a frame seen through `m` (world x view x
// projection) on a screen of width x height: the head where the point is
// now, the tail where it was at the previous call for the same `view` (one
// pixel to the right, so a still point still shows), then remembers the
// head. A point at or behind the eye is put off the screen.
void placeStreaks(PointCloudArrays& cloud, const Matrix4& m, int width, int height,
                  int view = 0);

// False, with the "multiple buffers" message, when the device cannot address
// 2 count vertices.
bool buildPointCloud(const LoadedLayer& layer, const MeshDeviceLimits& limits,
                     PointCloudArrays& out);
