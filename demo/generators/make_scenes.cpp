// Writes the show's LightWave content: "panel.lwo", one layer of picture
// panels whose surfaces carry the show's pictures in the four formats (and a
// "Screen" panel that a scene's render target replaces); "torus.lwo", a
// glossy copper ring striped through its UV map; "hills.lwo", rolling
// terrain with turbulent grass and gradient-shaded tops; "beacons.lwo",
// glass pyramids with a vertex-colour map. The scenes: night (the panels
// with the ring turning before them under a moon and a warm lamp), dusk (the
// same, drawn into the screen's texture), dawn (a flight over the hills at
// sunrise in fog past the beacons under a searchlight, seen by two cameras,
// met by "relic.lwo", a dense knot drawn as a progressive mesh),
// hall (a ring casting its shadow on a plinth over a mirror floor, beside a
// chrome ball: "hall_floor.lwo", "hall_plinth.lwo", "hall_pillars.lwo",
// "hall_ring.lwo", "chrome_ball.lwo"), sparks (a fountain of particles
// under gravity and wind, lamps and a beacon with lens flares:
// "sparks_ground.lwo"). The metascripts: "scenes.txt" (dusk and night),
// "dawn.txt", "hall.txt" and "sparks.txt". The forge and the storm are
// written by forge_act.cpp and storm_act.cpp.
//
//   make_scenes OUT-DIR

#include "demo/lightwave/lwo_writer.h"
#include "demo/lightwave/lws_writer.h"
#include "forge_act.h"
#include "scene_parts.h"
#include "storm_act.h"
#include "shapes.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

lwo::Object panels() {
    lwo::Object o;
    o.clips = {"bands.bmp", "stripes.tga", "flare.tga", "moons.pcx", "sglow.jpg"};
    const char* names[] = {"Bands", "Stripes", "Flare", "Moons", "Screen"};
    lwo::Layer layer;
    layer.name = "panels";
    for (int i = 0; i < 5; ++i) {
        lwo::Surface s;
        s.name = names[i];
        lwo::ImageLayer picture;
        picture.clip = uint32_t(i + 1);
        picture.centre = {float(i * 2 - 4), 0, 0};
        picture.size = {1.5f, 1.5f, 1};
        s.layers.push_back(picture);
        o.surfaces.push_back(s);
        lwo::addSquare(layer, picture.centre, 1.5f, i);
    }
    o.layers.push_back(layer);
    return o;
}

lwo::Object torus() {
    lwo::Surface copper;
    copper.name = "Copper";
    copper.colour = {1.0f, 0.55f, 0.3f};
    copper.diffuse = 0.9f;
    copper.specularity = 0.6f;
    copper.glossiness = 0.5f;
    copper.smoothingAngle = 60;
    // The stripes wound round the ring by its UV map.
    lwo::TextureLayer stripes;
    stripes.clip = 1;
    stripes.projection = lwo::PROJECT_UV;
    stripes.uvMap = "ring";
    stripes.opacity = 0.6f;
    copper.layers.push_back(stripes);
    lwo::Layer layer;
    layer.name = "ring";
    addTorus(layer, 1.1f, 0.38f, 64, 32, 0, "ring");
    lwo::Object o = oneLayerObject(copper, layer);
    o.clips = {"stripes.tga"};
    return o;
}

// The relic: a rippled bronze knot of 38 400 triangles that meets the dawn
// flight, a progressive mesh ("relic.lwo.1.pm", made by nltool pm) drawn
// with fewer triangles the smaller it is on screen.
lwo::Object relic() {
    lwo::Surface bronze = polishedMetal("Bronze", {0.8f, 0.55f, 0.25f}, 70);
    bronze.diffuse = 0.85f;
    lwo::Layer layer;
    layer.name = "relic";
    addTorusKnot(layer, 2, 3, 1.6f, 0.7f, 0.34f, 480, 40, 0);
    return oneLayerObject(bronze, layer);
}

constexpr float HILL_HEIGHT = 3;

