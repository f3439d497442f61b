#include "app/input_source.h"
#include "base/message_box.h"
#include "tests/support/test_window.h"

#include <gtest/gtest.h>

TEST(KeyTranslation, MapsVirtualKeysToDirectInputCodes) {
    EXPECT_EQ(MessageInputSource::translate(VK_ESCAPE), 1);
    EXPECT_EQ(MessageInputSource::translate(VK_SPACE), 57);
    EXPECT_EQ(MessageInputSource::translate('0'), 11);
    EXPECT_EQ(MessageInputSource::translate('1'), 2);
    EXPECT_EQ(MessageInputSource::translate('9'), 10);
    EXPECT_EQ(MessageInputSource::translate('Q'), 16);
    EXPECT_EQ(MessageInputSource::translate('L'), 38);
    EXPECT_EQ(MessageInputSource::translate(VK_F12), 88);
    EXPECT_EQ(MessageInputSource::translate(VK_RCONTROL), 157);
    EXPECT_EQ(MessageInputSource::translate(VK_DIVIDE), 181);
    EXPECT_EQ(MessageInputSource::translate(VK_LEFT), 203);
    EXPECT_EQ(MessageInputSource::translate(VK_F16), NO_KEY);
    EXPECT_EQ(MessageInputSource::translate(0), NO_KEY);
    EXPECT_EQ(MessageInputSource::translate(300), NO_KEY);
    int mapped = 0;
    for (unsigned vk = 0; vk < 256; ++vk) mapped += MessageInputSource::translate(vk) != NO_KEY;
    EXPECT_EQ(mapped, 101);
}

TEST(MessageInput, KeysButtonsAndMouseFromMessages) {
    TestWindow window(32, 32);
    MessageInputSource input;
    HWND w = window.handle();
    input.handleMessage(w, WM_KEYDOWN, 'Q', 0);
    EXPECT_TRUE(input.keyDown(16));
    EXPECT_EQ(input.takeLastKey(), 16);
    EXPECT_EQ(input.takeLastKey(), NO_KEY);
    EXPECT_TRUE(input.keyPressed(16));
    EXPECT_FALSE(input.keyPressed(16)); // once per press

    // Pressed and released before anyone looked: not reported.
    input.handleMessage(w, WM_KEYDOWN, VK_SPACE, 0);
    input.handleMessage(w, WM_KEYUP, VK_SPACE, 0);
    EXPECT_FALSE(input.keyPressed(57));

    // An unmapped key reads as no key.
    input.handleMessage(w, WM_KEYDOWN, VK_F16, 0);
    EXPECT_EQ(input.takeLastKey(), NO_KEY);

    input.handleMessage(w, WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    input.handleMessage(w, WM_MOUSEMOVE, MAKEWPARAM(0, 120), MAKELPARAM(13, 15));
    EXPECT_EQ(input.mouseDx, 3);
    EXPECT_EQ(input.mouseDy, -5);
    EXPECT_EQ(input.takeMouseWheel(), 120);
    EXPECT_EQ(input.takeMouseWheel(), 0);
    // Any other forwarded message clears the movement.
    input.handleMessage(w, WM_NULL, 0, 0);
    EXPECT_EQ(input.takeMouseDx(), 0);

    input.handleMessage(w, WM_RBUTTONDOWN, 0, 0);
    EXPECT_TRUE(input.button(1));
    input.handleMessage(w, WM_RBUTTONUP, 0, 0);
    EXPECT_FALSE(input.button(1));
    input.handleMessage(w, WM_MBUTTONDOWN, 0, 0);
    EXPECT_TRUE(input.button(2));
}

TEST(MessageInput, OversizedKeyRaisesTheAssertionAndIsIgnored) {
    TestWindow window(32, 32);
    MessageInputSource input;
    MessageRecorder messages;
    input.handleMessage(window.handle(), WM_KEYDOWN, 256, 0);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "wParam < 256");
    EXPECT_EQ(input.lastKey, NO_KEY);
}

TEST(InputSources, WindowMessagesGetDefaultProcessingOnlyInWindowedMode) {
    TestWindow window(32, 32);
    InputSource full; // the full-screen answer: 1, never the default procedure
    EXPECT_EQ(full.handleMessage(window.handle(), WM_NCHITTEST, 0, MAKELPARAM(5000, 5000)), 1);
    MessageInputSource windowed;
    EXPECT_EQ(windowed.handleMessage(window.handle(), WM_NCHITTEST, 0, MAKELPARAM(5000, 5000)),
              DefWindowProcA(window.handle(), WM_NCHITTEST, 0, MAKELPARAM(5000, 5000)));
}

TEST(DirectInput, FailedInitReportsNoInput) {
    DirectInputSource input;
    EXPECT_FALSE(input.init(nullptr)); // no window to cooperate with
    input.poll();
    input.activate();
    for (int k = 0; k < 256; ++k) ASSERT_FALSE(input.keyDown(k));
    EXPECT_EQ(input.takeLastKey(), NO_KEY);
    EXPECT_EQ(input.takeMouseDx(), 0);
}

TEST(DirectInput, PollOnAWindowReadsWithoutEvents) {
    TestWindow window(64, 64);
    SetForegroundWindow(window.handle());
    window.pump();
    DirectInputSource input;
    input.init(window.handle()); // acquisition needs the foreground, which Wine may not give
    for (int frame = 0; frame < 3; ++frame) {
        window.pump();
        input.poll();
    }
    for (int k = 0; k < 256; ++k) ASSERT_FALSE(input.keyDown(k)) << k;
}
