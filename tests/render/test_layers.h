#pragma once
// Image texture layers added to a surface by the surface-program tests.

#include "lightwave/surface.h"

inline LWTextureLayer* addLayer(LWSurface& s, const char (&channel)[5],
                                Texture* texture = nullptr) {
    auto* layer = new LWTextureLayer();
    layer->type = fourCC("IMAP");
    layer->channel = fourCC(channel);
    layer->texture = texture;
    s.textureLayers.push_back(layer); // the surface owns its layers
    return layer;
}
