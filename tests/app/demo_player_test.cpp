// The demo player on a real windowed device under Wine, with the silent clock.

#include "app/device_context.h"
#include "app/display_system.h"
#include "base/diag_log.h"
#include "base/message_box.h"
#include "tests/support/temp_dir.h"
#include "app/input_source.h"
#include "app/readback.h"
#include "base/variant.h"
#include "tests/support/test_stage.h"
#include "tests/support/test_window.h"
#include "timeline/demo_player.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

using Stage = TestStage;

// The player loads "loading.jpg" and "sglow.jpg" at start-up; a show folder has them.
void providePictures(const TempDir& tmp) {
    const std::string picture = std::string(NL_TESTDATA_DIR) + "/images/jpeg/pillow_hopper.jpg";
    std::filesystem::copy_file(picture, tmp.path("loading.jpg"));
    std::filesystem::copy_file(picture, tmp.path("sglow.jpg"));
}

// Keys pressed once each, as the player's input step asks for them.
class ScriptedInput : public InputSource {
public:
    bool keyPressed(int code) override {
        const bool pressed = keys[code] != 0;
        keys[code] = 0;
        return pressed;
    }
};

// Runs frames until the demo is done or `ms` have passed.
void play(DemoPlayer& demo, DWORD ms) {
    DWORD start = timeGetTime();
    while (!demo.done && timeGetTime() - start < ms) {
        demo.update();
        Sleep(5);
    }
}

// A clock the test moves by hand, in place of the music.
uint32_t handTick = 0;
uint32_t readHandTick() {
    return handTick;
}
SoundSystem* makeHandClock() {
    return new SilentSoundSystem(readHandTick);
}

struct CentreGrab {
    bool wanted = false;
    int presents = 0;
    uint32_t rgb = 0;
};
void grabCentre(IDirect3DDevice8* device, void* user) {
    auto* grab = static_cast<CentreGrab*>(user);
    ++grab->presents;
    if (!grab->wanted) return;
    Readback back;
    if (readBackBuffer(device, &back)) grab->rgb = back.rgb(back.width / 2, back.height / 2);
    grab->wanted = false;
}

bool channelsNear(uint32_t rgb, int level, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((rgb >> s) & 0xFF) - level) > tolerance) return false;
    return true;
}

} // namespace

// Half-way through a white fade-in over black every channel shows half the
// colour, whether the frame is drawn in two eye passes or (earlier build) one.
TEST(DemoPlayer, HalfWayThroughAFadeEachProgramShowsHalfTheColour) {
    for (bool prev : {false, true}) {
        setPrevBuild(prev);
        TempDir tmp(true);
        providePictures(tmp);
        tmp.write("scene.scr", "0 playxm a.xm\n0 fadein 1.0 0xffffffff\n");
        Stage stage;
        ASSERT_TRUE(stage.open());
        MessageRecorder quiet;
        CentreGrab grab;
        stage.context->beforePresent = grabCentre;
        stage.context->beforePresentUser = &grab;
        {
            DemoPlayer demo(*stage.context);
            demo.soundFactory = makeHandClock;
            handTick = 10000;
            demo.init(stage.display);
            demo.update(); // the tune starts; the fade starts at 0
            handTick += 500;
            grab.presents = 0;
            grab.wanted = true;
            demo.update();
            EXPECT_EQ(1, grab.presents); // one present a frame with one output
            EXPECT_DOUBLE_EQ(0.5, demo.timeline.time);
            EXPECT_TRUE(channelsNear(grab.rgb, 128, 2))
                << (prev ? "nightloom-prev: " : "nightloom: ") << std::hex << grab.rgb;
            demo.teardown();
        }
    }
    setPrevBuild(false);
}

TEST(DemoPlayer, RunsTheScriptOnTheClockAndEndsOnStopdemo) {
    TempDir tmp(true);
    providePictures(tmp);
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
        // Nothing tells the eyes apart: one pass drew every channel.
        EXPECT_EQ(1, demo.onePassFrames);
        EXPECT_EQ(stage.context->eye, 0);
        EXPECT_EQ(stage.context->colorWriteMask, COLOR_WRITE_ALL);
        // Without the saving both eye passes run: the right eye's mask is
        // the last one set.
        demo.allowOnePass = false;
        demo.update();
        EXPECT_EQ(1, demo.onePassFrames);
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
    providePictures(tmp);
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
    providePictures(tmp);
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
    providePictures(tmp);
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

TEST(DemoPlayer, ColourEffectsStartFromTheScript) {
    TempDir tmp(true);
    providePictures(tmp);
    tmp.write("scene.scr", "0 flash 0.5 0x80ff4000\n");
    Stage stage;
    ASSERT_TRUE(stage.open());
    MessageRecorder messages;
    DemoPlayer demo(*stage.context);
    demo.init(stage.display);
    demo.update();
    EXPECT_EQ(EFFECT_FLASH_RISING, demo.effect.kind);
    EXPECT_DOUBLE_EQ(0.5, demo.effect.duration);
    EXPECT_FLOAT_EQ(1.0f, demo.effect.colour[0]);
    EXPECT_FLOAT_EQ(64.0f / 255.0f, demo.effect.colour[1]);
    EXPECT_EQ(nullptr, demo.effect.texture);
    EXPECT_EQ(0u, messages.count());

    // A later fade replaces it.
    ScriptEvent fade{};
    fade.id = 22;
    fade.args[0].f = 2.0f;
    fade.args[1].i = int32_t(0xff000000);
    demo.timeline.events.push_back(fade);
    demo.update();
    EXPECT_EQ(EFFECT_FADE_OUT, demo.effect.kind);
    EXPECT_DOUBLE_EQ(2.0, demo.effect.duration);
    EXPECT_FLOAT_EQ(0.0f, demo.effect.colour[0]);
}

TEST(DemoPlayer, KeyJFlashesWhiteAndRecordsTheLine) {
    TempDir tmp(true);
    providePictures(tmp);
    Stage stage;
    ASSERT_TRUE(stage.open());
    {
        DemoPlayer demo(*stage.context);
        demo.init(stage.display);
        ScriptedInput input;
        input.keys[0x24] = 1;
        demo.inputStep(input);
        EXPECT_EQ(EFFECT_FLASH_RISING, demo.effect.kind);
        EXPECT_DOUBLE_EQ(0.1, demo.effect.duration);
        EXPECT_FLOAT_EQ(1.0f, demo.effect.colour[2]);
        demo.teardown();
    }
    std::ifstream recorded(tmp.path("events.scr"), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(recorded)), std::istreambuf_iterator<char>());
    EXPECT_EQ("000000  flash 0.1 0xffffff \r\n", text);
}

TEST(DemoPlayer, MissingLoadingPicturesAreReportedAndTheShowGoesOn) {
    TempDir tmp(true);
    tmp.write("scene.scr", "0 fov 4\n");
    Stage stage;
    ASSERT_TRUE(stage.open());
    MessageRecorder messages;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    DemoPlayer demo(*stage.context);
    demo.init(stage.display);
    demo.update();
    EXPECT_EQ(4, stage.context->fovMode);
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("Texture pointer zero\n", messages.messages()[0].text);
    EXPECT_NE(std::string::npos, log.str().find("loading.jpg missing!\n"));
    EXPECT_NE(std::string::npos, log.str().find("sglow.jpg missing!\n"));
    EXPECT_NE(nullptr, demo.loadingScreen.picture->texture()); // the fallback
}
