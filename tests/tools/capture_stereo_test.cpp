// The frame capture with the setup's Stereo option on, under Wine: two
// outputs, the left eye read back from the first device and the right eye
// from the second. A small show made here with our LightWave writers: a
// light grey square a short way before the camera and a dark grey wall far
// behind it, both glowing in their own colour so that no light differs
// between the eyes.

#include "demo/lightwave/lwo_writer.h"
#include "demo/lightwave/lws_writer.h"
#include "files/archive_writer.h"
#include "support/png_image.h"
#include "support/temp_dir.h"
#include "tools/capture/capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr int W = 200, H = 150;
// The square: 0.5 m wide, NEAR_DISTANCE before the camera; the wall far
// behind, wide enough to fill the frame seen from either eye.
constexpr float NEAR_DISTANCE = 2.0f, NEAR_SIZE = 0.5f;
constexpr float WALL_DISTANCE = 12.0f, WALL_SIZE = 16.0f;
constexpr float ZOOM = 3.2f;
// The first stereo float of the device context scales every eye separation.
constexpr float STEREO_SCALE = 0.5f;

int red(uint32_t c) {
    return int((c >> 16) & 0xFF);
}
int green(uint32_t c) {
    return int((c >> 8) & 0xFF);
}
int blue(uint32_t c) {
    return int(c & 0xFF);
}
uint32_t at(const PngImage& p, int x, int y) {
    return p.pixels[size_t(y) * size_t(p.width) + size_t(x)];
}

