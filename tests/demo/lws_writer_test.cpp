// Scenes written by the project's LWS writer and read back through the
// player's own loader, and written files read by nltool lw: items, links,
// motions between keys, lights, cameras and the scene's settings as written,
// with no message.

#include "base/message_box.h"
#include "effects/particle_settings.h"
#include "lightwave/items.h"
#include "lw_writer_stage.h"
#include "support/temp_dir.h"
#include "tools/nltool/commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using namespace lwtest;

constexpr double kPi = 3.14159265358979323846;

lws::Item nullObject(const char* name) {
    lws::Item o;
    o.null = true;
    o.name = name;
    return o;
}

lws::MotionKey at(double time, float x, float y, float z) {
    lws::MotionKey k;
    k.time = time;
    k.position[0] = x;
    k.position[1] = y;
    k.position[2] = z;
    return k;
}

TEST(LwsWriter, SceneSettingsAmbientBackdropAndFog) {
    MessageRecorder messages;
    lws::Scene s;
    s.firstFrame = 5;
    s.lastFrame = 250;
    s.framesPerSecond = 25;
    const float ambient[3] = {0.5f, 0.25f, 1};
    std::copy(ambient, ambient + 3, s.ambient);
    s.ambientIntensityEnvelope.keys = {key(0, 0.2f), key(10, 0.8f)};
    const float backdrop[3] = {0.1f, 0.2f, 0.3f};
    std::copy(backdrop, backdrop + 3, s.backdropColour);
    s.fogType = lws::FOG_NONLINEAR2;
    s.fogMin = 3;
    s.fogMax = 90;
    const float fog[3] = {0.4f, 0.5f, 0.6f};
    std::copy(fog, fog + 3, s.fogColour);
    Stage stage;
    ASSERT_TRUE(stage.load(s));
    LW6Scene& l = *stage.scene;
    EXPECT_EQ(5, l.firstFrame);
    EXPECT_EQ(250, l.lastFrame);
    EXPECT_EQ(25, l.framesPerSecond);
    EXPECT_EQ(std::vector<float>(ambient, ambient + 3),
              std::vector<float>(l.ambientColor, l.ambientColor + 3));
    ASSERT_NE(nullptr, l.ambientIntensity.envelope);
    EXPECT_NEAR(0.5, l.ambientIntensity.evaluate(5), 1e-6);
    EXPECT_EQ(std::vector<float>(backdrop, backdrop + 3),
              std::vector<float>(l.backdropColor, l.backdropColor + 3));
    EXPECT_EQ(FOG_EXP2, l.fogType);
    EXPECT_FLOAT_EQ(3.0f, l.fogMinDistance);
    EXPECT_FLOAT_EQ(90.0f, l.fogMaxDistance);
    EXPECT_EQ(std::vector<float>(fog, fog + 3), std::vector<float>(l.fogColor, l.fogColor + 3));

    // Every fog type, and fog in the backdrop's colour.
    const std::pair<int, int> types[] = {{lws::FOG_LINEAR, FOG_LINEAR},
                                         {lws::FOG_NONLINEAR1, FOG_EXP}};
    for (auto [written, read] : types) {
        s.fogType = written;
        s.backdropFog = true;
        Stage again;
        ASSERT_TRUE(again.load(s));
        EXPECT_EQ(read, again.scene->fogType);
        EXPECT_FLOAT_EQ(0.2f, again.scene->fogColor[1]);
    }
    s.fogMax = 0;
    s.ambientIntensityEnvelope.keys.clear();
    s.ambientIntensity = 0.75f;
    Stage clear;
    ASSERT_TRUE(clear.load(s));
    EXPECT_EQ(FOG_NONE, clear.scene->fogType);
    EXPECT_EQ(nullptr, clear.scene->ambientIntensity.envelope);
    EXPECT_FLOAT_EQ(0.75f, clear.scene->ambientIntensity.value);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwsWriter, ObjectsNullsParentsTargetsAndPivots) {
    MessageRecorder messages;
    Stage stage;
    lwo::Object ship;
    ship.surfaces = {named("Hull")};
    ship.layers = {squareLayer(), squareLayer()};
    ship.layers[1].number = 1;
    stage.put("ship.lwo", ship);

    lws::Scene s;
    lws::Item hull;
    hull.name = "ship.lwo";
    const float pivot[3] = {1, 2, 3};
    std::copy(pivot, pivot + 3, hull.pivotPosition);
    hull.pivotRotation[0] = 0.5f; // heading
    hull.pivotRotation[1] = 0.25f;
    hull.shadowOptions = 3;
    hull.excludedLights = {1};
    hull.unaffectedByFog = true;
    lws::Item fin;
    fin.name = "ship.lwo";
    fin.layer = 2;
    fin.parent = lws::objectRef(0);
    fin.target = lws::objectRef(2);
    fin.headingController = lws::TARGET;
    fin.pitchController = lws::TARGET;
    lws::Item handle = nullObject("Handle");
    handle.parent = lws::lightRef(1);
    handle.bankController = lws::PATH;
    handle.pathAlignLookAhead = 0.5f;
    s.objects = {hull, fin, handle};
    s.lights.resize(2);
    s.lights[0].name = "Key";
    s.lights[1].name = "Fill";
    lws::Camera eye;
    eye.name = "Eye";
    eye.parent = lws::objectRef(2);
    eye.target = lws::objectRef(0);
    s.cameras = {eye};
    ASSERT_TRUE(stage.load(s));

    LW6Scene& l = *stage.scene;
    ASSERT_EQ(3u, l.objects.size());
    ASSERT_EQ(1u, stage.meta.meshes.size()); // both layers from one load
    MetaMesh* mesh = stage.meta.meshes[0].get();
    LWObject* o = l.objects[0];
    EXPECT_EQ("ship.lwo", o->name);
    EXPECT_EQ(mesh->layer[0], o->layer);
    EXPECT_EQ(std::vector<float>(pivot, pivot + 3),
              std::vector<float>(o->pivotPosition, o->pivotPosition + 3));
    EXPECT_NEAR(0.25, o->pivotRotation[0], 1e-6); // kept as pitch, heading, bank
    EXPECT_NEAR(0.5, o->pivotRotation[1], 1e-6);
    EXPECT_EQ(3, o->shadowOptions);
    EXPECT_EQ(std::vector<int>({1}), o->excludedLights);
    EXPECT_TRUE(o->unaffectedByFog);
    EXPECT_EQ(nullptr, o->parent);

    LWObject* f = l.objects[1];
    EXPECT_EQ(mesh->layer[1], f->layer);
    EXPECT_EQ(o, f->parent);
    EXPECT_EQ(l.objects[2], f->target);
    EXPECT_EQ(CONTROLLER_TARGET, f->headingController);
    EXPECT_EQ(CONTROLLER_TARGET, f->pitchController);
    EXPECT_EQ(CONTROLLER_KEYS, f->bankController);
    EXPECT_EQ(7, f->shadowOptions);
    EXPECT_FALSE(f->unaffectedByFog);
    EXPECT_TRUE(f->excludedLights.empty());

    LWObject* h = l.objects[2];
    EXPECT_EQ("Handle", h->name);
    EXPECT_EQ(nullptr, h->layer);
    EXPECT_EQ(l.lights[1], h->parent);
    EXPECT_EQ(CONTROLLER_PATH, h->bankController);
    EXPECT_FLOAT_EQ(0.5f, h->pathAlignLookAhead);

    ASSERT_EQ(2u, l.lights.size());
    EXPECT_EQ("Fill", l.lights[1]->name);
    ASSERT_EQ(1u, l.cameras.size());
    EXPECT_EQ(l.cameras[0], l.currentCamera);
    EXPECT_EQ(h, l.cameras[0]->parent);
    EXPECT_EQ(o, l.cameras[0]->target);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwsWriter, EmittersEffectorsAndSpritesReadBack) {
    MessageRecorder messages;
    Stage stage;
    lwo::Object speck;
    speck.surfaces = {named("Speck")};
    speck.layers = {squareLayer()};
    stage.put("speck.lwo", speck);
    lws::Scene s;
    lws::Item source;
    source.name = "speck.lwo";
    lws::Emitter e;
    e.size[0] = 2;
    e.size[1] = 3;
    e.size[2] = 4;
    e.generator = 1;
    e.birthMode = 1;
    e.birthRate = 250;
    e.lifeFrames = 60;
    e.lifeVariationFrames = 15;
    e.particleLimit = 5000;
    e.velocity[1] = 2.5f;
    e.acceleration[1] = -9.8f;
    e.explosionSpeed = 1.5f;
    e.speed = 0.75f;
    e.speedVariation = 0.25f;
    e.drag = 0.5f;
    e.dragVariation = 0.125f;
    e.maximumSpeed = 0.2f;
    source.emitters = {e};
    lws::Effector wind;
    wind.wind = true;
    wind.emitter = 1;
    wind.radius = 6;
    wind.strength = 0.5f;
    wind.falloff = 0;
    wind.direction[0] = 1;
    wind.direction[1] = 0;
    lws::Effector pull;
    pull.mode = 1;
    pull.strength = -2;
    pull.falloff = 1;
    pull.radius = 3;
    source.effectors = {wind, pull};
    source.spriteSize = 0.04f;
    s.objects = {source};
    ASSERT_TRUE(stage.load(s));
    LW6Scene& scene = *stage.scene;
    ASSERT_EQ(1u, scene.fxEmitter.size());
    const FxEmitter& r = *scene.fxEmitter[0];
    EXPECT_EQ(scene.objects[0], r.parent);
    EXPECT_EQ(2, r.sizeX);
    EXPECT_EQ(4, r.sizeZ);
    EXPECT_EQ(1, r.generatorType);
    EXPECT_EQ(1, r.birthMode);
    EXPECT_EQ(250, r.birthRate.value);
    EXPECT_FLOAT_EQ(2, r.lifeTime.value); // frames to seconds
    EXPECT_FLOAT_EQ(0.5f, r.lifeVariation.value);
    EXPECT_EQ(5000, r.particleLimit);
    EXPECT_EQ(2.5f, r.emitterValue2.value);
    EXPECT_EQ(-9.8f, r.emitterValue6);
    EXPECT_EQ(1.5f, r.emitterValue8.value);
    EXPECT_EQ(0.75f, r.emitterValue9);
    EXPECT_EQ(0.5f, r.emitterValue10);
    EXPECT_EQ(0.25f, r.emitterValue11);
    EXPECT_EQ(0.125f, r.emitterValue12);
    EXPECT_EQ(0.2f, r.emitterValue15);
    ASSERT_EQ(2u, scene.fxEffector.size());
    const FxEffector& w = *scene.fxEffector[0];
    EXPECT_EQ(EFFECTOR_WIND, w.kind);
    EXPECT_EQ(1, w.values[1]);
    EXPECT_EQ(6, w.values[2]);
    EXPECT_EQ(0.5f, w.values[3]);
    EXPECT_EQ(0, w.values[5]);
    EXPECT_EQ(1, w.values[7]);
    const FxEffector& g = *scene.fxEffector[1];
    EXPECT_EQ(EFFECTOR_GRAVITY, g.kind);
    EXPECT_EQ(1, g.values[4]);
    EXPECT_EQ(-2, g.values[3]);
    EXPECT_EQ(-1, g.values[7]); // the direction's y
    ASSERT_TRUE(scene.objects[0]->volumetric);
    EXPECT_EQ(1, scene.objects[0]->volumetric->kind);
    EXPECT_FLOAT_EQ(0.04f, scene.objects[0]->volumetric->particleSize.value);
    EXPECT_EQ(0u, messages.count());
}

