#include "timeline/demo_timeline.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Records what ran; "stopsound" rewinds the pretend music to 0.
struct Recorder : DemoCommands {
    std::vector<int> ran; // event indices
    double music = 0;
    void execute(const ScriptEvent& e, int index) override {
        ran.push_back(index);
        if (e.id == EV_STOPSOUND) music = 0;
    }
    double musicPosition() override { return music; }
};

DemoTimeline timelineOf(const std::string& script) {
    TextTokenizer t(nullptr);
    t.loadText(script.data(), uint32_t(script.size()));
    DemoTimeline tl;
    EXPECT_TRUE(parseScript(t, tl.events));
    return tl; // no word arguments are read by these tests
}

// One frame: the music is at `music` seconds.
void frame(DemoTimeline& tl, Recorder& r, double music) {
    r.music = music;
    tl.advance(music);
    tl.runEvents(tl.now(), r);
}

} // namespace

TEST(DemoTimeline, WithoutMusicOnlyEventsAtZeroRun) {
    DemoTimeline tl = timelineOf("0 fov 1  0 fov 2  500 stopdemo");
    Recorder r;
    for (int i = 0; i < 5; ++i) frame(tl, r, 0.0);
    EXPECT_EQ(r.ran, (std::vector<int>{0, 1})); // same-time events in one frame, in order
    EXPECT_EQ(tl.time, 0.0);
}

TEST(DemoTimeline, ClockFollowsTheMusicTimesTheSpeed) {
    DemoTimeline tl = timelineOf("0 fov 1  1000 fov 2  2000 stopdemo");
    Recorder r;
    frame(tl, r, 0.5);
    EXPECT_DOUBLE_EQ(tl.time, 0.5);
    frame(tl, r, 1.0);
    EXPECT_EQ(r.ran, (std::vector<int>{0, 1}));
    tl.speed = 0; // frozen while the music plays on
    frame(tl, r, 1.7);
    EXPECT_DOUBLE_EQ(tl.time, 1.0);
    tl.speed = -1; // backwards: nothing runs again
    frame(tl, r, 2.5);
    EXPECT_NEAR(tl.time, 0.2, 1e-6);
    EXPECT_EQ(r.ran.size(), 2u);
    frame(tl, r, 3.5);
    EXPECT_LT(tl.time, 0.0);
    EXPECT_EQ(tl.now(), 0);
    EXPECT_NEAR(tl.previousTime, 0.2, 1e-6); // the time of the frame before
}

TEST(DemoTimeline, StopsoundLoopsBackToTheRestartMarkWithAContinuousClock) {
    DemoTimeline tl =
        timelineOf("0 playxm a.xm  1000 restart  1500 fov 1  2000 stopsound  3000 stopdemo");
    Recorder r;
    frame(tl, r, 0.0);
    frame(tl, r, 1.25); // positions exact in a float: the stored position is one
    EXPECT_EQ(tl.restartMark, 1);
    frame(tl, r, 2.0); // fov and stopsound run; the loop goes back to the mark
    EXPECT_EQ(r.ran, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_DOUBLE_EQ(tl.time, 1.0);
    EXPECT_EQ(tl.programCounter, 2);
    // The music restarts from 0: the timeline goes on from the mark's time.
    frame(tl, r, 0.25);
    EXPECT_DOUBLE_EQ(tl.time, 1.25);
    frame(tl, r, 0.5);
    EXPECT_EQ(r.ran.back(), 2); // "fov" at 1500 runs again
    tl.loop = false;
    frame(tl, r, 1.0);
    EXPECT_EQ(r.ran.back(), 3); // without looping stopsound just runs
    frame(tl, r, 2.0);
    EXPECT_EQ(r.ran.back(), 4);
}

TEST(DemoTimeline, StopsoundWithoutAMarkDoesNotLoop) {
    DemoTimeline tl = timelineOf("0 stopsound  100 fov 1");
    Recorder r;
    frame(tl, r, 0.2);
    EXPECT_EQ(r.ran, (std::vector<int>{0, 1}));
}
