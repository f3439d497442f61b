#include "mesh_error.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The closest point of triangle abc to p (Ericson's region tests).
Vec3 closestOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = dot(ab, ap), d2 = dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    const Vec3 bp = p - b;
    const float d3 = dot(ab, bp), d4 = dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + ab * (d1 / (d1 - d3));
    const Vec3 cp = p - c;
    const float d5 = dot(ab, cp), d6 = dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + ac * (d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float denom = va + vb + vc;
    if (!(std::fabs(denom) > 0)) return a; // no area: any corner is as near as the rest
    const float v = vb / denom, w = vc / denom;
    return a + ab * v + ac * w;
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
        const int cells = std::clamp(int(std::cbrt(double(triangles) / 2)), 1, 64);
        cell = extent / float(cells);
        for (int k = 0; k < 3; ++k)
            dims[k] = std::clamp(int(std::ceil(component(size, k) / cell)), 1, 128);
        bins.resize(size_t(dims[0]) * size_t(dims[1]) * size_t(dims[2]));
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
                    for (int x = from[0]; x <= to[0]; ++x) bins[index(x, y, z)].push_back(uint32_t(t));
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
                        for (uint32_t t : bins[index(x, y, z)]) {
                            if (seen[t] == stamp) continue;
                            seen[t] = stamp;
                            const Vec3 q = closestOnTriangle(p, corner(t, 0), corner(t, 1), corner(t, 2));
                            best = std::min(best, double(length(p - q)));
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
    std::vector<std::vector<uint32_t>> bins;
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
