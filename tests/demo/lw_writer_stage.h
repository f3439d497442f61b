#pragma once
// What the writer tests share: a metascene with one scene reading from
// memory files, and small objects and envelopes to write.

#include "demo/lightwave/lwo_writer.h"
#include "demo/lightwave/lws_writer.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "meshes/mesh_layers.h"
#include "support/memory_file.h"

#include <memory>
#include <string>
#include <vector>

namespace lwtest {

// One metascene with one scene, reading from memory files.
struct Stage {
    explicit Stage(DeviceContextBase* context = nullptr) : meta(context) {
        scene = new LW6Scene(context, &meta);
        meta.scenes.emplace_back(scene);
    }
    MetaMesh* load(const std::string& name, const lwo::Object& object,
                   LwoReport* report = nullptr) {
        (*files)[name] = lwo::write(object);
        MetaMesh* mesh = scene->loadObject(&memory, name.c_str(), report);
        if (mesh) meta.meshes.emplace_back(mesh);
        return mesh;
    }
    void put(const std::string& name, const lwo::Object& object) {
        (*files)[name] = lwo::write(object);
    }
    bool load(const lws::Scene& s) {
        const std::string text = lws::write(s);
        (*files)["scene.lws"] = std::vector<uint8_t>(text.begin(), text.end());
        return scene->loadScene(&memory, "scene.lws");
    }

    std::shared_ptr<MemoryFile::Files> files = std::make_shared<MemoryFile::Files>();
    MemoryFile memory{files};
    MetaScene meta;
    LW6Scene* scene = nullptr;
};

inline LoadedLayer* loaded(MetaMesh* m, size_t i) {
    return m && i < m->layer.size() ? dynamic_cast<LoadedLayer*>(m->layer[i]) : nullptr;
}

inline lwo::Surface named(const char* name) {
    lwo::Surface s;
    s.name = name;
    return s;
}

inline lwo::Envelope envelope(std::vector<lw::EnvelopeKey> keys,
                              lw::Behaviour pre = lw::Behaviour::Constant,
                              lw::Behaviour post = lw::Behaviour::Constant) {
    lwo::Envelope e;
    e.keys = std::move(keys);
    e.pre = pre;
    e.post = post;
    return e;
}

inline lw::EnvelopeKey key(double time, float value, lw::Span span = lw::Span::Linear) {
    lw::EnvelopeKey k;
    k.time = time;
    k.value = value;
    k.span = span;
    return k;
}

// A TCB key of tension 1: the value eases out of and into it.
inline lw::EnvelopeKey eased(double time, float value) {
    lw::EnvelopeKey k = key(time, value, lw::Span::TCB);
    k.tension = 1;
    return k;
}

// A square of four points and two triangles in layer 0, both in surface 0.
inline lwo::Layer squareLayer() {
    lwo::Layer l;
    l.points = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    l.polygons = {{{0, 1, 2}, 0}, {{0, 2, 3}, 0}};
    return l;
}

} // namespace lwtest
