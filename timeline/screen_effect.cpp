#include "screen_effect.h"

#include "base/color.h"

#include <algorithm>

void startEffect(ScreenEffect& effect, int kind, double time, double duration, uint32_t argb,
                 Texture* texture) {
    effect.kind = kind;
    effect.start = time;
    effect.duration = duration;
    unpackColor(argb, effect.colour);
    effect.texture = texture;
    effect.sceneName = nullptr;
}

void startCrossFade(ScreenEffect& effect, double time, double milliseconds, Texture* target,
                    const char* sceneName) {
    startEffect(effect, EFFECT_CROSS_FADE, time, milliseconds / 1000, 0xFFFFFFFF, target);
    effect.sceneName = sceneName;
}

void startBlur(ScreenEffect& effect, double time, double seconds, float minimum, Texture* target) {
    startEffect(effect, EFFECT_BLUR, time, seconds, 0xFFFFFFFF, target);
    effect.blurMinimum = minimum;
}

EffectStep stepEffect(ScreenEffect& effect, double time) {
    EffectStep step;
    if (effect.kind == EFFECT_NONE) return step;
    const double e = time - effect.start;
    // An effect of no duration has run its course at once (and never divides by zero).
    const double t = effect.duration > 0 ? e / effect.duration : 1.0;
    step.draw = true;
    switch (effect.kind) {
    case EFFECT_FLASH_RISING:
        step.alpha = float(2 * t);
        if (e > effect.duration / 2) effect.kind = EFFECT_FLASH_FALLING;
        break;
    case EFFECT_FLASH_FALLING:
        step.alpha = float(2 - 2 * t);
        if (e > effect.duration) effect.kind = EFFECT_NONE;
        break;
    case EFFECT_FADE_IN:
        step.alpha = float(1 - t);
        if (e > effect.duration) effect.kind = EFFECT_NONE;
        break;
    case EFFECT_FADE_OUT:
        step.alpha = float(t);
        break;
    case EFFECT_CROSS_FADE:
        step.alpha = float(t);
        if (e > effect.duration) {
            effect.kind = EFFECT_NONE;
            step.crossFadeEnded = true;
        }
        break;
    case EFFECT_BLUR:
        step.alpha = std::max(float(1 - t), effect.blurMinimum);
        effect.colour[0] = effect.colour[1] = effect.colour[2] = 1.0f;
        break;
    default:
        step.draw = false;
        break;
    }
    return step;
}
