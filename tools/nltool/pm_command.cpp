// nltool pm: makes the progressive-mesh file of each polygon layer of an
// object, checks it through the player's own mesh building, and reports how
// far each level the player can pick strays from the whole mesh (as a
// fraction of the box diagonal). --max-error bounds the simplification
// (the smallest level) as a fraction of the box diagonal; --export writes
// each layer's geometry export instead.

#include "commands.h"
#include "records.h"

#include "base/message_box.h"
#include "files/archive_file.h"
#include "files/disk_file.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_layers.h"
#include "meshes/progressive_mesh.h"

#ifdef NL_HAVE_PM_GENERATOR
#include "tools/pmgen/progressive_generator.h"
#include "tools/pmgen/progressive_levels.h"
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

bool writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(file);
}

#ifdef NL_HAVE_PM_GENERATOR
// One layer's file: made, written, read back through the player's build,
// and measured level by level. False when the player's build objects.
bool makeLayerFile(LoadedLayer& layer, const std::filesystem::path& path, double maxError,
                   std::ostream& out, std::ostream& err) {
    ProgressiveFile file;
    ProgressiveStats stats;
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    if (!makeProgressiveFile(layer, file, error, &stats,
                             maxError > 0 ? maxError : PM_DEFAULT_MAX_ERROR)) {
        Record(out, "skipped")("layer", layer.number + 1)("reason", error);
        return true;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!writeBytes(path, writeProgressiveFile(file))) {
        err << "nltool: " << path.string() << ": cannot write\n";
        return false;
    }
    MessageRecorder messages;
    MeshArrays arrays;
    buildAsPlayer(layer, file, arrays);
    Record(out, "pm")("layer", layer.number + 1)("file", path.string())("points", stats.points)(
        "vertices", stats.weldedVertices)("triangles", stats.triangles)("collapses",
                                                                        stats.collapses)(
        "locked", stats.lockedPoints)("minRes", file.minRes)("maxRes", arrays.fit.maxRes)(
        "seconds", seconds);
    out.flush();
    for (const Message& m : messages.messages())
        Record(out, "message")("caption", m.caption)("text", m.text);
    if (messages.count()) return false;

    const TriangleMesh whole = levelMesh(arrays, arrays.fit.maxRes);
    const double diagonal = boxDiagonal(whole);
    int levels[5];
    levelResolutions(file.minRes, arrays.fit.maxRes, levels);
    for (int q = 0; q < 5; ++q) {
        const TriangleMesh level = levelMesh(arrays, levels[q]);
        const double distance = hausdorffDistance(whole, level);
        Record(out, "level")("layer", layer.number + 1)("size", 0.25 * q)("resolution", levels[q])(
            "triangles", double(level.indices.size() / 3))(
            "error", diagonal > 0 ? distance / diagonal : 0.0);
    }
    return true;
}
#endif

} // namespace

int pmCommand(const Args& args, std::ostream& out, std::ostream& err) {
    Args rest;
    bool exportOnly = false;
    double maxError = 0; // 0: the simplifier's default
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--export") {
            exportOnly = true;
        } else if (args[i] == "--max-error" && i + 1 < args.size()) {
            char* end = nullptr;
            maxError = std::strtod(args[++i].c_str(), &end);
            if (*end || !(maxError > 0)) {
                err << "nltool pm: --max-error takes a fraction of the box diagonal above 0\n";
                return 2;
            }
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.empty() || rest.size() > 2) {
        err << "usage: nltool pm [--export] [--max-error F] OBJECT.lwo [OUT-DIR]\n";
        return 2;
    }
#ifndef NL_HAVE_PM_GENERATOR
    if (!exportOnly) {
        err << "nltool pm: this build has no mesh simplifier; use the native nltool\n";
        return 1;
    }
#endif
    const std::filesystem::path object(rest[0]);
    const std::filesystem::path dir =
        rest.size() == 2 ? std::filesystem::path(rest[1]) : object.parent_path();
    std::error_code ec;
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);

    DiskFile disk;
    ArchiveFile archive(disk);
    MessageRecorder loading;
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.emplace_back(scene);
    MetaMesh* mesh = scene->loadObject(&archive, rest[0].c_str(), nullptr);
    for (const Message& m : loading.messages())
        Record(out, "message")("caption", m.caption)("text", m.text);
    if (!mesh) {
        err << "nltool: " << rest[0] << ": not an object the player loads\n";
        return 1;
    }
    meta.meshes.emplace_back(mesh);
    // The texture-coordinate sets the player assigns when it loads a
    // metascene decide which corners weld.
    for (LWSurface* s : mesh->srfs)
        if (s) assignTexcoords(*s);

    bool ok = true;
    int made = 0;
    for (LWObjectLayer* l : mesh->layer) {
        auto* layer = dynamic_cast<LoadedLayer*>(l);
        if (!layer || (layer->kind != LAYER_POLYGON_MESH && layer->kind != LAYER_PROGRESSIVE_MESH))
            continue;
        const std::string base =
            object.filename().string() + "." + std::to_string(layer->number + 1);
        if (exportOnly) {
            std::vector<uint8_t> bytes;
            if (!exportGeometry(*layer, bytes)) {
                Record(out, "skipped")("layer", layer->number + 1)("reason",
                                                                   "more than 65535 points or polygons");
                continue;
            }
            const std::filesystem::path path = dir / (base + ".geo");
            if (!writeBytes(path, bytes)) {
                err << "nltool: " << path.string() << ": cannot write\n";
                return 1;
            }
            Record(out, "geometry")("layer", layer->number + 1)("file", path.string())(
                "bytes", double(bytes.size()));
            ++made;
            continue;
        }
#ifdef NL_HAVE_PM_GENERATOR
        const std::filesystem::path path = dir / (base + ".pm");
        ok = makeLayerFile(*layer, path, maxError, out, err) && ok;
        ++made;
#endif
    }
    if (made == 0) {
        err << "nltool: " << rest[0] << ": no polygon layer\n";
        return 1;
    }
    return ok ? 0 : 1;
}