// A collision effector and particles drawn as puffs of the volume texture,
// beside a wind effector after it (the words it leaves must not shift the
// wind's).
TEST(LwsWriter, CollisionEffectorsAndVolumeParticles) {
    MessageRecorder messages;
    Stage stage;
    lwo::Object speck;
    speck.surfaces = {named("Speck")};
    speck.layers = {squareLayer()};
    stage.put("speck.lwo", speck);
    lws::Scene s;
    lws::Item source;
    source.name = "speck.lwo";
    source.emitters = {lws::Emitter{}};
    lws::Effector ball;
    ball.collision = true;
    ball.collisionShape = 1;
    ball.emitter = 1;
    ball.radius = 2.5f;
    ball.strength = 0.75f;
    lws::Effector wind;
    wind.wind = true;
    wind.strength = 0.5f;
    wind.direction[0] = 1;
    source.effectors = {ball, wind};
    source.spriteSize = 0.3f;
    source.voxelKind = 2;
    s.objects = {source};
    ASSERT_TRUE(stage.load(s));
    LW6Scene& scene = *stage.scene;
    ASSERT_EQ(2u, scene.fxEffector.size());
    const FxEffector& c = *scene.fxEffector[0];
    EXPECT_EQ(EFFECTOR_COLLISION, c.kind);
    EXPECT_EQ(1, c.values[1]);
    EXPECT_EQ(2.5f, c.values[2]);
    EXPECT_EQ(0.75f, c.values[3]);
    EXPECT_EQ(1, c.values[4]);
    EXPECT_EQ(scene.objects[0], c.parent);
    const FxEffector& w = *scene.fxEffector[1];
    EXPECT_EQ(EFFECTOR_WIND, w.kind);
    EXPECT_EQ(0.5f, w.values[3]);
    EXPECT_EQ(1, w.values[7]);
    ASSERT_TRUE(scene.objects[0]->volumetric);
    EXPECT_EQ(2, scene.objects[0]->volumetric->kind);
    EXPECT_FLOAT_EQ(0.3f, scene.objects[0]->volumetric->particleSize.value);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwsWriter, MotionsBetweenKeys) {
    MessageRecorder messages;
    lws::Scene s;
    lws::Item mover = nullObject("Mover");
    lws::MotionKey start = at(0, 0, 0, 0);
    lws::MotionKey middle = at(2, 4, -2, 1);
    middle.rotation[0] = 1;
    middle.scale[0] = 2;
    lws::MotionKey end = at(3, 4, 0, 0);
    end.span = lws::Span::Stepped;
    mover.motion = {start, middle, end};
    mover.post = lws::Behaviour::Repeat;
    lws::ChannelKeys bank;
    bank.channel = lws::BANK;
    bank.envelope.keys = {eased(0, 0), eased(1, 1)};
    mover.channels = {bank};
    // Times and values that short decimals do not hold.
    lws::Item exact = nullObject("Exact");
    exact.motion = {at(1.0 / 30, 1.0f / 3, 0.1f, 1e-7f), at(1.0 / 3, 2.0f / 3, 0, 123456.79f)};
    lws::Item still = nullObject("Still");
    still.motion = {at(0, 5, 6, 7)};
    lws::Item easing = nullObject("Easing");
    easing.motion = {at(0, 0, 0, 0), at(1, 1, 0, 0)};
    for (lws::MotionKey& k : easing.motion) {
        k.span = lws::Span::TCB;
        k.tension = 1;
    }
    s.objects = {mover, exact, still, easing};
    Stage stage;
    ASSERT_TRUE(stage.load(s));
    LW6Scene& l = *stage.scene;
    ASSERT_EQ(4u, l.objects.size());

    LWAnimValue* c = l.objects[0]->channels;
    EXPECT_NEAR(2.0, c[CHANNEL_X].evaluate(1), 1e-6); // linear halfway
    EXPECT_NEAR(-1.0, c[CHANNEL_Y].evaluate(1), 1e-6);
    EXPECT_NEAR(0.5, c[CHANNEL_Z].evaluate(1), 1e-6);
    EXPECT_NEAR(0.25, c[CHANNEL_HEADING].evaluate(0.5), 1e-6);
    EXPECT_NEAR(1.5, c[CHANNEL_SCALE_X].evaluate(1), 1e-6);
    EXPECT_NEAR(1.0, c[CHANNEL_SCALE_Y].evaluate(1), 1e-6);
    EXPECT_NEAR(-2.0, c[CHANNEL_Y].evaluate(2.9), 1e-6); // the stepped span holds
    EXPECT_NEAR(1.0, c[CHANNEL_X].evaluate(3.5), 1e-6);  // repeats from the start
    ASSERT_NE(nullptr, c[CHANNEL_BANK].envelope);
    EXPECT_EQ(2, c[CHANNEL_BANK].envelope->numKeys);
    EXPECT_NEAR(0.15625, c[CHANNEL_BANK].evaluate(0.25), 1e-6);
    EXPECT_EQ(BEHAVIOR_REPEAT, c[CHANNEL_X].envelope->postBehavior);
    EXPECT_EQ(BEHAVIOR_CONSTANT, c[CHANNEL_BANK].envelope->postBehavior);

    const LWEnvelope* x = l.objects[1]->channels[CHANNEL_X].envelope;
    ASSERT_NE(nullptr, x);
    EXPECT_EQ(float(1.0 / 30), x->keys[0].time);
    EXPECT_EQ(float(1.0 / 3), x->keys[1].time);
    EXPECT_EQ(1.0f / 3, x->keys[0].value);
    EXPECT_EQ(0.1f, l.objects[1]->channels[CHANNEL_Y].envelope->keys[0].value);
    EXPECT_EQ(1e-7f, l.objects[1]->channels[CHANNEL_Z].envelope->keys[0].value);
    EXPECT_EQ(123456.79f, l.objects[1]->channels[CHANNEL_Z].envelope->keys[1].value);

    // One key: a constant.
    EXPECT_EQ(nullptr, l.objects[2]->channels[CHANNEL_Z].envelope);
    EXPECT_FLOAT_EQ(7.0f, l.objects[2]->channels[CHANNEL_Z].value);
    EXPECT_FLOAT_EQ(1.0f, l.objects[2]->channels[CHANNEL_SCALE_Z].value);
    // TCB motion keys of tension 1 ease every channel they move.
    EXPECT_NEAR(0.15625, l.objects[3]->channels[CHANNEL_X].evaluate(0.25), 1e-6);
    EXPECT_EQ(SHAPE_TCB, l.objects[3]->channels[CHANNEL_X].envelope->keys[1].shape);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwsWriter, LightsOfEveryKind) {
    MessageRecorder messages;
    lws::Scene s;
    s.lights.resize(5);
    for (int i = 0; i < 5; ++i) {
        s.lights[size_t(i)].name = "Light" + std::to_string(i);
        s.lights[size_t(i)].type = i;
    }
    lws::Light& distant = s.lights[0];
    const float colour[3] = {1, 0.5f, 0.25f};
    std::copy(colour, colour + 3, distant.colour);
    distant.intensity = 0.8f;
    distant.affectDiffuse = false;
    lws::Light& point = s.lights[1];
    point.colour[0] = 0.3f;
    point.colour[2] = 0.7f;
    point.colourEnvelopes[1].keys = {key(0, 0), key(2, 1)};
    point.intensityEnvelope.keys = {key(0, 0), key(1, 2)};
    point.falloffType = 3;
    point.range = 12;
    point.affectSpecular = false;
    lws::Light& spot = s.lights[2];
    spot.coneAngleEnvelope.keys = {key(0, 0.5f), key(1, 0.7f)}; // radians
    spot.edgeAngle = 10;
    spot.shadowType = 2;
    spot.shadowMapSize = 1024;
    spot.lensFlare = true;
    spot.flareIntensity = 0.6f;
    spot.lensFlareOptions = 5;
    spot.flareNominalDistance = 3;
    spot.lensFlareFade = 2;
    spot.flareRotationAngle = 45;
    lws::Light& linear = s.lights[3];
    linear.falloffType = 1;
    linear.rangeEnvelope.keys = {key(0, 2), key(4, 6)};
    lws::Light& area = s.lights[4];
    area.lensFlare = true;
    area.flareIntensityEnvelope.keys = {key(0, 1), key(1, 0)};
    area.edgeAngleEnvelope.keys = {key(0, 0.1f), key(2, 0.3f)};
    Stage stage;
    ASSERT_TRUE(stage.load(s));
    const std::vector<LWLight*>& l = stage.scene->lights;
    ASSERT_EQ(5u, l.size());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ("Light" + std::to_string(i), l[size_t(i)]->name);
        EXPECT_EQ(i, l[size_t(i)]->lightType);
    }

    EXPECT_FLOAT_EQ(0.25f, l[0]->color[2].value);
    EXPECT_FLOAT_EQ(0.8f, l[0]->intensity.value);
    EXPECT_TRUE(l[0]->noDiffuse);
    EXPECT_FALSE(l[0]->noSpecular);
    EXPECT_FALSE(l[0]->lensFlare);
    EXPECT_NEAR(30 * kPi / 180, l[0]->coneAngle.value, 1e-6); // degrees in the file

    EXPECT_EQ(nullptr, l[1]->color[0].envelope);
    EXPECT_FLOAT_EQ(0.3f, l[1]->color[0].value);
    EXPECT_FLOAT_EQ(0.7f, l[1]->color[2].value);
    ASSERT_NE(nullptr, l[1]->color[1].envelope);
    EXPECT_NEAR(0.5, l[1]->color[1].evaluate(1), 1e-6);
    ASSERT_NE(nullptr, l[1]->intensity.envelope);
    EXPECT_NEAR(1.0, l[1]->intensity.evaluate(0.5), 1e-6);
    EXPECT_EQ(3, l[1]->falloffType);
    EXPECT_FLOAT_EQ(12.0f, l[1]->range.value);
    EXPECT_TRUE(l[1]->noSpecular);
    EXPECT_FALSE(l[1]->noDiffuse);

    ASSERT_NE(nullptr, l[2]->coneAngle.envelope);
    EXPECT_NEAR(0.6, l[2]->coneAngle.evaluate(0.5), 1e-6); // envelopes keep radians
    EXPECT_NEAR(10 * kPi / 180, l[2]->edgeAngle.value, 1e-6);
    EXPECT_EQ(2, l[2]->shadowType);
    EXPECT_EQ(1024, l[2]->shadowMapSize);
    EXPECT_TRUE(l[2]->lensFlare);
    EXPECT_FLOAT_EQ(0.6f, l[2]->flareIntensity.value);
    EXPECT_EQ(5, l[2]->lensFlareOptions);
    EXPECT_FLOAT_EQ(3.0f, l[2]->flareNominalDistance);
    EXPECT_EQ(2, l[2]->lensFlareFade);
    EXPECT_FLOAT_EQ(45.0f, l[2]->flareRotationAngle.value);

    EXPECT_EQ(1, l[3]->falloffType);
    ASSERT_NE(nullptr, l[3]->range.envelope);
    EXPECT_NEAR(3.0, l[3]->range.evaluate(1), 1e-6);
    EXPECT_EQ(0, l[3]->shadowType);
    EXPECT_EQ(512, l[3]->shadowMapSize);

    ASSERT_NE(nullptr, l[4]->flareIntensity.envelope);
    EXPECT_NEAR(0.25, l[4]->flareIntensity.evaluate(0.75), 1e-6);
    ASSERT_NE(nullptr, l[4]->edgeAngle.envelope);
    EXPECT_NEAR(0.2, l[4]->edgeAngle.evaluate(1), 1e-6);
    EXPECT_EQ(0u, messages.count());
}

