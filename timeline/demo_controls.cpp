#include "demo_controls.h"

#include "lightwave/scene.h"

#define DIRECTINPUT_VERSION 0x0800
#include <dinput.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// The keys the controls answer, as DirectInput codes.
enum ControlKey : int {
    KEY_QUIT = DIK_ESCAPE,
    KEY_WIREFRAME = DIK_Q,
    KEY_ALTERNATE_CAMERA = DIK_L,
    KEY_AMBIENT_DOWN = DIK_NUMPADMINUS,
    KEY_AMBIENT_UP = DIK_NUMPADPLUS,
    KEY_FREE_FLIGHT = DIK_SPACE,
    KEY_RELEASE_HOLD = DIK_RETURN,
    KEY_FLY_LEFT = DIK_A,
    KEY_FLY_RIGHT = DIK_D,
    KEY_FLY_FORWARD = DIK_W,
    KEY_FLY_BACK = DIK_S,
    KEY_RESTART_SCENE = DIK_R,
    KEY_STENCIL = DIK_X,
    KEY_FLASH = DIK_J,
    // Taken as the last key:
    KEY_DIGIT_1 = DIK_1, // 1..9 follow in order, then 0
    KEY_DIGIT_9 = DIK_9,
    KEY_DIGIT_0 = DIK_0,
    KEY_BANK_0 = DIK_F1, // F1..F9: banks 0..8
    KEY_BANK_8 = DIK_F9,
    KEY_BANK_9 = DIK_F11,
    KEY_BANK_10 = DIK_F12,
    KEY_FOV_0 = DIK_NUMPAD1, // keypad 1..3: fov modes 0..2
    KEY_FOV_2 = DIK_NUMPAD3,
    KEY_SPEED_NORMAL = DIK_UP,
    KEY_SLOWER = DIK_LEFT,
    KEY_FASTER = DIK_RIGHT,
    KEY_PAUSE = DIK_DOWN,
    // With Ctrl held, two bank keys serve the author's loop instead.
    KEY_RELOAD = DIK_F5,
    KEY_OVERLAY = DIK_F6,
};
// The ranges above are read by offset from their first key.
static_assert(KEY_DIGIT_9 - KEY_DIGIT_1 == 8 && KEY_DIGIT_0 == KEY_DIGIT_9 + 1);
static_assert(KEY_BANK_8 - KEY_BANK_0 == 8);
static_assert(KEY_FOV_2 - KEY_FOV_0 == 2);

constexpr int LEFT_BUTTON = 0;
constexpr int RIGHT_BUTTON = 1;

constexpr float AMBIENT_STEP = 0.05f;
// Free flight, per frame: keys and buttons move by FLY_STEP scene units; each
// mouse count turns by MOUSE_STEP radians, or slides by as many units.
constexpr float FLY_STEP = 0.01f;
constexpr float MOUSE_STEP = 0.01f;
constexpr double FLASH_SECONDS = 0.1;
constexpr uint32_t FLASH_COLOUR = 0xFFFFFFFF;

// Recorder times are whole milliseconds of demo time, truncated. Before the
// start (a backwards speed) they read 0, as the event clock does, so every
// recorded line stays a valid script line.
int recorderMilliseconds(double time) {
    if (!(time > 0)) return 0;
    const double ms = time * 1000;
    return ms >= double(INT_MAX) ? INT_MAX : int(ms);
}

