#pragma once
// Shapes for the show's objects, as LWO2 layers: a torus, a box, a
// sphere, a pyramid and a terrain of rolling hills, both of quads wound as LightWave's front faces (clockwise
// seen from the side they face), sized for the software rasteriser.

#include "demo/lightwave/lwo_writer.h"

// A torus around the y axis: `ring` the radius of its centre line, `tube`
// the radius of its tube, `around` x `across` quads. With `uvMap` named, the
// layer also gets that UV map: u once around the ring, v once around the
// tube, with the seams' corners given per polygon.
void addTorus(lwo::Layer& layer, float ring, float tube, int around, int across, int surface,
              const char* uvMap = nullptr);

// A tube of radius `tube` (rippled along and around) following the (p, q)
// torus knot that winds p times around the y axis and q times through the
// hole of a torus of radii `ring` and `wind`: `around` x `across` quads
// facing outwards, a dense smooth object.
void addTorusKnot(lwo::Layer& layer, int p, int q, float ring, float wind, float tube, int around,
                  int across, int surface);

// A box around `centre` with sides `size` (x, y, z): six quads wound
// clockwise seen from outside.
void addBox(lwo::Layer& layer, lwo::Vec3 centre, lwo::Vec3 size, int surface);

// A sphere of `radius` around `centre`: `stacks` bands from pole to pole,
// each of `around` quads (those at the poles close into triangles).
void addSphere(lwo::Layer& layer, lwo::Vec3 centre, float radius, int stacks, int around,
               int surface);

// A four-sided pyramid standing on `base` (its centre), `width` across and
// `height` tall, with a colour map entry per point: `foot` at the base,
// `tip` at the top.
void addPyramid(lwo::Layer& layer, lwo::Vec3 base, float width, float height, int surface,
                lwo::ColourMap& colours, const float foot[3], const float tip[3]);

// A square of terrain `size` across centred at the origin in the x-z plane,
// `cells` x `cells` quads, its height a sum of waves `height` high; faces up.
// Each quad takes surface `low`, `middle` or `high` by its height (valleys,
// slopes, tops).
void addTerrain(lwo::Layer& layer, float size, int cells, float height, int low, int middle,
                int high);

// The terrain's height at (x, z), for placing things on it.
float terrainHeight(float x, float z, float height);
