// The viewer's controls and the recorder, on a device context without a
// device: keys come from a source that delivers them at its poll, recorded
// lines go to memory.

#include "app/device_context.h"
#include "app/display_system.h"
#include "app/input_source.h"
#include "lightwave/scene.h"
#include "timeline/demo_controls.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Presses reach the key table only when the controls poll, as with DirectInput.
class PolledInput : public InputSource {
public:
    void press(int code) { pending.push_back(code); }
    void poll() override {
        for (int code : pending) {
            keys[code] = 1;
            lastKey = uint8_t(code);
        }
        pending.clear();
    }

private:
    std::vector<int> pending;
};

// A recorder file that keeps what is written.
class MemoryRecorder : public VirtualFile {
public:
    VirtualFile* clone() const override { return new MemoryRecorder; }
    bool exists(const char*) override { return false; }
    bool openRead(const char*) override { return false; }
    bool openWrite(const char*) override { return true; }
    bool close() override { return true; }
    uint32_t read(void*, uint32_t) override { return 0; }
    uint32_t write(const void* buffer, uint32_t count) override {
        text.append(static_cast<const char*>(buffer), count);
        return count;
    }
    bool seek(uint32_t) override { return false; }
    bool seekRelative(int32_t) override { return false; }
    uint32_t tell() override { return uint32_t(text.size()); }

    std::string text;
};

class DemoControls : public ::testing::Test {
protected:
    DemoControls() {
        for (int i = 0; i < CAMERAS; ++i) scene.cameras.push_back(new LWCamera(&context));
        scene.currentCamera = scene.cameras[0];
        scene.fileName = "harbour.lws";
    }

    void step(std::initializer_list<int> pressed = {}) {
        for (int code : pressed) input.press(code);
        runControls(input, state);
    }
    LWCamera* camera(int n) const { return scene.cameras[size_t(n)]; }

    static constexpr int CAMERAS = 16;
    DisplaySystem display;
    DeviceContext context{display};
    bool done = false;
    int speed = 1;
    int cameraBank = 0;
    ScreenEffect effect;
    MemoryRecorder recorder;
    LW6Scene scene{&context, nullptr};
    DemoControlState state{context, done, speed, cameraBank, 0.0, effect, &recorder, &scene};
    PolledInput input;
};

TEST_F(DemoControls, EscapeEndsTheShowOnlyWhenPressed) {
    step();
    EXPECT_FALSE(done);
    step({DIK_ESCAPE});
    EXPECT_TRUE(done);
}

TEST_F(DemoControls, SwitchKeysToggleTheirSwitchOnEachPress) {
    step({DIK_Q, DIK_L, DIK_SPACE, DIK_X});
    EXPECT_EQ(context.wireframe, 1);
    EXPECT_EQ(context.alternateCamera, 1);
    EXPECT_EQ(context.freeFlight, 1);
    EXPECT_EQ(context.stencilEnable, 0);
    step(); // a press acts once
    EXPECT_EQ(context.wireframe, 1);
    step({DIK_Q, DIK_L, DIK_SPACE, DIK_X});
    EXPECT_EQ(context.wireframe, 0);
    EXPECT_EQ(context.alternateCamera, 0);
    EXPECT_EQ(context.freeFlight, 0);
    EXPECT_EQ(context.stencilEnable, 1);
}

TEST_F(DemoControls, KeypadMinusAndPlusStepTheAmbientIntensityWithinZeroToOne) {
    step({DIK_NUMPADMINUS});
    EXPECT_FLOAT_EQ(scene.ambientIntensity.value, 0.20f);
    step({DIK_NUMPADPLUS});
    step({DIK_NUMPADPLUS});
    EXPECT_FLOAT_EQ(scene.ambientIntensity.value, 0.30f);

    scene.ambientIntensity.value = 0.94f;
    step({DIK_NUMPADPLUS});
    EXPECT_FLOAT_EQ(scene.ambientIntensity.value, 0.99f);
    step({DIK_NUMPADPLUS}); // would pass 1
    EXPECT_EQ(scene.ambientIntensity.value, 1.0f);
    step({DIK_NUMPADPLUS});
    EXPECT_EQ(scene.ambientIntensity.value, 1.0f);

    scene.ambientIntensity.value = 0.03f;
    step({DIK_NUMPADMINUS}); // would go below 0
    EXPECT_EQ(scene.ambientIntensity.value, 0.0f);
    step({DIK_NUMPADMINUS});
    EXPECT_EQ(scene.ambientIntensity.value, 0.0f);
}

TEST_F(DemoControls, ReturnReleasesAHeldSceneWhereItStood) {
    scene.startTime = 3.0;
    state.time = 10.0;
    step({DIK_RETURN}); // running: nothing to release
    EXPECT_DOUBLE_EQ(scene.startTime, 3.0);

    scene.hold = true;
    scene.startTime = 2.5; // the frozen scene time
    step({DIK_RETURN});
    EXPECT_FALSE(scene.hold);
    EXPECT_DOUBLE_EQ(state.time - scene.startTime, 2.5);
}

