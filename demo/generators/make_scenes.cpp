// Writes the show's LightWave content: "panel.lwo", one layer of picture
// panels whose surfaces carry the show's pictures in the four formats (and a
// "Screen" panel that a scene's render target replaces), three scenes that
// load it, and the metascript "scenes.txt" that lists them.
//
//   make_scenes OUT-DIR

#include "demo/lightwave/lwo_writer.h"
#include "demo/lightwave/lws_writer.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool save(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

bool save(const std::string& path, const std::string& text) {
    return save(path, text.data(), text.size());
}

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
    const std::vector<uint8_t> object = lwo::write(panels());
    bool ok = save(dir + "/panel.lwo", object.data(), object.size());
    ok = ok && save(dir + "/night.lws", lws::write(sceneOf(8)));
    ok = ok && save(dir + "/dusk.lws", lws::write(sceneOf(6)));
    ok = ok && save(dir + "/dawn.lws", lws::write(sceneOf(10)));
    // Dusk draws into the texture night shows, so it is drawn first: a frame
    // then shows this frame's dusk, not the previous one's.
    ok = ok && save(dir + "/scenes.txt", "dusk.lws\nnight.lws\ndawn.lws\n");
    if (!ok) std::fprintf(stderr, "make_scenes: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
