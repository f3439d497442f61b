#pragma once
// A metascene: scenes loaded together with the meshes, surfaces and
// textures they share. Lookups: scenes by name prefix (any letter case),
// surfaces by exact key, meshes by exact file name, textures by name and
// flags. Everything in the lists is owned and destroyed with the metascene
// (textures, surfaces, meshes, then scenes), also when a load is abandoned
// half-way.

#include "images/texture_list.h"

#include <memory>
#include <string>
#include <vector>

class DeviceContextBase;
class LW6Scene;
class LWSurface;
class MetaMesh;
class Texture;

class MetaScene {
public:
    explicit MetaScene(
        DeviceContextBase* context); // in the .cpp: the lists' types are complete there
    ~MetaScene();
    MetaScene(const MetaScene&) = delete;
    MetaScene& operator=(const MetaScene&) = delete;

    // First scene, in list order, whose name begins with `name` (compared
    // without regard to letter case over the length of `name`).
    LW6Scene* findScene(const char* name) const;
    LWSurface* findSurface(const char* key) const;
    // A texture of that name whose flags match apart from the two lowest
    // bits; on a hit its flags take the request's other bits too.
    Texture* findTexture(const char* fileName, uint32_t flags);
    MetaMesh* findMesh(const char* fileName) const;

    DeviceContextBase* context;
    std::vector<std::unique_ptr<LW6Scene>> scenes;
    std::vector<std::unique_ptr<MetaMesh>> meshes;
    std::vector<std::unique_ptr<LWSurface>> surfaces;
    TextureList textures;
    std::string name;
    int emptySceneSlots = 0; // of a binary metascene, which holds no scenes
    bool activated = false;  // its textures and scenes are prepared for drawing
};
