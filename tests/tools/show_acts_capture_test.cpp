// The bundled show's later acts captured under Wine: the forge's lens and
// its still, the storm's rain and streaking stars, the pause in the dark,
// night's return in the coda and the black end.

#include "support/png_image.h"
#include "support/temp_dir.h"
#include "tools/capture/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace {

constexpr uint32_t FORGE_CLEAR = 0x100806;

uint32_t pixel(const PngImage& p, int x, int y) {
    return p.pixels[size_t(y) * size_t(p.width) + size_t(x)] & 0xFFFFFF;
}

int channel(uint32_t c, int shift) {
    return int((c >> shift) & 0xFF);
}

// How many pixels of row `y` are not the forge's clear colour: the width
// of the wall there.
int wallWidth(const PngImage& p, int y) {
    int n = 0;
    for (int x = 0; x < p.width; ++x) n += pixel(p, x, y) != FORGE_CLEAR;
    return n;
}

// The mean of the largest channel difference over a rectangle.
double meanDifference(const PngImage& a, const PngImage& b, int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint32_t p = pixel(a, x, y), q = pixel(b, x, y);
            int d = 0;
            for (int s : {0, 8, 16}) d = std::max(d, std::abs(channel(p, s) - channel(q, s)));
            sum += d;
        }
    return sum / double((x1 - x0) * (y1 - y0));
}

class ShowActs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        CaptureOptions o;
        std::string error;
        // 3.7 s: night in the first act, for the coda to match.
        ASSERT_TRUE(parseCaptureOptions({"--at", "3.7,80.02,84.3,85.2,86.2,89.5,97,112,118.9,122.92",
                                         "--out", dir->path().string(), "--archive",
                                         NL_SHOW_ARCHIVE, "--size", "400x300"},
                                        o, error))
            << error;
        std::ostringstream err;
        status = runCapture(o, log, err);
        log << err.str();
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }

    static PngImage frame(int ms) {
        PngImage p;
        EXPECT_TRUE(readPng(frameFileName(dir->path().string(), ms), p)) << ms;
        return p;
    }

    static TempDir* dir;
    static std::ostringstream log;
    static int status;
};

TempDir* ShowActs::dir = nullptr;
std::ostringstream ShowActs::log;
int ShowActs::status = -1;

TEST_F(ShowActs, TheCaptureRunsWithoutAMessage) {
    EXPECT_EQ(0, status) << log.str();
    EXPECT_EQ(std::string::npos, log.str().find("message:")) << log.str();
}

// The "fov" commands: the camera's own lens fills the screen with the wall;
// mode 1 (zoom 2) shows it whole, and mode 2 (zoom 1) half as wide again.
TEST_F(ShowActs, TheForgesLensWidensOnTheBeat) {
    const PngImage own = frame(84300), two = frame(85200), one = frame(86200);
    EXPECT_EQ(400, wallWidth(own, 150));
    EXPECT_NE(FORGE_CLEAR, pixel(own, 3, 3));
    const int wide = wallWidth(two, 150), wider = wallWidth(one, 150);
    EXPECT_GT(wide, 250);
    EXPECT_LT(wide, 380);
    EXPECT_NEAR(wide / 2.0, wider, wide * 0.05);
    EXPECT_EQ(FORGE_CLEAR, pixel(two, 3, 3));
    EXPECT_EQ(FORGE_CLEAR, pixel(one, 3, 3));
}

// "screenshot forge 3000" holds the forge as it stood three seconds in, and
// "continue" runs it on from there: after the still the forge shows what it
// showed 3.22 s in, the first time round. The wall is lit per pixel: its
// rivets make it uneven, and it stays warm.
TEST_F(ShowActs, TheForgeContinuesFromItsStill) {
    const PngImage first = frame(80020), again = frame(89500);
    EXPECT_LT(meanDifference(first, again, 0, 0, 400, 300), 2.0);
    long sum = 0, squares = 0, red = 0, blue = 0;
    const int n = 100 * 80;
    for (int y = 20; y < 100; ++y)
        for (int x = 20; x < 120; ++x) {
            const uint32_t c = pixel(first, x, y);
            const int l = (3 * channel(c, 16) + 6 * channel(c, 8) + channel(c, 0)) / 10;
            sum += l;
            squares += long(l) * l;
            red += channel(c, 16);
            blue += channel(c, 0);
        }
    const double mean = double(sum) / n;
    EXPECT_GT(mean, 25);
    EXPECT_GT(double(squares) / n - mean * mean, 8.0 * 8.0) << "the rivets' relief";
    EXPECT_GT(red, blue + 15 * n);
}

// The storm: rain lies bright on the floor, and the stars wheel past as
// streaks several pixels long rather than dots.
TEST_F(ShowActs, TheStormRainsAndItsStarsStreak) {
    const PngImage storm = frame(97000);
    int bright = 0;
    for (int y = 170; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            const uint32_t c = pixel(storm, x, y);
            bright += std::min({channel(c, 0), channel(c, 8), channel(c, 16)}) > 150;
        }
    EXPECT_GT(bright, 1000);
    int streaks = 0;
    for (int y = 0; y < 60; ++y) {
        int run = 0;
        for (int x = 0; x < 400; ++x) {
            const uint32_t c = pixel(storm, x, y);
            const bool lit = std::max({channel(c, 0), channel(c, 8), channel(c, 16)}) > 60;
            if (lit) {
                ++run;
            } else {
                streaks += run >= 4;
                run = 0;
            }
        }
    }
    EXPECT_GT(streaks, 50);
}

// The pause after the storm holds no scene: the whole frame is the beat's
// colour fading over black.
TEST_F(ShowActs, ThePauseIsOneColourOverBlack) {
    const PngImage pause = frame(112000);
    const uint32_t c = pixel(pause, 200, 150);
    EXPECT_EQ(c, pixel(pause, 2, 2));
    EXPECT_EQ(c, pixel(pause, 397, 297));
    EXPECT_GT(channel(c, 0), channel(c, 16) + 60) << std::hex << c;
    EXPECT_LT(channel(c, 0), 0xff);
}

// The coda loads the first metascene again: night's ring and lamp stand as
// they did at the same scene time in the first act, and the show ends black.
TEST_F(ShowActs, NightReturnsForTheCodaAndTheShowEndsBlack) {
    const PngImage first = frame(3700), coda = frame(118900);
    EXPECT_LT(meanDifference(first, coda, 100, 60, 300, 240), 4.0);
    const PngImage end = frame(122920);
    int brightest = 0;
    for (uint32_t c : end.pixels)
        brightest = std::max({brightest, channel(c, 0), channel(c, 8), channel(c, 16)});
    EXPECT_LE(brightest, 2);
}

} // namespace
