#pragma once
// Planar mirrors: the mirror's visible pixels are marked in the stencil
// buffer, the scene is drawn again from the mirrored camera into them, and
// the mirror surface is laid over the reflection as it unmarks them.

class LoadedLayer;
class SceneRenderer;

// Draws surface `surfaceKey` of the layer (a mirror) with its reflection.
void drawPlanarMirror(SceneRenderer& renderer, LoadedLayer& layer, int surfaceKey, double time);
