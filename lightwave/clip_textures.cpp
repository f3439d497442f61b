#include "clip_textures.h"

#include "images/texture.h"
#include "meta_scene.h"
#include "scene.h"

#include <cstring>

std::string fixDriveName(const char* name) {
    std::string fixed = name;
    if (fixed.size() >= 2 && fixed[1] == ':') fixed.insert(2, "/");
    return fixed;
}

Texture* stillTexture(LW6Scene& scene, VirtualFile* archive, const char* rawName) {
    if (!scene.metaScene) return nullptr;
    const std::string name = fixDriveName(rawName);
    const uint32_t flags =
        std::strstr(name.c_str(), "_nodxt") ? TEXTURE_MIPMAPS : TEXTURE_COMPRESS | TEXTURE_MIPMAPS;
    if (Texture* found = scene.metaScene->findTexture(name.c_str(), flags)) return found;
    auto* texture = new ImageTexture(scene.context);
    scene.metaScene->textures.addTexture(texture);
    texture->load(archive, name.c_str(), 1);
    texture->flags = flags;
    return texture;
}
