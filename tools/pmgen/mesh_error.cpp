#include "mesh_error.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Double precision throughout: slivers cancel most of a float's digits.
struct D3 {
    double x, y, z;
};
D3 d3(const Vec3& v) { return {v.x, v.y, v.z}; }
D3 operator-(D3 a, D3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
D3 operator+(D3 a, D3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
D3 operator*(D3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(D3 a, D3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(D3 a) { return std::sqrt(dot(a, a)); }

D3 closestOnSegment(D3 p, D3 a, D3 b) {
    const D3 ab = b - a;
    const double len2 = dot(ab, ab);
    const double t = len2 > 0 ? std::clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
    return a + ab * t;
}

// The distance from p to triangle abc (Ericson's region tests).
double triangleDistance(const Vec3& point, const Vec3& ta, const Vec3& tb, const Vec3& tc) {
    const D3 p = d3(point), a = d3(ta), b = d3(tb), c = d3(tc);
    const D3 ab = b - a, ac = c - a, ap = p - a;
    const double d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return length(p - a);
    const D3 bp = p - b;
    const double d3v = dot(ab, bp), d4 = dot(ac, bp);
    if (d3v >= 0 && d4 <= d3v) return length(p - b);
    const double vc = d1 * d4 - d3v * d2;
    if (vc <= 0 && d1 >= 0 && d3v <= 0) return length(p - (a + ab * (d1 / (d1 - d3v))));
    const D3 cp = p - c;
    const double d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return length(p - c);
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return length(p - (a + ac * (d2 / (d2 - d6))));
    const double va = d3v * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3v) >= 0 && (d5 - d6) >= 0)
        return length(p - (b + (c - b) * ((d4 - d3v) / ((d4 - d3v) + (d5 - d6)))));
    const double denom = va + vb + vc;
    if (!(denom > 1e-24 * dot(ab, ab) * dot(ac, ac))) {
        // No area to speak of: the nearest of its three sides.
        double best = length(p - closestOnSegment(p, a, b));
        best = std::min(best, length(p - closestOnSegment(p, b, c)));
        return std::min(best, length(p - closestOnSegment(p, c, a)));
    }
    return length(p - (a + ab * (vb / denom) + ac * (vc / denom)));
}

// Triangles binned in a uniform grid over their box, searched shell by shell
// outwards from a query point until no nearer triangle can remain.
class TriangleGrid {
public:
    explicit TriangleGrid(const TriangleMesh& mesh) : mesh(mesh) {
        const size_t triangles = mesh.indices.size() / 3;
        lo = hi = mesh.positions.empty() ? Vec3{0, 0, 0} : mesh.positions[0];
        for (const Vec3& p : mesh.positions) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        const Vec3 size = hi - lo;
        const float extent = std::max({size.x, size.y, size.z, 1e-6f});
        // Cells about twice a typical triangle's size, so a flat or thin
        // mesh is cut as finely as a round one.
        double area = 0;
        for (size_t t = 0; t < triangles; ++t)
            area += 0.5 * length(cross(corner(t, 1) - corner(t, 0), corner(t, 2) - corner(t, 0)));
        const float typical = triangles ? float(std::sqrt(area / double(triangles))) : extent;
        cell = std::max({2 * typical, extent / float(MAX_CELLS), 1e-6f});
        for (int k = 0; k < 3; ++k)
            dims[k] = std::clamp(int(std::ceil(component(size, k) / cell)), 1, MAX_CELLS);
        // Compressed bins: each cell's triangles in one array.
        const size_t cells = size_t(dims[0]) * size_t(dims[1]) * size_t(dims[2]);
        start.assign(cells + 1, 0);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<uint32_t> fill;
            if (pass == 1) {
                for (size_t c = 0; c < cells; ++c) start[c + 1] += start[c];
                binned.resize(start[cells]);
                fill.assign(start.begin(), start.end() - 1);
            }
            for (size_t t = 0; t < triangles; ++t) {
                int from[3], to[3];
                for (int k = 0; k < 3; ++k) {
                    float mn = std::numeric_limits<float>::max(), mx = -mn;
                    for (int c = 0; c < 3; ++c) {
                        const float v = component(corner(t, c), k);
                        mn = std::min(mn, v);
                        mx = std::max(mx, v);
                    }
                    from[k] = cellOf(mn, k);
                    to[k] = cellOf(mx, k);
                }
                for (int z = from[2]; z <= to[2]; ++z)
                    for (int y = from[1]; y <= to[1]; ++y)
                        for (int x = from[0]; x <= to[0]; ++x) {
                            const size_t i = index(x, y, z);
                            if (pass == 0)
                                ++start[i + 1];
                            else
                                binned[fill[i]++] = uint32_t(t);
                        }
            }
        }
        seen.assign(triangles, 0);
    }

    double distance(const Vec3& p) {
        ++stamp;
        int c[3];
        for (int k = 0; k < 3; ++k) c[k] = cellOf(component(p, k), k);
        double best = std::numeric_limits<double>::max();
        const int maxShell = std::max({dims[0], dims[1], dims[2]});
        for (int shell = 0; shell <= maxShell; ++shell) {
            for (int z = c[2] - shell; z <= c[2] + shell; ++z)
                for (int y = c[1] - shell; y <= c[1] + shell; ++y)
                    for (int x = c[0] - shell; x <= c[0] + shell; ++x) {
                        const bool onShell = std::abs(x - c[0]) == shell ||
                                             std::abs(y - c[1]) == shell ||
                                             std::abs(z - c[2]) == shell;
                        if (!onShell || x < 0 || y < 0 || z < 0 || x >= dims[0] || y >= dims[1] ||
                            z >= dims[2])
                            continue;
                        const size_t i = index(x, y, z);
                        for (uint32_t k = start[i]; k < start[i + 1]; ++k) {
                            const uint32_t t = binned[k];
                            if (seen[t] == stamp) continue;
                            seen[t] = stamp;
                            best = std::min(best, triangleDistance(p, corner(t, 0), corner(t, 1),
                                                                   corner(t, 2)));
                        }
                    }
            // Everything nearer than the shell's inner boundary has been seen
            // (a point outside the grid is clamped to it, hence the offset).
            const double reach = shell * double(cell) - outside(p);
            if (best <= reach) break;
        }
        return best;
    }

private:
    static float component(const Vec3& v, int k) { return k == 0 ? v.x : k == 1 ? v.y : v.z; }
    const Vec3& corner(size_t t, int c) const { return mesh.positions[mesh.indices[t * 3 + size_t(c)]]; }
    int cellOf(float v, int k) const {
        return std::clamp(int((v - component(lo, k)) / cell), 0, dims[k] - 1);
    }
    size_t index(int x, int y, int z) const {
        return (size_t(z) * size_t(dims[1]) + size_t(y)) * size_t(dims[0]) + size_t(x);
    }
    double outside(const Vec3& p) const {
        double d = 0;
        for (int k = 0; k < 3; ++k) {
            const float v = component(p, k);
            const float h = component(lo, k) + cell * float(dims[k]);
            d = std::max({d, double(component(lo, k) - v), double(v - h)});
        }
        return d;
    }

    const TriangleMesh& mesh;
    Vec3 lo{}, hi{};
    float cell = 1;
    int dims[3] = {1, 1, 1};
    static constexpr int MAX_CELLS = 96;
    std::vector<uint32_t> start, binned;
    std::vector<uint32_t> seen;
    uint32_t stamp = 0;
};

double oneSided(const TriangleMesh& from, const TriangleMesh& to) {
    TriangleGrid grid(to);
    double worst = 0;
    for (size_t t = 0; t + 2 < from.indices.size(); t += 3) {
        const Vec3& a = from.positions[from.indices[t]];
        const Vec3& b = from.positions[from.indices[t + 1]];
        const Vec3& c = from.positions[from.indices[t + 2]];
        const Vec3 samples[] = {a, b, c, (a + b) * 0.5f, (b + c) * 0.5f, (c + a) * 0.5f,
                                (a + b + c) * (1.0f / 3)};
        for (const Vec3& s : samples) worst = std::max(worst, grid.distance(s));
    }
    return worst;
}

} // namespace

double boxDiagonal(const TriangleMesh& mesh) {
    if (mesh.positions.empty()) return 0;
    Vec3 lo = mesh.positions[0], hi = lo;
    for (const Vec3& p : mesh.positions) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
    }
    return length(hi - lo);
}

double hausdorffDistance(const TriangleMesh& a, const TriangleMesh& b) {
    if (a.indices.size() < 3 || b.indices.size() < 3) return boxDiagonal(a);
    return std::max(oneSided(a, b), oneSided(b, a));
}
