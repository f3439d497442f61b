#pragma once
// What a scene render decides before it touches the device: which objects
// are drawn in which order, the depth range the projection is fitted to,
// and the light constants each object's programs read. Portable, so the
// rules are tested natively.

#include "base/math3d.h"

#include <cstdint>

#include <vector>

class LW6Scene;
class LWItem;
class LWObject;

struct DrawItem {
    LWObject* object;
    float sortKey;       // far-corner depth; negated for transparent objects
    uint8_t transparent; // the layer's hasTransparency
};

// Opaque objects first, nearest far corner first; then transparent objects,
// farthest first.
void sortDrawList(std::vector<DrawItem>& list);

// The clip-space depth range of the visible boxes, widened by each box in
// turn; `empty()` until one was added.
struct DepthRange {
    float nearest = 3.4028235e38f;
    float farthest = -3.4028235e38f;
    void add(float zmin, float zmax);
    bool empty() const { return nearest > farthest; }
};

// The range handed to the projection: with nothing visible (or nothing in
// front of the eye), a fixed 0.1 .. 1000; a near plane closer than 1/10000
// of the far distance, or at or behind the eye (the camera inside a box),
// is moved out to that, where the depth buffer still separates what the
// camera sees. Both planes keep a margin of 1/100000 of the far distance
// beyond the boxes, so that nothing sits exactly on them.
void fittedDepthRange(const DepthRange& range, float& nearDistance, float& farDistance);

constexpr int LIGHT_SLOTS = 8;

// The vertex-program light constants of one object (c40-c47 colour, c50-c57
// position in object space, c60-c67 attenuation) and which scene lights
// are switched on for it.
struct LightSlots {
    Vec4 colour[LIGHT_SLOTS];
    Vec4 position[LIGHT_SLOTS];
    Vec4 attenuation[LIGHT_SLOTS];
    std::vector<bool> on; // per scene light
    int used = 0;
};

// From the scene's lights as computed for this frame (their records filled)
// and the object's inverse world matrix (already computed).
void fillLightSlots(const LW6Scene& scene, const LWObject& object, LightSlots& out);
