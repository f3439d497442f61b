#pragma once
// The Direct3D resources the player made that are still alive. Each one it
// makes is given a small COM object as private data; Direct3D releases that
// object when the resource itself goes, whoever released it last, so the
// count follows the resources without a wrapper around every pointer.

#include <d3d8.h>

// Counts a resource just made (nothing for null).
void countResource(IDirect3DResource8* resource);
void countResource(IDirect3DSurface8* surface);

long liveResources();
