// The demo clock through the script's music commands, with both sound
// systems: the silent one, and the library-backed one over a stand-in that
// stops and rewinds as the sound library does. Frames are 10 ms of a clock
// the test moves.

#include "tests/support/fake_tmz.h"
#include "tests/support/memory_file.h"
#include "timeline/demo_music.h"
#include "timeline/demo_timeline.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t FRAME_MS = 10;
constexpr double FRAME_S = FRAME_MS / 1000.0;

enum class Sound { Silent, Library };

struct Show : DemoCommands {
    explicit Show(Sound kind) : files(std::make_shared<MemoryFile::Files>()), source(files) {
        (*files)["a.xm"] = std::vector<uint8_t>(64, 1);
        (*files)["b.xm"] = std::vector<uint8_t>(64, 2);
        fake_tmz::reset();
        fake_tmz::now = 50000;
        if (kind == Sound::Silent)
            music.sound = std::make_unique<SilentSoundSystem>(fake_tmz::tick);
        else
            music.sound = std::make_unique<TmzSoundSystem>(fake_tmz::library(), fake_tmz::tick);
    }
    void execute(const ScriptEvent& e, int index) override {
        ran.push_back({index, wallSeconds()});
        music.execute(e, &source);
    }
    double musicPosition() override { return music.position(); }
    double wallSeconds() const { return (fake_tmz::now - 50000) / 1000.0; }

    struct Ran {
        int index;
        double wall; // seconds since the show began
    };
    std::shared_ptr<MemoryFile::Files> files;
    MemoryFile source;
    DemoMusic music;
    std::vector<Ran> ran;
};

DemoTimeline timelineOf(const std::string& script, TextTokenizer& t) {
    t.loadText(script.data(), uint32_t(script.size()));
    DemoTimeline tl;
    EXPECT_TRUE(parseScript(t, tl.events));
    return tl;
}

// Runs 10 ms frames until `seconds` of wall time have passed or event `stop`
// has run; fails on any backward step or a step larger than one frame,
// except where the timeline loops back to a mark (`loopsAllowed`).
void play(DemoTimeline& tl, Show& show, double seconds, int stop, bool loopsAllowed = false) {
    bool first = true;
    while (show.wallSeconds() < seconds) {
        if (!first) fake_tmz::now += FRAME_MS;
        first = false;
        const double before = tl.time;
        const size_t ranBefore = show.ran.size();
        tl.advance(show.musicPosition());
        tl.runEvents(tl.now(), show);
        const double step = tl.time - before;
        bool looped = false;
        for (size_t i = ranBefore; i < show.ran.size(); ++i)
            looped |= tl.events[size_t(show.ran[i].index)].id == EV_STOPSOUND &&
                      tl.restartMark >= 0 && tl.loop;
        if (!(looped && loopsAllowed)) {
            ASSERT_GE(step, -1e-6) << "backward at " << show.wallSeconds() << " s";
            ASSERT_LE(step, FRAME_S + 1e-4) << "jump at " << show.wallSeconds() << " s";
        }
        for (size_t i = ranBefore; i < show.ran.size(); ++i)
            if (show.ran[i].index == stop) return;
    }
}

double wallOf(const Show& show, int index, int occurrence = 0) {
    for (const Show::Ran& r : show.ran)
        if (r.index == index && occurrence-- == 0) return r.wall;
    return -1;
}

class MusicClock : public ::testing::TestWithParam<Sound> {};

TEST_P(MusicClock, ASecondTuneGoesOnWithoutAJump) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 playxm a.xm  0:05 playxm b.xm  0:08 stopdemo", t);
    Show show(GetParam());
    play(tl, show, 20, 2);
    EXPECT_NEAR(wallOf(show, 1), 5.0, FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 2), 8.0, FRAME_S + 1e-9);
    if (GetParam() == Sound::Library) {
        EXPECT_EQ(fake_tmz::loads, 2);
    }
}

TEST_P(MusicClock, StopsoundWithoutALoopKeepsTheClockRunning) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 playxm a.xm  0:05 stopsound  0:06 stopdemo", t);
    Show show(GetParam());
    play(tl, show, 20, 2);
    EXPECT_NEAR(wallOf(show, 2), 6.0, FRAME_S + 1e-9);
}

TEST_P(MusicClock, PlayingAgainAfterStopsoundContinuesFromThere) {
    TextTokenizer t(nullptr);
    DemoTimeline tl =
        timelineOf("0 playxm a.xm  0:02 stopsound  0:03 playxm b.xm  0:04 stopdemo", t);
    Show show(GetParam());
    play(tl, show, 20, 3);
    EXPECT_NEAR(wallOf(show, 2), 3.0, FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 3), 4.0, FRAME_S + 1e-9);
    // The tune played again from its start.
    EXPECT_LT(show.musicPosition(), 1.0 + FRAME_S);
}

TEST_P(MusicClock, TheLoopRestartsAtTheMarksTimeWithoutAJump) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 restart  0 playxm a.xm  0:05 stopsound", t);
    Show show(GetParam());
    play(tl, show, 16, -1, true);
    // Each turn of the loop takes its five seconds of wall time.
    EXPECT_NEAR(wallOf(show, 2, 0), 5.0, FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 2, 1), 10.0, 2 * FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 2, 2), 15.0, 3 * FRAME_S + 1e-9);
    EXPECT_GE(tl.time, 0.0);
    EXPECT_LT(tl.time, 1.0 + FRAME_S);
}

