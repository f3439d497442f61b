#pragma once
// Drawing a metascene for one eye: each active scene, in list order, from
// its camera (or its first light while the alternate camera is on, or the
// free camera in free flight) at its own scene time, into the back buffer or
// into its render-target texture, after its clear. The scene itself is drawn
// through a hook, the scene renderer's; without one, scenes only clear.

#include "app/device_context.h"
#include "lightwave/meta_scene.h"

#include <vector>

class LWItem;
class LW6Scene;

// Draws `scene` at `time` seen from `camera` (null: the free camera).
using DrawScene = void (*)(LW6Scene& scene, double time, LWItem* camera, DeviceContext& context);

// The states a metascene starts drawing from, set on activation and again
// after a device reset, on every output's device.
void applyDefaultStates(DeviceContext& context);

// One eye's pass over the scene list. On the second eye of one output only
// the depth part of each clear remains (the colour is shared with the first
// eye); `fullClears` (the earlier build) always clears as the scene asks.
// Returns the number of scenes drawn.
int renderMetaScene(MetaScene& meta, DeviceContext& context, double sceneTime, bool firstEye,
                    bool fullClears, DrawScene draw);

// The item a scene is seen from: the free camera (null) in free flight,
// else its first light while the alternate camera is on, else its camera.
LWItem* viewingCamera(LW6Scene& scene, const DeviceContext& context);

// A frame that is not shown: each active scene advanced as the pass would
// draw it (same camera, same scene time).
void advanceMetaScene(MetaScene& meta, DeviceContext& context, double sceneTime,
                      DrawScene advance);

// The scene's render target: the metascene's texture named as the scene, or
// a new render-target texture of that name (added to the metascene's list)
// with the scene's colour and depth surfaces, one pair per output (the
// scene's fields hold the current output's while it draws). Null when the
// device cannot make one.
Texture* sceneRenderTarget(MetaScene& meta, LW6Scene& scene, DeviceContext& context);

// Clears through every channel, whatever the eye pass's colour mask, and
// puts the mask back: a first eye's clear defines the whole frame.
void clearAllChannels(DeviceContext& context, DWORD flags, D3DCOLOR colour, float depth);

// Before a device reset: the metascene's default-pool resources go (its
// render-target textures with the scenes' surfaces into them, the lights'
// shadow maps). Answers the scenes that were drawing into textures.
std::vector<LW6Scene*> releaseDefaultPool(MetaScene& meta);
// After the reset: the same made again, and those scenes draw into their
// textures again (from the next frame on).
void restoreDefaultPool(MetaScene& meta, DeviceContext& context,
                        const std::vector<LW6Scene*>& drawingIntoTextures);

// Puts a loaded metascene back as its load left it, for a replay of the
// script from the start: every scene stopped, unheld, at start time 0, with
// the default clear and its first camera, drawing to the screen; particles,
// point-cloud streaks and scene steps start afresh. What the script changed
// in its surfaces is the caller's to undo.
void rewindMetaScene(MetaScene& meta);

// Forgets the metascene's last drawn frames: each scene's next frame steps
// its particles by nothing, and point-cloud streaks start where the points
// are (after frames drawn out of the show's order, as a seek draws them).
void forgetSceneSteps(MetaScene& meta);

// Unbinds every texture stage (before the textures of a metascene go).
void unbindTextureStages(DeviceContext& context);