// Glassy beacons on the hilltops, coloured from their feet to their tips by
// a vertex-colour map.
struct Beacon {
    float x, z;
    float foot[3], tip[3];
};
const Beacon kBeacons[] = {{-8, -14, {0.2f, 0.3f, 1.0f}, {1.0f, 1.0f, 1.0f}},
                           {6, -4, {1.0f, 0.2f, 0.5f}, {1.0f, 0.9f, 0.3f}},
                           {-4, 8, {0.1f, 0.9f, 0.6f}, {0.9f, 1.0f, 1.0f}},
                           {10, 16, {0.9f, 0.4f, 0.1f}, {1.0f, 1.0f, 0.6f}},
                           {-12, 24, {0.6f, 0.2f, 1.0f}, {1.0f, 0.8f, 1.0f}}};

lwo::Object beacons() {
    lwo::Surface glass;
    glass.name = "Glass";
    glass.colour = {1, 1, 1};
    glass.luminosity = 0.5f;
    glass.transparency = 0.3f;
    glass.doubleSided = true;
    glass.vertexColours = "tints";
    lwo::Layer layer;
    layer.name = "beacons";
    lwo::ColourMap tints;
    tints.name = "tints";
    for (const Beacon& b : kBeacons)
        addPyramid(layer, {b.x, terrainHeight(b.x, b.z, HILL_HEIGHT) - 0.3f, b.z}, 1.6f, 4.5f, 0,
                   tints, b.foot, b.tip);
    layer.colourMaps.push_back(tints);
    return oneLayerObject(glass, layer);
}

lwo::Object hills() {
    lwo::Object o;
    // Green valleys, brown slopes, pale tops; the slopes smooth into each
    // other, the surfaces meet with a visible change of colour.
    const struct {
        const char* name;
        lwo::Vec3 colour;
    } kinds[] = {{"Grass", {0.35f, 0.8f, 0.3f}},
                 {"Slope", {0.6f, 0.7f, 0.35f}},
                 {"Tops", {0.95f, 1.0f, 0.9f}}};
    for (const auto& k : kinds) {
        lwo::Surface s;
        s.name = k.name;
        s.colour = k.colour;
        s.smoothingAngle = 70;
        o.surfaces.push_back(s);
    }
    // Turbulent patches in the grass; the tops shade by a gradient.
    lwo::TextureLayer patches;
    patches.kind = lwo::TextureKind::Procedural;
    patches.procedure = "Turbulence";
    patches.size = {6, 6, 6};
    // Procedures are drawn in the layer's x-y plane: tipped over onto the ground.
    patches.rotation = {0, 1.5707963f, 0};
    o.surfaces[0].layers.push_back(patches);
    lwo::TextureLayer shade;
    shade.kind = lwo::TextureKind::Gradient;
    shade.gradientInput = lwo::INPUT_Y_DISTANCE_TO_OBJECT;
    shade.gradientStart = 0;
    shade.gradientEnd = HILL_HEIGHT;
    shade.gradientKeys = {{0, {1.0f, 0.8f, 0.6f, 1}, 0}, {HILL_HEIGHT, {0.6f, 0.8f, 1.0f, 1}, 0}};
    o.surfaces[2].layers.push_back(shade);
    lwo::Layer layer;
    layer.name = "hills";
    addTerrain(layer, 90, 72, HILL_HEIGHT, 0, 1, 2);
    o.layers.push_back(layer);
    return o;
}


// The ring turns before the panels for the whole show.
lws::Item turningRing() {
    lws::Item ring;
    ring.name = "torus.lwo";
    ring.motion = {keyAt(0, 0, 0, -2, 0, 1.2f, 0), keyAt(64, 0, 0, -2, 24, 1.2f + 8, 3)};
    return ring;
}

