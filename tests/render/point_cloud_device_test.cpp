// A point cloud on a real device under Wine: each point is drawn as a streak
// from where it is now (white) back to where the previous draw saw it
// (fading to black), and the streaks' buffer survives a device reset.

#include "scene_fixture.h"

#include "app/resource_count.h"
#include "lightwave/items.h"
#include "render/metascene_render.h"

namespace {

class PointCloudTest : public SceneRendererTest {
protected:
    // Three points in a row across the view, on an object that moves to the
    // right by 0.4 a second, the camera 6 away.
    LW6Scene& movingCloud() {
        lwo::Layer layer;
        for (uint32_t i = 0; i < 3; ++i) {
            layer.points.push_back({float(i) - 1, 0, 0});
            layer.polygons.push_back({{i}, 0});
        }
        putObject("cloud.lwo", objectOf(layer, surfaceOf("Dots", {1, 1, 1})));
        lws::Scene s;
        lws::Item cloud = objectAt("cloud.lwo", 0, 0, 0);
        lws::MotionKey later = cloud.motion[0];
        later.time = 1;
        later.position[0] = 0.4f;
        cloud.motion.push_back(later);
        s.objects.push_back(cloud);
        s.lights.push_back(lws::Light{});
        s.cameras.push_back(cameraAt(6));
        return load(s);
    }

    // The lit pixels of row `y`: how many, and the leftmost and rightmost.
    static int litInRow(const Readback& r, int y, int& first, int& last) {
        int n = 0;
        first = W;
        last = -1;
        for (int x = 0; x < W; ++x)
            if ((r.rgb(UINT(x), UINT(y)) & 0xFFFFFF) != 0) {
                ++n;
                first = std::min(first, x);
                last = std::max(last, x);
            }
        return n;
    }

    // The row the cloud's points land on.
    int cloudRow(LW6Scene& scene) {
        int x = 0, y = 0;
        screenOf(*scene.currentCamera, {0, 0, 0}, x, y);
        return y;
    }
};

TEST_F(PointCloudTest, PointsStreakBackToWhereTheyWereDrawnLast) {
    LW6Scene& scene = movingCloud();
    int first = 0, last = 0;
    const Readback still = frame(scene, 0);
    const int row = cloudRow(scene);
    // The first draw has no earlier place: each point is a dot.
    EXPECT_LE(litInRow(still, row, first, last), 6);
    EXPECT_GE(litInRow(still, row, first, last), 3);
    // Half a second on, each point trails 0.2 units back to the left.
    const Readback moved = frame(scene, 0.5);
    const int lit = litInRow(moved, row, first, last);
    int x0 = 0, x1 = 0, y = 0;
    screenOf(*scene.currentCamera, {0, 0, 0}, x0, y);
    screenOf(*scene.currentCamera, {0.2f, 0, 0}, x1, y);
    const int trail = x1 - x0;
    EXPECT_GT(trail, 3);
    EXPECT_GE(lit, 3 * (trail - 2));
    // The head is white; the tail has faded.
    int head = 0, tail = 0;
    screenOf(*scene.currentCamera, {1.2f, 0, 0}, head, y);
    screenOf(*scene.currentCamera, {1.0f, 0, 0}, tail, y);
    const uint32_t headColour = moved.rgb(UINT(std::min(head, last)), UINT(row)) & 0xFF;
    const uint32_t tailColour = moved.rgb(UINT(tail + 1), UINT(row)) & 0xFF;
    EXPECT_GT(headColour, tailColour + 60) << headColour << " " << tailColour;
    EXPECT_EQ(0u, messages.count());
}

// The streaks' buffer is of the default pool: it goes before a device reset
// and the next draw makes it again (one buffer, as before), with streaks as
// long as before.
TEST_F(PointCloudTest, TheStreakBufferIsMadeAgainAfterADeviceReset) {
    LW6Scene& scene = movingCloud();
    frame(scene, 0);
    const Readback before = frame(scene, 0.5);
    const long live = liveResources();
    const std::vector<LW6Scene*> drawing = releaseDefaultPool(*meta);
    stage.display.resetAll();
    EXPECT_EQ(D3D_OK, stage.device()->TestCooperativeLevel());
    restoreDefaultPool(*meta, context(), drawing);
    frame(scene, 0.5);
    const Readback after = frame(scene, 1.0); // moved as far again
    const int row = cloudRow(scene);
    int first = 0, last = 0, firstAfter = 0, lastAfter = 0;
    const int lit = litInRow(before, row, first, last);
    EXPECT_NEAR(lit, litInRow(after, row, firstAfter, lastAfter), 3);
    EXPECT_EQ(live, liveResources());
    EXPECT_EQ(0u, messages.count());
}

} // namespace
