// The LWO2 object loader on untrusted bytes, then what activation does with
// the result: texture-coordinate sets chosen, coordinates generated for
// every polygon and set, and every texture built.

#include "base/message_box.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_layers.h"
#include "tests/support/memory_file.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["fuzz.lwo"] = std::vector<uint8_t>(data, data + size);
    MemoryFile memory(files);
    MessageRecorder quiet;
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.push_back(scene);
    MetaMesh* mesh = scene->loadObject(&memory, "fuzz.lwo");
    if (!mesh) return 0;
    meta.meshes.push_back(mesh);
    for (LWSurface* s : meta.surfaces) assignTexcoords(*s);
    std::vector<TexcoordCorner> corners;
    for (LWObjectLayer* l : mesh->layer) {
        auto* layer = dynamic_cast<LoadedLayer*>(l);
        if (!layer) continue;
        for (size_t p = 0; p < layer->polygons.size(); ++p) {
            const LWPolygon& poly = layer->polygons[p];
            const int tag = poly.srfId;
            if (tag < 0 || tag >= mesh->numTags || !mesh->srfs[size_t(tag)]) continue;
            corners.resize(size_t(poly.numVertices));
            for (int set = 0; set < 2; ++set)
                generateTexcoords(*mesh->srfs[size_t(tag)], layer->number, poly, int(p),
                                  layer->positions.data(), layer->numPositions, set, true,
                                  corners.data());
        }
    }
    meta.textures.buildAll(nullptr, nullptr);
    return 0;
}
