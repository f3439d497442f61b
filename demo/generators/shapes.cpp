#include "shapes.h"

#include <cmath>

namespace {

constexpr float PI = 3.14159265f;

// A grid of (rows + 1) x (columns + 1) points from `first` on, as quads; the
// point order (u along a row) decides which side each quad faces.
void addGridQuads(lwo::Layer& layer, uint32_t first, int rows, int columns, bool wrapRows,
                  bool wrapColumns, int surface) {
    const int stride = wrapColumns ? columns : columns + 1;
    auto at = [&](int r, int c) {
        if (wrapRows) r %= rows;
        if (wrapColumns) c %= columns;
        return first + uint32_t(r * stride + c);
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            layer.polygons.push_back({{at(r, c), at(r + 1, c), at(r + 1, c + 1), at(r, c + 1)},
                                      surface});
}

} // namespace

void addTorus(lwo::Layer& layer, float ring, float tube, int around, int across, int surface) {
    const uint32_t first = uint32_t(layer.points.size());
    for (int i = 0; i < around; ++i) {
        const float a = 2 * PI * float(i) / float(around);
        for (int j = 0; j < across; ++j) {
            // Round the tube against the ring's direction: the quads then
            // face outwards.
            const float b = -2 * PI * float(j) / float(across);
            const float r = ring + tube * std::cos(b);
            layer.points.push_back({r * std::cos(a), tube * std::sin(b), r * std::sin(a)});
        }
    }
    addGridQuads(layer, first, around, across, true, true, surface);
}

float terrainHeight(float x, float z, float height) {
    return height * (0.5f * std::sin(x * 0.35f) * std::cos(z * 0.3f) +
                     0.3f * std::sin(x * 0.11f + z * 0.17f + 1.0f) +
                     0.2f * std::cos(x * 0.7f - z * 0.5f));
}

void addTerrain(lwo::Layer& layer, float size, int cells, float height, int low, int middle,
                int high) {
    const uint32_t first = uint32_t(layer.points.size());
    for (int r = 0; r <= cells; ++r) {
        const float z = size * (float(r) / float(cells) - 0.5f);
        for (int c = 0; c <= cells; ++c) {
            const float x = size * (float(c) / float(cells) - 0.5f);
            layer.points.push_back({x, terrainHeight(x, z, height), z});
        }
    }
    const size_t firstPolygon = layer.polygons.size();
    addGridQuads(layer, first, cells, cells, false, false, low);
    for (size_t i = firstPolygon; i < layer.polygons.size(); ++i) {
        lwo::Polygon& p = layer.polygons[i];
        float y = 0;
        for (uint32_t point : p.points) y += layer.points[point].y;
        y /= float(p.points.size());
        p.surface = y < -0.1f * height ? low : y < 0.35f * height ? middle : high;
    }
}
