#include "storm_act.h"

#include "scene_parts.h"
#include "shapes.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr float PI = 3.14159265f;

lwo::Object stormFloor() {
    lwo::Surface slate;
    slate.name = "Slate";
    slate.colour = {0.18f, 0.2f, 0.26f};
    slate.specularity = 0.3f;
    slate.glossiness = 0.3f;
    lwo::Layer layer;
    layer.name = "floor";
    addTerrain(layer, 24, 12, 0, 0, 0, 0);
    return oneLayerObject(slate, layer);
}

// The core the rain is drawn to and bounces off.
lwo::Object stormCore() {
    lwo::Surface core = polishedMetal("Core", {0.35f, 0.5f, 0.9f}, 60);
    core.luminosity = 0.25f;
    lwo::Layer layer;
    layer.name = "core";
    addSphere(layer, {0, 0, 0}, 1.2f, 16, 24, 0);
    return oneLayerObject(core, layer);
}

// The cloud the rain falls from, and the vent the smoke rises from.
lwo::Object slab(const char* name, lwo::Vec3 colour, lwo::Vec3 size) {
    lwo::Surface s;
    s.name = name;
    s.colour = colour;
    lwo::Layer layer;
    layer.name = name;
    addBox(layer, {0, 0, 0}, size, 0);
    return oneLayerObject(s, layer);
}

// Stars in a shell round the scene: single points, which the player draws
// as streaks from where each was a frame before.
lwo::Object stars() {
    lwo::Surface star;
    star.name = "Star";
    star.colour = {1, 1, 1};
    lwo::Layer layer;
    layer.name = "stars";
    uint32_t seed = 2024;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return float(seed >> 8) / float(1 << 24);
    };
    for (uint32_t i = 0; i < 1500; ++i) {
        const float z = next() * 2 - 1, a = next() * 2 * PI, r = 14 + next() * 6;
        const float ring = std::sqrt(1 - z * z);
        layer.points.push_back({r * ring * std::cos(a), r * z, r * ring * std::sin(a)});
        layer.polygons.push_back({{i}, 0});
    }
    return oneLayerObject(star, layer);
}

