// The frame capture on the bundled show, under Wine: what must be on the
// screen at chosen times is there.

#include "base/message_box.h"
#include "files/archive_file.h"
#include "files/archive_writer.h"
#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "support/png_image.h"
#include "support/temp_dir.h"
#include "tools/capture/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <iterator>
#include <sstream>

namespace {

bool closeTo(uint32_t a, uint32_t b, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)) > tolerance) return false;
    return true;
}

uint32_t pixel(const PngImage& p, int x, int y) {
    return p.pixels[size_t(y) * size_t(p.width) + size_t(x)] & 0xFFFFFF;
}

uint32_t centre(const PngImage& p) {
    return pixel(p, p.width / 2, p.height / 2);
}

// A corner of the frame, where the scenes' objects never reach.
uint32_t corner(const PngImage& p) {
    return pixel(p, p.width - 8, p.height - 8);
}

// The mean of one channel (16 red, 8 green, 0 blue) over a rectangle.
int mean(const PngImage& p, int x0, int y0, int x1, int y1, int shift) {
    long sum = 0, count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++count) sum += long((pixel(p, x, y) >> shift) & 0xFF);
    return int(sum / std::max(count, 1L));
}

TEST(Capture, OptionsAndFrameNames) {
    CaptureOptions o;
    std::string error;
    EXPECT_TRUE(parseCaptureOptions({"--at", "1.5,0.25", "--out", "x"}, o, error));
    ASSERT_EQ(2u, o.timesMs.size());
    EXPECT_EQ(250, o.timesMs[0]);
    EXPECT_EQ("x/frame_001500.png", frameFileName("x", 1500));
    CaptureOptions f;
    EXPECT_TRUE(parseCaptureOptions(
        {"--fps", "2", "--from", "1", "--out", "y", "--size", "320x200"}, f, error));
    EXPECT_EQ(320, f.width);
    const auto times = captureTimes(f, 2600);
    ASSERT_EQ(4u, times.size()); // 1, 1.5, 2, 2.5 up to the last event
    EXPECT_EQ(2500, times.back());
    CaptureOptions bad;
    EXPECT_FALSE(parseCaptureOptions({"--at", "1", "--fps", "3", "--out", "z"}, bad, error));
    EXPECT_FALSE(parseCaptureOptions({"--at", "x", "--out", "z"}, bad, error));
    EXPECT_FALSE(parseCaptureOptions({"--at", "1"}, bad, error));
    EXPECT_FALSE(parseCaptureOptions({"--fps", "1", "--size", "10x", "--out", "z"}, bad, error));
}

