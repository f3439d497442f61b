// The library-backed sound system against our tmz.dll under Wine. A headless
// Wine has no audio device, so the library keeps time by the clock there.

#include <windows.h>
#include <mmsystem.h>

#include "files/disk_file.h"
#include "sound/tmz_sound_system.h"
#include "timeline/demo_music.h"
#include "timeline/demo_timeline.h"
#include "tmz/tmz_api.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string tune(const char* relative) {
    return std::string(NL_TESTDATA_DIR) + "/music/" + relative;
}

void waitMs(DWORD ms) {
    DWORD start = timeGetTime();
    while (timeGetTime() - start < ms) Sleep(5);
}

std::vector<char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double libraryPosition() {
    return tmzPosition() / 65536.0;
}

int32_t units(double seconds) {
    return int32_t(seconds * 65536.0);
}

constexpr double VIDEO_FRAME = 1.0 / 60;

} // namespace

// Straight through the ordinals: seeking while playing, while stopped, and
// (for the 2-second MP3) past the end, where the position runs on over
// silence.
TEST(TmzLibrarySeek, ThePositionReadsTheTimeSoughtAndRunsOnFromThere) {
    const struct {
        const char* file;
        int32_t type;
    } tunes[] = {
        {"xm/libxmp_stereo.xm", 2}, {"it/libxmp_stereo.it", 4}, {"mp3/beets_whitenoise.mp3", 5}};
    for (const auto& t : tunes) {
        std::vector<char> data = readFile(tune(t.file));
        ASSERT_FALSE(data.empty()) << t.file;
        int32_t config[TMZ_CONFIG_WORDS];
        tmzInit(config);
        tmzOpen(nullptr, config);
        ASSERT_EQ(tmzLoad(data.data(), int32_t(data.size()), t.type), 0) << t.file;

        tmzPlay();
        waitMs(200);
        ASSERT_EQ(tmzSeek(units(2.5)), 0) << t.file;
        EXPECT_NEAR(libraryPosition(), 2.5, VIDEO_FRAME) << t.file;
        waitMs(300);
        EXPECT_NEAR(libraryPosition(), 2.8, 0.1) << t.file << " runs on";
        ASSERT_EQ(tmzSeek(units(0.5)), 0) << t.file; // backwards
        EXPECT_NEAR(libraryPosition(), 0.5, VIDEO_FRAME) << t.file;

        // Stopped, the position stands at the time sought; play goes on from it.
        tmzStop();
        ASSERT_EQ(tmzSeek(units(1.25)), 0) << t.file;
        EXPECT_NEAR(libraryPosition(), 1.25, VIDEO_FRAME) << t.file;
        waitMs(100);
        EXPECT_NEAR(libraryPosition(), 1.25, VIDEO_FRAME) << t.file << " stands while stopped";
        tmzPlay();
        EXPECT_NEAR(libraryPosition(), 1.25, VIDEO_FRAME) << t.file;
        waitMs(200);
        EXPECT_NEAR(libraryPosition(), 1.45, 0.1) << t.file << " runs on after play";

        EXPECT_NE(tmzSeek(-65536), 0) << t.file;
        EXPECT_GT(libraryPosition(), 1.3) << t.file << " a refused seek moves nothing";
        tmzShutdown();
    }
}

TEST(TmzLibrarySeek, BeforeTheFirstPlayAndWithoutATune) {
    std::vector<char> data = readFile(tune("xm/libxmp_stereo.xm"));
    ASSERT_FALSE(data.empty());
    int32_t config[TMZ_CONFIG_WORDS];
    tmzInit(config);
    tmzOpen(nullptr, config);
    // No tune: only the clock moves.
    ASSERT_EQ(tmzSeek(units(3.0)), 0);
    EXPECT_NEAR(libraryPosition(), 3.0, VIDEO_FRAME);
    tmzPlay();
    waitMs(200);
    EXPECT_NEAR(libraryPosition(), 3.2, 0.1);
    tmzStop();
    // Loaded, not yet played: the first play starts where the seek put it.
    ASSERT_EQ(tmzLoad(data.data(), int32_t(data.size()), 2), 0);
    EXPECT_NEAR(libraryPosition(), 0.0, 1e-9);
    ASSERT_EQ(tmzSeek(units(7.0)), 0);
    EXPECT_NEAR(libraryPosition(), 7.0, VIDEO_FRAME);
    tmzPlay();
    EXPECT_NEAR(libraryPosition(), 7.0, VIDEO_FRAME);
    waitMs(200);
    EXPECT_NEAR(libraryPosition(), 7.2, 0.1);
    tmzShutdown();
}

// Through the sound system: after "stop" (which rewinds the library) the
// clock counts on from the time sought, and the next play starts there.
TEST(TmzSoundSystem, SeekWhilePlayingAndAfterStop) {
    DiskFile disk;
    TmzSoundSystem sound;
    int handle = sound.load(tune("it/libxmp_stereo.it").c_str(), &disk);
    ASSERT_EQ(handle, 1);
    ASSERT_TRUE(sound.play(handle));
    waitMs(100);
    ASSERT_TRUE(sound.seek(handle, 6.0));
    EXPECT_NEAR(sound.position(handle), 6.0, VIDEO_FRAME);
    ASSERT_TRUE(sound.stop(handle));
    ASSERT_TRUE(sound.seek(handle, 4.0));
    EXPECT_NEAR(sound.position(handle), 4.0, VIDEO_FRAME);
    waitMs(200);
    EXPECT_NEAR(sound.position(handle), 4.2, 0.1); // counting on while stopped
    ASSERT_TRUE(sound.play(handle));
    EXPECT_NEAR(sound.position(handle), 4.0, VIDEO_FRAME); // the library, from where it was put
    EXPECT_FALSE(sound.seek(handle, -2.0));
}

