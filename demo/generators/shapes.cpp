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

lwo::Vec3 sub(lwo::Vec3 a, lwo::Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
lwo::Vec3 scaled(lwo::Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float dot3(lwo::Vec3 a, lwo::Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
lwo::Vec3 unit(lwo::Vec3 a) {
    return scaled(a, 1.0f / std::sqrt(dot3(a, a)));
}
lwo::Vec3 crossed(lwo::Vec3 a, lwo::Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

} // namespace

void addTorus(lwo::Layer& layer, float ring, float tube, int around, int across, int surface,
              const char* uvMap) {
    const uint32_t first = uint32_t(layer.points.size());
    const size_t firstPolygon = layer.polygons.size();
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
    if (!uvMap) return;
    lwo::UVMap map;
    map.name = uvMap;
    for (int i = 0; i < around; ++i)
        for (int j = 0; j < across; ++j)
            map.entries.push_back({first + uint32_t(i * across + j), float(i) / float(around),
                                   float(j) / float(across)});
    // The quads that close the ring and the tube reach back to the first
    // row or column: there their corners take u or v = 1.
    for (int i = 0; i < around; ++i)
        for (int j = 0; j < across; ++j) {
            if (i + 1 < around && j + 1 < across) continue;
            const uint32_t polygon = uint32_t(firstPolygon) + uint32_t(i * across + j);
            const int corners[4][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}, {i, j + 1}};
            for (const auto& c : corners) {
                if (c[0] < around && c[1] < across) continue;
                const uint32_t point =
                    first + uint32_t((c[0] % around) * across + (c[1] % across));
                map.discontinuous.push_back(
                    {point, polygon, float(c[0]) / float(around), float(c[1]) / float(across)});
            }
        }
    layer.uvMaps.push_back(map);
}

void addBox(lwo::Layer& layer, lwo::Vec3 c, lwo::Vec3 size, int surface) {
    const uint32_t first = uint32_t(layer.points.size());
    for (int i = 0; i < 8; ++i)
        layer.points.push_back({c.x + ((i & 4) ? 0.5f : -0.5f) * size.x,
                                c.y + ((i & 2) ? 0.5f : -0.5f) * size.y,
                                c.z + ((i & 1) ? 0.5f : -0.5f) * size.z});
    // Corner k: bit 2 max x, bit 1 max y, bit 0 max z.
    const uint32_t faces[6][4] = {{0, 2, 6, 4}, {1, 5, 7, 3}, {0, 1, 3, 2},
                                  {4, 6, 7, 5}, {2, 3, 7, 6}, {0, 4, 5, 1}};
    for (const auto& f : faces)
        layer.polygons.push_back(
            {{first + f[0], first + f[1], first + f[2], first + f[3]}, surface});
}

void addSphere(lwo::Layer& layer, lwo::Vec3 centre, float radius, int stacks, int around,
               int surface) {
    const uint32_t first = uint32_t(layer.points.size());
    for (int i = 0; i <= stacks; ++i) {
        const float polar = PI * float(i) / float(stacks);
        for (int j = 0; j < around; ++j) {
            // Round against the angle's sense: the quads then face outwards.
            const float a = -2 * PI * float(j) / float(around);
            layer.points.push_back({centre.x + radius * std::sin(polar) * std::cos(a),
                                    centre.y + radius * std::cos(polar),
                                    centre.z + radius * std::sin(polar) * std::sin(a)});
        }
    }
    const size_t firstPolygon = layer.polygons.size();
    addGridQuads(layer, first, stacks, around, false, true, surface);
    // At the poles a quad's two corners are one place: keep it a triangle.
    for (size_t k = firstPolygon; k < layer.polygons.size(); ++k) {
        const size_t row = (k - firstPolygon) / size_t(around);
        std::vector<uint32_t>& p = layer.polygons[k].points;
        if (row == 0) p.erase(p.begin() + 3);                // the top pole's two corners
        else if (row + 1 == size_t(stacks)) p.erase(p.begin() + 1); // the bottom pole's
    }
}

void addPyramid(lwo::Layer& layer, lwo::Vec3 base, float width, float height, int surface,
                lwo::ColourMap& colours, const float foot[3], const float tip[3]) {
    const uint32_t first = uint32_t(layer.points.size());
    const float h = width / 2;
    // Base corners clockwise seen from above, then the tip.
    layer.points.push_back({base.x - h, base.y, base.z - h});
    layer.points.push_back({base.x - h, base.y, base.z + h});
    layer.points.push_back({base.x + h, base.y, base.z + h});
    layer.points.push_back({base.x + h, base.y, base.z - h});
    layer.points.push_back({base.x, base.y + height, base.z});
    for (uint32_t k = 0; k < 5; ++k) {
        const float* c = k == 4 ? tip : foot;
        colours.entries.push_back({first + k, {c[0], c[1], c[2], 1}});
    }
    // Sides wound clockwise seen from outside; the base faces down.
    for (uint32_t k = 0; k < 4; ++k)
        layer.polygons.push_back({{first + (k + 1) % 4, first + 4, first + k}, surface});
    layer.polygons.push_back({{first + 3, first + 2, first + 1, first}, surface});
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

void addTorusKnot(lwo::Layer& layer, int p, int q, float ring, float wind, float tube, int around,
                  int across, int surface) {
    auto centre = [&](float t) {
        const float r = ring + wind * std::cos(float(q) * t);
        return lwo::Vec3{r * std::cos(float(p) * t), wind * std::sin(float(q) * t),
                         r * std::sin(float(p) * t)};
    };
    const uint32_t first = uint32_t(layer.points.size());
    for (int i = 0; i < around; ++i) {
        const float t = 2 * PI * float(i) / float(around);
        const lwo::Vec3 c = centre(t);
        const lwo::Vec3 tangent = unit(sub(centre(t + 1e-3f), centre(t - 1e-3f)));
        // Away from the torus' core circle, square to the tangent; with the
        // tangent and their cross product the same frame as the torus' own.
        const lwo::Vec3 core{ring * std::cos(float(p) * t), 0, ring * std::sin(float(p) * t)};
        lwo::Vec3 out = sub(c, core);
        out = unit(sub(out, scaled(tangent, dot3(out, tangent))));
        const lwo::Vec3 up = crossed(tangent, out);
        for (int j = 0; j < across; ++j) {
            const float b = -2 * PI * float(j) / float(across);
            const float r = tube * (1 + 0.07f * std::sin(5 * b) * std::sin(float(3 * around / 40) * t));
            const lwo::Vec3 d = {out.x * std::cos(b) + up.x * std::sin(b),
                                 out.y * std::cos(b) + up.y * std::sin(b),
                                 out.z * std::cos(b) + up.z * std::sin(b)};
            layer.points.push_back({c.x + r * d.x, c.y + r * d.y, c.z + r * d.z});
        }
    }
    addGridQuads(layer, first, around, across, true, true, surface);
}
