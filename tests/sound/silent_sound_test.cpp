#include "sound/sound_system.h"

#include <gtest/gtest.h>

namespace {
uint32_t fakeNow = 0;
uint32_t fakeTick() {
    return fakeNow;
}
} // namespace

TEST(SilentSoundSystem, PositionFollowsTheClockFromPlayAndKeepsRunningAfterStop) {
    fakeNow = 5000;
    SilentSoundSystem sound(fakeTick);
    int h = sound.load("music.xm", nullptr);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(sound.load("other.mp3", nullptr), 2);
    EXPECT_TRUE(sound.play(h));
    fakeNow = 6250;
    EXPECT_DOUBLE_EQ(sound.position(h), 1.25);
    EXPECT_TRUE(sound.stop(h));
    fakeNow = 7000;
    EXPECT_DOUBLE_EQ(sound.position(h), 2.0);
    // Playing again restarts from zero.
    EXPECT_TRUE(sound.play(h));
    EXPECT_DOUBLE_EQ(sound.position(h), 0.0);
}

TEST(SilentSoundSystem, InvalidHandlesFail) {
    SilentSoundSystem sound(fakeTick);
    EXPECT_FALSE(sound.play(0));
    EXPECT_FALSE(sound.play(1));
    EXPECT_FALSE(sound.stop(-1));
    EXPECT_EQ(sound.position(3), 0.0);
    sound.load("a", nullptr);
    EXPECT_TRUE(sound.play(1));
    EXPECT_FALSE(sound.play(2));
}

TEST(SilentSoundSystem, SystemClockAdvances) {
    SilentSoundSystem sound;
    int h = sound.load("x", nullptr);
    sound.play(h);
    double first = sound.position(h);
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 1.0);
}

TEST(TuneType, ComesFromTheEndingInAnyCase) {
    EXPECT_EQ(tuneTypeOf("song.mod"), 1);
    EXPECT_EQ(tuneTypeOf("music\\Song.XM"), 2);
    EXPECT_EQ(tuneTypeOf("a.it"), 4);
    EXPECT_EQ(tuneTypeOf("TRACK.MP3"), 5);
    EXPECT_EQ(tuneTypeOf("track.ogg"), 0);
    EXPECT_EQ(tuneTypeOf("xm"), 0);
    EXPECT_EQ(tuneTypeOf(""), 0);
    EXPECT_EQ(tuneTypeOf(nullptr), 0);
}
