// The player with two outputs (the setup's Stereo option, windowed: two
// windows side by side, each with a device of its own) under Wine: a scene
// drawn into a texture shows on a panel of another scene, and a cross-fade
// to such a scene shows, on both outputs alike. The cameras' eyes coincide,
// so the two outputs must show the same picture.

#include "app/readback.h"
#include "base/message_box.h"
#include "demo/lightwave/lwo_writer.h"
#include "demo/lightwave/lws_writer.h"
#include "lightwave/scene.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stage.h"
#include "timeline/demo_player.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace {

uint32_t clockMs = 0;
uint32_t readClock() {
    return clockMs;
}
SoundSystem* makeClock() {
    return new SilentSoundSystem(readClock);
}

int channel(uint32_t c, int shift) {
    return int((c >> shift) & 0xFF);
}

bool closeTo(uint32_t rgb, uint32_t expected, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(channel(rgb, s) - channel(expected, s)) > tolerance) return false;
    return true;
}

std::string text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Each output's back buffer, read as it is presented.
struct Grabs {
    const DeviceContext* context = nullptr;
    bool wanted = false;
    Readback frames[2];
};
void grab(IDirect3DDevice8* device, void* user) {
    auto* g = static_cast<Grabs*>(user);
    for (size_t i = 0; i < 2 && i < g->context->devices.size(); ++i)
        if (g->wanted && g->context->devices[i] == device) readBackBuffer(device, &g->frames[i]);
}

// A 2 x 2 panel 3 m before the camera, glowing white under a picture
// (which `setrt` replaces by a scene's texture).
std::vector<uint8_t> panel() {
    lwo::Object o;
    o.layers.emplace_back();
    lwo::addSquare(o.layers[0], {0, 0, 0}, 2, 0);
    lwo::Surface s;
    s.name = "Panel";
    s.colour = {1, 1, 1};
    s.diffuse = 0;
    s.luminosity = 1;
    lwo::ImageLayer picture;
    picture.clip = 1;
    picture.axis = 2;
    picture.size = {2, 2, 1};
    s.layers.push_back(picture);
    o.surfaces.push_back(s);
    o.clips.push_back("planet.pcx");
    return lwo::write(o);
}

// Two scenes: "target" (drawn first) and "screen", which shows the panel.
struct TwoOutputShow {
    TempDir tmp{true};
    TestStage stage;
    MessageRecorder messages;
    Grabs grabs;
    std::unique_ptr<DemoPlayer> demo;

    explicit TwoOutputShow(const std::string& script) {
        const std::string pictures = std::string(NL_TESTDATA_DIR) + "/images/";
        std::filesystem::copy_file(pictures + "jpeg/pillow_hopper.jpg", tmp.path("loading.jpg"));
        std::filesystem::copy_file(pictures + "jpeg/pillow_hopper.jpg", tmp.path("sglow.jpg"));
        std::filesystem::copy_file(pictures + "pcx/allegro_planet.pcx", tmp.path("planet.pcx"));
        tmp.write("panel.lwo", text(panel()));
        lws::Camera camera;
        camera.name = "Eye";
        camera.eyeSeparation = 0;
        lws::Scene screen;
        lws::Item shown;
        shown.name = "panel.lwo";
        shown.motion[0].position[2] = 3;
        screen.objects.push_back(shown);
        screen.lights.push_back(lws::Light{});
        screen.cameras.push_back(camera);
        lws::Scene target;
        target.lights.push_back(lws::Light{});
        target.cameras.push_back(camera);
        tmp.write("screen.lws", lws::write(screen));
        tmp.write("target.lws", lws::write(target));
        tmp.write("meta.txt", "target.lws screen.lws\n");
        tmp.write("scene.scr",
                  "0 playxm tune.xm\n0 loadmetascript meta.txt\n0 activemeta meta\n" + script);
        stage.display.settings.stereo = true;
        if (!stage.open(160, 120)) return;
        grabs.context = stage.context.get();
        stage.context->beforePresent = grab;
        stage.context->beforePresentUser = &grabs;
        demo = std::make_unique<DemoPlayer>(*stage.context);
        demo->soundFactory = makeClock;
        clockMs = 100000;
        demo->init(stage.display);
        demo->update();
    }
    // One frame at `seconds` of show time, read back from both outputs.
    void frameAt(double seconds) {
        clockMs = 100000 + uint32_t(seconds * 1000 + 0.5);
        grabs.wanted = true;
        demo->update();
        grabs.wanted = false;
    }
    const Readback& output(int i) const { return grabs.frames[i]; }
};

