#include "scene_parts.h"

#include <cstdio>
#include <vector>

bool save(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

bool save(const std::string& path, const std::string& text) {
    return save(path, text.data(), text.size());
}

bool saveObject(const std::string& path, const lwo::Object& object) {
    const std::vector<uint8_t> bytes = lwo::write(object);
    return save(path, bytes.data(), bytes.size());
}

lws::MotionKey keyAt(double time, float x, float y, float z, float heading, float pitch,
                     float bank) {
    lws::MotionKey k;
    k.time = time;
    k.position[0] = x;
    k.position[1] = y;
    k.position[2] = z;
    k.rotation[0] = heading;
    k.rotation[1] = pitch;
    k.rotation[2] = bank;
    return k;
}

lwo::Object oneLayerObject(const lwo::Surface& surface, const lwo::Layer& layer) {
    lwo::Object o;
    o.surfaces.push_back(surface);
    o.layers.push_back(layer);
    return o;
}

lwo::Surface polishedMetal(const char* name, lwo::Vec3 colour, float smoothingAngle) {
    lwo::Surface s;
    s.name = name;
    s.colour = colour;
    s.specularity = 0.7f;
    s.glossiness = 0.6f;
    s.smoothingAngle = smoothingAngle;
    return s;
}
