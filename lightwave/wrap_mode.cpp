#include "wrap_mode.h"

#include "surface.h"

int addressModeFor(int code, uint32_t caps) {
    switch (code) {
    case 0:
        if (caps & ADDRESS_CAPS_BORDER) return ADDRESS_BORDER;
        if (caps & ADDRESS_CAPS_CLAMP) return ADDRESS_CLAMP;
        return ADDRESS_WRAP;
    case 2:
        return (caps & ADDRESS_CAPS_MIRROR) ? ADDRESS_MIRROR : ADDRESS_WRAP;
    case 3:
        return (caps & ADDRESS_CAPS_CLAMP) ? ADDRESS_CLAMP : ADDRESS_WRAP;
    default:
        return ADDRESS_WRAP;
    }
}

void layerAddressModes(int widthCode, int heightCode, int maptype, uint32_t caps, int32_t* u,
                       int32_t* v) {
    *v = addressModeFor(heightCode, caps);
    *u = (caps & ADDRESS_CAPS_INDEPENDENT_UV) ? addressModeFor(widthCode, caps) : *v;
    if (maptype == MAP_SPHERICAL) *u = *v = ADDRESS_WRAP;
    if (maptype == MAP_CYLINDRICAL) *u = ADDRESS_WRAP;
}