lws::Scene dawnScene() {
    lws::Scene s;
    lws::Item land;
    land.name = "hills.lwo";
    s.objects.push_back(land);
    lws::Item glow;
    glow.name = "beacons.lwo";
    s.objects.push_back(glow);
    // The relic comes at the flight out of the fog ahead, turning, passes
    // close before the camera, then, seen by the camera looking back, falls
    // away into the fog.
    lws::Item knot;
    knot.name = "relic.lwo";
    knot.motion = {keyAt(0, 1.5f, HILL_HEIGHT + 3.5f, 8, 0, 0.3f),
                   keyAt(7, 0.5f, HILL_HEIGHT + 3.2f, -9.5f, 2.5f, 0.6f),
                   keyAt(12, 5.5f, HILL_HEIGHT + 4.6f, 25.5f, 4, 0.8f),
                   keyAt(20, 10, HILL_HEIGHT + 3, -12, 7, 1.1f)};
    s.objects.push_back(knot);
    lws::Light sun;
    sun.name = "Sun";
    sun.colour[0] = 1.0f;
    sun.colour[1] = 0.8f;
    sun.colour[2] = 0.6f;
    sun.motion[0] = keyAt(0, 0, 10, 0, 0.4f, 0.45f);
    s.lights.push_back(sun);
    // A searchlight sweeping the hills ahead of the flight.
    lws::Light search;
    search.name = "Search";
    search.type = 2;
    search.coneAngle = 14;
    search.edgeAngle = 4;
    search.intensity = 1.4f;
    search.colour[2] = 0.8f;
    search.motion = {keyAt(0, 0, 14, -10, -0.6f, 1.1f), keyAt(16, 0, 14, 20, 0.6f, 1.1f)};
    s.lights.push_back(search);
    // A linear light along the valley floor, fading linearly.
    lws::Light valley;
    valley.name = "Valley";
    valley.type = 3;
    valley.colour[1] = 0.9f;
    valley.colour[2] = 0.7f;
    valley.intensity = 0.8f;
    valley.falloffType = 1;
    valley.range = 10;
    valley.motion[0] = keyAt(0, 2, 1, 4);
    s.lights.push_back(valley);
    s.ambient[0] = 0.6f;
    s.ambient[1] = 0.7f;
    s.ambient[2] = 1.0f;
    s.ambientIntensity = 0.35f;
    s.fogMin = 12;
    s.fogMax = 48;
    s.fogColour[0] = 0.9f;
    s.fogColour[1] = 0.63f;
    s.fogColour[2] = 0.44f;
    // The flight: low over the hills, then a second camera looking back.
    lws::Camera flight;
    flight.name = "Flight";
    flight.eyeSeparation = 0;
    flight.motion = {keyAt(0, 0, HILL_HEIGHT + 3, -40, 0, 0.18f),
                     keyAt(16, 4, HILL_HEIGHT + 2, 20, 0.25f, 0.12f, -0.1f)};
    s.cameras.push_back(flight);
    lws::Camera back;
    back.name = "Back";
    back.eyeSeparation = 0;
    back.zoomFactor = 2.2f;
    back.motion = {keyAt(0, -6, HILL_HEIGHT + 6, 35, 3.14159265f + 0.3f, 0.3f),
                   keyAt(16, 6, HILL_HEIGHT + 5, 30, 3.14159265f - 0.3f, 0.25f)};
    s.cameras.push_back(back);
    return s;
}

// The hall: a dark mirror floor, a stone plinth under a spot light with a
// shadow map, a gold ring turning and bobbing over it, a chrome ball that
// reflects the hall around it, and four coloured pillars.
lwo::Object hallFloor() {
    lwo::Surface mirror;
    mirror.name = "Mirror";
    mirror.colour = {0.08f, 0.08f, 0.14f};
    mirror.diffuse = 0.5f;
    mirror.reflection = 0.7f;
    mirror.reflectionOptions = 0; // a planar mirror
    lwo::Layer layer;
    layer.name = "floor";
    addTerrain(layer, 24, 6, 0, 0, 0, 0); // flat
    return oneLayerObject(mirror, layer);
}

lwo::Object hallPlinth() {
    lwo::Surface stone;
    stone.name = "Stone";
    stone.colour = {0.85f, 0.82f, 0.75f};
    lwo::Layer layer;
    layer.name = "plinth";
    addBox(layer, {0, 0.25f, 0}, {3.6f, 0.5f, 3.6f}, 0);
    return oneLayerObject(stone, layer);
}