// Each output draws its eye's channels (the left eye red, the right green
// and blue) over its clear. With the eyes together and a picture whose red
// and blue agree, output 0's red is output 1's blue: pixels where they
// differ by more than `tolerance`.
size_t eyesDiffer(const Readback& left, const Readback& right, int tolerance) {
    EXPECT_EQ(left.pixels.size(), right.pixels.size());
    size_t count = 0;
    for (size_t i = 0; i < left.pixels.size() && i < right.pixels.size(); ++i)
        if (std::abs(channel(left.pixels[i], 16) - channel(right.pixels[i], 0)) > tolerance)
            ++count;
    return count;
}

} // namespace

TEST(TwoOutputPlayer, ASceneDrawnIntoATextureShowsOnThePanelOfBothOutputs) {
    TwoOutputShow show("0 start screen\n0 clear screen 3 0xff000000\n0 start target\n"
                       "0 clear target 3 0xffc0c0c0\n0 setrt target panel.lwo@Panel\n");
    ASSERT_TRUE(show.demo);
    ASSERT_EQ(2, show.stage.context->deviceCount);
    show.frameAt(0.2);
    show.frameAt(0.3);
    const Readback& left = show.output(0);
    const Readback& right = show.output(1);
    ASSERT_FALSE(left.pixels.empty());
    ASSERT_FALSE(right.pixels.empty());
    // The panel in the middle shows the target scene's grey clear; the
    // screen scene's black clear is around it.
    const UINT cx = left.width / 2, cy = left.height / 2;
    EXPECT_GT(channel(left.rgb(cx, cy), 16), 100) << std::hex << left.rgb(cx, cy);
    EXPECT_GT(channel(right.rgb(cx, cy), 0), 100) << std::hex << right.rgb(cx, cy);
    EXPECT_EQ(0u, left.rgb(2, 2));
    EXPECT_EQ(0u, right.rgb(2, 2));
    EXPECT_EQ(0u, eyesDiffer(left, right, 2));
    EXPECT_EQ(0u, show.messages.count());
}

TEST(TwoOutputPlayer, ACrossFadeShowsItsSceneOnBothOutputs) {
    // The screen scene magenta, the target scene's texture dark grey: red
    // and blue agree throughout.
    TwoOutputShow show("0 start screen\n0 clear screen 3 0xffff00ff\n0 start target\n"
                       "0 clear target 3 0xff404040\n0 setrt target panel.lwo@Panel\n"
                       "1.0 xfade target 1000\n");
    ASSERT_TRUE(show.demo);
    show.frameAt(0.5);
    EXPECT_EQ(0xFF, channel(show.output(0).rgb(2, 2), 16));
    EXPECT_EQ(0xFF, channel(show.output(1).rgb(2, 2), 0));
    show.frameAt(1.0); // the cross-fade starts
    show.frameAt(1.5); // half way: half the screen scene, half the target's texture
    const uint32_t left = show.output(0).rgb(2, 2), right = show.output(1).rgb(2, 2);
    EXPECT_NEAR(0xA0, channel(left, 16), 3) << std::hex << left;
    EXPECT_NEAR(0xA0, channel(right, 0), 3) << std::hex << right;
    EXPECT_EQ(0u, eyesDiffer(show.output(0), show.output(1), 3));
    EXPECT_EQ(0u, show.messages.count());
}