TEST(Capture, TheBundledShowAtItsMoments) {
    TempDir tmp;
    CaptureOptions o;
    std::string error;
    const std::string out = tmp.path().string();
    // 7.92 s: the peak of the first white flash (7.68 s, 0.48 s long);
    // 17.76 s and 18.72 s: the peaks of the Targa and PCX picture flashes;
    // 25 s: the dusk scene after its cross-fade.
    // 4 s: the ring turning before the panels; 50.22 s and 53.58 s: the
    // flight over the hills, between two beats' flashes; 54.54 s: after the
    // cut to the camera looking back; 58 s: the relic falling away into the
    // fog; 63.5 s: the hall; 72.5 s: the sparks.
    ASSERT_TRUE(parseCaptureOptions({"--at", "4,7.92,17.76,18.72,24,25,50.22,53.58,54.54,58,63.5,72.5",
                                     "--out", out,
                                     "--archive", NL_SHOW_ARCHIVE, "--size", "400x300"},
                                    o, error))
        << error;
    std::ostringstream log, err;
    ASSERT_EQ(0, runCapture(o, log, err)) << err.str();
    EXPECT_EQ(std::string::npos, log.str().find("message:")) << log.str();

    PngImage loading, flash;
    ASSERT_TRUE(readPng(tmp.path("frame_loading.png").string(), loading));
    ASSERT_TRUE(readPng(frameFileName(out, 7920), flash));
    EXPECT_EQ(400, flash.width);
    EXPECT_EQ(300, flash.height);
    // The rising flash at e = 0.23..0.24 s of its 0.48 s: white at alpha
    // 2e/0.48 (nearly 1) over the night scene's dark clear colour.
    const uint32_t peak = corner(flash);
    for (int shift : {0, 8, 16}) EXPECT_GE(int((peak >> shift) & 0xFF), 235) << std::hex << peak;

    // The pictures show with their many colours; the dusk scene's clear colour
    // fills the screen once it has taken it.
    for (int ms : {17760, 18720}) {
        PngImage picture;
        ASSERT_TRUE(readPng(frameFileName(out, ms), picture));
        std::set<uint32_t> colours(picture.pixels.begin(), picture.pixels.end());
        EXPECT_GT(colours.size(), 8u) << ms;
    }
    // Half-way through the cross-fade to dusk (drawn into its texture):
    // around the objects, half night's clear colour and half dusk's.
    PngImage crossing;
    ASSERT_TRUE(readPng(frameFileName(out, 24000), crossing));
    EXPECT_TRUE(closeTo(corner(crossing), 0x75422c, 10)) << std::hex << corner(crossing);

    // Around the panel object; the object itself, textured, covers the centre.
    PngImage dusk;
    ASSERT_TRUE(readPng(frameFileName(out, 25000), dusk));
    EXPECT_TRUE(closeTo(corner(dusk), 0xE07030, 2)) << std::hex << corner(dusk);
    EXPECT_FALSE(closeTo(centre(dusk), 0xE07030, 16)) << std::hex << centre(dusk);
    std::set<uint32_t> middle;
    for (int y = dusk.height / 3; y < dusk.height * 2 / 3; ++y)
        for (int x = dusk.width / 3; x < dusk.width * 2 / 3; ++x) middle.insert(pixel(dusk, x, y));
    EXPECT_GT(middle.size(), 50u);

    // The 3D scenes are shaded: thousands of colours.
    auto colours = [](const PngImage& p) {
        return std::set<uint32_t>(p.pixels.begin(), p.pixels.end()).size();
    };
    PngImage ring, flight, beforeCut, afterCut;
    ASSERT_TRUE(readPng(frameFileName(out, 4000), ring));
    ASSERT_TRUE(readPng(frameFileName(out, 50220), flight));
    ASSERT_TRUE(readPng(frameFileName(out, 53580), beforeCut));
    ASSERT_TRUE(readPng(frameFileName(out, 54540), afterCut));
    EXPECT_GT(colours(ring), 1000u);
    EXPECT_GT(colours(flight), 1000u);
    // The ring covers the middle of the frame, lit unevenly.
    std::set<uint32_t> ringMiddle;
    for (int y = ring.height * 2 / 5; y < ring.height * 3 / 5; ++y)
        for (int x = ring.width * 2 / 5; x < ring.width * 3 / 5; ++x)
            ringMiddle.insert(pixel(ring, x, y));
    EXPECT_GT(ringMiddle.size(), 100u);
    // The hills lie below the fogged sky: the bottom row is darker than the top.
    auto rowBrightness = [](const PngImage& p, int y) {
        long sum = 0;
        for (int x = 0; x < p.width; ++x) {
            const uint32_t c = pixel(p, x, y);
            sum += long((c >> 16) & 0xFF) + long((c >> 8) & 0xFF) + long(c & 0xFF);
        }
        return sum / p.width;
    };
    EXPECT_LT(rowBrightness(flight, flight.height - 2) + 60, rowBrightness(flight, 2));
    // The cut changes the picture.
    size_t changed = 0;
    for (size_t i = 0; i < beforeCut.pixels.size(); ++i)
        changed += !closeTo(beforeCut.pixels[i], afterCut.pixels[i], 24);
    EXPECT_GT(changed, beforeCut.pixels.size() / 3);

    // The relic at 58 s, far off and drawn with a few hundred of its
    // triangles: its whole dark outline against the sky, above the hills,
    // the sky around it clear.
    PngImage relic;
    ASSERT_TRUE(readPng(frameFileName(out, 58000), relic));
    auto dark = [&](int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint32_t c = pixel(relic, x, y);
                n += int((c >> 16) & 0xFF) + int((c >> 8) & 0xFF) + int(c & 0xFF) < 420;
            }
        return n;
    };
    EXPECT_GT(dark(230, 40, 320, 125), 1500);
    EXPECT_LT(dark(0, 0, 220, 40), 20);
    EXPECT_LT(dark(330, 0, 400, 40), 20);

    // The hall at 63.5 s, seen from in front and above: the ring's shadow on
    // the spot-lit plinth, the mirror floor, the chrome ball on the right.
    PngImage hall;
    ASSERT_TRUE(readPng(frameFileName(out, 63500), hall));
    const int RED = 16, GREEN = 8, BLUE = 0;
    auto grey = [&](int x0, int y0, int x1, int y1) {
        return mean(hall, x0, y0, x1, y1, RED) + mean(hall, x0, y0, x1, y1, GREEN) +
               mean(hall, x0, y0, x1, y1, BLUE);
    };
    // The shadow falls on the plinth's top, which the spot lights white around it.
    EXPECT_LT(grey(200, 138, 215, 146), 240);
    EXPECT_GT(grey(150, 160, 180, 180), 700);
    // The mirror: under the red pillar its reflection, dimmer than the pillar
    // (the floor reflects at 0.7); elsewhere the dark floor.
    const int pillar = mean(hall, 20, 40, 40, 100, RED);
    const int reflected = mean(hall, 40, 150, 55, 200, RED);
    EXPECT_GT(pillar, 130);
    EXPECT_GT(reflected, 60);
    EXPECT_LT(reflected, pillar - 20);
    EXPECT_LT(grey(80, 260, 140, 290), 120);
    // The chrome ball, dark grey itself, shows the yellow pillar beside it.
    EXPECT_GT(mean(hall, 382, 160, 390, 185, RED), 90);
    EXPECT_LT(mean(hall, 330, 150, 360, 180, RED), 50);

    // The sparks at 72.5 s: the fountain's particles, hundreds of additive
    // sprites above the nozzle; the blue lamp's flare with its bluish glow;
    // the night sky dark away from both.
    PngImage sparks;
    ASSERT_TRUE(readPng(frameFileName(out, 72500), sparks));
    int bright = 0;
    for (int y = 100; y < 170; ++y)
        for (int x = 160; x < 230; ++x) {
            const uint32_t c = pixel(sparks, x, y);
            bright += ((c >> 16) & 0xFF) > 204 && ((c >> 8) & 0xFF) > 204 && (c & 0xFF) > 204;
        }
    EXPECT_GT(bright, 400);
    const uint32_t lamp = pixel(sparks, 283, 75), glow = pixel(sparks, 290, 75);
    EXPECT_GE(int(lamp & 0xFF), 240) << std::hex << lamp;
    EXPECT_GT(int(glow & 0xFF), int((glow >> 16) & 0xFF) + 40) << std::hex << glow;
    EXPECT_LT(mean(sparks, 50, 50, 70, 70, 16) + mean(sparks, 50, 50, 70, 70, 0), 60);

    // The loading screen shows "loading.jpg" from the archive.
    DiskFile disk;
    ArchiveFile archive(disk);
    ASSERT_TRUE(archive.openArchive(NL_SHOW_ARCHIVE));
    MessageRecorder quiet;
    Picture picture;
    ASSERT_TRUE(loadPicture(archive, "loading.jpg", 0, picture));
    const uint32_t expected =
        picture
            .pixels[size_t(picture.height / 2) * size_t(picture.width) + size_t(picture.width / 2)];
    EXPECT_TRUE(closeTo(centre(loading), expected & 0xFFFFFF, 16))
        << std::hex << centre(loading) << " " << expected;
}