std::vector<uint8_t> bytesOf(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

// A one-square object glowing in `grey` (0..0.5). Materials take green at
// half strength, so a grey surface has twice the green of its red and blue.
std::vector<uint8_t> glowingSquare(const char* surface, float grey, float size) {
    lwo::Object o;
    o.layers.emplace_back();
    lwo::addSquare(o.layers[0], {0, 0, 0}, size, 0);
    lwo::Surface s;
    s.name = surface;
    s.colour = {grey, 2 * grey, grey};
    s.diffuse = 0;
    s.luminosity = 1;
    s.specularity = 0;
    o.surfaces.push_back(s);
    return lwo::write(o);
}

lws::Item objectAt(const char* file, float z) {
    lws::Item o;
    o.name = file;
    o.motion[0].position[2] = z;
    return o;
}

// The show's archive: the camera at the origin looking along +z with
// `eyeSeparation`, the square and the wall before it, from time 0 to 5 s.
std::string makeShow(const TempDir& tmp, float eyeSeparation) {
    lws::Scene scene;
    scene.objects.push_back(objectAt("near.lwo", NEAR_DISTANCE));
    scene.objects.push_back(objectAt("wall.lwo", WALL_DISTANCE));
    scene.lights.push_back(lws::Light{});
    lws::Camera camera;
    camera.name = "Eye";
    camera.zoomFactor = ZOOM;
    camera.eyeSeparation = eyeSeparation;
    scene.cameras.push_back(camera);

    const std::vector<uint8_t> picture =
        fileBytes(std::string(NL_TESTDATA_DIR) + "/images/jpeg/pillow_hopper.jpg");
    EXPECT_FALSE(picture.empty());
    const std::string script = "0 playxm tune.xm\n0 loadmetascript meta.txt\n"
                               "0 activemeta meta\n0 start stereo\n5.0 stopdemo\n";
    std::vector<PackedEntry> entries = {
        packEntry("scene.scr", bytesOf(script)),
        packEntry("meta.txt", bytesOf("stereo.lws\n")),
        packEntry("stereo.lws", bytesOf(lws::write(scene))),
        packEntry("near.lwo", glowingSquare("Near", 0.5f, NEAR_SIZE)),
        packEntry("wall.lwo", glowingSquare("Wall", 0.15f, WALL_SIZE)),
        packEntry("loading.jpg", picture),
        packEntry("sglow.jpg", picture)};
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(buildArchive(entries, &bytes, &error)) << error;
    tmp.write("stereo.sar", bytes);
    return tmp.path("stereo.sar").string();
}

struct Eyes {
    PngImage left, right;
    std::string log;
};

// Captures the show at 1 s with --stereo and reads both pictures.
bool captureEyes(const TempDir& tmp, const std::string& archive, Eyes& eyes) {
    CaptureOptions o;
    std::string error;
    const std::string out = tmp.path("frames").string();
    const std::string size = std::to_string(W) + "x" + std::to_string(H);
    EXPECT_TRUE(parseCaptureOptions(
        {"--at", "1", "--out", out, "--archive", archive, "--size", size, "--stereo"}, o, error))
        << error;
    std::ostringstream log, err;
    EXPECT_EQ(0, runCapture(o, log, err)) << err.str() << log.str();
    eyes.log = log.str();
    EXPECT_EQ(std::string::npos, eyes.log.find("message:")) << eyes.log;
    // One picture per eye, none for both.
    EXPECT_FALSE(std::filesystem::exists(frameFileName(out, 1000)));
    return readPng(eyeFrameFileName(out, 1000, 0), eyes.left) &&
           readPng(eyeFrameFileName(out, 1000, 1), eyes.right) && eyes.left.width == W &&
           eyes.left.height == H && eyes.right.width == W && eyes.right.height == H;
}

// The first and last column of the middle row brighter than `threshold` in
// one channel: where the square stands.
void extent(const PngImage& p, int shift, int threshold, int& first, int& last) {
    first = last = -1;
    for (int x = 0; x < p.width; ++x)
        if (int((at(p, x, H / 2) >> shift) & 0xFF) > threshold) {
            if (first < 0) first = x;
            last = x;
        }
}

TEST(CaptureStereo, OptionsAndEyeFrameNames) {
    CaptureOptions o;
    std::string error;
    ASSERT_TRUE(parseCaptureOptions({"--at", "1", "--out", "x", "--stereo"}, o, error)) << error;
    EXPECT_TRUE(o.stereo);
    EXPECT_FALSE(o.eyePasses);
    CaptureOptions plain;
    ASSERT_TRUE(parseCaptureOptions({"--at", "1", "--out", "x"}, plain, error)) << error;
    EXPECT_FALSE(plain.stereo);
    EXPECT_EQ("x/frame_001500_left.png", eyeFrameFileName("x", 1500, 0));
    EXPECT_EQ("x/frame_001500_right.png", eyeFrameFileName("x", 1500, 1));
    EXPECT_EQ("x/frame_001500.png", frameFileName("x", 1500));
    // Two outputs always draw both eye passes: asking for them as well is a mistake.
    CaptureOptions both;
    error.clear();
    EXPECT_FALSE(
        parseCaptureOptions({"--fps", "1", "--out", "x", "--stereo", "--eye-passes"}, both, error));
    EXPECT_NE(std::string::npos, error.find("--stereo")) << error;
    // The other rules still hold with --stereo.
    EXPECT_FALSE(parseCaptureOptions({"--stereo", "--out", "x"}, both, error));
    EXPECT_FALSE(parseCaptureOptions({"--at", "1", "--stereo"}, both, error));
}

TEST(CaptureStereo, EachOutputShowsItsEyeFromItsOwnSide) {
    TempDir tmp;
    const float separation = 0.4f;
    Eyes eyes;
    ASSERT_TRUE(captureEyes(tmp, makeShow(tmp, separation), eyes));
    EXPECT_NE(std::string::npos, eyes.log.find("frames drawn in one pass: 0\n")) << eyes.log;

    // Each output holds only its eye's channels: red for the left, green
    // and blue for the right.
    size_t leftStray = 0, rightStray = 0;
    for (uint32_t c : eyes.left.pixels) leftStray += green(c) != 0 || blue(c) != 0;
    for (uint32_t c : eyes.right.pixels) rightStray += red(c) != 0 || green(c) != blue(c);
    EXPECT_EQ(0u, leftStray);
    EXPECT_EQ(0u, rightStray);

    // The wall's grey and the square's lighter grey, as each eye sees them.
    const int wallLeft = red(at(eyes.left, 4, 4)), wallRight = green(at(eyes.right, 4, 4));
    EXPECT_GT(wallLeft, 20);
    EXPECT_NEAR(wallLeft, wallRight, 2);
    const int threshold = wallLeft + 40;
    int leftFirst, leftLast, rightFirst, rightLast;
    extent(eyes.left, 16, threshold, leftFirst, leftLast);
    extent(eyes.right, 8, threshold, rightFirst, rightLast);
    ASSERT_GE(leftFirst, 0);
    ASSERT_GE(rightFirst, 0);
    EXPECT_GT(red(at(eyes.left, (leftFirst + leftLast) / 2, H / 2)), threshold);
    // The square has the same width in both eyes...
    EXPECT_NEAR(leftLast - leftFirst, rightLast - rightFirst, 2);
    const float expectedWidth = 0.75f * ZOOM * NEAR_SIZE / NEAR_DISTANCE * W / 2;
    EXPECT_NEAR(float(leftLast - leftFirst + 1), expectedWidth, 3);
    // ...and stands further right for the left eye: its view moves the world
    // by +s along x (s = the stereo scale times the separation), so a point
    // at depth d lands (W/2) * 0.75 * zoom * s / d further right, and the
    // right eye's as far to the left. The projection's skew takes back the
    // same shift for depth s1 >= 3.75 (where the eyes converge), less than
    // it adds at the square's depth.
    const float s = STEREO_SCALE * separation;
    const float viewShift = 2 * (W / 2.0f) * 0.75f * ZOOM * s / NEAR_DISTANCE;
    const float leastShift = viewShift - 2 * (W / 2.0f) * 0.75f * ZOOM * s / 3.75f;
    const float disparity = float(leftFirst + leftLast - rightFirst - rightLast) / 2;
    EXPECT_GT(disparity, 0) << leftFirst << ".." << leftLast << " vs " << rightFirst << ".."
                            << rightLast;
    EXPECT_LE(disparity, viewShift + 1);
    EXPECT_GE(disparity, leastShift - 1);
    // Where only one eye sees the square, the eyes' greys differ.
    for (int x : {leftLast - 1, rightFirst + 1}) {
        const bool inLeft = x >= leftFirst && x <= leftLast;
        const bool inRight = x >= rightFirst && x <= rightLast;
        EXPECT_NE(inLeft, inRight) << x;
        EXPECT_GT(std::abs(red(at(eyes.left, x, H / 2)) - green(at(eyes.right, x, H / 2))), 40)
            << x;
    }

    // On the far wall, above and below the square, the eyes agree.
    size_t compared = 0, differing = 0;
    for (int y = 0; y < H; ++y) {
        if (y > H / 2 - 40 && y < H / 2 + 40) continue; // the square's rows, with a margin
        for (int x = 0; x < W; ++x, ++compared)
            differing += std::abs(red(at(eyes.left, x, y)) - green(at(eyes.right, x, y))) > 2;
    }
    EXPECT_GT(compared, size_t(W * 40));
    EXPECT_EQ(0u, differing);
}

TEST(CaptureStereo, EyesThatCoincideSeeTheSamePicture) {
    TempDir tmp;
    Eyes eyes;
    ASSERT_TRUE(captureEyes(tmp, makeShow(tmp, 0.0f), eyes));
    int leftFirst, leftLast;
    extent(eyes.left, 16, red(at(eyes.left, 4, 4)) + 40, leftFirst, leftLast);
    ASSERT_GE(leftFirst, 0); // the square is there
    size_t differing = 0;
    for (size_t i = 0; i < eyes.left.pixels.size(); ++i) {
        const uint32_t l = eyes.left.pixels[i], r = eyes.right.pixels[i];
        differing += std::abs(red(l) - green(r)) > 1 || std::abs(red(l) - blue(r)) > 1 ||
                     green(l) != 0 || red(r) != 0;
    }
    EXPECT_EQ(0u, differing);
}

} // namespace
