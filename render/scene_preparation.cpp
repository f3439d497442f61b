#include "scene_preparation.h"

#include "effects/light_spot.h"
#include "images/texture.h"
#include "lightwave/items.h"
#include "lightwave/light_eval.h"
#include "lightwave/scene.h"

void prepareSceneForDrawing(LW6Scene& scene, void*) {
    for (LWLight* light : scene.lights) {
        prepareLightRecord(*light);
        if (!light->spotTexture) light->spotTexture = makeLightSpotTexture(*light);
    }
}
