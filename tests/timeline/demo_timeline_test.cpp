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

namespace {

// Records each event's index with the clock it ran at, and the frames passed.
struct SeekRecorder : DemoCommands {
    struct Ran {
        int index;
        double time;
    };
    explicit SeekRecorder(const DemoTimeline& tl) : tl(tl) {}
    void execute(const ScriptEvent&, int index) override { ran.push_back({index, tl.time}); }
    double musicPosition() override { return 0; }
    void passFrames(double seconds) override { passed.push_back(seconds); }
    bool ended() const override {
        return endOnStopdemo && !ran.empty() &&
               tl.events[size_t(ran.back().index)].id == EV_STOPDEMO;
    }
    bool endOnStopdemo = false;
    std::vector<int> indices() const {
        std::vector<int> out;
        for (const Ran& r : ran) out.push_back(r.index);
        return out;
    }
    const DemoTimeline& tl;
    std::vector<Ran> ran;
    std::vector<double> passed;
};

} // namespace

TEST(DemoTimelineSeek, EventsBeforeTheTargetRunAtTheirOwnTimesAndTheRestAreLeft) {
    DemoTimeline tl = timelineOf("0 fov 1  1500 fov 2  2000 fov 0  2000 flash 1 0  2500 stopdemo");
    SeekRecorder r(tl);
    EXPECT_EQ(tl.seekTo(2000, r), 2000);
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1})); // those at 2000 belong to the first frame
    EXPECT_DOUBLE_EQ(r.ran[1].time, 1.5);             // a command at 1.5 s sees the clock at 1.5 s
    EXPECT_DOUBLE_EQ(tl.time, 2.0);
    EXPECT_DOUBLE_EQ(tl.previousTime, 2.0);
    EXPECT_EQ(tl.programCounter, 2);
    // A frame passes after the events of a time, and one just before the
    // next events (and the target), as playing frames would have.
    EXPECT_EQ(r.passed, (std::vector<double>{0.0, 1.499, 1.5, 1.999}));
    // The first frame runs the events at the target, once.
    tl.runEvents(tl.now(), r);
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1, 2, 3}));
}

TEST(DemoTimelineSeek, SeekingToZeroRunsNothing) {
    DemoTimeline tl = timelineOf("0 fov 1  100 fov 2");
    SeekRecorder r(tl);
    EXPECT_EQ(tl.seekTo(0, r), 0);
    EXPECT_TRUE(r.ran.empty());
    EXPECT_EQ(tl.programCounter, 0);
}

TEST(DemoTimelineSeek, PastTheLastEventEverythingHasRun) {
    DemoTimeline tl = timelineOf("0 fov 1  100 fov 2");
    SeekRecorder r(tl);
    EXPECT_EQ(tl.seekTo(90000, r), 90000);
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1}));
    EXPECT_DOUBLE_EQ(tl.time, 90.0);
}

TEST(DemoTimelineSeek, ALoopComesRoundToWhereTheLoopingShowWouldStand) {
    // A 10 s loop from the mark at 1 s to the stopsound at 11 s. 25 s is
    // 14 s past the stopsound: one more whole turn and 4 s into the next,
    // so the clock stands at 1 s + 4 s = 5 s.
    DemoTimeline tl = timelineOf("0 fov 1  1000 restart  3000 fov 2  7000 fov 0  11000 stopsound");
    SeekRecorder r(tl);
    EXPECT_EQ(tl.seekTo(25000, r), 5000);
    EXPECT_DOUBLE_EQ(tl.time, 5.0);
    EXPECT_EQ(tl.programCounter, 3); // "fov 0" at 7 s is still to come
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1, 2, 3, 4, 2}));
    EXPECT_DOUBLE_EQ(r.ran.back().time, 3.0);
}

TEST(DemoTimelineSeek, WithoutLoopingTheShowRunsOnPastStopsound) {
    DemoTimeline tl = timelineOf("1000 restart  2000 stopsound  3000 fov 1");
    tl.loop = false;
    SeekRecorder r(tl);
    EXPECT_EQ(tl.seekTo(5000, r), 5000);
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1, 2}));
}

TEST(DemoTimelineSeek, ALoopWithoutTimeLeavesTheClockAtItsMark) {
    DemoTimeline tl = timelineOf("0 fov 1  2000 restart  2000 stopsound  3000 fov 2");
    SeekRecorder r(tl);
    EXPECT_EQ(tl.seekTo(9000, r), 2000); // playing never gets past it either
    EXPECT_DOUBLE_EQ(tl.time, 2.0);
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1, 2}));
}

TEST(DemoTimelineSeek, AShowThatEndedOnTheWayGoesNoFurther) {
    DemoTimeline tl = timelineOf("0 fov 1  1000 stopdemo  2000 fov 2  3000 fov 0");
    SeekRecorder r(tl);
    r.endOnStopdemo = true;
    EXPECT_EQ(tl.seekTo(5000, r), 1000);
    EXPECT_EQ(r.indices(), (std::vector<int>{0, 1}));
    EXPECT_EQ(tl.programCounter, 2);
}
