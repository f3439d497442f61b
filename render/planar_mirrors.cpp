#include "planar_mirrors.h"

#include "base/message_box.h"
#include "device_constants.h"
#include "lightwave/items.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "mesh_buffers.h"
#include "meshes/mesh_layers.h"
#include "reflection_geometry.h"
#include "scene_renderer.h"

namespace {

void stencilOps(IDirect3DDevice8* d, DWORD pass) {
    d->SetRenderState(D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILPASS, pass);
}

} // namespace

void drawPlanarMirror(SceneRenderer& renderer, LoadedLayer& layer, int key, double time) {
    DeviceContext& context = renderer.context;
    IDirect3DDevice8* d = context.device;
    auto* buffers = dynamic_cast<MeshBuffers*>(layer.device.get());
    if (!d || !buffers || !layer.metamesh) return;
    LWSurface& surface = *layer.metamesh->srfs[size_t(key)];
    DeviceBufferSet* set = buffers->ownSet(key);
    if (!set) return;
    const SceneRenderer::DrawState state = renderer.current();
    auto* object = dynamic_cast<LWObject*>(layer.currentObject);
    // Without a stencil buffer the reflection could not be kept inside the
    // mirror: the surface is drawn as it is.
    if (!context.depthHasStencil || !object || !state.camera) {
        MeshBuffers::drawSurface(context, *set, key, surface, time);
        return;
    }
    const int depth = renderer.mirrorDepth;
    const uint32_t keptEnable = renderer.stencilEnableState;
    const uint32_t keptRef = renderer.stencilRefState;

    // Mark the mirror's visible pixels: stencil d-1 becomes d. Only the
    // stencil is written; the surface's colour comes with the unmarking.
    // With the stencil switched off nothing is marked: the surface is drawn
    // here, once, and no reflection is.
    const bool marking = context.stencilEnable != 0;
    d->SetRenderState(D3DRS_STENCILENABLE, DWORD(context.stencilEnable));
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    d->SetRenderState(D3DRS_STENCILREF, DWORD(depth - 1));
    d->SetRenderState(D3DRS_STENCILMASK, 0xFFFFFFFF);
    d->SetRenderState(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
    stencilOps(d, D3DSTENCILOP_INCR);
    if (marking) d->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    renderer.shadowPassMode = 1;
    MeshBuffers::drawSurface(context, *set, key, surface, time);
    renderer.shadowPassMode = 0;
    d->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));

    // The reflected world draws where the stencil holds d or more.
    stencilOps(d, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    d->SetRenderState(D3DRS_STENCILREF, DWORD(depth));
    d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    d->SetRenderState(D3DRS_ZENABLE, TRUE);
    d->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    renderer.stencilEnableState = TRUE;
    renderer.stencilRefState = uint32_t(depth);
    const uint32_t keptCull = renderer.cullMode;
    // A reflection turns every triangle's winding around, once per level
    // (also where a cube face inside a mirror counts its depth afresh).
    renderer.cullMode = keptCull == D3DCULL_CW ? D3DCULL_CCW : D3DCULL_CW;

    LWItem& camera = *state.camera;
    if (!object->worldValid) object->getMatrix(time);
    if (!camera.inverseValid) camera.getInvMatrix(time);
    if (!camera.projectionValid) camera.computeProjection(time);
    layer.ensureBoundingBox();
    const Matrix4 reflection = reflectionMatrix(mirrorPlane(object->world, layer.box));
    const Matrix4 mirroredView = reflection * camera.inverseWorld;

    // The portal: the mirror's outline as the mirrored camera sees it.
    Vec3 outline[4];
    lowestFace(layer.box, outline);
    const Matrix4 toClip = object->world * mirroredView * camera.projection;
    Vec4 corners[4];
    for (int i = 0; i < 4; ++i) corners[i] = transformHomogeneous(toClip, outline[i]);
    MirrorCamera mirror(&context, mirroredView, camera.projection, portalThrough(corners));
    mirror.minNear = camera.minNear;

    LW6Scene* scene = surface.reflScene;
    if (!scene) reportAssertion(
        "metamesh->srfs[i]->reflScene && \"reflection Scene ist nicht zugeordnet!\"");
    if (!scene) scene = state.scene;
    layer.currentObject = &mirror;
    if (scene) renderer.renderScene(*scene, time, mirror);
    layer.currentObject = object;
    renderer.cullMode = keptCull;
    renderer.resumeDrawing();

    // Unmark, laying the surface over the reflection with its blending.
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    d->SetRenderState(D3DRS_STENCILREF, DWORD(depth));
    stencilOps(d, D3DSTENCILOP_DECR);
    MeshBuffers::drawSurface(context, *set, key, surface, time);

    stencilOps(d, D3DSTENCILOP_KEEP);
    d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_LESSEQUAL);
    d->SetRenderState(D3DRS_STENCILENABLE, keptEnable);
    d->SetRenderState(D3DRS_STENCILREF, keptRef);
    renderer.stencilEnableState = keptEnable;
    renderer.stencilRefState = keptRef;
}
