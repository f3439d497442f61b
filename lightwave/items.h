#pragma once
// Scene items: objects, lights, cameras and bones, each with nine motion
// channels (position X Y Z, heading, pitch, bank, scale X Y Z), a parent and
// a target. Matrices are computed on demand and cached until invalidate():
// readers check the flag, call getMatrix / getInvMatrix when it is clear,
// then read `world` / `inverseWorld`.

#include "envelope.h"
#include "light_eval.h"
#include "base/math3d.h"

#include <memory>
#include <string>
#include <vector>

class DeviceContextBase;
class LWObjectLayer;
class Texture;
struct IDirect3DSurface8;
struct IDirect3DTexture8;
struct VolumetricSettings;

enum LWChannel {
    CHANNEL_X = 0,
    CHANNEL_Y = 1,
    CHANNEL_Z = 2,
    CHANNEL_HEADING = 3,
    CHANNEL_PITCH = 4,
    CHANNEL_BANK = 5,
    CHANNEL_SCALE_X = 6,
    CHANNEL_SCALE_Y = 7,
    CHANNEL_SCALE_Z = 8,
    CHANNEL_COUNT = 9,
};

enum LWItemKind { ITEM_NONE = 0, ITEM_OBJECT = 1, ITEM_LIGHT = 2, ITEM_CAMERA = 3 };
enum LWController { CONTROLLER_KEYS = 0, CONTROLLER_TARGET = 1, CONTROLLER_PATH = 2 };

struct LWViewport {
    int x = 0, y = 0, width = 256, height = 256;
    float minZ = 0, maxZ = 1;
};

class LWItem {
public:
    explicit LWItem(DeviceContextBase* context);
    virtual ~LWItem() = default;
    LWItem(const LWItem&) = delete;
    LWItem& operator=(const LWItem&) = delete;

    // Fits the projection's depth range to near..far (distances in front of
    // the item, computing the projection first when needed). Cameras and
    // lights also hand the fitted range to the stereo state.
    virtual void setupProjection(double time, float nearDistance, float farDistance);
    // View tests in clip space (x, y, z, w after world x view x projection):
    // a point is in view inside all of the half-spaces w >= minNear,
    // -w <= x <= w, -w <= y <= w; a box is out of view when one of them
    // holds none of its eight corners.
    virtual bool pointInView(const Vec4& p);
    virtual bool boxInView(const Vec4 corners[8]);
    // The area the item renders into: 256 x 256 unless the kind says otherwise.
    virtual void initViewport();
    // Clears the cache flags; answers false (objects: their layer's answer).
    virtual bool invalidate();
    virtual void getMatrix(double time);
    virtual void getInvMatrix(double time);
    // Identity, unless the kind has a lens (cameras, lights).
    virtual void computeProjection(double time);

    // (-pitch, heading, -bank) in radians, with the controllers applied.
    void getRotation(double time, float out[3]);
    // The local transform: pivot, scale, rotation, pivot rotation, position.
    Matrix4 localMatrix(double time);

    DeviceContextBase* context; // not owned
    LWItem* parent = nullptr;   // not owned
    LWItem* target = nullptr;   // not owned
    LWAnimValue channels[CHANNEL_COUNT];
    float pivotPosition[3] = {0, 0, 0};
    float pivotRotation[3] = {0, 0, 0}; // pitch, heading, bank (radians)
    int32_t headingController = CONTROLLER_KEYS;
    int32_t pitchController = CONTROLLER_KEYS;
    int32_t bankController = CONTROLLER_KEYS;
    float pathAlignLookAhead = 0; // seconds
    int id;
    std::string name;
    std::vector<int> excludedLights;
    Matrix4 world = Matrix4::identity();
    Matrix4 inverseWorld = Matrix4::identity();
    Matrix4 projection = Matrix4::identity();
    LWViewport viewport;
    uint8_t worldValid = 0;
    uint8_t inverseValid = 0;
    uint8_t projectionValid = 0;
    uint8_t pmXYZWcalced = 0;
    int32_t kind = ITEM_NONE;
    int index = 0;
    int32_t flags511 = 511;
    float minNear = 0;

protected:
    // Set while this item's matrix is being computed: a parent or target
    // chain that leads back here (a malformed scene) gets the matrix as it
    // stands instead of recursing without end.
    bool computing = false;
};

