#pragma once
// Access to Direct3D 8. d3d8.dll is loaded at run time: mingw-w64 ships no
// import library for it, and a machine without it must get the "interface
// cannot be created" path rather than a loader error before the program starts.

#include <windows.h>
#include <d3d8.h>

// Loads d3d8.dll (once) and creates the Direct3D 8 interface; null when the
// DLL or its entry point is missing or the interface cannot be created.
IDirect3D8* createDirect3D();