lwo::Object hallPillars() {
    lwo::Object o;
    const lwo::Vec3 colours[4] = {{1, 0.2f, 0.2f}, {0.2f, 1, 0.3f}, {0.3f, 0.4f, 1}, {1, 0.85f, 0.2f}};
    const char* names[4] = {"RedPillar", "GreenPillar", "BluePillar", "YellowPillar"};
    lwo::Layer layer;
    layer.name = "pillars";
    const float at[4][2] = {{-6, 5}, {6, 5}, {-6, -5}, {6, -5}};
    for (int i = 0; i < 4; ++i) {
        lwo::Surface pillar;
        pillar.name = names[i];
        pillar.colour = colours[i];
        pillar.luminosity = 0.5f;
        pillar.diffuse = 0.6f;
        o.surfaces.push_back(pillar);
        addBox(layer, {at[i][0], 2, at[i][1]}, {1, 4, 1}, i);
    }
    o.layers.push_back(layer);
    return o;
}

lwo::Object hallRing() {
    lwo::Layer layer;
    layer.name = "ring";
    addTorus(layer, 1.0f, 0.3f, 32, 12, 0);
    return oneLayerObject(polishedMetal("Gold", {1.0f, 0.78f, 0.3f}, 60), layer);
}

lwo::Object chromeBall() {
    lwo::Surface chrome;
    chrome.name = "Chrome";
    chrome.colour = {0.1f, 0.1f, 0.1f};
    chrome.diffuse = 0.1f;
    chrome.specularity = 0.8f;
    chrome.glossiness = 0.7f;
    chrome.reflection = 1;
    chrome.reflectionOptions = 3; // reflects the scene drawn into its cube
    chrome.smoothingAngle = 89;
    lwo::Layer layer;
    layer.name = "ball";
    addSphere(layer, {0, 0, 0}, 1.1f, 16, 24, 0);
    return oneLayerObject(chrome, layer);
}

lws::Scene hallScene() {
    lws::Scene s;
    lws::Item floor;
    floor.name = "hall_floor.lwo";
    s.objects.push_back(floor);
    // The plinth takes the ring's shadow; the rest only cast one, and keep
    // their own colours (a receiver is drawn in the light's colour).
    lws::Item plinth;
    plinth.name = "hall_plinth.lwo";
    s.objects.push_back(plinth);
    lws::Item pillars;
    pillars.name = "hall_pillars.lwo";
    pillars.shadowOptions = 2;
    s.objects.push_back(pillars);
    // The ring turns over the plinth, rising and sinking on the bars.
    lws::Item ring;
    ring.name = "hall_ring.lwo";
    ring.shadowOptions = 3;
    ring.motion = {keyAt(0, -0.8f, 2.0f, 0, 0, 1.1f), keyAt(2, 0, 2.6f, 0.5f, 1.2f, 1.3f),
                   keyAt(4, 0.8f, 2.0f, 0, 2.4f, 1.1f), keyAt(6, 0, 2.6f, -0.5f, 3.6f, 1.3f),
                   keyAt(8, -0.8f, 2.0f, 0, 4.8f, 1.1f)};
    s.objects.push_back(ring);
    lws::Item ball;
    ball.name = "chrome_ball.lwo";
    ball.shadowOptions = 2;
    ball.motion[0] = keyAt(0, 3.2f, 1.1f, -3.0f);
    s.objects.push_back(ball);
    // The key light: a spot from high in front with a shadow map and a soft edge.
    lws::Light key;
    key.name = "Key";
    key.type = 2;
    key.shadowType = 2;
    key.shadowMapSize = 512;
    key.coneAngle = 30;
    key.edgeAngle = 10;
    key.intensity = 0.75f;
    key.colour[2] = 0.9f;
    key.motion[0] = keyAt(0, 0, 9, -2.5f, 0, 1.3f);
    s.lights.push_back(key);
    lws::Light fill;
    fill.name = "Fill";
    fill.intensity = 0.3f;
    fill.colour[0] = 0.6f;
    fill.colour[1] = 0.7f;
    fill.motion[0] = keyAt(0, 0, 5, 0, -0.8f, 0.5f);
    s.lights.push_back(fill);
    s.ambientIntensity = 0.2f;
    lws::Camera camera;
    camera.name = "Hall";
    camera.eyeSeparation = 0;
    camera.motion = {keyAt(0, -2, 5.5f, -13, 0.12f, 0.36f), keyAt(8, 2, 5.2f, -13, -0.12f, 0.34f)};
    s.cameras.push_back(camera);
    return s;
}

