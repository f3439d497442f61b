#include "base/color.h"
#include "timeline/screen_effect.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenEffect, ColourArgumentBecomesFloats) {
    ScreenEffect e;
    startEffect(e, EFFECT_FLASH_RISING, 2.0, 0.5, 0x80FF4000);
    EXPECT_FLOAT_EQ(1.0f, e.colour[0]);
    EXPECT_FLOAT_EQ(64.0f / 255.0f, e.colour[1]);
    EXPECT_FLOAT_EQ(0.0f, e.colour[2]);
    EXPECT_FLOAT_EQ(128.0f / 255.0f, e.colour[3]);
    EXPECT_EQ(2.0, e.start);
    // Back to bytes: round half up, clamped.
    EXPECT_EQ(0xFFFF4000u, packColor(e.colour[0], e.colour[1], e.colour[2], 1.0f));
    EXPECT_EQ(0u, packChannel(-0.2f));
    EXPECT_EQ(255u, packChannel(1.7f));
    EXPECT_EQ(128u, packChannel(127.5f / 255.0f));
}

TEST(ScreenEffect, FlashPeaksHalfwayAndEndsAfterItsDuration) {
    ScreenEffect e;
    const double d = 0.4;
    startEffect(e, EFFECT_FLASH_RISING, 10.0, d, 0xFFFFFFFF);
    EffectStep s = stepEffect(e, 10.0 + d / 4);
    EXPECT_TRUE(s.draw);
    EXPECT_NEAR(0.5, s.alpha, 1e-5);
    s = stepEffect(e, 10.0 + d / 2);
    EXPECT_NEAR(1.0, s.alpha, 1e-5);
    EXPECT_EQ(EFFECT_FLASH_RISING, e.kind); // not yet past half
    s = stepEffect(e, 10.0 + 0.21);
    EXPECT_EQ(EFFECT_FLASH_FALLING, e.kind);
    EXPECT_GT(s.alpha, 1.0f); // drawn before the switch: clamped when packed
    s = stepEffect(e, 10.0 + 0.3);
    EXPECT_NEAR(0.5, s.alpha, 1e-5);
    s = stepEffect(e, 10.0 + 0.41);
    EXPECT_TRUE(s.draw);
    EXPECT_EQ(EFFECT_NONE, e.kind);
    EXPECT_FALSE(stepEffect(e, 10.5).draw);
}

TEST(ScreenEffect, FadeInEndsFadeOutStaysCovered) {
    ScreenEffect in;
    startEffect(in, EFFECT_FADE_IN, 0, 2, 0xFF000000);
    EXPECT_NEAR(0.75, stepEffect(in, 0.5).alpha, 1e-6);
    stepEffect(in, 2.01);
    EXPECT_EQ(EFFECT_NONE, in.kind);

    ScreenEffect out;
    startEffect(out, EFFECT_FADE_OUT, 0, 2, 0xFF000000);
    EXPECT_NEAR(0.25, stepEffect(out, 0.5).alpha, 1e-6);
    const EffectStep late = stepEffect(out, 60);
    EXPECT_TRUE(late.draw);
    EXPECT_EQ(255u, packChannel(late.alpha));
    EXPECT_EQ(EFFECT_FADE_OUT, out.kind);
}

TEST(ScreenEffect, BlurNeverDropsBelowItsMinimumNorEnds) {
    ScreenEffect e;
    startEffect(e, EFFECT_BLUR, 1, 2, 0xFFFFFFFF);
    e.blurMinimum = 0.3f;
    EXPECT_NEAR(0.75, stepEffect(e, 1.5).alpha, 1e-6);
    EXPECT_NEAR(0.3, stepEffect(e, 2.8).alpha, 1e-6);
    EXPECT_NEAR(0.3, stepEffect(e, 100).alpha, 1e-6);
    EXPECT_EQ(EFFECT_BLUR, e.kind);
    EXPECT_FLOAT_EQ(1.0f, e.colour[0]);
}

TEST(ScreenEffect, CrossFadeTakesMillisecondsBlurSeconds) {
    ScreenEffect x;
    const char* name = "tunnel";
    startCrossFade(x, 3.0, 500, nullptr, name);
    EXPECT_EQ(EFFECT_CROSS_FADE, x.kind);
    EXPECT_DOUBLE_EQ(0.5, x.duration);
    EXPECT_EQ(name, x.sceneName);
    EXPECT_NEAR(0.5, stepEffect(x, 3.25).alpha, 1e-6);
    ScreenEffect b;
    startBlur(b, 3.0, 500, 0.3f, nullptr);
    EXPECT_DOUBLE_EQ(500, b.duration);
    EXPECT_FLOAT_EQ(0.3f, b.blurMinimum);
    EXPECT_NEAR(0.9995, stepEffect(b, 3.25).alpha, 1e-6);
}

TEST(ScreenEffect, CrossFadeReportsItsEndOnce) {
    ScreenEffect e;
    startCrossFade(e, 0, 250, nullptr, "x");
    EXPECT_FALSE(stepEffect(e, 0.2).crossFadeEnded);
    EXPECT_TRUE(stepEffect(e, 0.3).crossFadeEnded);
    EXPECT_FALSE(stepEffect(e, 0.4).crossFadeEnded);
}

TEST(ScreenEffect, ZeroDurationEndsAtOnceWithoutDividingByZero) {
    ScreenEffect e;
    startEffect(e, EFFECT_FADE_IN, 5, 0, 0xFFFFFFFF);
    EffectStep s = stepEffect(e, 5);
    EXPECT_EQ(0.0f, s.alpha);
    stepEffect(e, 5.001);
    EXPECT_EQ(EFFECT_NONE, e.kind);
}

} // namespace