TEST(LwsWriter, CamerasZoomEyesAndTargets) {
    MessageRecorder messages;
    lws::Scene s;
    s.objects = {nullObject("Aim")};
    lws::Camera front;
    front.name = "Near";
    front.zoomFactor = 2.5f;
    front.eyeSeparation = 0.1f;
    front.target = lws::objectRef(0);
    front.headingController = lws::TARGET;
    front.motion = {at(0, 0, 0, -5), at(1, 0, 2, -5)};
    lws::Camera back;
    back.name = "Far";
    back.zoomEnvelope.keys = {key(0, 2), key(4, 4)};
    back.eyeSeparation = 0;
    back.parent = lws::cameraRef(0);
    s.cameras = {front, back};
    Stage stage;
    ASSERT_TRUE(stage.load(s));
    const std::vector<LWCamera*>& c = stage.scene->cameras;
    ASSERT_EQ(2u, c.size());
    EXPECT_EQ("Near", c[0]->name);
    EXPECT_FLOAT_EQ(2.5f, c[0]->zoomFactor.value);
    EXPECT_EQ(nullptr, c[0]->zoomFactor.envelope);
    EXPECT_FLOAT_EQ(0.1f, c[0]->eyeSeparation);
    EXPECT_EQ(stage.scene->objects[0], c[0]->target);
    EXPECT_EQ(CONTROLLER_TARGET, c[0]->headingController);
    EXPECT_NEAR(1.0, c[0]->channels[CHANNEL_Y].evaluate(0.5), 1e-6);
    EXPECT_EQ("Far", c[1]->name);
    ASSERT_NE(nullptr, c[1]->zoomFactor.envelope);
    EXPECT_NEAR(2.5, c[1]->zoomFactor.evaluate(1), 1e-6);
    EXPECT_FLOAT_EQ(0.0f, c[1]->eyeSeparation);
    EXPECT_EQ(c[0], c[1]->parent);
    EXPECT_EQ(nullptr, c[1]->target);
    EXPECT_EQ(c[0], stage.scene->currentCamera);
    EXPECT_EQ(0u, messages.count());
}