// Sparks: a fountain of particles thrown up from a nozzle on dark ground,
// turned by a vortex, pulled down by gravity and blown aside by a wind; two lamps with lens
// flares cross the view and fade at its border, and a beacon's flare
// shrinks and goes out as the beacon turns away.
lwo::Object sparksGround() {
    lwo::Surface ground;
    ground.name = "Ground";
    ground.colour = {0.25f, 0.22f, 0.3f};
    lwo::Layer layer;
    layer.name = "ground";
    addTerrain(layer, 30, 10, 0, 0, 0, 0);
    return oneLayerObject(ground, layer);
}

// The nozzle the sparks fly from (its object carries the emitter).
lwo::Object fountainNozzle() {
    lwo::Surface nozzle;
    nozzle.name = "Nozzle";
    nozzle.colour = {0.5f, 0.5f, 0.55f};
    nozzle.specularity = 0.5f;
    lwo::Layer layer;
    layer.name = "nozzle";
    addBox(layer, {0, -0.25f, 0}, {0.5f, 0.5f, 0.5f}, 0);
    return oneLayerObject(nozzle, layer);
}

lws::Scene sparksScene() {
    lws::Scene s;
    lws::Item ground;
    ground.name = "sparks_ground.lwo";
    s.objects.push_back(ground);
    lws::Item fountain;
    fountain.name = "fountain.lwo";
    lws::Emitter jet;
    jet.size[0] = jet.size[1] = jet.size[2] = 0.4f;
    jet.generator = 1;
    jet.birthMode = 1;
    jet.birthRate = 500;
    jet.lifeFrames = 75;
    jet.lifeVariationFrames = 30;
    jet.velocity[1] = 4.5f;
    jet.explosionSpeed = 1.2f;
    jet.speedVariation = 0.3f;
    jet.drag = 0.2f;
    fountain.emitters = {jet};
    lws::Effector gravity;
    gravity.strength = 0.45f; // 4.5 a second per second, times each particle's speed
    lws::Effector wind;
    wind.wind = true;
    wind.strength = 0.06f;
    wind.direction[0] = 1;
    wind.direction[1] = 0;
    // A vortex about the jet turns the sparks as they rise, fading out to
    // three units from it.
    lws::Effector vortex;
    vortex.mode = 2;
    vortex.falloff = 1;
    vortex.radius = 3;
    vortex.strength = 2.5f;
    vortex.direction[1] = 1;
    fountain.effectors = {gravity, wind, vortex};
    fountain.spriteSize = 0.06f;
    fountain.motion[0] = keyAt(0, 0, 0.5f, 0);
    s.objects.push_back(fountain);
    // Two lamps crossing the view at different heights and speeds.
    const float colours[2][3] = {{1, 0.6f, 0.3f}, {0.4f, 0.7f, 1}};
    for (int i = 0; i < 2; ++i) {
        lws::Light lamp;
        lamp.name = i == 0 ? "Ember" : "Frost";
        lamp.type = 1;
        std::copy(colours[i], colours[i] + 3, lamp.colour);
        lamp.intensity = 0.6f;
        lamp.falloffType = 2;
        lamp.range = 8;
        lamp.lensFlare = true;
        lamp.flareIntensity = 0.25f;
        lamp.flareNominalDistance = 12; // about its distance from the eye
        lamp.lensFlareOptions = 0x19;
        const float y = i == 0 ? 4.0f : 2.5f, z = i == 0 ? 3.0f : 1.0f;
        lamp.motion = i == 0 ? std::vector<lws::MotionKey>{keyAt(0, -9, y, z), keyAt(7, 9, y, z)}
                             : std::vector<lws::MotionKey>{keyAt(0, 8, y, z), keyAt(7, -5, y, z)};
        s.lights.push_back(lamp);
    }
    // A beacon facing the camera that turns away.
    lws::Light beacon;
    beacon.name = "Beacon";
    beacon.type = 2;
    beacon.coneAngle = 40;
    beacon.intensity = 0.8f;
    beacon.lensFlare = true;
    beacon.flareIntensity = 0.2f;
    beacon.flareNominalDistance = 14;
    beacon.lensFlareOptions = 0x19;
    beacon.motion = {keyAt(0, 3, 1.5f, 6, 3.14159265f), keyAt(5, 3, 1.5f, 6, 3.14159265f + 1.9f)};
    s.lights.push_back(beacon);
    s.ambientIntensity = 0.15f;
    lws::Camera camera;
    camera.name = "Watch";
    camera.eyeSeparation = 0;
    camera.motion = {keyAt(0, -1, 3, -9, 0.1f, 0.2f), keyAt(8, 1, 2.6f, -9, -0.1f, 0.17f)};
    s.cameras.push_back(camera);
    return s;
}

