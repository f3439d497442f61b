// The progressive-mesh generator beside meshoptimizer's simplifier on the
// same welded meshes: the geometric error (symmetric Hausdorff distance as a
// fraction of the box diagonal) at 10 %, 25 % and 50 % of the triangles, and
// the time per object. Ours makes every level in one run (with its default
// bound, the smallest level may stay above a target: "-" then); it is also
// run without a bound, as meshoptimizer is.
//
//   pm_bench [TESTDATA_DIR]

#include "base/message_box.h"
#include "demo/generators/shapes.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_layers.h"
#include "meshes/mesh_builder.h"
#include "tests/support/memory_file.h"
#include "tools/pmgen/mesh_error.h"
#include "tools/pmgen/progressive_generator.h"
#include "tools/pmgen/progressive_levels.h"

#include <meshoptimizer.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

const double TARGETS[] = {0.10, 0.25, 0.50};

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The level of `arrays` closest to `fraction` of its triangles.
TriangleMesh levelNear(MeshArrays& arrays, int minRes, double fraction, size_t full) {
    int lo = minRes, hi = arrays.fit.maxRes;
    const size_t want = size_t(fraction * double(full));
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (levelMesh(arrays, mid).indices.size() / 3 < want)
            lo = mid + 1;
        else
            hi = mid;
    }
    return levelMesh(arrays, lo);
}

void row(const char* who, const std::vector<double>& errors, const std::vector<double>& shares,
         double seconds) {
    std::printf("    %-22s", who);
    for (size_t k = 0; k < errors.size(); ++k) {
        if (errors[k] < 0)
            std::printf("   %7s (%4s)", "-", "");
        else
            std::printf("   %7.4f%% (%3.0f%%)", 100 * errors[k], 100 * shares[k]);
    }
    std::printf("   %8.3f s\n", seconds);
}

void compare(const std::string& name, const LoadedLayer& layer) {
    MeshCorners corners;
    buildCorners(layer, corners);
    const WeldedMesh welded =
        weldCorners(corners, layer.metamesh ? int(layer.metamesh->srfs.size()) : 0);
    const size_t triangles = welded.indices.size() / 3;
    if (triangles < 500) return;
    TriangleMesh whole;
    for (const GenericVertex& v : welded.vertices)
        whole.positions.push_back({v.position[0], v.position[1], v.position[2]});
    whole.indices = welded.indices;
    const double diagonal = boxDiagonal(whole);
    std::printf("%s: %zu triangles, %zu vertices\n", name.c_str(), triangles, welded.vertices.size());

    for (double bound : {PM_DEFAULT_MAX_ERROR, 1e6}) {
        ProgressiveFile file;
        std::string error;
        const auto start = Clock::now();
        if (!makeProgressiveFile(layer, file, error, nullptr, bound)) {
            std::printf("    ours: %s\n", error.c_str());
            return;
        }
        const double seconds = since(start);
        MeshArrays arrays;
        buildAsPlayer(layer, file, arrays);
        std::vector<double> errors, shares;
        const size_t smallest = levelMesh(arrays, file.minRes).indices.size() / 3;
        for (double target : TARGETS) {
            if (double(smallest) > 1.05 * target * double(triangles)) {
                errors.push_back(-1);
                shares.push_back(0);
                continue;
            }
            const TriangleMesh level = levelNear(arrays, file.minRes, target, triangles);
            errors.push_back(hausdorffDistance(whole, level) / diagonal);
            shares.push_back(double(level.indices.size() / 3) / double(triangles));
        }
        row(bound < 1 ? "ours (bound 2 %)" : "ours (no bound)", errors, shares, seconds);
        if (bound < 1 && !arrays.progressive.empty()) {
            // What a level change costs the player: the collapse chains of
            // one buffer set followed for every index.
            int levels[5];
            levelResolutions(file.minRes, arrays.fit.maxRes, levels);
            std::printf("    %-22s", "level change (ms)");
            for (int r : levels) {
                const auto start = Clock::now();
                setResolution(arrays.progressive[0], r);
                std::printf("  %d: %.2f", r, 1000 * since(start));
            }
            std::printf("\n");
        }
    }

    std::vector<double> errors, shares;
    double seconds = 0;
    for (double target : TARGETS) {
        std::vector<unsigned int> out(welded.indices.size());
        const auto start = Clock::now();
        const size_t n = meshopt_simplify(out.data(), welded.indices.data(), welded.indices.size(),
                                          &whole.positions[0].x, whole.positions.size(),
                                          sizeof(Vec3), size_t(target * double(triangles)) * 3,
                                          1e6f, 0, nullptr);
        seconds += since(start);
        TriangleMesh level{whole.positions, std::vector<uint32_t>(out.begin(), out.begin() + long(n))};
        errors.push_back(hausdorffDistance(whole, level) / diagonal);
        shares.push_back(double(n / 3) / double(triangles));
    }
    row("meshoptimizer", errors, shares, seconds);
}

void compareFile(VirtualFile& files, const std::string& name) {
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.emplace_back(scene);
    MetaMesh* mesh = scene->loadObject(&files, name.c_str());
    if (!mesh) return;
    meta.meshes.emplace_back(mesh);
    for (LWSurface* s : mesh->srfs)
        if (s) assignTexcoords(*s);
    for (LWObjectLayer* l : mesh->layer)
        if (auto* layer = dynamic_cast<LoadedLayer*>(l))
            if (layer->kind == LAYER_POLYGON_MESH || layer->kind == LAYER_PROGRESSIVE_MESH)
                compare(layer->name, *layer);
}

std::vector<uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv) {
    const std::string root = argc > 1 ? argv[1] : NL_TESTDATA_DIR;
    MessageRecorder quiet;
    std::printf("progressive meshes: error at 10 %%, 25 %% and 50 %% of the triangles "
                "(share reached), time per object\n");
    auto files = std::make_shared<MemoryFile::Files>();
    MemoryFile memory(files);
    for (const char* name : {"lwo2/ngon2.lwo", "lwo2/UglyVertexColors.lwo", "lwo2/box3-uv-layers.lwo",
                             "lwo2/earth_uv_cylindrical_y.lwo", "lwo2/transparency.lwo"}) {
        (*files)[name] = readAll(root + "/" + name);
        compareFile(memory, name);
    }
    lwo::Object knot;
    knot.surfaces.push_back({});
    knot.surfaces[0].name = "Bronze";
    knot.surfaces[0].smoothingAngle = 70;
    knot.layers.emplace_back();
    addTorusKnot(knot.layers[0], 2, 3, 1.6f, 0.7f, 0.34f, 480, 40, 0);
    (*files)["relic.lwo"] = lwo::write(knot);
    compareFile(memory, "relic.lwo");
    return 0;
}
