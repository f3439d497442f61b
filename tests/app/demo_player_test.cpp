// The demo player on a real windowed device under Wine, with the silent clock.

#include "app/device_context.h"
#include "app/display_system.h"
#include "base/diag_log.h"
#include "base/message_box.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stage.h"
#include "tests/support/test_window.h"
#include "timeline/demo_player.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

using Stage = TestStage;

// Runs frames until the demo is done or `ms` have passed.
void play(DemoPlayer& demo, DWORD ms) {
    DWORD start = timeGetTime();
    while (!demo.done && timeGetTime() - start < ms) {
        demo.update();
        Sleep(5);
    }
}

} // namespace

TEST(DemoPlayer, RunsTheScriptOnTheClockAndEndsOnStopdemo) {
    TempDir tmp(true);
    tmp.write("scene.scr", "0 playxm none.xm\n0 fov 3\n0 lightflash 1\n0 cam tunnel 1\n"
                           "0:00.300 lightfalloff 1\n0:00.400 stopdemo\n");
    Stage stage;
    ASSERT_TRUE(stage.open());
    MessageRecorder messages;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    {
        DemoPlayer demo(*stage.context);
        demo.init(stage.display);
        ASSERT_FALSE(demo.done);
        EXPECT_EQ(demo.timeline.events.size(), 6u);
        demo.update();
        EXPECT_EQ(stage.context->fovMode, 3);
        EXPECT_EQ(stage.context->lightFlash, 1);
        EXPECT_EQ(stage.context->lightFalloff, 0); // not due yet
        // Both eye passes ran: the right eye's mask is the last one set.
        EXPECT_EQ(stage.context->eye, 1);
        EXPECT_EQ(stage.context->colorWriteMask, 14);
        play(demo, 3000);
        EXPECT_TRUE(demo.done);
        EXPECT_EQ(stage.context->lightFalloff, 1);
        EXPECT_GE(demo.timeline.time, 0.4);
        EXPECT_LT(demo.timeline.time, 1.5);
        demo.teardown();
    }
    // No scenes exist yet: the camera command reports its missing scene.
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "scene != NULL && \"cam: Name nicht vorhanden\"");
    EXPECT_NE(log.str().find("----------- Profiling report --------------"), std::string::npos);
    EXPECT_NE(log.str().find("CompleteRenderTime"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(tmp.path("events.scr")));
}

TEST(DemoPlayer, ScriptErrorEndsTheDemoAtOnce) {
    TempDir tmp(true);
    tmp.write("scene.scr", "0 fov 1\n100 explode\n");
    Stage stage;
    ASSERT_TRUE(stage.open());
    MessageRecorder messages;
    DemoPlayer demo(*stage.context);
    demo.init(stage.display);
    EXPECT_TRUE(demo.done);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.messages()[0].text, "scene.scr(2): Unknown keyword \"explode\"!");
    demo.update(); // harmless after the failed start
}

TEST(DemoPlayer, WithoutMusicTheClockStandsAndOnlyTimeZeroRuns) {
    TempDir tmp(true);
    tmp.write("scene.scr", "0 fov 2\n0:00.050 fov 5\n");
    Stage stage;
    ASSERT_TRUE(stage.open());
    DemoPlayer demo(*stage.context);
    demo.init(stage.display);
    play(demo, 300);
    EXPECT_FALSE(demo.done);
    EXPECT_EQ(demo.timeline.time, 0.0);
    EXPECT_EQ(stage.context->fovMode, 2);
}

TEST(DemoPlayer, MissingScriptGivesAnEmptyShow) {
    TempDir tmp(true);
    Stage stage;
    ASSERT_TRUE(stage.open());
    MessageRecorder messages;
    DemoPlayer demo(*stage.context);
    demo.init(stage.display);
    EXPECT_FALSE(demo.done);
    EXPECT_TRUE(demo.timeline.events.empty());
    demo.update();
    EXPECT_EQ(messages.count(), 0u);
}
