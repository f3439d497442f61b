#pragma once
// The full-screen effect laid over each frame: a flash, a fade in or out, a
// cross-fade to a scene drawing into a texture, or a blur, each a textured,
// vertex-coloured quad whose alpha follows the effect's time curve. This
// part is the curve and its end rules, apart from the device; the quad is
// drawn by effect_drawing.h.

#include <cstdint>

class Texture;

enum EffectKind {
    EFFECT_NONE = 0,
    EFFECT_FLASH_RISING = 1,
    EFFECT_FLASH_FALLING = 2,
    EFFECT_FADE_IN = 3,
    EFFECT_FADE_OUT = 4,
    EFFECT_CROSS_FADE = 5,
    EFFECT_BLUR = 6,
};

struct ScreenEffect {
    int kind = EFFECT_NONE;
    double start = 0;                // timeline seconds when the effect began
    double duration = 0;             // seconds
    float colour[4] = {0, 0, 0, 0};  // red, green, blue 0..1; the fourth is kept, not drawn
    float blurMinimum = 0;           // lower bound of the blur's alpha
    Texture* texture = nullptr;      // not owned; none for colour effects
    const char* sceneName = nullptr; // cross-fade target, points into the script text
};

// What to draw this frame, and whether a cross-fade has just ended.
struct EffectStep {
    bool draw = false;
    float alpha = 0; // may leave 0..1 on the last frame; the colour packing clamps
    bool crossFadeEnded = false;
};

// Starts `kind` at `time` with colour 0xAARRGGBB (each channel / 255); a new
// effect replaces the running one.
void startEffect(ScreenEffect& effect, int kind, double time, double duration, uint32_t argb,
                 Texture* texture = nullptr);

// The two effects on a scene's render target: a cross-fade lasts
// `milliseconds`, a blur `seconds` with its alpha never below `minimum`; both
// draw in white. (Used by the xfade and blur commands once scenes draw into
// textures.)
void startCrossFade(ScreenEffect& effect, double time, double milliseconds, Texture* target,
                    const char* sceneName);
void startBlur(ScreenEffect& effect, double time, double seconds, float minimum, Texture* target);

// Evaluates the curve at timeline `time` and applies the end rules (flash
// rising turns falling after half its time; flash falling, fade in and
// cross-fade end after their time; fade out and blur stay).
EffectStep stepEffect(ScreenEffect& effect, double time);
