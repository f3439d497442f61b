#pragma once
// One LightWave scene (an LWS file): its settings and its items, loaded by
// loadScene (lws_loader.cpp). Items are owned by the scene; meshes,
// surfaces and textures by the MetaScene that loaded it.

#include "envelope.h"
#include "items.h"

#include <memory>
#include <string>
#include <vector>

class DeviceContextBase;
class FxEffector;
class FxEmitter;
class MetaMesh;
class MetaScene;
class Texture;
class VirtualFile;
struct IDirect3DSurface8;

// What an object load defined besides its mesh, for tools: its envelopes and
// clips (which live only while the object loads).
struct LwoReport {
    struct Envelope {
        int index;
        int keys;
        std::string name;
    };
    struct Clip {
        int index;
        std::string name;
        uint32_t flags;
    };
    struct VertexMap {
        int layer;
        std::string type;
        std::string name;
        int entries;
    };
    std::vector<Envelope> envelopes;
    std::vector<Clip> clips;
    std::vector<VertexMap> vertexMaps;
};

constexpr int MAXENVS = 2048;

enum FogMode { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };

class LW6Scene {
public:
    static constexpr int MAXTEXS = 2048;

    LW6Scene(DeviceContextBase* context, MetaScene* metaScene);
    ~LW6Scene();
    LW6Scene(const LW6Scene&) = delete;
    LW6Scene& operator=(const LW6Scene&) = delete;

    // Reads `fileName` through `archive`. False when the file is missing or
    // not a version 3 scene (the scene is then unusable).
    bool loadScene(VirtualFile* archive, const char* fileName);
    // Loads an LWO2 object (lwo_loader.cpp); null when it cannot be read.
    MetaMesh* loadObject(VirtualFile* archive, const char* fileName, LwoReport* report = nullptr);

    DeviceContextBase* context;
    MetaScene* metaScene;
    std::string fileName;
    float backdropColor[4] = {0, 0, 0, 1};
    float fogColor[4] = {0, 0, 0, 1};
    LWCamera* currentCamera = nullptr;
    std::vector<LWCamera*> cameras; // owned
    std::vector<LWObject*> objects; // owned
    std::vector<LWLight*> lights;   // owned
    std::vector<LWBone*> bones;     // owned
    double previewFirstFrame = 0, previewLastFrame = 0, firstFrame = 0, lastFrame = 0;
    double framesPerSecond = 30.0;
    float ambientColor[4] = {1, 1, 1, 1};
    LWAnimValue ambientIntensity{0.25f};
    int32_t fogType = FOG_NONE;
    float fogMinDistance = 0, fogMaxDistance = 0;
    std::vector<FxEmitter*> fxEmitter;   // owned
    std::vector<FxEffector*> fxEffector; // owned
    int gridNumber = 50;
    float gridSize = 1.0f;
    int32_t defaultInt3 = 3;
    float defaultFloat1 = 1.0f;

    // Scene state the timeline and the renderer use.
    double renderTime = 0;      // scene time of the last top-level render
    bool renderTimeSet = false; // rendered at all yet
    bool active = false;
    bool hold = false;
    double startTime = 0; // seconds of demo time; the frozen scene time while held
    int clearFlags = 3;   // 1 target, 2 depth
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1.0f;
    // Drawing into a texture (made by the player; the texture belongs to the
    // metascene's list, the two surfaces to the scene, released through
    // `releaseTargets`, which whoever made them sets).
    Texture* renderTexture = nullptr;
    IDirect3DSurface8* renderSurface = nullptr;
    IDirect3DSurface8* depthSurface = nullptr;
    void (*releaseTargets)(LW6Scene& scene) = nullptr;

    // The words of the file while it loads.
    std::vector<char*> words;
    size_t word = 0;
};
