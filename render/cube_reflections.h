#pragma once
// Cube-map reflections (reflection option 3): the scene around the object,
// drawn into the six faces of the surface's cube from the object's centre,
// then the surface drawn with the finished cube.
//
// The faces follow the axes of the camera looking at the object, because
// the surface looks its cube up by the camera-space reflection vector. The
// object itself (every object of its layer) is hidden while its cube is
// drawn. The cube is refreshed when the object is drawn at the top level,
// once a frame (a new scene time, camera turn or object place), two of its
// faces at a time after the first full drawing: the second eye pass and
// other objects sharing the surface show it as drawn first. Each output
// draws and shows a cube of its own, on its own device.
// Inside mirrors and other cubes it shows the cube of its latest refresh,
// which also keeps chrome objects facing each other from drawing each other
// without end.

class LoadedLayer;
class LWSurface;
class SceneRenderer;

void drawCubeReflection(SceneRenderer& renderer, LoadedLayer& layer, int surfaceKey, double time);

// Releases the surface's cube and depth targets, every output's (they are
// made again when next drawn): before a device reset and when the surface goes.
void releaseCubeTargets(LWSurface& surface);

constexpr unsigned CUBE_REFLECTION_SIZE = 256;
// Faces drawn a frame once a cube exists (each face is then at most three
// frames old): six full renders of the scene a frame per chrome surface
// were the largest cost of a scene with several.
constexpr int CUBE_FACES_PER_FRAME = 2;
