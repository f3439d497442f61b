#include "surface.h"

#include <cmath>

LWTextureLayer::LWTextureLayer() {
    for (LWAnimValue& s : size) s.value = 1.0f;
    // The fourth column of the transform starts as (0, 0, 0, 1).
}

LWTextureLayer::~LWTextureLayer() {
    for (LWEnvelope* e : gradient) delete e;
    for (LWUVMap* m : layerUVMaps)
        if (m) m->release();
}

LWSurface::LWSurface() : cosMaxSmoothAngle(float(std::cos(0.17453292519943295) - 1e-6)) {
    for (LWAnimValue& c : color) c.value = 1.275f;
}

LWSurface::~LWSurface() {
    if (releaseReflectionTargets) releaseReflectionTargets(*this);
    for (LWTextureLayer* l : textureLayers) delete l;
    for (LWColorMap* m : vertexColorMaps)
        if (m) m->release();
}
