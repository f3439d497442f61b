// The whole chain - cross compiler, Wine, the display, llvmpipe - proven by
// clearing a real Direct3D 8 back buffer and reading the colour back.

#include "tests/support/clear_frame.h"
#include "app/readback.h"
#include "tests/support/test_window.h"

#include <gtest/gtest.h>

TEST(Direct3D, InterfaceIsCreatedFromTheRuntimeLoadedDll) {
    IDirect3D8* d3d = createDirect3D();
    ASSERT_NE(d3d, nullptr);
    EXPECT_GE(d3d->GetAdapterCount(), 1u);
    d3d->Release();
}

TEST(Direct3D, ClearedBackBufferReadsBackInTheClearColour) {
    TestWindow window(64, 48);
    ASSERT_NE(window.handle(), nullptr);
    ClearFrame frame;
    ASSERT_TRUE(openClearFrame(window.handle(), 64, 48, &frame));

    // Two different colours, so that a stale or untouched buffer cannot pass.
    const D3DCOLOR colours[] = {D3DCOLOR_XRGB(0x33, 0x66, 0xCC), D3DCOLOR_XRGB(0xF0, 0x20, 0x08)};
    for (D3DCOLOR colour : colours) {
        drawClearFrame(frame, colour);
        Readback back;
        ASSERT_TRUE(readBackBuffer(frame.device, &back));
        ASSERT_EQ(back.width, 64u);
        ASSERT_EQ(back.height, 48u);
        EXPECT_EQ(back.rgb(0, 0), colour & 0xFFFFFFu);
        EXPECT_EQ(back.rgb(63, 47), colour & 0xFFFFFFu);
        EXPECT_EQ(back.rgb(31, 20), colour & 0xFFFFFFu);
        EXPECT_EQ(frame.device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
    closeClearFrame(frame);
    EXPECT_EQ(frame.device, nullptr);
}

TEST(Direct3D, ClearOfARectangleLeavesTheRestAlone) {
    TestWindow window(32, 32);
    ClearFrame frame;
    ASSERT_TRUE(openClearFrame(window.handle(), 32, 32, &frame));
    drawClearFrame(frame, D3DCOLOR_XRGB(0, 0, 0));
    D3DRECT inner = {8, 8, 24, 24};
    frame.device->Clear(1, &inner, D3DCLEAR_TARGET, D3DCOLOR_XRGB(255, 255, 0), 1.0f, 0);
    Readback back;
    ASSERT_TRUE(readBackBuffer(frame.device, &back));
    EXPECT_EQ(back.rgb(16, 16), 0xFFFF00u);
    EXPECT_EQ(back.rgb(4, 4), 0x000000u);
    EXPECT_EQ(back.rgb(24, 24), 0x000000u); // the rectangle's far edge is exclusive
    closeClearFrame(frame);
}
