#pragma once
// Preparing a scene's drawing resources when its metascene is activated:
// what lights need (their light record reset, a shadow-map light's spot
// texture) and the device geometry of its objects' layers.

class LW6Scene;

void prepareSceneForDrawing(LW6Scene& scene, void* user);
