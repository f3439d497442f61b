// Particles drawn on a real device under Wine: an emitter on an object with
// sprite settings bears particles that show as additive sprites around it,
// saturating where many overlap; without sprite settings nothing is drawn.

#include "scene_fixture.h"

#include "effects/particle_settings.h"
#include "lightwave/items.h"

namespace {

class ParticleTest : public SceneRendererTest {
protected:
    // A tiny dark speck, as an object to carry an emitter.
    static lwo::Object speck() {
        lwo::Layer layer;
        lwo::addSquare(layer, {0, 0, 0}, 0.01f, 0);
        return objectOf(layer, glowing("Speck", {0, 0, 0}));
    }
    // `carrier` at the origin with an emitter (a 1-unit box bearing `rate` a
    // second that live long) and, for `kind` 1 or 2, particle settings; the
    // camera 10 away.
    LW6Scene& emitterScene(float rate, int kind, const lwo::Object& carrier = speck()) {
        putObject("speck.lwo", carrier);
        lws::Scene s;
        s.objects.push_back(objectAt("speck.lwo", 0, 0, 0));
        s.lights.push_back(lws::Light{});
        s.cameras.push_back(cameraAt(10));
        LW6Scene& scene = load(s);
        LWObject& object = *scene.objects[0];
        auto* e = new FxEmitter(object.layer);
        e->parent = &object;
        e->birthMode = 1; // per second
        e->birthRate.value = rate;
        e->lifeTime.value = 100;
        e->emitterValue10 = 0; // no drag
        scene.fxEmitter.push_back(e);
        if (kind != 0) {
            object.volumetric = new VolumetricSettings(kind);
            object.volumetric->particleSize.value = 0.05f;
        }
        return scene;
    }
};

TEST_F(ParticleTest, ParticlesShowAsAdditiveSpritesAroundTheEmitter) {
    LW6Scene& scene = emitterScene(400, 1);
    std::srand(5);
    frame(scene, 0);
    const Readback r = frame(scene, 1); // a second: 399 particles in the box
    EXPECT_EQ(399, scene.fxEmitter[0]->birthCount);
    // Hundreds of sprites overlap in the middle: they add up to white.
    const uint32_t middle = r.rgb(UINT(W / 2), UINT(H / 2));
    EXPECT_EQ(0xFFFFFFu, middle & 0xFFFFFF) << std::hex << middle;
    // Well outside the box nothing is drawn.
    EXPECT_EQ(0u, r.rgb(2, 2) & 0xFFFFFF);
    EXPECT_EQ(0u, messages.count());
}

// Two emitters each bear at their own rate, and one that has come to the
// end of its records does not stop the other.
TEST_F(ParticleTest, EachEmitterBearsAtItsOwnRate) {
    LW6Scene& scene = emitterScene(400, 1);
    auto* second = new FxEmitter(scene.objects[0]->layer);
    second->parent = scene.objects[0];
    second->birthMode = 1;
    second->birthRate.value = 20;
    second->lifeTime.value = 100;
    scene.fxEmitter.push_back(second);
    std::srand(5);
    frame(scene, 0);
    frame(scene, 1);
    EXPECT_EQ(399, scene.fxEmitter[0]->birthCount);
    EXPECT_EQ(19, second->birthCount);
    // 12 000 due for the first: past its 10 000 records, it bears no more;
    // the second, with 600 due, goes on.
    frame(scene, 30);
    EXPECT_EQ(399, scene.fxEmitter[0]->birthCount);
    EXPECT_EQ(599, second->birthCount);
    EXPECT_EQ(0u, messages.count());
}

TEST_F(ParticleTest, AFewSpritesAddSoftlyAndNothingWithoutSpriteSettings) {
    LW6Scene& scene = emitterScene(3, 1);
    std::srand(5);
    frame(scene, 0);
    const Readback r = frame(scene, 1); // two particles
    int lit = 0, brightest = 0;
    for (UINT y = 0; y < UINT(H); ++y)
        for (UINT x = 0; x < UINT(W); ++x) {
            const int b = brightness(r.rgb(x, y));
            lit += b > 0;
            brightest = std::max(brightest, b);
        }
    EXPECT_GT(lit, 10);
    // One blob at most 172 grey per channel; two may overlap.
    EXPECT_LE(brightest, 2 * 2 * 172 + 4);
    LW6Scene& bare = emitterScene(400, 0);
    frame(bare, 0);
    const Readback none = frame(bare, 1);
    EXPECT_EQ(0u, none.rgb(UINT(W / 2), UINT(H / 2)) & 0xFFFFFF);
}

// A picture on the emitter layer's surface tints the sprites: a red one
// leaves only their red.
TEST_F(ParticleTest, TheLayersPictureTintsTheSprites) {
    // A 2 x 2 red Targa picture (uncompressed, 24 bits).
    std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    for (int i = 0; i < 4; ++i) tga.insert(tga.end(), {0, 0, 255});
    (*files)["red.tga"] = tga;
    lwo::Object o = speck();
    o.clips = {"red.tga"};
    lwo::ImageLayer picture;
    picture.clip = 1;
    o.surfaces[0].layers.push_back(picture);
    LW6Scene& scene = emitterScene(400, 1, o);
    std::srand(5);
    frame(scene, 0);
    const uint32_t middle = frame(scene, 1).rgb(UINT(W / 2), UINT(H / 2));
    EXPECT_EQ(255, red(middle)) << std::hex << middle;
    EXPECT_EQ(0, blue(middle)) << std::hex << middle;
    EXPECT_EQ(0u, messages.count());
}

// Smoke: puffs laid over the scene by their density, grey where they are
// thick, never adding up beyond their own grey.
TEST_F(ParticleTest, SmokePuffsCoverWhatIsBehindThem) {
    LW6Scene& scene = emitterScene(400, 2);
    std::srand(5);
    frame(scene, 0, nullptr, 0xFF0000FF);
    const Readback r = frame(scene, 1, nullptr, 0xFF0000FF);
    const uint32_t middle = r.rgb(UINT(W / 2), UINT(H / 2));
    // Many puffs over the blue background: grey, the blue mostly covered.
    EXPECT_GT(red(middle), 100) << std::hex << middle;
    EXPECT_LT(std::abs(red(middle) - channel(middle, 8)), 12) << std::hex << middle;
    EXPECT_LT(red(middle), 240) << std::hex << middle;
    EXPECT_EQ(0x0000FFu, r.rgb(2, 2) & 0xFFFFFF) << "the background away from the smoke";
    EXPECT_EQ(0u, messages.count());
}

} // namespace
