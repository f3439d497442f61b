// The author's loop in the player on a real device under Wine: starting at a
// time gives the frame that playing up to it gives, reloading picks up the
// edited script (and only the changed metascenes) at the same time, a broken
// script keeps the old one, and the overlay lies over the frame's corner.

#include "lightwave/scene.h"
#include "tests/app/show_folder.h"

#include <chrono>

#include <gtest/gtest.h>

namespace {

// The screen scene in blue, a flash, a hold and a cross-fade to the target
// scene (which draws into its texture until the cross-fade ends), the
// screen scene again, and a fade to black.
const char* const kScript = "0 start screen\n"
                            "0 clear screen 3 0xff2040c0\n"
                            "1.0 flash 1.0 0xffffffff\n"
                            "2.5 hold screen\n"
                            "3.0 start target\n"
                            "3.0 clear target 3 0xff30c020\n"
                            "3.0 xfade target 1000\n"
                            "4.5 continue screen\n"
                            "5.0 fadeout 2.0 0xff000000\n";

// How many pixels of two frames differ.
size_t differing(const Readback& a, const Readback& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
        return size_t(-1);
    size_t n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) n += (a.pixels[i] & 0xFFFFFF) != (b.pixels[i] & 0xFFFFFF);
    return n;
}

void touch(const TempDir& tmp, const std::string& name) {
    const auto path = tmp.path(name);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) +
                                               std::chrono::seconds(10));
}

} // namespace

TEST(AuthorLoop, StartingAtATimeDrawsWhatPlayingUpToItDraws) {
    Show played(kScript);
    ASSERT_TRUE(played.demo);
    uint32_t ms = 0;
    // Inside the flash, at its end, while held, at the start of the
    // cross-fade, inside it, after it ended, after "continue", in the fade.
    for (const uint32_t at : {1500u, 2000u, 2700u, 3000u, 3500u, 4200u, 4600u, 6000u}) {
        while (ms + 10 < at) played.frameAtClock(ms += 10);
        const Readback playedFrame = played.frameAtClock(ms = at);

        Show started(kScript, false);
        ASSERT_TRUE(started.demo);
        clockMs = 100000;
        ASSERT_TRUE(started.demo->startAt(at / 1000.0));
        const Readback& startedFrame = started.frameAtClock(0);
        // (The stored music position is a float, as the clock keeps it.)
        EXPECT_NEAR(started.demo->timeline.time, at / 1000.0, 1e-6);
        EXPECT_EQ(differing(playedFrame, startedFrame), 0u) << "at " << at << " ms";
        EXPECT_EQ(started.demo->timeline.programCounter, played.demo->timeline.programCounter);
        // The music stands where playing would have it, and runs on from there.
        EXPECT_NEAR(started.demo->music.position(), at / 1000.0, 1e-9);
        started.frameAtClock(250);
        EXPECT_NEAR(started.demo->timeline.time, at / 1000.0 + 0.25, 1e-6);
        EXPECT_EQ(0u, started.messages.count());
    }
    EXPECT_EQ(0u, played.messages.count());
}

TEST(AuthorLoop, ReloadContinuesAtTheSameTimeWithTheEditedScript) {
    Show show("0 start screen\n0 clear screen 3 0xff2040c0\n");
    ASSERT_TRUE(show.demo);
    EXPECT_TRUE(closeTo(show.frameAt(1.0), 0x2040C0, 1));
    show.tmp.write("scene.scr", "0 playxm tune.xm\n0 loadmetascript meta.txt\n0 activemeta meta\n"
                                "0 start screen\n0 clear screen 3 0xffc04020\n");
    ASSERT_TRUE(show.demo->reload()) << show.demo->notice;
    EXPECT_DOUBLE_EQ(show.demo->timeline.time, 1.0);
    // Nothing of the metascene changed: it was kept, not read again.
    EXPECT_EQ(show.demo->metascenesKept, 1);
    EXPECT_EQ(show.demo->metascenesRead, 0);
    EXPECT_NE(show.demo->notice.find("reloaded scene.scr at 0:01.000"), std::string::npos)
        << show.demo->notice;
    const Readback& after = show.frameAtClock(1000);
    EXPECT_TRUE(closeTo(after.rgb(80, 60), 0xC04020, 1)) << std::hex << after.rgb(80, 60);
    EXPECT_DOUBLE_EQ(show.demo->timeline.time, 1.0); // the clock goes on without a jump
    show.frameAtClock(1500);
    EXPECT_NEAR(show.demo->timeline.time, 1.5, 1e-6);

    // An edited scene file is read again.
    touch(show.tmp, "target.lws");
    ASSERT_TRUE(show.demo->reload());
    EXPECT_EQ(show.demo->metascenesKept, 0);
    EXPECT_EQ(show.demo->metascenesRead, 1);
    EXPECT_TRUE(closeTo(show.frameAtClock(1600).rgb(80, 60), 0xC04020, 1));
    // So is one whose picture changed, and none is when nothing did.
    touch(show.tmp, "planet.pcx");
    ASSERT_TRUE(show.demo->reload());
    EXPECT_EQ(show.demo->metascenesRead, 1);
    ASSERT_TRUE(show.demo->reload());
    EXPECT_EQ(show.demo->metascenesKept, 1);
    EXPECT_EQ(show.demo->metascenesRead, 0);
    EXPECT_EQ(0u, show.messages.count());
}