lws::Scene sceneOf(float cameraDistance) {
    lws::Scene s;
    lws::Item panel;
    panel.name = "panel.lwo";
    s.objects.push_back(panel);
    lws::Light key;
    key.name = "Moon";
    key.motion[0].rotation[1] = 0.6f;
    s.lights.push_back(key);
    lws::Camera camera;
    camera.name = "Eye";
    // The show is seen with both eyes from one place (no stereo fringes),
    // which also lets the player draw each frame in one pass.
    camera.eyeSeparation = 0;
    camera.motion[0].position[2] = -cameraDistance;
    lws::MotionKey later = camera.motion[0];
    later.time = 8;
    later.position[0] = 2;
    camera.motion.push_back(later);
    s.cameras.push_back(camera);
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_scenes OUT-DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = saveObject(dir + "/panel.lwo", panels());
    ok = ok && saveObject(dir + "/torus.lwo", torus());
    ok = ok && saveObject(dir + "/hills.lwo", hills());
    ok = ok && saveObject(dir + "/beacons.lwo", beacons());
    lws::Scene night = sceneOf(8);
    night.objects.push_back(turningRing());
    lws::Light lamp;
    lamp.name = "Lamp";
    lamp.type = 1;
    lamp.colour[0] = 1.0f;
    lamp.colour[1] = 0.7f;
    lamp.colour[2] = 0.4f;
    lamp.falloffType = 2;
    lamp.range = 6;
    lamp.motion = {keyAt(0, -4, 2, -6), keyAt(32, 4, -1, -6), keyAt(64, -4, 2, -6)};
    night.lights.push_back(lamp);
    // A cool area light above the panels, fading with the square of distance.
    lws::Light sky;
    sky.name = "Sky";
    sky.type = 4;
    sky.colour[0] = 0.5f;
    sky.colour[1] = 0.6f;
    sky.colour[2] = 1.0f;
    sky.falloffType = 3;
    sky.range = 8;
    sky.motion[0] = keyAt(0, 0, 5, -1);
    night.lights.push_back(sky);
    ok = ok && save(dir + "/night.lws", lws::write(night));
    lws::Scene dusk = sceneOf(6);
    dusk.objects.push_back(turningRing());
    ok = ok && save(dir + "/dusk.lws", lws::write(dusk));
    ok = ok && save(dir + "/dawn.lws", lws::write(dawnScene()));
    ok = ok && saveObject(dir + "/relic.lwo", relic());
    ok = ok && saveObject(dir + "/hall_floor.lwo", hallFloor());
    ok = ok && saveObject(dir + "/hall_plinth.lwo", hallPlinth());
    ok = ok && saveObject(dir + "/hall_pillars.lwo", hallPillars());
    ok = ok && saveObject(dir + "/hall_ring.lwo", hallRing());
    ok = ok && saveObject(dir + "/chrome_ball.lwo", chromeBall());
    ok = ok && save(dir + "/hall.lws", lws::write(hallScene()));
    ok = ok && save(dir + "/hall.txt", "hall.lws\n");
    ok = ok && saveObject(dir + "/sparks_ground.lwo", sparksGround());
    ok = ok && saveObject(dir + "/fountain.lwo", fountainNozzle());
    ok = ok && save(dir + "/sparks.lws", lws::write(sparksScene()));
    ok = ok && save(dir + "/sparks.txt", "sparks.lws\n");
    ok = ok && writeForge(dir) && writeStorm(dir);
    // Dusk draws into the texture night shows, so it is drawn first: a frame
    // then shows this frame's dusk, not the previous one's.
    ok = ok && save(dir + "/scenes.txt", "dusk.lws\nnight.lws\n");
    // Dawn is a metascene of its own, loaded when the show reaches it.
    ok = ok && save(dir + "/dawn.txt", "dawn.lws\n");
    if (!ok) std::fprintf(stderr, "make_scenes: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
