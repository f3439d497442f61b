#pragma once
// What the main loop runs until the demo player exists: each frame clears
// every output to black and presents; Escape ends it. It has the demo
// player's shape (update, input step, done flag) so the entry is final.

#include "device_context.h"
#include "input_source.h"

class ShellDemo {
public:
    explicit ShellDemo(DeviceContext& context) : context(context) {}
    void init(DisplaySystem&) {}
    void update();
    void inputStep(InputSource& input);
    void teardown() {}
    // Re-applies device states after a reset (nothing to re-apply yet).
    void restoreDeviceStates() {}
    IDirect3DDevice8* currentDevice() const { return context.device; }

    bool done = false;

private:
    DeviceContext& context;
};
