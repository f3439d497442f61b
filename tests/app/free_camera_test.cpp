#include "app/free_camera.h"

#include <cmath>

#include <gtest/gtest.h>

TEST(FreeCamera, MovesAlongItsViewAndRightVectors) {
    FreeCamera cam;
    cam.move(0, 2); // unrotated: forward is +z
    EXPECT_FLOAT_EQ(cam.position[2], 2.0f);
    cam.move(3, 0); // right is +x
    EXPECT_FLOAT_EQ(cam.position[0], 3.0f);

    FreeCamera turned;
    turned.rotate(1.5707964f, 0, 0); // a quarter turn to the right: forward becomes +x
    turned.move(0, 1);
    EXPECT_NEAR(turned.position[0], 1.0f, 1e-6f);
    EXPECT_NEAR(turned.position[2], 0.0f, 1e-6f);
    turned.move(1, 0); // and right becomes -z
    EXPECT_NEAR(turned.position[2], -1.0f, 1e-6f);
}

TEST(FreeCamera, LookingDownMovesDownAndStepsStayUnitLength) {
    FreeCamera cam;
    cam.rotate(0.3f, 0.5f, 0.2f);
    float f[3], r[3];
    cam.forwardVector(f);
    cam.rightVector(r);
    EXPECT_NEAR(f[0] * f[0] + f[1] * f[1] + f[2] * f[2], 1.0f, 1e-6f);
    EXPECT_NEAR(r[0] * r[0] + r[1] * r[1] + r[2] * r[2], 1.0f, 1e-6f);
    EXPECT_NEAR(f[0] * r[0] + f[1] * r[1] + f[2] * r[2], 0.0f, 1e-6f);
    EXPECT_LT(f[1], 0.0f); // positive pitch looks down in a left-handed, y-up frame
}

TEST(FreeCamera, PitchIsClampedToAQuarterTurn) {
    FreeCamera cam;
    cam.rotate(0, 1.0f, 0);
    cam.rotate(0, 1.0f, 0);
    EXPECT_FLOAT_EQ(cam.pitch, 1.5707964f);
    cam.rotate(0, -5.0f, 0);
    EXPECT_FLOAT_EQ(cam.pitch, -1.5707964f);
    cam.rotate(7.0f, 0, -2.0f); // yaw and roll are not clamped
    EXPECT_FLOAT_EQ(cam.yaw, 7.0f);
    EXPECT_FLOAT_EQ(cam.roll, -2.0f);
}
