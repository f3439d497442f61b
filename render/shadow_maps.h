#pragma once
// Shadow maps: each shadow-map light's view of the scene drawn into its
// targets before the camera pass, and the matrix that carries a receiving
// object's points into that map. How a device compares depth textures is
// found by a probe once (some compare only in pixel programs, and in the
// 0..1 depth range rather than the 24-bit one).

#include "app/device_context.h"
#include "base/math3d.h"

class LW6Scene;
class LWObject;
class SceneRenderer;

// The shadow-map pass (top level only).
void renderShadowMaps(SceneRenderer& renderer, LW6Scene& scene, double time);

// c26-c29 for an object that receives the first light's shadow.
void writeShadowMatrix(SceneRenderer& renderer, LW6Scene& scene, LWObject& object, double time);

// The matrix from the light's clip space to shadow-map coordinates: x and y
// into the map (half a texel in), z scaled to the depth range the device
// compares in, with a fixed bias.
Matrix4 shadowBias(int mapSize, bool unitDepth);

// Draws a known depth into a small depth texture and reads back how the
// device compares against it; fills the context's shadow fields. Outside a
// BeginScene/EndScene pair; once per context.
void probeShadowComparison(DeviceContext& context);
