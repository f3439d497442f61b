#pragma once
// The resolved display and run options. Created with the defaults below by
// the display system, filled from the setup dialog's controls.

#include <windows.h>
#include <d3d8.h>

#include <string>

struct SetupSettings {
    bool gui = false;
    bool windowed = false;
    int width = 800; // full-screen mode
    int height = 600;
    int windowWidth = 810;
    int windowHeight = 630;
    bool referenceRasterizer = false;
    bool softwareVertexProcessing = false;
    bool pureDevice = false;
    bool stereo = false;
    bool noSound = false;
    bool fullscreen = false; // the negation of windowed, set when the controls are read
    D3DFORMAT displayFormat = D3DFMT_UNKNOWN;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    int multiSample = 0; // 0 none, else 2..16 samples
    int adapter = 0;
    int breakAlloc = 0;     // carried for debugging, unused by the player
    std::string scriptFile; // empty: none chosen
};
