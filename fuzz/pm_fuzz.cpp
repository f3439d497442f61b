// The ".pm" reader on untrusted bytes, then what building and drawing do
// with what it read: the reordering of a fixed two-surface mesh (one surface
// cut at a primitive limit) by the file's priorities and collapse map, every
// level's collapse chains, and the level choice. No file may make them read
// outside their arrays or follow a chain for ever.

#include "base/message_box.h"
#include "meshes/progressive_mesh.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// A 6 x 6 grid of points: surface 0 has rows 0-3, surface 1 rows 3-5, whose
// first row lies on surface 0's last (the same points, other vertices).
struct FixedMesh {
    MeshBufferSet set{0, 12, limits()};
    std::vector<int> representatives;

    static MeshDeviceLimits limits() {
        MeshDeviceLimits l;
        l.maxPrimitiveCount = 10;
        return l;
    }
    FixedMesh() {
        for (int v = 0; v < 24; ++v) representatives.push_back(v);
        for (int v = 24; v < 42; ++v) representatives.push_back(v < 30 ? v - 6 : v);
        addRows(0, 4, 0);
        addRows(24, 3, 1);
    }
    void addRows(uint32_t first, uint32_t rows, int surface) {
        std::vector<uint32_t> triangles;
        for (uint32_t r = 0; r + 1 < rows; ++r)
            for (uint32_t c = 0; c < 5; ++c) {
                const uint32_t a = first + r * 6 + c, b = a + 6;
                triangles.insert(triangles.end(), {a, b, b + 1, a, b + 1, a + 1});
            }
        set.addSurface(triangles.data(), int(triangles.size()), surface, int(first),
                       int(rows * 6));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const FixedMesh mesh;
    MessageRecorder quiet;
    ProgressiveFile file;
    if (!readProgressiveFile(data, size, file)) return 0;
    ProgressiveSet levels;
    const ProgressiveFit fit = reorderByPriority(mesh.set, mesh.representatives, file, levels);
    for (int r = -1; r <= fit.maxRes + 1; ++r) setResolution(levels, r);
    for (int q = 0; q <= 5; ++q) chooseResolution(file.minRes, fit.maxRes, 0.25f * float(q));
    return 0;
}
