#pragma once
// The levels of a progressive layer as the player draws them: the layer is
// built through the player's own mesh building with the file, and each
// level read back as positions and triangles.

#include "meshes/mesh_builder.h"
#include "meshes/progressive_file.h"
#include "mesh_error.h"

class LoadedLayer;

// Builds `layer` (any polygon layer) as the player builds a progressive
// layer with `file`; what the build raises goes to the message handler.
bool buildAsPlayer(const LoadedLayer& layer, const ProgressiveFile& file, MeshArrays& out);

// The triangles the player draws with r point priorities active (from the
// first surface program's set, whose format starts with the position),
// over the welded vertices' positions.
TriangleMesh levelMesh(MeshArrays& arrays, int r);
