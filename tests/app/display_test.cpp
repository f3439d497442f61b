// Outputs, devices and the device context on Wine's Direct3D 8.

#include "app/device_context.h"
#include "app/display_system.h"
#include "base/message_box.h"
#include "tests/support/test_window.h"

#include <gtest/gtest.h>

namespace {

void windowedSettings(DisplaySystem& display) {
    SetupSettings& s = display.settings;
    s.windowed = true;
    s.fullscreen = false;
    s.windowWidth = 200;
    s.windowHeight = 150;
    s.displayFormat = D3DFMT_X8R8G8B8;
    s.backBufferFormat = D3DFMT_X8R8G8B8;
}

} // namespace

TEST(BehaviourFlags, FollowSettingsAndCapabilities) {
    SetupSettings s;
    D3DCAPS8 caps = {};
    EXPECT_EQ(behaviourFlags(s, caps), DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    caps.VertexShaderVersion = D3DVS_VERSION(1, 1); // shaders alone do not make hardware T&L
    EXPECT_EQ(behaviourFlags(s, caps), DWORD(D3DCREATE_SOFTWARE_VERTEXPROCESSING));
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    EXPECT_EQ(behaviourFlags(s, caps), 0x40u);
    caps.VertexShaderVersion = D3DVS_VERSION(0, 0);
    EXPECT_EQ(behaviourFlags(s, caps), 0x80u);
    s.softwareVertexProcessing = true;
    EXPECT_EQ(behaviourFlags(s, caps), 0x20u);
    s.pureDevice = true;
    EXPECT_EQ(behaviourFlags(s, caps), 0x50u);
}

TEST(DisplaySystem, WindowedOutputHasDeviceFormatListsAndContext) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    windowedSettings(display);
    MessageRecorder messages;
    ASSERT_TRUE(display.createOutputs(testWindowClass(), GetModuleHandleA(nullptr)))
        << messages.count();
    ASSERT_EQ(display.outputCount, 1);
    const RenderOutput& o = display.outputs[0];
    ASSERT_NE(o.device, nullptr);
    char title[32] = {};
    GetWindowTextA(o.window, title, sizeof title);
    EXPECT_STREQ(title, "Render Output");
    auto has = [](const std::vector<D3DFORMAT>& list, D3DFORMAT f) {
        for (D3DFORMAT x : list)
            if (x == f) return true;
        return false;
    };
    EXPECT_TRUE(has(o.depthSurfaceFormats, D3DFMT_D24S8));
    EXPECT_FALSE(has(o.depthSurfaceFormats, D3DFMT_D32)); // not offered by Wine here
    EXPECT_TRUE(has(o.textureFormats, D3DFMT_DXT1));
    EXPECT_TRUE(has(o.backBufferFormats, D3DFMT_X8R8G8B8));
    EXPECT_EQ(o.presentParameters.AutoDepthStencilFormat, D3DFMT_D24S8); // first candidate
    EXPECT_EQ(o.presentParameters.BackBufferCount, 2u);

    DeviceContext context(display);
    EXPECT_EQ(context.device, o.device);
    EXPECT_EQ(context.deviceCount, 1);
    EXPECT_TRUE(context.depthHasStencil);
    EXPECT_FALSE(context.lockableDepth);
    EXPECT_EQ(context.shadowMapFormat,
              o.depthTextureFormats.empty() ? D3DFMT_UNKNOWN : o.depthTextureFormats[0]);
    EXPECT_TRUE(context.vertexShaders); // Wine reports vs.1.1 and ps.1.4
    EXPECT_TRUE(context.pixelShaders);
    RECT client;
    GetClientRect(o.window, &client);
    EXPECT_EQ(context.screenWidth, client.right);
    EXPECT_EQ(context.screenHeight, client.bottom);
    EXPECT_EQ(context.colorWriteMask, 15);
    EXPECT_EQ(context.eye, -1);
    EXPECT_EQ(messages.count(), 0u);
}

TEST(DisplaySystem, SoftwareVertexProcessingClearsTheCapabilityFlags) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    windowedSettings(display);
    display.settings.softwareVertexProcessing = true;
    ASSERT_TRUE(display.createOutputs(testWindowClass(), GetModuleHandleA(nullptr)));
    DeviceContext context(display);
    EXPECT_FALSE(context.hardwareTnL);
    EXPECT_FALSE(context.vertexShaders);
    EXPECT_FALSE(context.pixelShaders);
}

TEST(DisplaySystem, WindowedStereoOnOneAdapterOpensTwoWindowsSideBySide) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    windowedSettings(display);
    display.settings.stereo = true;
    ASSERT_TRUE(display.createOutputs(testWindowClass(), GetModuleHandleA(nullptr)));
    ASSERT_EQ(display.outputCount, 2);
    RECT a, b;
    GetWindowRect(display.outputs[0].window, &a);
    GetWindowRect(display.outputs[1].window, &b);
    EXPECT_EQ(b.left - a.left, 200);
    EXPECT_EQ(display.outputs[1].adapter, 0);
    DeviceContext context(display);
    EXPECT_EQ(context.deviceCount, 2);
}

TEST(DisplaySystem, FullScreenStereoNeedsTwoAdapters) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    ASSERT_EQ(display.adapterCount, 1);
    display.settings.stereo = true;
    MessageRecorder messages;
    EXPECT_FALSE(display.createOutputs(testWindowClass(), GetModuleHandleA(nullptr)));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "For fullscreen stereo two adapters are required.");
    EXPECT_EQ(messages.messages()[0].caption, "Error");
    EXPECT_EQ(messages.messages()[0].icon, MessageIcon::Error);
}

TEST(DisplaySystem, UnsatisfiableDeviceShowsTheDeviceErrorBox) {
    DisplaySystem display;
    ASSERT_TRUE(display.enumerateAdapters());
    display.settings.displayFormat = D3DFMT_X8R8G8B8;
    display.settings.backBufferFormat = D3DFMT_X8R8G8B8;
    display.settings.width = 1234; // no such full-screen mode on this screen
    display.settings.height = 567;
    MessageRecorder messages;
    EXPECT_FALSE(display.createOutputs(testWindowClass(), GetModuleHandleA(nullptr)));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.messages()[0].text,
              "Error Creating Direct3d device...\nGuess something went wrong...");
}
