#pragma once
// The viewer's controls, once a frame after drawing: ending the show,
// render switches, ambient light, free flight with keys and mouse, pausing
// and playback speed, camera keys with banks, field-of-view modes, and the
// recorder that writes camera cuts, fov changes and flashes as script lines
// (time in milliseconds, six digits, CR LF) into "events.scr"; and the
// author's loop: Ctrl+F5 asks for a reload, Ctrl+F6 for the overlay.

#include "app/device_context.h"
#include "app/input_source.h"
#include "files/virtual_file.h"
#include "screen_effect.h"

class LW6Scene;

// What the controls read and change; the demo player fills it each frame.
struct DemoControlState {
    DeviceContext& context;
    bool& done;
    int& speed;      // multiplier of the clock's advance
    int& cameraBank; // tens digit of the camera keys
    double time;     // demo time, seconds
    ScreenEffect& effect;
    VirtualFile* recorder; // open for writing, or null
    LW6Scene* firstScene;  // of the current metascene; null when there is none
    // Asked for this step (the player acts on them): Ctrl+F5 reloads the
    // script and changed metascenes, Ctrl+F6 shows or hides the overlay.
    bool reloadAsked = false;
    bool overlayToggled = false;
};

// One input step: polls `input`, then acts on the keys in their fixed order.
void runControls(InputSource& input, DemoControlState& state);