TEST_F(DemoControls, RRestartsTheFirstSceneFromItsBeginning) {
    scene.startTime = 1.0;
    state.time = 4.25;
    step({DIK_R});
    EXPECT_DOUBLE_EQ(scene.startTime, 4.25);

    scene.hold = true;
    scene.startTime = 2.0;
    step({DIK_R}); // stays held, at scene time 0
    EXPECT_TRUE(scene.hold);
    EXPECT_DOUBLE_EQ(scene.startTime, 0.0);
}

TEST_F(DemoControls, JStartsAWhiteFlashAndRecordsItsLine) {
    state.time = 12.3456;
    step({DIK_J});
    EXPECT_EQ(effect.kind, EFFECT_FLASH_RISING);
    EXPECT_DOUBLE_EQ(effect.start, 12.3456);
    EXPECT_DOUBLE_EQ(effect.duration, 0.1);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(effect.colour[c], 1.0f);
    EXPECT_EQ(recorder.text, "012345  flash 0.1 0xffffff \r\n");
}

TEST_F(DemoControls, RecordedTimesAreWholeMillisecondsTruncatedAndNeverNegative) {
    state.time = 1.9996;
    step({DIK_J});
    state.time = 754.0;
    step({DIK_J});
    state.time = 1234.5678;
    step({DIK_NUMPAD2});
    state.time = -2.5; // before the start, with a backwards speed
    step({DIK_J});
    EXPECT_EQ(recorder.text, "001999  flash 0.1 0xffffff \r\n"
                             "754000  flash 0.1 0xffffff \r\n"
                             "1234567  fov 1\r\n"
                             "000000  flash 0.1 0xffffff \r\n");
}

TEST_F(DemoControls, DigitsSelectCamerasOfTheBankAndRecordTheCut) {
    context.fovMode = 2;
    step({DIK_3});
    EXPECT_EQ(scene.currentCamera, camera(3));
    EXPECT_EQ(context.fovMode, 0);
    step({DIK_F2});
    EXPECT_EQ(cameraBank, 1);
    state.time = 2.0;
    step({DIK_5});
    EXPECT_EQ(scene.currentCamera, camera(15));
    step({DIK_0});
    EXPECT_EQ(scene.currentCamera, camera(10));
    step({DIK_J, DIK_2}); // lines in the order of the keys' handling
    EXPECT_EQ(recorder.text, "000000  cam \"harbour.lws\" 3\r\n"
                             "002000  cam \"harbour.lws\" 15\r\n"
                             "002000  cam \"harbour.lws\" 10\r\n"
                             "002000  flash 0.1 0xffffff \r\n"
                             "002000  cam \"harbour.lws\" 12\r\n");
}

TEST_F(DemoControls, ACameraNumberBeyondTheSceneIsIgnoredButTheFovModeStillResets) {
    step({DIK_4});
    step({DIK_F2});
    context.fovMode = 1;
    step({DIK_6}); // camera 16 of 16
    EXPECT_EQ(scene.currentCamera, camera(4));
    EXPECT_EQ(context.fovMode, 0);
    EXPECT_EQ(recorder.text, "000000  cam \"harbour.lws\" 4\r\n");

    cameraBank = -3; // as a script "cam" with a negative index leaves it
    step({DIK_7});
    EXPECT_EQ(scene.currentCamera, camera(4));
}

TEST_F(DemoControls, FunctionKeysChooseTheCameraBank) {
    const std::pair<int, int> banks[] = {
        {DIK_F1, 0}, {DIK_F5, 4}, {DIK_F9, 8}, {DIK_F11, 9}, {DIK_F12, 10}};
    for (const auto& [key, bank] : banks) {
        cameraBank = -1;
        step({key});
        EXPECT_EQ(cameraBank, bank) << "key " << key;
    }
    step({DIK_F10}); // not a bank key
    EXPECT_EQ(cameraBank, 10);
    step({DIK_DOWN, DIK_F3}); // only the most recent key of a step counts
    EXPECT_EQ(cameraBank, 2);
    EXPECT_EQ(speed, 1);
}

TEST_F(DemoControls, KeypadOneToThreeSetTheFovModeAndRecordIt) {
    state.time = 0.5;
    step({DIK_NUMPAD3});
    EXPECT_EQ(context.fovMode, 2);
    step({DIK_NUMPAD2});
    EXPECT_EQ(context.fovMode, 1);
    step({DIK_NUMPAD1});
    EXPECT_EQ(context.fovMode, 0);
    EXPECT_EQ(recorder.text, "000500  fov 2\r\n000500  fov 1\r\n000500  fov 0\r\n");
}

TEST_F(DemoControls, ArrowsPauseResumeAndChangeTheSpeed) {
    step({DIK_RIGHT});
    EXPECT_EQ(speed, 2);
    step({DIK_LEFT});
    step({DIK_LEFT});
    step({DIK_LEFT});
    EXPECT_EQ(speed, -1);
    step({DIK_DOWN});
    EXPECT_EQ(speed, 0);
    step({DIK_UP});
    EXPECT_EQ(speed, 1);
}