TEST_P(MusicClock, ALoopWithoutPlayInsideItRunsOnTheStoppedClock) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 playxm a.xm  0:01 restart  0:03 stopsound", t);
    Show show(GetParam());
    play(tl, show, 8, -1, true);
    EXPECT_NEAR(wallOf(show, 2, 0), 3.0, FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 2, 1), 5.0, 2 * FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 2, 2), 7.0, 3 * FRAME_S + 1e-9);
}

// "restart" and "stopsound" at the same millisecond: each frame turns the
// loop once and the frame goes on; nothing after the loop is reached.
TEST_P(MusicClock, ALoopInWhichNoTimePassesTurnsOnceAFrame) {
    TextTokenizer t(nullptr);
    DemoTimeline tl =
        timelineOf("0 playxm a.xm  1000 restart  1000 fov 1  1000 stopsound  2000 stopdemo", t);
    Show show(GetParam());
    play(tl, show, 1.5, 4, true);
    int fovRuns = 0;
    for (const Show::Ran& r : show.ran) fovRuns += r.index == 2;
    // Once in every frame from the one that reached the mark to the last (at 1.5 s).
    const double reached = wallOf(show, 1);
    EXPECT_NEAR(reached, 1.0, FRAME_S + 1e-9);
    EXPECT_EQ(fovRuns, int(std::lround((1.5 - reached) / FRAME_S)) + 1); // both ends
    EXPECT_EQ(wallOf(show, 4), -1.0);
    EXPECT_DOUBLE_EQ(tl.time, 1.0);
    EXPECT_EQ(findTimelessLoop(tl.events), 3);
}

// Starting at a time as the player's --start does: the events before it
// run at once with the music only noted, then the one tune that plays there
// is loaded and moved to where it stands.
double startAt(DemoTimeline& tl, Show& show, int ms) {
    show.music.cueing = true;
    const int reached = tl.seekTo(ms, show);
    show.music.resume(tl.time, &show.source);
    tl.previousMusicPosition = float(show.musicPosition());
    return reached / 1000.0;
}

TEST_P(MusicClock, StartingAtATimeLoadsOnlyTheTuneThatPlaysThereAndPutsItThere) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 playxm a.xm  0:05 playxm b.xm  0:09 fov 1  0:12 stopdemo", t);
    Show show(GetParam());
    EXPECT_DOUBLE_EQ(startAt(tl, show, 7500), 7.5);
    EXPECT_NEAR(show.musicPosition(), 2.5, 1e-4); // b.xm started at 5 s
    if (GetParam() == Sound::Library) {
        EXPECT_EQ(fake_tmz::loads, 1);
        ASSERT_EQ(fake_tmz::lastSize, 64);
        EXPECT_EQ(fake_tmz::lastData[0], 2); // b.xm's bytes
        EXPECT_TRUE(fake_tmz::playing);
    }
    play(tl, show, 10, 3);
    EXPECT_NEAR(wallOf(show, 2), 1.5, FRAME_S + 1e-9); // 9 s of demo time
    EXPECT_NEAR(wallOf(show, 3), 4.5, FRAME_S + 1e-9);
}

TEST_P(MusicClock, StartingAfterStopsoundLeavesTheTuneStoppedAndTheClockRunning) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 playxm a.xm  0:02 stopsound  0:06 fov 1  0:08 stopdemo", t);
    Show show(GetParam());
    startAt(tl, show, 4000);
    EXPECT_NEAR(show.musicPosition(), 4.0, 1e-4);
    if (GetParam() == Sound::Library) {
        EXPECT_FALSE(fake_tmz::playing); // never heard
    }
    play(tl, show, 10, 3);
    EXPECT_NEAR(wallOf(show, 2), 2.0, FRAME_S + 1e-9);
    EXPECT_NEAR(wallOf(show, 3), 4.0, FRAME_S + 1e-9);
}

TEST_P(MusicClock, StartingBeyondALoopsEndComesRoundAsTheLoopingShowWould) {
    TextTokenizer t(nullptr);
    DemoTimeline tl = timelineOf("0 restart  0 playxm a.xm  0:03 fov 1  0:05 stopsound", t);
    Show show(GetParam());
    // 12 s is two whole turns and 2 s into the third.
    EXPECT_DOUBLE_EQ(startAt(tl, show, 12000), 2.0);
    EXPECT_NEAR(show.musicPosition(), 2.0, 1e-4);
    play(tl, show, 4, 3, true);
    EXPECT_NEAR(wallOf(show, 2, 1), 1.0, FRAME_S + 1e-9); // "fov 1" at 3 s again
    EXPECT_NEAR(wallOf(show, 3, 1), 3.0, FRAME_S + 1e-9);
}

INSTANTIATE_TEST_SUITE_P(BothSoundSystems, MusicClock,
                         ::testing::Values(Sound::Silent, Sound::Library),
                         [](const ::testing::TestParamInfo<Sound>& info) {
                             return info.param == Sound::Silent ? "Silent" : "Library";
                         });

TEST(MusicClock, TimelessLoopsAreFoundOnlyWhereNoTimePasses) {
    TextTokenizer t(nullptr);
    EXPECT_EQ(findTimelessLoop(timelineOf("0 restart  0 stopsound", t).events), 1);
    TextTokenizer u(nullptr);
    EXPECT_EQ(findTimelessLoop(timelineOf("0 stopsound  0 restart  10 stopsound", u).events), -1);
    TextTokenizer v(nullptr);
    int mark = -1;
    EXPECT_EQ(
        findTimelessLoop(
            timelineOf("0 restart  5 stopsound  5 restart  5 fov 1  5 stopsound", v).events, &mark),
        4);
    EXPECT_EQ(mark, 2);
}

} // namespace
