#pragma once
// Objects loaded by tests through a memory file system, into one metascene
// with one scene.

#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lwo_builder.h"
#include "support/memory_file.h"

#include <memory>
#include <string>

struct Stage {
    std::shared_ptr<MemoryFile::Files> files = std::make_shared<MemoryFile::Files>();
    MemoryFile memory{files};
    MetaScene meta{nullptr};
    LW6Scene* scene = nullptr;
    Stage() {
        scene = new LW6Scene(nullptr, &meta);
        meta.scenes.emplace_back(scene);
    }
    MetaMesh* load(const std::string& name, const LwoBuilder::Bytes& bytes,
                   LwoReport* report = nullptr) {
        (*files)[name] = bytes;
        MetaMesh* mesh = scene->loadObject(&memory, name.c_str(), report);
        if (mesh) meta.meshes.emplace_back(mesh);
        return mesh;
    }
};