lws::Scene stormScene() {
    lws::Scene s;
    lws::Item floor;
    floor.name = "storm_floor.lwo";
    // The floor stops the rain: a plane through it.
    lws::Effector ground;
    ground.collision = true;
    ground.collisionShape = 0;
    ground.emitter = 1;
    ground.strength = 0.35f;
    floor.effectors = {ground};
    s.objects.push_back(floor);

    lws::Item core;
    core.name = "storm_core.lwo";
    core.motion = {keyAt(0, 0, 2, 0), keyAt(8, 0, 2.6f, 0, PI), keyAt(16, 0, 2, 0, 2 * PI)};
    // It draws the rain in and throws it back off its surface.
    lws::Effector pull;
    pull.emitter = 1;
    pull.mode = 3;
    pull.falloff = 2;
    pull.radius = 3;
    pull.strength = 3;
    lws::Effector shell;
    shell.collision = true;
    shell.collisionShape = 1;
    shell.emitter = 1;
    shell.radius = 1.3f;
    shell.strength = 0.7f;
    core.effectors = {pull, shell};
    s.objects.push_back(core);

    lws::Item cloud;
    cloud.name = "storm_cloud.lwo";
    cloud.motion = {keyAt(0, 0, 7, 0), keyAt(16, 0, 7, 0, 2 * PI)};
    lws::Emitter rain;
    rain.size[0] = 6;
    rain.size[1] = 0.2f;
    rain.size[2] = 6;
    rain.birthMode = 1;
    rain.birthRate = 320;
    rain.lifeFrames = 100;
    rain.lifeVariationFrames = 30;
    rain.velocity[1] = -1.5f;
    rain.speedVariation = 0.3f;
    rain.drag = 0.15f;
    cloud.emitters = {rain};
    lws::Effector gravity;
    gravity.emitter = 1;
    gravity.strength = 0.3f;
    cloud.effectors = {gravity};
    cloud.spriteSize = 0.07f;
    s.objects.push_back(cloud);

    lws::Item vent;
    vent.name = "storm_vent.lwo";
    vent.motion[0] = keyAt(0, 3, 0.15f, 1.5f);
    lws::Emitter smoke;
    smoke.size[0] = smoke.size[2] = 0.6f;
    smoke.size[1] = 0.1f;
    smoke.birthMode = 1;
    smoke.birthRate = 16;
    smoke.lifeFrames = 100;
    smoke.velocity[1] = 0.9f;
    smoke.explosionSpeed = 0.25f;
    smoke.drag = 0.3f;
    vent.emitters = {smoke};
    lws::Effector draught;
    draught.wind = true;
    draught.emitter = 2;
    draught.strength = 0.03f;
    draught.direction[0] = -1;
    draught.direction[1] = 0;
    vent.effectors = {draught};
    vent.spriteSize = 0.7f;
    vent.voxelKind = 2;
    s.objects.push_back(vent);

    lws::Item sky;
    sky.name = "storm_stars.lwo";
    sky.motion = {keyAt(0, 0, 0, 0), keyAt(16, 0, 0, 0, 8 * PI, 0.6f)};
    sky.unaffectedByFog = true;
    s.objects.push_back(sky);

    lws::Light glow;
    glow.name = "Glow";
    glow.type = 1;
    glow.colour[0] = 0.5f;
    glow.colour[1] = 0.7f;
    glow.intensity = 0.9f;
    glow.falloffType = 2;
    glow.range = 5;
    glow.motion[0] = keyAt(0, 0, 4.5f, -2);
    s.lights.push_back(glow);
    lws::Light moon;
    moon.name = "Pale";
    moon.intensity = 0.5f;
    moon.motion[0] = keyAt(0, 0, 0, 0, 0.4f, 0.7f);
    s.lights.push_back(moon);
    s.ambientIntensity = 0.15f;
    // Both cameras see the storm with two eyes: in stereo (red and cyan
    // glasses) the rain stands out before the core.
    lws::Camera wide;
    wide.name = "Gale";
    wide.eyeSeparation = 0.25f;
    wide.motion = {keyAt(0, -6, 3.5f, -9, 0.55f, 0.12f), keyAt(16, 6, 3, -9, -0.55f, 0.1f)};
    s.cameras.push_back(wide);
    lws::Camera close;
    close.name = "Eye";
    close.eyeSeparation = 0.15f;
    close.motion = {keyAt(0, 3, 1.5f, -6, -0.45f, 0.02f), keyAt(16, -3, 2, -6, 0.45f, 0.05f)};
    s.cameras.push_back(close);
    return s;
}

} // namespace

std::vector<std::string> stormFiles() {
    return {"storm_floor.lwo", "storm_core.lwo", "storm_cloud.lwo", "storm_vent.lwo",
            "storm_stars.lwo", "storm.lws",      "storm.txt",       "interlude.kpx"};
}

bool writeStorm(const std::string& dir) {
    bool ok = saveObject(dir + "/storm_floor.lwo", stormFloor());
    ok = ok && saveObject(dir + "/storm_core.lwo", stormCore());
    ok = ok && saveObject(dir + "/storm_cloud.lwo",
                          slab("Cloud", {0.25f, 0.25f, 0.3f}, {6, 0.3f, 6}));
    ok = ok && saveObject(dir + "/storm_vent.lwo",
                          slab("Vent", {0.3f, 0.25f, 0.2f}, {0.8f, 0.3f, 0.8f}));
    ok = ok && saveObject(dir + "/storm_stars.lwo", stars());
    ok = ok && save(dir + "/storm.lws", lws::write(stormScene()));
    ok = ok && save(dir + "/storm.txt", "storm.lws\n");
    // The pause after the storm: a binary metascene, which holds no scenes.
    const uint8_t interlude[] = {'K', 'P', 'X', 'S', 2, 0, 3, 0};
    return ok && save(dir + "/interlude.kpx", interlude, sizeof interlude);
}
