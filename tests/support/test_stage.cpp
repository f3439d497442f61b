#include "test_stage.h"

#include "test_window.h"

bool TestStage::open(int width, int height) {
    if (!display.enumerateAdapters()) return false;
    SetupSettings& s = display.settings;
    s.windowed = true;
    s.windowWidth = width;
    s.windowHeight = height;
    s.displayFormat = s.backBufferFormat = D3DFMT_X8R8G8B8;
    s.noSound = true;
    s.scriptFile = "scene.scr";
    if (!display.createOutputs(testWindowClass(), GetModuleHandleA(nullptr))) return false;
    context = std::make_unique<DeviceContext>(display);
    return true;
}
