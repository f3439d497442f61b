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

TEST(SilentSoundSystem, SeekSetsThePositionWhichRunsOnWithTheClock) {
    fakeNow = 10000;
    SilentSoundSystem sound(fakeTick);
    int a = sound.load("a.xm", nullptr);
    int b = sound.load("b.xm", nullptr);
    ASSERT_TRUE(sound.play(a));
    ASSERT_TRUE(sound.play(b));
    fakeNow = 10400;
    // While playing, after stop and before play: it reads the time sought
    // at once and runs on from there.
    EXPECT_TRUE(sound.seek(a, 42.5));
    EXPECT_NEAR(sound.position(a), 42.5, 1e-9);
    EXPECT_NEAR(sound.position(b), 0.4, 1e-9); // the other timer is untouched
    fakeNow = 10650;
    EXPECT_NEAR(sound.position(a), 42.75, 1e-9);
    EXPECT_TRUE(sound.stop(a));
    EXPECT_TRUE(sound.seek(a, 3.0)); // backwards
    fakeNow = 11650;
    EXPECT_NEAR(sound.position(a), 4.0, 1e-9);
    int c = sound.load("c.mp3", nullptr);
    EXPECT_TRUE(sound.seek(c, 1.5));
    EXPECT_NEAR(sound.position(c), 1.5, 1e-9);

    EXPECT_FALSE(sound.seek(0, 1.0));
    EXPECT_FALSE(sound.seek(4, 1.0));
    EXPECT_FALSE(sound.seek(a, -1.0));
    EXPECT_NEAR(sound.position(a), 4.0, 1e-9); // a refused seek moves nothing

    // A timer sought before it plays starts from there, as a tune does; a
    // later play after a stop starts from 0 again.
    fakeNow = 20000;
    EXPECT_TRUE(sound.play(c));
    EXPECT_NEAR(sound.position(c), 1.5, 1e-9);
    fakeNow = 20500;
    EXPECT_NEAR(sound.position(c), 2.0, 1e-9);
    EXPECT_TRUE(sound.stop(c));
    EXPECT_TRUE(sound.play(c));
    EXPECT_NEAR(sound.position(c), 0.0, 1e-9);
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
