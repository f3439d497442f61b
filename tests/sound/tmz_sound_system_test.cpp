// The library-backed sound system over a stand-in library (the real one is
// tested under Wine): what it asks of the library, and its clock after stop.

#include "tests/support/fake_tmz.h"
#include "tests/support/memory_file.h"

#include <gtest/gtest.h>

TEST(TmzSoundSystemClock, AfterStopThePositionCountsOnUntilTheNextPlay) {
    fake_tmz::reset();
    fake_tmz::now = 1000;
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["tune.XM"] = std::vector<uint8_t>(16, 7);
    MemoryFile source(files);
    TmzSoundSystem sound(fake_tmz::library(), fake_tmz::tick);
    EXPECT_EQ(sound.load("missing.xm", &source), 0); // the library is not asked
    EXPECT_EQ(fake_tmz::loads, 0);
    int h = sound.load("tune.XM", &source);
    EXPECT_EQ(h, 1);
    EXPECT_DOUBLE_EQ(sound.position(h), 0.0); // loaded, not playing: the clock stands
    fake_tmz::now += 500;
    EXPECT_DOUBLE_EQ(sound.position(h), 0.0);

    sound.play(h);
    fake_tmz::now += 2000;
    EXPECT_NEAR(sound.position(h), 2.0, 1e-4);
    sound.stop(h);
    EXPECT_DOUBLE_EQ(fake_tmz::seconds(), 0.0); // the library stopped and rewound
    fake_tmz::now += 750;
    EXPECT_NEAR(sound.position(h), 2.75, 1e-4);
    sound.stop(h); // a second stop does not restart the count
    fake_tmz::now += 250;
    EXPECT_NEAR(sound.position(h), 3.0, 1e-4);

    sound.play(h); // the library's position again, from the tune's start
    EXPECT_DOUBLE_EQ(sound.position(h), 0.0);
    fake_tmz::now += 100;
    EXPECT_NEAR(sound.position(h), 0.1, 1e-4);
}

TEST(TmzSoundSystemClock, SeekHandsTheLibraryItsUnitsAndMovesTheStoppedClock) {
    fake_tmz::reset();
    fake_tmz::now = 2000;
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["tune.mp3"] = std::vector<uint8_t>(16, 3);
    MemoryFile source(files);
    TmzSoundSystem sound(fake_tmz::library(), fake_tmz::tick);
    int h = sound.load("tune.mp3", &source);
    ASSERT_EQ(h, 1);

    // Playing: the library gets 1/65536 s and reports from there.
    sound.play(h);
    fake_tmz::now += 300;
    EXPECT_TRUE(sound.seek(h, 2.5));
    EXPECT_EQ(fake_tmz::lastSeek, 2 * 65536 + 32768);
    EXPECT_NEAR(sound.position(h), 2.5, 1e-4);
    fake_tmz::now += 400;
    EXPECT_NEAR(sound.position(h), 2.9, 1e-4);

    // Stopped: the library was rewound; the clock that counts on after a
    // stop moves to the time sought and counts on from there.
    sound.stop(h);
    fake_tmz::now += 1000;
    EXPECT_NEAR(sound.position(h), 3.9, 1e-4);
    EXPECT_TRUE(sound.seek(h, 10.0));
    EXPECT_EQ(fake_tmz::lastSeek, 10 * 65536);
    EXPECT_NEAR(sound.position(h), 10.0, 1e-4);
    fake_tmz::now += 250;
    EXPECT_NEAR(sound.position(h), 10.25, 1e-4);
    // The next play continues in the library from the place sought.
    sound.play(h);
    EXPECT_NEAR(sound.position(h), 10.0, 1e-4);
    fake_tmz::now += 100;
    EXPECT_NEAR(sound.position(h), 10.1, 1e-4);

    // Refused by the library: false, and nothing moves.
    EXPECT_FALSE(sound.seek(h, -1.0));
    EXPECT_LT(fake_tmz::lastSeek, 0);
    EXPECT_NEAR(sound.position(h), 10.1, 1e-4);
}

// A looping show plays its tune again every loop: only the tune the library
// reads is kept, and a tune it refuses leaves that one alive.
TEST(TmzSoundSystemMemory, OnlyTheTuneTheLibraryReadsIsKept) {
    fake_tmz::reset();
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["a.mod"] = std::vector<uint8_t>(32, 1);
    (*files)["b.mp3"] = std::vector<uint8_t>(48, 2);
    MemoryFile source(files);
    TmzSoundSystem sound(fake_tmz::library(), fake_tmz::tick);
    for (int loop = 0; loop < 3; ++loop) {
        ASSERT_EQ(1, sound.load("a.mod", &source));
        EXPECT_EQ(1u, sound.tunesKept());
    }
    ASSERT_EQ(1, sound.load("b.mp3", &source));
    EXPECT_EQ(1u, sound.tunesKept());
    fake_tmz::refuseNext = true;
    EXPECT_EQ(0, sound.load("a.mod", &source));
    EXPECT_EQ(1u, sound.tunesKept());
    // The library still reads the last tune it took (under the sanitizers a
    // freed one would fail here).
    ASSERT_EQ(48, fake_tmz::lastSize);
    int sum = 0;
    for (int i = 0; i < fake_tmz::lastSize; ++i) sum += fake_tmz::lastData[i];
    EXPECT_EQ(96, sum);
}
