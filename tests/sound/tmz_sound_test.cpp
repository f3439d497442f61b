// The library-backed sound system against our tmz.dll under Wine. A headless
// Wine has no audio device, so the library keeps time by the clock there.

#include <windows.h>
#include <mmsystem.h>

#include "files/disk_file.h"
#include "sound/tmz_sound_system.h"

#include <string>

#include <gtest/gtest.h>

namespace {

std::string tune(const char* relative) {
    return std::string(NL_TESTDATA_DIR) + "/music/" + relative;
}

void waitMs(DWORD ms) {
    DWORD start = timeGetTime();
    while (timeGetTime() - start < ms) Sleep(5);
}

} // namespace

TEST(TmzSoundSystem, EachFormatLoadsPlaysAdvancesAndStops) {
    const char* files[] = {"mod/openmpt_test.mod", "xm/libxmp_stereo.xm", "it/libxmp_stereo.it",
                           "mp3/beets_whitenoise.mp3"};
    DiskFile disk;
    TmzSoundSystem sound;
    for (const char* f : files) {
        int handle = sound.load(tune(f).c_str(), &disk);
        ASSERT_EQ(handle, 1) << f;
        EXPECT_NEAR(sound.position(handle), 0.0, 1e-9) << f; // not playing yet
        ASSERT_TRUE(sound.play(handle));
        waitMs(300);
        sound.poll();
        double playing = sound.position(handle);
        EXPECT_GT(playing, 0.1) << f;
        EXPECT_LT(playing, 5.0) << f;
        ASSERT_TRUE(sound.stop(handle));
        // Stopped and rewound: the next play starts from the beginning.
        double stopped = sound.position(handle);
        waitMs(100);
        EXPECT_DOUBLE_EQ(sound.position(handle), stopped) << f;
        EXPECT_LT(stopped, 0.01) << f;
    }
}

TEST(TmzSoundSystem, UnreadableOrRejectedMusicGivesHandleZero) {
    DiskFile disk;
    TmzSoundSystem sound;
    EXPECT_EQ(sound.load(tune("xm/missing.xm").c_str(), &disk), 0);
    // A file the decoders refuse.
    EXPECT_EQ(sound.load((std::string(NL_TESTDATA_DIR) + "/MANIFEST.tsv").c_str(), &disk), 0);
    // Play still starts the clock so that a show without its music keeps time.
    sound.play(0);
    waitMs(200);
    EXPECT_GT(sound.position(0), 0.1);
}
