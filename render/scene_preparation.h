#pragma once
// Preparing a scene's drawing resources when its metascene is activated:
// what lights need (their light record reset, a shadow-map light's spot
// texture) and the device geometry of its objects' layers.

class DeviceContext;
class LW6Scene;
class LWLight;


// A shadow-map light's colour target and depth on every device (default
// pool: made again after a device reset); the light's fields hold the
// current device's. On a refusal the light keeps none.
void makeShadowTargets(DeviceContext& context, LWLight& light);
// The light's fields take the current device's shadow targets (before the
// shadow pass, and before a receiver reads them); nothing with one output.
void useShadowTargets(DeviceContext& context, LWLight& light);

// Every light's record; a flare for a light with one; a shadow-map light's
// render targets and spot texture; every object layer's device geometry.
void prepareSceneForDrawing(LW6Scene& scene, void* user);
