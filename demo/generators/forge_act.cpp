#include "forge_act.h"

#include "scene_parts.h"
#include "shapes.h"

namespace {

constexpr float PI = 3.14159265f;

// An image layer of `channel` showing clip `clip`, laid flat on the z axis
// and repeated every `size` units.
lwo::TextureLayer picture(const char* channel, uint32_t clip, float size) {
    lwo::TextureLayer t;
    t.channel = channel;
    t.clip = clip;
    t.size = {size, size, 1};
    return t;
}

// The riveted iron wall: the colour picture, its normal map (a bump layer)
// and a faint translucency layer, so that it is lit per pixel.
lwo::Object forgeWall() {
    lwo::Object o;
    o.clips = {"forge.jpg", "rivets.tga"};
    lwo::Surface iron;
    iron.name = "Iron";
    iron.colour = {1, 1, 1};
    iron.specularity = 0.8f;
    iron.glossiness = 0.5f;
    iron.layers = {picture("COLR", 1, 2), picture("BUMP", 2, 2), picture("TRNL", 1, 2)};
    iron.layers.back().opacity = 0.2f;
    o.surfaces.push_back(iron);
    // A grid of squares rather than one, so the light and half vectors the
    // per-pixel program interpolates between corners stay close to true.
    lwo::Layer layer;
    layer.name = "wall";
    const int across = 8, down = 5;
    const float cell = 1.5f;
    for (int i = 0; i < across; ++i)
        for (int j = 0; j < down; ++j)
            lwo::addSquare(layer,
                           {(float(i) - (across - 1) * 0.5f) * cell,
                            (float(j) - (down - 1) * 0.5f) * cell + 1.5f, 4},
                           cell, 0);
    o.layers.push_back(layer);
    return o;
}

// The five tools on the anvil line, each showing one way the fixed-function
// stages combine a surface's layers.
struct Tool {
    const char* file;
    lwo::Object object;
    float x;
};

lwo::Object squareTool(const lwo::Surface& surface) {
    lwo::Layer layer;
    layer.name = "tool";
    lwo::addSquare(layer, {0, 0, 0}, 1.1f, 0);
    return oneLayerObject(surface, layer);
}

lwo::Object sphereTool(const lwo::Surface& surface) {
    lwo::Layer layer;
    layer.name = "tool";
    addSphere(layer, {0, 0, 0}, 0.55f, 12, 20, 0);
    return oneLayerObject(surface, layer);
}

std::vector<Tool> tools() {
    std::vector<Tool> out;
    // A glowing disc cut out by a transparency picture alone.
    lwo::Surface grate;
    grate.name = "Grate";
    grate.colour = {1, 0.55f, 0.2f};
    grate.luminosity = 0.6f;
    grate.doubleSided = true;
    grate.layers = {picture("TRAN", 1, 1.1f)};
    out.push_back({"forge_grate.lwo", squareTool(grate), -3});
    out.back().object.clips = {"flare.tga"};
    // Stripes in the shape of the same disc: colour and transparency.
    lwo::Surface lattice;
    lattice.name = "Lattice";
    lattice.doubleSided = true;
    lattice.layers = {picture("COLR", 1, 1.1f), picture("TRAN", 2, 1.1f)};
    out.push_back({"forge_lattice.lwo", squareTool(lattice), -1.5f});
    out.back().object.clips = {"stripes.tga", "flare.tga"};
    // Stone whose diffuse strength follows a picture.
    lwo::Surface stone;
    stone.name = "Stone";
    stone.smoothingAngle = 0;
    stone.layers = {picture("DIFF", 1, 0.5f), picture("COLR", 2, 1)};
    lwo::Layer block;
    block.name = "tool";
    addBox(block, {0, 0, 0}, {0.9f, 0.9f, 0.9f}, 0);
    out.push_back({"forge_stone.lwo", oneLayerObject(stone, block), 0});
    out.back().object.clips = {"moons.pcx", "bands.bmp"};
    // Brass whose shine follows a picture.
    lwo::Surface brass = polishedMetal("Brass", {0.9f, 0.7f, 0.3f}, 60);
    brass.layers = {picture("SPEC", 1, 0.4f), picture("COLR", 2, 1)};
    out.push_back({"forge_brass.lwo", sphereTool(brass), 1.5f});
    out.back().object.clips = {"stripes.tga", "forge.jpg"};
    // An orb mirroring the glow round it (a spherical reflection picture).
    lwo::Surface orb = polishedMetal("Orb", {0.3f, 0.35f, 0.45f}, 60);
    orb.reflection = 0.6f;
    orb.reflectionOptions = 2;
    orb.reflectionImage = 1;
    out.push_back({"forge_orb.lwo", sphereTool(orb), 3});
    out.back().object.clips = {"sglow.jpg"};
    return out;
}

lws::Scene forgeScene(const std::vector<Tool>& all) {
    lws::Scene s;
    lws::Item wall;
    wall.name = "forge_wall.lwo";
    s.objects.push_back(wall);
    for (size_t i = 0; i < all.size(); ++i) {
        lws::Item tool;
        tool.name = all[i].file;
        // Each turns slowly on its own, so its layers catch the light.
        const float y = 0.9f, z = 2.2f, phase = float(i) * 0.7f;
        tool.motion = {keyAt(0, all[i].x, y, z, phase, 0.2f),
                       keyAt(16, all[i].x, y, z, phase + 2 * PI, 0.2f)};
        s.objects.push_back(tool);
    }
    // The key light sweeps across the wall, raking the rivets; its shadows
    // are the ray-traced kind, which the player leaves to the lighting.
    lws::Light key;
    key.name = "Furnace";
    key.shadowType = 1;
    key.intensity = 0.9f;
    key.colour[1] = 0.85f;
    key.colour[2] = 0.7f;
    key.motion = {keyAt(0, 0, 0, 0, -0.9f, 0.3f), keyAt(16, 0, 0, 0, 0.9f, 0.5f)};
    s.lights.push_back(key);
    // Embers and sparks before the wall: point lights whose colours flicker
    // and whose strength doubles when the script asks.
    const float colours[2][3] = {{1, 0.5f, 0.15f}, {0.6f, 0.8f, 1}};
    for (int i = 0; i < 2; ++i) {
        lws::Light ember;
        ember.name = i == 0 ? "Ember" : "Spark";
        ember.type = 1;
        std::copy(colours[i], colours[i] + 3, ember.colour);
        ember.intensity = 0.7f;
        ember.falloffType = 2;
        ember.range = 3;
        const float side = i == 0 ? -1.0f : 1.0f;
        ember.motion = {keyAt(0, -3 * side, 0.2f, 2.8f), keyAt(8, 3 * side, 2.5f, 3.2f),
                        keyAt(16, -3 * side, 0.2f, 2.8f)};
        s.lights.push_back(ember);
    }
    s.ambientIntensity = 0.12f;
    lws::Camera camera;
    camera.name = "Smith";
    camera.eyeSeparation = 0;
    camera.motion = {keyAt(0, -2, 2, -8, 0.12f, 0.08f), keyAt(16, 2, 1.6f, -7, -0.12f, 0.05f)};
    s.cameras.push_back(camera);
    return s;
}

} // namespace

std::vector<std::string> forgeFiles() {
    std::vector<std::string> names = {"forge_wall.lwo", "forge.lws", "forge.txt"};
    for (const Tool& t : tools()) names.push_back(t.file);
    return names;
}

bool writeForge(const std::string& dir) {
    const std::vector<Tool> all = tools();
    bool ok = saveObject(dir + "/forge_wall.lwo", forgeWall());
    for (const Tool& t : all) ok = ok && saveObject(dir + "/" + t.file, t.object);
    ok = ok && save(dir + "/forge.lws", lws::write(forgeScene(all)));
    return ok && save(dir + "/forge.txt", "forge.lws\n");
}