// Appends one formatted line. Lines are short; a long scene name takes the
// rare heap path instead of being cut.
void record(VirtualFile* recorder, const char* format, ...) {
    if (!recorder) return;
    char line[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    if (size_t(n) < sizeof line) {
        recorder->write(line, uint32_t(n));
        return;
    }
    std::vector<char> longLine(size_t(n) + 1);
    va_start(args, format);
    std::vsnprintf(longLine.data(), longLine.size(), format, args);
    va_end(args);
    recorder->write(longLine.data(), uint32_t(n));
}

void toggle(uint8_t& flag) {
    flag = flag ? 0 : 1;
}

// The constant only: an enveloped intensity overwrites it when evaluated.
void stepAmbient(LW6Scene* scene, bool down, bool up) {
    if (!scene) return;
    float& value = scene->ambientIntensity.value;
    if (down) {
        value -= AMBIENT_STEP;
        if (!(value > 0)) value = 0;
    }
    if (up) {
        value += AMBIENT_STEP;
        if (value >= 1) value = 1;
    }
}

void fly(InputSource& input, DeviceContext& context) {
    const int dx = input.takeMouseDx();
    const int dy = input.takeMouseDy();
    // Movement made while flight was off is dropped, so switching it on
    // does not jerk the camera.
    if (!context.freeFlight) return;
    const bool left = input.button(LEFT_BUTTON);
    const bool right = input.button(RIGHT_BUTTON);
    float sideways = 0, forward = 0;
    if (input.keyDown(KEY_FLY_LEFT)) sideways -= FLY_STEP;
    if (input.keyDown(KEY_FLY_RIGHT)) sideways += FLY_STEP;
    if (input.keyDown(KEY_FLY_FORWARD) || left) forward += FLY_STEP;
    if (input.keyDown(KEY_FLY_BACK) || right) forward -= FLY_STEP;
    if (sideways != 0 || forward != 0) context.moveFreeCamera(sideways, forward);
    if (left && right)
        context.moveFreeCamera(float(dx) * MOUSE_STEP, -float(dy) * MOUSE_STEP);
    else
        context.rotateFreeCamera(float(dx) * MOUSE_STEP, float(dy) * MOUSE_STEP, 0);
}

void selectCamera(DemoControlState& s, int digit) {
    s.context.fovMode = 0;
    LW6Scene* scene = s.firstScene;
    // The bank may come from a script "cam" with any index: keep the
    // arithmetic wide and the index in range.
    const long long n = (long long)s.cameraBank * 10 + digit;
    if (!scene || n < 0 || size_t(n) >= scene->cameras.size()) return;
    scene->currentCamera = scene->cameras[size_t(n)];
    record(s.recorder, "%06d  cam \"%s\" %d\r\n", recorderMilliseconds(s.time),
           scene->fileName.c_str(), int(n));
}

bool ctrlDown(InputSource& input) {
    return input.keyDown(DIK_LCONTROL) || input.keyDown(DIK_RCONTROL);
}

void lastKey(int key, bool ctrl, DemoControlState& s) {
    if (ctrl && key == KEY_RELOAD) {
        s.reloadAsked = true;
    } else if (ctrl && key == KEY_OVERLAY) {
        s.overlayToggled = true;
    } else if (key >= KEY_DIGIT_1 && key <= KEY_DIGIT_0) {
        selectCamera(s, key == KEY_DIGIT_0 ? 0 : key - KEY_DIGIT_1 + 1);
    } else if (key >= KEY_BANK_0 && key <= KEY_BANK_8) {
        s.cameraBank = key - KEY_BANK_0;
    } else if (key >= KEY_FOV_0 && key <= KEY_FOV_2) {
        s.context.fovMode = key - KEY_FOV_0;
        record(s.recorder, "%06d  fov %d\r\n", recorderMilliseconds(s.time), s.context.fovMode);
    } else {
        switch (key) {
        case KEY_BANK_9:
            s.cameraBank = 9;
            break;
        case KEY_BANK_10:
            s.cameraBank = 10;
            break;
        case KEY_SPEED_NORMAL:
            s.speed = 1;
            break;
        case KEY_SLOWER:
            s.speed -= 1;
            break;
        case KEY_FASTER:
            s.speed += 1;
            break;
        case KEY_PAUSE:
            s.speed = 0;
            break;
        default:
            break;
        }
    }
}

} // namespace

void runControls(InputSource& input, DemoControlState& s) {
    DeviceContext& context = s.context;
    LW6Scene* scene = s.firstScene;
    input.poll();
    if (input.keyPressed(KEY_QUIT)) s.done = true;
    if (input.keyPressed(KEY_WIREFRAME)) toggle(context.wireframe);
    if (input.keyPressed(KEY_ALTERNATE_CAMERA)) toggle(context.alternateCamera);
    // Presses are consumed even without a scene, so they cannot act later
    // on a scene that was not there when they were made.
    const bool ambientDown = input.keyPressed(KEY_AMBIENT_DOWN);
    const bool ambientUp = input.keyPressed(KEY_AMBIENT_UP);
    stepAmbient(scene, ambientDown, ambientUp);
    if (input.keyPressed(KEY_FREE_FLIGHT)) toggle(context.freeFlight);
    // A held scene's start time is its frozen scene time; releasing it
    // continues the animation from there.
    if (input.keyPressed(KEY_RELEASE_HOLD) && scene && scene->hold) {
        scene->hold = false;
        scene->startTime = s.time - scene->startTime;
    }
    fly(input, context);
    // Restart: a running scene's time starts again from 0 now; a held one
    // stays held at its first frame (its start time is its frozen time).
    if (input.keyPressed(KEY_RESTART_SCENE) && scene) scene->startTime = scene->hold ? 0 : s.time;
    if (input.keyPressed(KEY_STENCIL)) context.stencilEnable = context.stencilEnable ? 0 : 1;
    if (input.keyPressed(KEY_FLASH)) {
        startEffect(s.effect, EFFECT_FLASH_RISING, s.time, FLASH_SECONDS, FLASH_COLOUR);
        record(s.recorder, "%06d  flash 0.1 0xffffff \r\n", recorderMilliseconds(s.time));
    }
    lastKey(input.takeLastKey(), ctrlDown(input), s);
}
