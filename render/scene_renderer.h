#pragma once
// Drawing one LightWave scene for one frame from one camera: fog, fill
// mode, lights and the shared vertex-program constants, then the visible
// objects (culled and depth-fitted in clip space, opaque before
// transparent), each through its surfaces' programs. The same render is
// re-entered for shadow maps, mirrors and cube maps, to a nesting of four;
// the passes those build on are hooks here, filled by their own modules.

#include "app/device_context.h"
#include "object_pass.h"

#include <memory>
#include <unordered_map>
#include <vector>

class LoadedLayer;
class LW6Scene;
class LWItem;
class LWLight;
class LWObject;
class LWSurface;

class SceneRenderer;

// The passes other modules add to a render (none is required).
struct RendererHooks {
    // The shadow maps of the scene's shadow-map lights, before the view is set.
    void (*shadowMaps)(SceneRenderer& renderer, LW6Scene& scene, double time) = nullptr;
    // The shadow texture matrix (c26-c29) of an object that receives shadows.
    void (*shadowMatrix)(SceneRenderer& renderer, LW6Scene& scene, LWObject& object,
                         double time) = nullptr;
    // A surface with reflection option 3 (cube map) or a planar mirror.
    void (*cubeReflection)(SceneRenderer& renderer, LoadedLayer& layer, int surface,
                           double time) = nullptr;
    void (*planarMirror)(SceneRenderer& renderer, LoadedLayer& layer, int surface,
                         double time) = nullptr;
    // Particle emitters and effectors: moved on by `step` seconds, then drawn.
    void (*effects)(SceneRenderer& renderer, LW6Scene& scene, double time, double step) = nullptr;
    // A light's flare: whether it is visible from `camera`, and its depth.
    bool (*flareDepth)(LWLight& light, LWItem& camera, double time, float& depth) = nullptr;
    void (*drawFlare)(SceneRenderer& renderer, LWLight& light, double time) = nullptr;
};

constexpr int MAX_RENDER_NESTING = 4;

class SceneRenderer {
public:
    explicit SceneRenderer(DeviceContext& context);
    // Virtual: the device context, which links below the renderer, deletes
    // it through its table of operations.
    virtual ~SceneRenderer();
    SceneRenderer(const SceneRenderer&) = delete;
    SceneRenderer& operator=(const SceneRenderer&) = delete;

    // Draws `scene` at scene time `time` seen from `camera`.
    void renderScene(LW6Scene& scene, double time, LWItem& camera);
    // Collects, culls, sorts and draws the scene's objects.
    void drawObjects(LW6Scene& scene, double time, LWItem& camera);
    // Everything a drawn frame changes besides the picture (light flicker,
    // point-cloud streaks, effect time), without drawing: for frames that are
    // computed but not shown, so that a later shown frame is the same.
    void advanceScene(LW6Scene& scene, double time, LWItem& camera);
    // Draws every loaded surface of the layer through the program its
    // situation calls for (its own, the flat shadow one, the receiver).
    void drawMesh(LoadedLayer& layer, double time);

    // An item whose view follows the context's free camera.
    LWItem& freeCameraItem();

    // What is being drawn now: the scene, its camera and the object whose
    // mesh is drawn (null between objects). A nested render (mirror, cube
    // face) leaves it as it found it.
    struct DrawState {
        LW6Scene* scene = nullptr;
        LWItem* camera = nullptr;
        LWObject* object = nullptr;
        double time = 0;
    };
    const DrawState& current() const { return drawing; }
    // After a nested render: the view, projection, camera position, the
    // current object's lights, matrices and fog, and the cull mode the
    // programs draw with, as they were before it.
    void resumeDrawing();

    DeviceContext& context;
    RendererHooks hooks;
    int nesting = 0;
    int shadowPassMode = 0; // 1 depth-only shadow pass or mirror marking, 2 colour-encoded
    int mirrorDepth = 0;
    bool drawingShadowMap = false; // inside the shadow-map pass
    uint32_t cullMode = 3;  // D3DCULL_CCW: single-sided surfaces
    // The stencil test as mirrors last left it (kept here: pure devices do
    // not answer GetRenderState).
    uint32_t stencilEnableState = 0;
    uint32_t stencilRefState = 0;
    // Counts of the last top-level render, for tests and the profiler report.
    int objectsDrawn = 0;
    int objectsCulled = 0;
    int reflectedObjectsDrawn = 0; // by the nested renders of mirrors and cubes
    // Per nesting level: the renders entered and the cull mode they drew with.
    struct Level {
        int renders = 0;
        uint32_t cullMode = 0;
    };
    Level levels[MAX_RENDER_NESTING];
    // Surfaces whose cube reflections are being drawn into: hidden until
    // their cubes are finished, in mirrors within the faces as well.
    std::vector<const LWSurface*> cubesBeingDrawn;
    // When each surface's cube was last drawn: the scene time and the
    // viewing camera's view. Each output has a cube of its own.
    struct CubeStamp {
        double time = 0;
        Matrix4 view = Matrix4::identity();
        int nextFace = 0; // the face the next refresh starts with
        long frame = 0;   // the top-level render that last refreshed it
    };
    struct CubeKey {
        const LWSurface* surface;
        int output;
        bool operator==(const CubeKey& o) const {
            return surface == o.surface && output == o.output;
        }
    };
    struct CubeKeyHash {
        size_t operator()(const CubeKey& k) const {
            return std::hash<const void*>()(k.surface) ^ size_t(k.output);
        }
    };
    std::unordered_map<CubeKey, CubeStamp, CubeKeyHash> cubeStamps;
    long topLevelRenders = 0;
    // Stamps of cubes not refreshed for a while (their surfaces may be gone
    // with their metascene) are dropped: such a cube, drawn again, is
    // refreshed whole.
    void forgetOldCubeStamps();
    // Set while a frame is advanced without drawing; hooks then only move
    // their state on.
    bool dry = false;

private:
    // The objects in view, sorted for drawing, and their depth range (with
    // visible flares).
    DepthRange collectVisible(LW6Scene& scene, double time, LWItem& camera,
                              std::vector<DrawItem>& list, int& culled);
    // The per-frame reset of the camera, objects and lights.
    void resetItems(LW6Scene& scene, LWItem& camera);
    // The effects of the scene moved on to `time` from its previous render.
    void moveEffects(LW6Scene& scene, double time);
    void setupLighting(LW6Scene& scene, double time, LWItem& camera);
    void drawObject(LW6Scene& scene, LWObject& object, double time, LWItem& camera);
    // The device state one object is drawn with: lights, matrices, fog.
    void applyObjectState(LW6Scene& scene, LWObject& object, double time, LWItem& camera);
    void flarePass(LW6Scene& scene, double time);

    LightSlots slots;
    DrawState drawing;
    Matrix4 objectWorldViewProjection = Matrix4::identity(); // of the object being drawn
    std::unique_ptr<LWItem> freeCamera;
    int lightsSwitchedOn = 0; // light indices below it may be on in the device
};

// The context's renderer, made on first use.
SceneRenderer& sceneRenderer(DeviceContext& context);

// The player's scene-drawing hook: the scene from `camera`, or from the free
// camera when it is null.
void drawSceneWithRenderer(LW6Scene& scene, double time, LWItem* camera, DeviceContext& context);
// The hook for frames that are not shown: the same scene advanced.
void advanceSceneWithRenderer(LW6Scene& scene, double time, LWItem* camera,
                              DeviceContext& context);
