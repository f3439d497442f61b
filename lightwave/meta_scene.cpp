#include "meta_scene.h"

#include "base/text.h"
#include "images/texture.h"
#include "mesh_data.h"
#include "scene.h"
#include "surface.h"

#include <cstring>

MetaScene::MetaScene(DeviceContextBase* context) : context(context) {}

MetaScene::~MetaScene() {
    textures.clear();
    surfaces.clear();
    meshes.clear();
    scenes.clear();
}

LW6Scene* MetaScene::findScene(const char* prefix) const {
    const size_t n = std::strlen(prefix);
    for (const std::unique_ptr<LW6Scene>& s : scenes) {
        if (s->fileName.size() < n) continue;
        bool same = true;
        for (size_t i = 0; i < n && same; ++i)
            same = foldCase(s->fileName[i]) == foldCase(prefix[i]);
        if (same) return s.get();
    }
    return nullptr;
}

LWSurface* MetaScene::findSurface(const char* key) const {
    for (const std::unique_ptr<LWSurface>& s : surfaces)
        if (s->name == key) return s.get();
    return nullptr;
}

Texture* MetaScene::findTexture(const char* fileName, uint32_t flags) {
    Texture* t = textures.findTexture(fileName, flags);
    if (t) t->flags |= flags & ~3u;
    return t;
}

MetaMesh* MetaScene::findMesh(const char* fileName) const {
    for (const std::unique_ptr<MetaMesh>& m : meshes)
        if (m->name == fileName) return m.get();
    return nullptr;
}
