#pragma once
// What the scene loader reads for particles: emitters and effectors from the
// FX plug-in blocks, and the HyperVoxel settings of an object. Their
// simulation and drawing live with the particle system; these are the data.
// Properties without a known meaning keep their place in the plug-in data as
// their name (emitterValue1 is the first such float, and so on).

#include "lightwave/envelope.h"
#include "particle_motion.h"

#include <string>
#include <vector>

class LWItem;
class LWObjectLayer;
class LWTextureLayer;

class FxEmitter {
public:
    explicit FxEmitter(LWObjectLayer* layer) : layer(layer) {}

    LWObjectLayer* layer; // not owned
    LWItem* parent = nullptr;
    int particleLimit = 10000;
    LWAnimValue birthRate{100.0f};
    LWAnimValue lifeTime{1000.0f}; // seconds
    LWAnimValue lifeVariation;     // seconds
    float sizeX = 1, sizeY = 1, sizeZ = 1;
    int generatorType = 0;                                   // 0 or 4 box, 1 sphere
    int birthMode = 0;                                       // 0 or 3 per frame, 1 per second
    LWAnimValue emitterValue1, emitterValue2, emitterValue3; // initial velocity
    float emitterValue4 = 0;
    float emitterValue5 = 0, emitterValue6 = 0, emitterValue7 = 0; // acceleration
    LWAnimValue emitterValue8;                                     // explosion speed
    float emitterValue9 = 1.0f;                                    // speed
    float emitterValue10 = 4.0f;                                   // drag
    float emitterValue11 = 0, emitterValue12 = 0;                  // their variations
    float emitterValue13 = 50.0f, emitterValue14 = 0;
    float emitterValue15 = 0; // maximum speed, 0 none
    int birthCount = 0;
    // The births due so far. Each emitter keeps its own, so that it bears at
    // its own rate and a later scene's emitters start from none.
    float birthsDue = 0;
    // The records, all dead until born (record 0 is never born).
    std::vector<Particle> particles = std::vector<Particle>(PARTICLE_CAPACITY);
};

enum FxEffectorKind { EFFECTOR_GRAVITY = 1, EFFECTOR_WIND = 2, EFFECTOR_COLLISION = 3 };

// Gravity, wind and collision effectors: the values in plug-in order.
class FxEffector {
public:
    explicit FxEffector(int kind) : kind(kind) {}

    int kind;
    LWItem* parent = nullptr;
    float values[18] = {}; // valueN is values[N]; unused slots stay 0
    // A collision effector is kept even when its plug-in is switched off in
    // the scene; then it does not act.
    bool enabled = true;
};

// The HyperVoxel settings of an object: the renderer kind (1 sprites,
// 2 volume texture) and the channels the loader reads.
struct VolumetricSettings {
    explicit VolumetricSettings(int kind) : kind(kind) {}
    ~VolumetricSettings();
    VolumetricSettings(const VolumetricSettings&) = delete;
    VolumetricSettings& operator=(const VolumetricSettings&) = delete;

    int kind;
    LWAnimValue dissolve, particleSize, sizeVariation, vDensity, vOpacity, vLuminosity, nearClip,
        stretchAmount, textureAmplitude;
    LWAnimValue color[3];
    int blendingMode = 0, blendingGroup = 0, stretchDirection = 0, slices = 0;
    bool useAllLights = false, alignToPath = false, maintainVolume = false;
    std::vector<LWTextureLayer*> textures; // owned
    // What draws the particles, made by the renderer when first needed and
    // destroyed through `destroyDrawable`, which it sets.
    void* drawable = nullptr;
    void (*destroyDrawable)(void* drawable) = nullptr;
};