TEST(AuthorLoop, AKeptMetasceneReplaysFromItsLoadedState) {
    // The first run holds the scene and sends it into its texture; the
    // edited script only starts it. Kept, it must draw to the screen again.
    Show show("0 start screen\n0 clear screen 3 0xff2040c0\n0.5 start target\n"
              "0.5 clear target 3 0xff30c020\n0.5 blur target 10 0.5\n0.6 hold screen\n");
    ASSERT_TRUE(show.demo);
    show.frameAt(1.0);
    ASSERT_NE(show.scene("target")->renderSurface, nullptr);
    show.tmp.write("scene.scr", "0 playxm tune.xm\n0 loadmetascript meta.txt\n0 activemeta meta\n"
                                "0 start target\n0 clear target 3 0xff30c020\n");
    ASSERT_TRUE(show.demo->reload()) << show.demo->notice;
    EXPECT_EQ(show.demo->metascenesKept, 1);
    EXPECT_EQ(show.scene("target")->renderSurface, nullptr);
    EXPECT_FALSE(show.scene("screen")->active);
    EXPECT_FALSE(show.scene("screen")->hold);
    const Readback& frame = show.frameAtClock(1000);
    EXPECT_TRUE(closeTo(frame.rgb(80, 60), 0x30C020, 1)) << std::hex << frame.rgb(80, 60);
}

TEST(AuthorLoop, ABrokenScriptKeepsTheOldOneAndSaysWhichLine) {
    Show show("0 start screen\n0 clear screen 3 0xff2040c0\n2.0 fadeout 0.5 0xffffffff\n");
    ASSERT_TRUE(show.demo);
    show.frameAt(1.0);
    const size_t events = show.demo->timeline.events.size();
    show.tmp.write("scene.scr", "0 playxm tune.xm\n0 loadmetascript meta.txt\n0 activemeta meta\n"
                                "0 start screen\n1.0 strat screen\n");
    EXPECT_FALSE(show.demo->reload());
    const std::string& notice = show.demo->notice;
    EXPECT_NE(notice.find("scene.scr(5): Unknown keyword \"strat\"!"), std::string::npos) << notice;
    EXPECT_NE(notice.find("1.0 strat screen"), std::string::npos) << notice; // the line itself
    EXPECT_EQ(show.demo->timeline.events.size(), events);
    // No box: the show goes on under the old script, fade and all.
    EXPECT_TRUE(closeTo(show.frameAt(1.5), 0x2040C0, 1));
    show.frameAt(2.0);
    EXPECT_TRUE(closeTo(show.frameAt(3.0), 0xFFFFFF, 1));
    EXPECT_EQ(0u, show.messages.count());
}

TEST(AuthorLoop, TheOverlayLiesOverTheTopLeftCornerOnly) {
    // The target scene only clears: its frames stand still.
    Show show("0 start target\n0 clear target 3 0xff2040c0\n0.5 flash 0.2 0xffffffff\n");
    ASSERT_TRUE(show.demo);
    show.frameAtClock(600); // the flash runs, and is over by 1 s
    show.frameAtClock(800);
    const Readback plain = show.frameAtClock(1000);
    show.demo->overlayShown = true;
    const Readback shown = show.frameAtClock(1010);
    const std::vector<std::string> lines = show.demo->overlayText();
    // The corner is darkened or lettered; below the panel nothing changes.
    const OverlayRect panel = TextOverlay::panelRect(lines, 8, 8);
    ASSERT_LT(panel.bottom + 2, 100);
    EXPECT_NE(shown.rgb(12, 12), plain.rgb(12, 12));
    EXPECT_NE(shown.rgb(panel.left + 1, panel.bottom - 1), plain.rgb(panel.left + 1, panel.bottom - 1));
    EXPECT_EQ(shown.rgb(40, panel.bottom + 2), plain.rgb(40, panel.bottom + 2));
    EXPECT_EQ(plain.rgb(40, panel.bottom + 2), 0x2040C0u);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("0:01.010"), std::string::npos) << lines[0];
    bool lastShown = false, sceneShown = false;
    for (const std::string& l : lines) {
        lastShown |= l.find("flash 0.2") != std::string::npos;
        sceneShown |= l.find("target") != std::string::npos;
    }
    EXPECT_TRUE(lastShown);
    EXPECT_TRUE(sceneShown);
    show.demo->overlayShown = false;
    EXPECT_EQ(differing(show.frameAtClock(1020), plain), 0u);
}
