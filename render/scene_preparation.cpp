#include "scene_preparation.h"

#include "effects/light_spot.h"
#include "layer_buffers.h"
#include "images/texture.h"
#include "lightwave/items.h"
#include "lightwave/light_eval.h"
#include "lightwave/scene.h"

void prepareSceneForDrawing(LW6Scene& scene, void*) {
    for (LWLight* light : scene.lights) {
        prepareLightRecord(*light);
        if (!light->spotTexture) light->spotTexture = makeLightSpotTexture(*light);
    }
    // Device geometry once, before the first frame draws it (a failed build
    // has shown its message and is tried again when the layer is drawn).
    auto* context = dynamic_cast<DeviceContext*>(scene.context);
    if (!context || !context->device) return;
    for (LWObject* object : scene.objects)
        if (auto* layer = dynamic_cast<LoadedLayer*>(object->layer)) buildLayer(*context, *layer);
}
