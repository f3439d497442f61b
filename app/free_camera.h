#pragma once
// The free-flight camera the author steers with mouse and keys. Angles in
// radians: yaw about the up axis, pitch about the right axis (kept within
// +-pi/2 so the view never flips), roll about the view direction. Left-handed
// like Direct3D: +z looks forward, +x is right, +y up.

struct FreeCamera {
    static constexpr float MAX_PITCH = 1.5707964f;

    float position[3] = {0, 0, 0};
    float yaw = 0;
    float pitch = 0;
    float roll = 0;

    // Unit view direction and unit right vector for the current angles.
    void forwardVector(float out[3]) const;
    void rightVector(float out[3]) const;

    // Moves by `forward` along the view direction and `right` along the right vector.
    void move(float right, float forward);
    // Adds the deltas; pitch is clamped to +-MAX_PITCH.
    void rotate(float dYaw, float dPitch, float dRoll);
};
