#pragma once
// Shapes for the show's objects, as LWO2 layers: a torus and a terrain of
// rolling hills, both of quads wound as LightWave's front faces (clockwise
// seen from the side they face), sized for the software rasteriser.

#include "demo/lightwave/lwo_writer.h"

// A torus around the y axis: `ring` the radius of its centre line, `tube`
// the radius of its tube, `around` x `across` quads.
void addTorus(lwo::Layer& layer, float ring, float tube, int around, int across, int surface);

// A square of terrain `size` across centred at the origin in the x-z plane,
// `cells` x `cells` quads, its height a sum of waves `height` high; faces up.
// Each quad takes surface `low`, `middle` or `high` by its height (valleys,
// slopes, tops).
void addTerrain(lwo::Layer& layer, float size, int cells, float height, int low, int middle,
                int high);

// The terrain's height at (x, z), for placing things on it.
float terrainHeight(float x, float z, float height);