TEST(TmzSoundSystem, EachFormatLoadsPlaysAdvancesAndStops) {
    const char* files[] = {"mod/openmpt_test.mod", "xm/libxmp_stereo.xm", "it/libxmp_stereo.it",
                           "mp3/beets_whitenoise.mp3"};
    DiskFile disk;
    for (const char* f : files) {
        TmzSoundSystem sound;
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
        // Stopped, the position counts on from where it stood, so that the
        // demo clock keeps running...
        double stopped = sound.position(handle);
        EXPECT_GE(stopped, playing) << f;
        waitMs(100);
        EXPECT_GT(sound.position(handle), stopped + 0.05) << f;
        // ...and the library rewound: the next play starts from the beginning.
        ASSERT_TRUE(sound.play(handle));
        EXPECT_LT(sound.position(handle), 0.05) << f;
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

namespace {

// The timeline on the real library, frame by frame on the real clock.
struct LibraryShow : DemoCommands {
    DiskFile disk;
    DemoMusic music;
    DWORD start = timeGetTime();
    struct Ran {
        int index;
        double demo, wall; // seconds
    };
    std::vector<Ran> ran;
    DemoTimeline timeline;
    std::string script;
    TextTokenizer tokenizer{nullptr};

    explicit LibraryShow(const std::string& text) : script(text) {
        music.sound = std::make_unique<TmzSoundSystem>();
        tokenizer.loadText(script.data(), uint32_t(script.size()));
        EXPECT_TRUE(parseScript(tokenizer, timeline.events));
    }
    double wall() const { return (timeGetTime() - start) / 1000.0; }
    // Wall seconds from the first play command (when the music clock began)
    // to the run of event record `i`.
    double sincePlay(size_t i) const {
        for (const Ran& r : ran)
            if (isPlayEvent(timeline.events[size_t(r.index)].id)) return ran[i].wall - r.wall;
        return -1;
    }
    void execute(const ScriptEvent& e, int index) override {
        ran.push_back({index, timeline.time, wall()});
        music.execute(e, &disk);
    }
    double musicPosition() override { return music.position(); }

    // Frames until event `stop` has run or `seconds` passed; the demo time
    // never steps back except where the loop jumps to its mark.
    void play(double seconds, int stop) {
        while (wall() < seconds) {
            const double before = timeline.time;
            const size_t ranBefore = ran.size();
            timeline.advance(musicPosition());
            timeline.runEvents(timeline.now(), *this);
            bool looped = false;
            for (size_t i = ranBefore; i < ran.size(); ++i) {
                looped |= timeline.events[size_t(ran[i].index)].id == EV_STOPSOUND &&
                          timeline.restartMark >= 0;
                if (ran[i].index == stop) return;
            }
            if (!looped) {
                EXPECT_GE(timeline.time, before - 1e-6) << "at " << wall() << " s";
            }
            music.sound->poll();
            Sleep(5);
        }
    }
};

std::string quoted(const char* relative) {
    return "\"" + tune(relative) + "\"";
}

} // namespace

// Cases where the music changes under the clock: the demo time must stay with
// the wall clock (each event runs when its time has come, not later).
TEST(TmzSoundSystem, TheDemoClockStaysWithTheWallClockAcrossTuneChanges) {
    const std::string xm = quoted("xm/libxmp_stereo.xm"), mod = quoted("mod/openmpt_test.mod");
    {
        LibraryShow show("0 playxm " + xm + " 0.400 playmod " + mod + " 0.800 stopdemo");
        show.play(5, 2);
        ASSERT_EQ(show.ran.size(), 3u);
        EXPECT_NEAR(show.ran[2].demo - show.sincePlay(2), 0.0, 0.1) << "second tune";
    }
    {
        LibraryShow show("0 playxm " + xm + " 0.400 stopsound 0.800 stopdemo");
        show.play(5, 2);
        ASSERT_EQ(show.ran.size(), 3u);
        EXPECT_NEAR(show.ran[2].demo - show.sincePlay(2), 0.0, 0.1) << "stopsound";
    }
    {
        // The loop: every turn takes its 0.4 s of wall time from the mark.
        LibraryShow show("0 restart 0 playxm " + xm + " 0.400 stopsound");
        show.play(1.5, -1);
        std::vector<double> stops;
        for (size_t i = 0; i < show.ran.size(); ++i)
            if (show.ran[i].index == 2) stops.push_back(show.sincePlay(i));
        ASSERT_EQ(stops.size(), 3u);
        for (size_t k = 0; k < stops.size(); ++k)
            EXPECT_NEAR(stops[k], 0.4 * double(k + 1), 0.1) << "turn " << k;
        EXPECT_GE(show.timeline.time, 0.0);
        EXPECT_LT(show.timeline.time, 0.4);
    }
}
