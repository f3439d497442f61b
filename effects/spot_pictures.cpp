// The spot picture maps texel (u, v) in -1..1 to the ray at angle
// atan(rho x tan(cone)) from the light's axis, rho = |(u, v)|: the inverse
// of the perspective projection the light draws its shadow map with, so the
// rim of the cone lands on the inscribed circle of the picture. The angle
// left to the rim, d = cone - that angle, drives a linear ramp of width E.

#include "spot_pictures.h"

#include <cassert>
#include <cmath>
#include <cstddef>

namespace {

// One channel: the truncated product, held to 0..255 before it becomes an
// integer so that negative or huge intensities cannot spill into the other
// channels.
uint32_t channel(double value) {
    if (!(value > 0)) return 0; // also NaN
    if (value >= 255) return 255;
    return uint32_t(value);
}

uint32_t spotTexel(double s, const float colour[4]) {
    const uint32_t rgb = channel(s * colour[0] * 255) << 16 | channel(s * colour[1] * 255) << 8 |
                         channel(s * colour[2] * 255);
    return rgb ? rgb | 0xFF000000u : 0;
}

// -1 at the first texel, +1 at the last; a single texel is the axis.
double spread(int index, int size) {
    const double half = (size - 1) * 0.5;
    return half > 0 ? (index - half) / half : 0;
}

} // namespace

void generateSpot(uint32_t* level, int width, int height, int pitch, const SpotParameters& spot) {
    const double I = double(spot.intensity) * 256;
    const double E = double(spot.edge) * 4;
    const double cone = spot.cone;
    const double T = std::tan(cone);
    for (int i = 0; i < height; ++i) {
        uint32_t* row = level + size_t(i) * size_t(pitch);
        const double v = spread(i, height);
        for (int j = 0; j < width; ++j) {
            const double u = spread(j, width);
            const double d = cone - std::atan(std::sqrt(u * u + v * v) * T);
            // Tested in this order, a zero or negative edge gives a hard rim
            // without dividing by it.
            const double s = d <= 0 ? 0 : d >= E ? I : d * I / E;
            row[j] = spotTexel(s, spot.colour);
        }
    }
}

void generateTexcoordMap(uint32_t* level, int width, int height, int pitch) {
    assert(width <= TEXCOORD_MAP_WIDTH);
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j)
            level[size_t(i) * size_t(pitch) + size_t(j)] = uint32_t(j) * 0x01010101u;
}