std::vector<std::string> recordsOf(const std::string& out, const std::string& word) {
    std::vector<std::string> found;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(word + " ", 0) == 0) found.push_back(line);
    return found;
}

TEST(LwWriterTool, NltoolLwReadsWrittenFilesWithoutComplaint) {
    TempDir dir(true);
    lwo::Object o;
    o.layers = {squareLayer()};
    o.layers[0].uvMaps.resize(1);
    o.layers[0].uvMaps[0].name = "uv";
    o.layers[0].uvMaps[0].entries = {{0, 0, 0}, {1, 1, 0}, {2, 1, 1}, {3, 0, 1}};
    o.clips = {"pic.tga"};
    lwo::Surface s = named("Face");
    s.luminosity = {0.5f, lwo::addEnvelope(o, envelope({key(0, 0), key(1, 1)}))};
    s.layers.resize(1);
    s.layers[0].clip = 1;
    s.layers[0].projection = lwo::PROJECT_UV;
    s.layers[0].uvMap = "uv";
    o.surfaces = {s};
    const std::vector<uint8_t> bytes = lwo::write(o);
    std::ofstream(dir.path("face.lwo"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    lws::Scene scene;
    lws::Item face;
    face.name = "face.lwo";
    scene.objects = {face};
    scene.lights.resize(1);
    scene.lights[0].name = "Sun";
    scene.cameras.resize(1);
    scene.cameras[0].name = "Eye";
    dir.write("show.lws", lws::write(scene));

    std::ostringstream out, err;
    ASSERT_EQ(0, lwCommand({"face.lwo"}, out, err)) << err.str();
    EXPECT_TRUE(recordsOf(out.str(), "message").empty()) << out.str();
    EXPECT_EQ(std::vector<std::string>({"vmap layer=0 type=TXUV name=uv entries=4"}),
              recordsOf(out.str(), "vmap"));
    EXPECT_EQ(1u, recordsOf(out.str(), "envelope").size());
    EXPECT_EQ(1u, recordsOf(out.str(), "texlayer").size());

    std::ostringstream sceneOut;
    ASSERT_EQ(0, lwCommand({"show.lws"}, sceneOut, err)) << err.str();
    EXPECT_TRUE(recordsOf(sceneOut.str(), "message").empty()) << sceneOut.str();
    const auto summary = recordsOf(sceneOut.str(), "scene");
    ASSERT_EQ(1u, summary.size());
    EXPECT_NE(std::string::npos, summary[0].find(" objects=1 lights=1 cameras=1 "));
    EXPECT_EQ(1u, recordsOf(sceneOut.str(), "object").size());
}

} // namespace