// Drawing a frame in one pass when both eyes share a view is only a saving:
// over the whole show, every frame equals the one the two eye passes draw.
TEST(Capture, OnePassFramesEqualTheEyePassesOverTheWholeShow) {
    TempDir tmp;
    auto captureInto = [&](const std::string& dir, bool eyePasses, std::string& log) {
        CaptureOptions o;
        std::string error;
        std::vector<std::string> args = {"--fps", "2",  "--out",  tmp.path(dir).string(),
                                         "--archive", NL_SHOW_ARCHIVE, "--size", "200x150"};
        if (eyePasses) args.push_back("--eye-passes");
        EXPECT_TRUE(parseCaptureOptions(args, o, error)) << error;
        std::ostringstream out, err;
        EXPECT_EQ(0, runCapture(o, out, err)) << err.str();
        log = out.str();
    };
    std::string oneLog, twoLog;
    captureInto("one", false, oneLog);
    captureInto("two", true, twoLog);
    EXPECT_NE(std::string::npos, twoLog.find("frames drawn in one pass: 0\n")) << twoLog;
    // Most of the show is drawn in one pass (its camera's eyes coincide).
    const size_t at = oneLog.find("frames drawn in one pass: ");
    ASSERT_NE(std::string::npos, at) << oneLog;
    EXPECT_GT(std::atoi(oneLog.c_str() + at + 26), 60) << oneLog;
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path("one"))) {
        PngImage one, two;
        ASSERT_TRUE(readPng(entry.path().string(), one));
        ASSERT_TRUE(readPng((tmp.path("two") / entry.path().filename()).string(), two))
            << entry.path().filename();
        ASSERT_EQ(one.width, two.width);
        ASSERT_EQ(one.height, two.height);
        size_t differing = 0;
        for (size_t i = 0; i < one.pixels.size(); ++i)
            differing += (one.pixels[i] & 0xFFFFFF) != (two.pixels[i] & 0xFFFFFF);
        EXPECT_EQ(0u, differing) << entry.path().filename();
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

// The show as a viewer sees it, a frame every two seconds: mostly shaded
// scenes in thousands of colours, mostly changing from one to the next.
TEST(Capture, EveryTwoSecondsTheShowIsShadedAndMoving) {
    TempDir tmp;
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parseCaptureOptions({"--fps", "0.5", "--out", tmp.path().string(), "--archive",
                                     NL_SHOW_ARCHIVE, "--size", "400x300"},
                                    o, error))
        << error;
    std::ostringstream log, err;
    ASSERT_EQ(0, runCapture(o, log, err)) << err.str();
    std::vector<std::filesystem::path> frames;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path()))
        if (entry.path().filename() != "frame_loading.png") frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    ASSERT_GE(frames.size(), 30u);
    size_t shaded = 0, changed = 0;
    PngImage previous;
    for (size_t i = 0; i < frames.size(); ++i) {
        PngImage frame;
        ASSERT_TRUE(readPng(frames[i].string(), frame));
        if (std::set<uint32_t>(frame.pixels.begin(), frame.pixels.end()).size() >= 1000) ++shaded;
        if (i > 0) {
            size_t differing = 0;
            for (size_t p = 0; p < frame.pixels.size(); ++p)
                differing += !closeTo(frame.pixels[p], previous.pixels[p], 8);
            if (differing > frame.pixels.size() / 10) ++changed;
        }
        previous = frame;
    }
    EXPECT_GE(shaded * 2, frames.size()) << shaded << " of " << frames.size();
    EXPECT_GT(changed * 2, frames.size() - 1) << changed << " of " << frames.size() - 1;
}