class LWObject : public LWItem {
public:
    explicit LWObject(DeviceContextBase* context);
    ~LWObject() override;
    bool invalidate() override;

    int32_t shadowOptions = 7;
    bool unaffectedByFog = false;
    LWObjectLayer* layer = nullptr;           // not owned (the MetaMesh owns it)
    VolumetricSettings* volumetric = nullptr; // owned
};

class LWBone : public LWItem {
public:
    explicit LWBone(DeviceContextBase* context) : LWItem(context) {}
    float restLength = 1.0f;
    float strength = 1.0f;
    int32_t active = 0;
    int32_t weightMap = 0;
};

enum LWLightType {
    LIGHT_DISTANT = 0,
    LIGHT_POINT = 1,
    LIGHT_SPOT = 2,
    LIGHT_LINEAR = 3,
    LIGHT_AREA = 4
};

enum LWShadowType { SHADOW_OFF = 0, SHADOW_RAYTRACE = 1, SHADOW_MAP = 2 };

class LWLight : public LWItem {
public:
    explicit LWLight(DeviceContextBase* context);
    ~LWLight() override;

    int32_t lightType = LIGHT_DISTANT;
    LWAnimValue color[3];
    float colorAlpha = 1.0f;
    LWAnimValue intensity;
    int32_t falloffType = 0;
    LWAnimValue range{1.0f};
    LWAnimValue coneAngle{0.5235988f}; // radians
    LWAnimValue edgeAngle{0.08726646f};
    bool noDiffuse = false;
    bool noSpecular = false;
    bool lensFlare = false;
    int32_t lensFlareFade = 0;
    int32_t lensFlareOptions = 0;
    float flareNominalDistance = 1.0f;
    LWAnimValue flareIntensity;
    LWAnimValue flareRotationAngle; // degrees, as written
    int32_t shadowType = 0;
    int32_t shadowMapSize = 512;
    // Depth range of the last shadow pass from this light.
    float shadowNear = 0, shadowFar = 0;
    // A shadow-map light's render targets (made when its scene is prepared,
    // released through `releaseShadowTargets`, which whoever made them sets):
    // the colour target and its surface, and a depth texture and its surface
    // or, without a depth-texture format, a depth surface alone.
    IDirect3DTexture8* shadowColour = nullptr;
    IDirect3DSurface8* shadowColourSurface = nullptr;
    IDirect3DTexture8* shadowDepth = nullptr;
    IDirect3DSurface8* shadowDepthSurface = nullptr;
    void (*releaseShadowTargets)(LWLight& light) = nullptr;
    // Its lens flare (made through the preparation's flare hook), owned.
    void* lensFlareObject = nullptr;
    void (*destroyLensFlare)(void* flare) = nullptr;
    float flickerPeriod;                  // seconds
    int32_t flickerIndex = 0;             // current flicker palette entry
    int32_t flickerCycle = INT32_MIN;     // flicker period it was picked for; none yet
    LightRecord d3dLight{};               // filled by prepareLightRecord and computeLight
    std::unique_ptr<Texture> spotTexture; // shadow-map lights only, made when prepared

    // Seen from the light: its cone over a 4:3 picture; its shadow map's area.
    void computeProjection(double time) override;
    void initViewport() override;
};

class LWCamera : public LWItem {
public:
    explicit LWCamera(DeviceContextBase* context);
    void getMatrix(double time) override;
    void getInvMatrix(double time) override;
    // Zoom by the field-of-view mode, 4:3, and the eye's offset in stereo.
    void computeProjection(double time) override;
    // The whole screen.
    void initViewport() override;

    LWAnimValue zoomFactor{3.2f};
    float eyeSeparation = 0.06f;
};
