#include "clip_textures.h"

#include "images/texture.h"
#include "meta_scene.h"
#include "scene.h"

#include <cstring>

namespace {

uint32_t stillFlags(const std::string& name) {
    return std::strstr(name.c_str(), "_nodxt") ? TEXTURE_MIPMAPS
                                               : TEXTURE_COMPRESS | TEXTURE_MIPMAPS;
}

ImageTexture* newStill(LW6Scene& scene, VirtualFile* archive, const std::string& name) {
    auto* texture = new ImageTexture(scene.context);
    scene.metaScene->textures.addTexture(texture);
    texture->load(archive, name.c_str(), 1);
    texture->flags = stillFlags(name);
    return texture;
}

} // namespace

std::string fixDriveName(const char* name) {
    std::string fixed = name;
    if (fixed.size() >= 2 && fixed[1] == ':') fixed.insert(2, "/");
    return fixed;
}

Texture* stillTexture(LW6Scene& scene, VirtualFile* archive, const char* rawName) {
    if (!scene.metaScene) return nullptr;
    const std::string name = fixDriveName(rawName);
    if (Texture* found = scene.metaScene->findTexture(name.c_str(), stillFlags(name))) return found;
    return newStill(scene, archive, name);
}

Texture* layerTexture(LW6Scene& scene, VirtualFile* archive, Texture* clip, uint32_t use) {
    // Alpha from intensity and the normal map both read the picture as
    // heights; a colour use needs it as it is.
    const uint32_t heights = TEXTURE_ALPHA_FROM_INTENSITY | TEXTURE_NORMAL_MAP;
    const uint32_t other = (use & TEXTURE_COLOR_LAYER) ? heights : TEXTURE_COLOR_LAYER;
    if (!clip || !(clip->flags & other) || !scene.metaScene || !dynamic_cast<ImageTexture*>(clip))
        return clip;
    Texture* found = scene.metaScene->findTexture(clip->name.c_str(), use);
    if (dynamic_cast<ImageTexture*>(found)) return found;
    ImageTexture* texture = newStill(scene, archive, clip->name);
    texture->alphaMode = clip->alphaMode;
    return texture;
}
