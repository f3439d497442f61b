// Starting the bundled show at a time (the capture's --from, the path of the
// player's --start) against playing it from the beginning, under Wine: the
// frames at the same time are the same inside, at the start of and after
// effects and scene commands, and in later acts whose metascenes were loaded
// and freed on the way.
//
// Two things keep a played capture from matching to the last level, both
// of the played run. Its events run up to one 10 ms frame late where the
// clock's float music position lands a hair before their millisecond, so
// the moments below avoid the short flashes (whose alpha moves 8 levels a
// frame) and held scenes (frozen a frame's motion apart). And the frames it
// does not write are not drawn, so a texture a scene stopped drawing into
// shows the last written frame's picture (night's panel shows dusk's from
// 25 s to 46 s). Frames must match within two levels (a long fade's alpha
// moves one or two in a frame) except over at most 2 % of the picture. The
// exact equality of a start with played frames is tested on a small show in
// the player's device tests.

#include "support/png_image.h"
#include "support/temp_dir.h"
#include "tools/capture/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool capture(const std::vector<std::string>& args, std::string& log) {
    CaptureOptions o;
    std::string error;
    EXPECT_TRUE(parseCaptureOptions(args, o, error)) << error;
    std::ostringstream out, err;
    const int status = runCapture(o, out, err);
    log = out.str() + err.str();
    return status == 0;
}

} // namespace

TEST(StartCapture, StartingAtATimeDrawsWhatPlayingUpToItDraws) {
    // 16.32 s: inside a picture fade-in; 23.04 s: the cross-fade's first
    // frame; 24.5 s: inside it; 25.2 s: after it handed the screen over;
    // 29.1 s: after "hold" and "continue"; 31.5 s: inside a fade-in;
    // 40 s: inside the blur, night started again; 43 s: after "stop dusk";
    // 54.1 s: dawn (its own metascene) after its camera cut and "setpos";
    // 65 s: the hall.
    const std::vector<std::string> times = {"16.32", "23.04", "24.5", "25.2", "29.1",
                                            "31.5",  "40",    "43",   "54.1", "65"};
    std::string list;
    for (const std::string& t : times) list += (list.empty() ? "" : ",") + t;
    TempDir tmp;
    const std::string size = "320x240";
    std::string log;
    ASSERT_TRUE(capture({"--at", list, "--out", tmp.path("played").string(), "--archive",
                         NL_SHOW_ARCHIVE, "--size", size},
                        log))
        << log;
    EXPECT_EQ(std::string::npos, log.find("message:")) << log;
    for (const std::string& t : times) {
        const std::string dir = tmp.path("from_" + t).string();
        ASSERT_TRUE(capture({"--from", t, "--at", t, "--out", dir, "--archive", NL_SHOW_ARCHIVE,
                             "--size", size},
                            log))
            << log;
        EXPECT_EQ(std::string::npos, log.find("message:")) << log;
        const int ms = int(std::stod(t) * 1000 + 0.5);
        PngImage played, started;
        ASSERT_TRUE(readPng(frameFileName(tmp.path("played").string(), ms), played)) << t;
        ASSERT_TRUE(readPng(frameFileName(dir, ms), started)) << t;
        ASSERT_EQ(played.pixels.size(), started.pixels.size());
        size_t differing = 0;
        for (size_t i = 0; i < played.pixels.size(); ++i) {
            int most = 0;
            for (int shift = 0; shift < 24; shift += 8)
                most = std::max(most, std::abs(int((played.pixels[i] >> shift) & 0xFF) -
                                               int((started.pixels[i] >> shift) & 0xFF)));
            differing += most > 2;
        }
        EXPECT_LE(differing, played.pixels.size() / 50) << "at " << t << " s";
    }
}

TEST(StartCapture, FromTakesTheScriptsTimeSyntaxAndRefusesEarlierTimes) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parseCaptureOptions({"--from", "1:02.500", "--fps", "2", "--to", "63.5", "--out",
                                     "x"},
                                    o, error))
        << error;
    EXPECT_EQ(startMilliseconds(o), 62500);
    EXPECT_EQ(captureTimes(o, 0), (std::vector<int>{62500, 63000, 63500}));
    CaptureOptions early, negative;
    EXPECT_FALSE(
        parseCaptureOptions({"--from", "10", "--at", "9.5,12", "--out", "x"}, early, error));
    EXPECT_NE(error.find("before --from"), std::string::npos) << error;
    EXPECT_FALSE(parseCaptureOptions({"--from", "-1", "--fps", "2", "--out", "x"}, negative, error));
}