// Half-way through a white fade-in over black the capture shows half the
// colour in every channel, as the players do.
TEST(Capture, HalfWayThroughAFade) {
    TempDir tmp(true);
    const std::string picturePath = std::string(NL_TESTDATA_DIR) + "/images/jpeg/pillow_hopper.jpg";
    std::ifstream in(picturePath, std::ios::binary);
    const std::vector<uint8_t> picture((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    ASSERT_FALSE(picture.empty());
    const std::string script = "0 playxm a.xm\n0 fadein 1.0 0xffffffff\n2.0 stopdemo\n";
    std::vector<PackedEntry> entries = {
        packEntry("scene.scr", std::vector<uint8_t>(script.begin(), script.end())),
        packEntry("loading.jpg", picture), packEntry("sglow.jpg", picture)};
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(buildArchive(entries, &bytes, &error)) << error;
    tmp.write("fade.sar", bytes);

    CaptureOptions o;
    const std::string out = tmp.path("frames").string();
    ASSERT_TRUE(parseCaptureOptions({"--at", "0.5", "--out", out, "--archive",
                                     tmp.path("fade.sar").string(), "--size", "160x120"},
                                    o, error))
        << error;
    std::ostringstream log, err;
    ASSERT_EQ(0, runCapture(o, log, err)) << err.str();
    PngImage half;
    ASSERT_TRUE(readPng(frameFileName(out, 500), half));
    EXPECT_TRUE(closeTo(centre(half), 0x808080, 2)) << std::hex << centre(half);
}

} // namespace