TEST_F(DemoControls, FreeFlightMovesWithKeysAndButtonsAndTurnsWithTheMouse) {
    const FreeCamera& cam = context.freeCamera;
    input.keys[DIK_W] = 1;
    input.mouseDx = 5;
    step(); // flight off: nothing moves, and the movement is dropped
    EXPECT_EQ(cam.position[2], 0.0f);

    step({DIK_SPACE}); // on for this very step: W moves along +z
    EXPECT_FLOAT_EQ(cam.position[2], 0.01f);
    EXPECT_EQ(cam.yaw, 0.0f);

    input.keys[DIK_W] = 0;
    input.keys[DIK_D] = 1;
    input.buttons[1] = 1; // right button: back
    step();
    EXPECT_FLOAT_EQ(cam.position[0], 0.01f);
    EXPECT_NEAR(cam.position[2], 0.0f, 1e-7f);

    input.keys[DIK_D] = 0;
    input.keys[DIK_A] = 1;
    input.keys[DIK_S] = 1;
    input.buttons[1] = 0;
    step();
    EXPECT_NEAR(cam.position[0], 0.0f, 1e-7f);
    EXPECT_FLOAT_EQ(cam.position[2], -0.01f);

    input.keys[DIK_A] = input.keys[DIK_S] = 0;
    input.mouseDx = 10;
    input.mouseDy = -5;
    step();
    EXPECT_FLOAT_EQ(cam.yaw, 0.1f);
    EXPECT_FLOAT_EQ(cam.pitch, -0.05f);
    step(); // the movement was taken
    EXPECT_FLOAT_EQ(cam.yaw, 0.1f);
}

TEST_F(DemoControls, BothButtonsSlideTheCameraWithTheMouseInsteadOfTurning) {
    step({DIK_SPACE});
    input.buttons[0] = input.buttons[1] = 1; // their forward steps cancel
    input.mouseDx = 10;
    input.mouseDy = 20;
    step();
    const FreeCamera& cam = context.freeCamera;
    EXPECT_FLOAT_EQ(cam.position[0], 0.1f);
    EXPECT_FLOAT_EQ(cam.position[2], -0.2f);
    EXPECT_EQ(cam.yaw, 0.0f);
    EXPECT_EQ(cam.pitch, 0.0f);
}

TEST_F(DemoControls, ALongSceneNameIsRecordedWhole) {
    scene.fileName = std::string(300, 'n') + ".lws";
    step({DIK_1});
    EXPECT_EQ(recorder.text, "000000  cam \"" + scene.fileName + "\" 1\r\n");
}

TEST_F(DemoControls, WithoutAFirstSceneItsKeysDoNothing) {
    state.firstScene = nullptr;
    state.recorder = nullptr;
    context.fovMode = 2;
    step({DIK_NUMPADMINUS, DIK_RETURN, DIK_R, DIK_J, DIK_1});
    EXPECT_EQ(context.fovMode, 0);
    EXPECT_EQ(effect.kind, EFFECT_FLASH_RISING); // keys that need no scene still act

    // Presses made without a scene do not act once one is there.
    state.firstScene = &scene;
    scene.hold = true;
    scene.startTime = 1.0;
    state.time = 5.0;
    step();
    EXPECT_TRUE(scene.hold);
    EXPECT_DOUBLE_EQ(scene.startTime, 1.0);
    EXPECT_FLOAT_EQ(scene.ambientIntensity.value, 0.25f);
    EXPECT_EQ(scene.currentCamera, camera(0));
}

} // namespace

TEST_F(DemoControls, CtrlWithF5AsksForAReloadAndWithF6ForTheOverlay) {
    cameraBank = 3;
    step({DIK_LCONTROL, DIK_F5});
    EXPECT_TRUE(state.reloadAsked);
    EXPECT_FALSE(state.overlayToggled);
    EXPECT_EQ(cameraBank, 3); // not a bank key while Ctrl is held
    state.reloadAsked = false;
    input.keys[DIK_LCONTROL] = 0; // the right Ctrl serves as well
    input.keys[DIK_RCONTROL] = 1;
    step({DIK_F6});
    EXPECT_TRUE(state.overlayToggled);
    EXPECT_FALSE(state.reloadAsked);
    EXPECT_EQ(cameraBank, 3);
    // Released, they choose banks 4 and 5 as before.
    input.keys[DIK_RCONTROL] = 0;
    state.overlayToggled = false;
    step({DIK_F5});
    EXPECT_EQ(cameraBank, 4);
    step({DIK_F6});
    EXPECT_EQ(cameraBank, 5);
    EXPECT_FALSE(state.reloadAsked);
    EXPECT_FALSE(state.overlayToggled);
    EXPECT_TRUE(recorder.text.empty()); // none of this is a script line
}
