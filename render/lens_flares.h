#pragma once
// Lens flares on the device: a light with the lens-flare option gets a flare
// that shares the metascene's five generated flare pictures and owns one
// small quad per device; each frame the renderer asks it whether it is
// visible (and at what depth), and draws the visible ones additively over
// the finished scene.

class LW6Scene;
class LWItem;
class LWLight;
class SceneRenderer;

// The preparation hook: makes the light's flare (its pictures registered in
// the scene's metascene once).
void makeLightFlare(LWLight& light, LW6Scene& scene);
// The renderer's hooks.
bool flareVisibleAt(LWLight& light, LWItem& camera, double time, float& depth);
void drawLightFlare(SceneRenderer& renderer, LWLight& light, double time);
