#pragma once
// A show folder for player tests on a real device under Wine: two scenes
// ("screen" and "target") in the metascript "meta.txt", an object with a
// picture surface, the start-up pictures, and a player over it on the silent
// clock the test moves.

#include "app/readback.h"
#include "base/message_box.h"
#include "lightwave/lwo_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_stage.h"
#include "timeline/demo_player.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace show_folder {

using B = LwoBuilder;
using Bytes = LwoBuilder::Bytes;

inline uint32_t clockMs = 0;
inline uint32_t readClock() {
    return clockMs;
}
inline SoundSystem* makeClock() {
    return new SilentSoundSystem(readClock);
}

struct Grab {
    bool wanted = false;
    Readback frame;
};
inline void grab(IDirect3DDevice8* device, void* user) {
    auto* g = static_cast<Grab*>(user);
    if (g->wanted) readBackBuffer(device, &g->frame);
    g->wanted = false;
}

inline bool closeTo(uint32_t rgb, uint32_t expected, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int((rgb >> s) & 0xFF) - int((expected >> s) & 0xFF)) > tolerance)
            return false;
    return true;
}

// A show folder with two scenes ("screen" and "target") and an object with a
// picture surface, and a player over it.
struct Show {
    TempDir tmp{true};
    TestStage stage;
    MessageRecorder messages;
    Grab frame;
    std::unique_ptr<DemoPlayer> demo;

    // Without `firstFrame` the player is only initialised (to start it elsewhere).
    explicit Show(const std::string& script, bool firstFrame = true) {
        const std::string pictures = std::string(NL_TESTDATA_DIR) + "/images/";
        std::filesystem::copy_file(pictures + "jpeg/pillow_hopper.jpg", tmp.path("loading.jpg"));
        std::filesystem::copy_file(pictures + "jpeg/pillow_hopper.jpg", tmp.path("sglow.jpg"));
        std::filesystem::copy_file(pictures + "pcx/allegro_planet.pcx", tmp.path("planet.pcx"));
        tmp.write("thing.lwo", B::pictureTriangle("Picture", "planet.pcx"));
        const std::string camera = "AddCamera\nCameraMotion\nNumChannels 0\n";
        tmp.write("screen.lws", "LWSC\n3\nLoadObjectLayer 1 thing.lwo\n" + camera + camera);
        tmp.write("target.lws", "LWSC\n3\n" + camera +
                                    "AddLight\nLightName Sun\nShadowType 2\nLightConeAngle 30\n"
                                    "AddLight\nLightName Fill\nShadowType 1\n");
        tmp.write("meta.txt", "screen.lws target.lws\n");
        tmp.write("scene.scr", "0 playxm tune.xm\n0 loadmetascript meta.txt\n"
                               "0 activemeta meta\n" +
                                   script);
        if (!stage.open(160, 120)) return;
        stage.context->beforePresent = grab;
        stage.context->beforePresentUser = &frame;
        demo = std::make_unique<DemoPlayer>(*stage.context);
        demo->soundFactory = makeClock;
        clockMs = 100000;
        demo->init(stage.display);
        if (firstFrame) demo->update(); // time 0: the tune starts, the metascene loads
    }
    // One frame at `seconds` of show time; returns the frame's centre.
    uint32_t frameAt(double seconds) {
        clockMs = 100000 + uint32_t(seconds * 1000 + 0.5);
        frame.wanted = true;
        demo->update();
        return frame.frame.pixels.empty() ? 0xDEADBEEF : frame.frame.rgb(80, 60);
    }
    // One frame with the clock at `ms` past its base; the whole frame.
    const Readback& frameAtClock(uint32_t ms) {
        clockMs = 100000 + ms;
        frame.wanted = true;
        demo->update();
        return frame.frame;
    }
    LW6Scene* scene(const char* name) { return demo->findScene(name); }
};

} // namespace show_folder

using namespace show_folder;
