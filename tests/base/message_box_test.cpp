#include "base/message_box.h"

#include <gtest/gtest.h>

TEST(MessageBox, RecorderCapturesCaptionTextAndIcon) {
    MessageRecorder recorder;
    showMessage(nullptr, "Direct3D 8 interface cannot be created", "Error", MessageIcon::Error);
    showMessage(nullptr, "scene.scr(3): bad", "Error", MessageIcon::Warning);
    auto messages = recorder.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption, "Error");
    EXPECT_EQ(messages[0].text, "Direct3D 8 interface cannot be created");
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(messages[1].icon, MessageIcon::Warning);
    EXPECT_TRUE(recorder.saw("(3): bad"));
    EXPECT_FALSE(recorder.saw("not raised"));
    recorder.clear();
    EXPECT_EQ(recorder.count(), 0u);
}

TEST(MessageBox, NestedRecordersRestoreTheOuterOne) {
    MessageRecorder outer;
    {
        MessageRecorder inner;
        showMessage(nullptr, "inner", "c", MessageIcon::None);
        EXPECT_EQ(inner.count(), 1u);
    }
    showMessage(nullptr, "outer", "c", MessageIcon::None);
    ASSERT_EQ(outer.count(), 1u);
    EXPECT_EQ(outer.messages()[0].text, "outer");
}

TEST(MessageBox, NullTextAndCaptionBecomeEmpty) {
    MessageRecorder recorder;
    showMessage(nullptr, nullptr, nullptr, MessageIcon::Information);
    ASSERT_EQ(recorder.count(), 1u);
    EXPECT_EQ(recorder.messages()[0].text, "");
    EXPECT_EQ(recorder.messages()[0].caption, "");
}

TEST(Assertion, FailedConditionRaisesAWarningWithItsTextAndExecutionContinues) {
    MessageRecorder recorder;
    int numLines = 2;
    bool held = NL_ASSERT(numLines == 0 && "Name nicht vorhanden");
    EXPECT_FALSE(held);
    ASSERT_EQ(recorder.count(), 1u);
    Message m = recorder.messages()[0];
    EXPECT_EQ(m.caption, "Assertion failed");
    EXPECT_EQ(m.text, "numLines == 0 && \"Name nicht vorhanden\"");
    EXPECT_EQ(m.icon, MessageIcon::Warning);
}

TEST(Assertion, HoldingConditionRaisesNothing) {
    MessageRecorder recorder;
    int handle = 4, hwnd = 4;
    EXPECT_TRUE(NL_ASSERT(handle == hwnd));
    EXPECT_EQ(recorder.count(), 0u);
}
