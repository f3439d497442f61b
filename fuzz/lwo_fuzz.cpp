// The LWO2 object loader on untrusted bytes, then what activation does with
// the result: texture-coordinate sets chosen, coordinates generated for
// every polygon and set, and every texture built.
//
// Two things made some inputs cost a thousand times more than others, for no
// more coverage. A procedural texture's picture depends on nothing but its
// procedure's name, and "Turbulence" computes 256 x 256 texels of noise: each
// procedure is built on its first appearance in the process only. An image
// sequence makes a texture per frame of the range it declares (up to 65 536),
// and a tags chunk of empty names makes up to 2048 surfaces, each looked up
// among the ones before: inputs declaring more than MAX_FUZZ_SEQUENCE_FRAMES
// frames or MAX_FUZZ_TAGS tags are skipped.

#include "fuzz_filter.h"

#include "base/byte_reader.h"
#include "base/message_box.h"
#include "images/procedural_texture.h"
#include "images/texture_list.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "lightwave/texcoords.h"
#include "meshes/mesh_layers.h"
#include "tests/support/memory_file.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int MAX_FUZZ_SEQUENCE_FRAMES = 16;
// Each tag becomes a surface looked up by name among those before it.
constexpr size_t MAX_FUZZ_TAGS = 64;

NL_FUZZ_FILTER bool idAt(const uint8_t* p, const char* id) {
    return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3];
}

// Every "ISEQ" in the input is taken for a sequence sub-chunk (u2 length,
// then digits, flags, offset, reserved, first and last frame) and every
// "TAGS" for the tags chunk (u4 length, then names of whole byte pairs, each
// ended by a pair whose second byte is zero).
NL_FUZZ_FILTER bool tooCostly(const uint8_t* data, size_t size) {
    for (size_t p = 0; p + 4 <= size; ++p) {
        if (data[p] != 'I' && data[p] != 'T') continue;
        if (idAt(data + p, "ISEQ")) {
            ByteReader chunk(data + p + 4, size - p - 4);
            const size_t length = chunk.u16be();
            ByteReader sub(data + p + 4 + chunk.position(),
                           length < chunk.remaining() ? length : chunk.remaining());
            sub.skip(6);
            const int first = sub.u16be(), last = sub.u16be();
            if (last - first + 1 > MAX_FUZZ_SEQUENCE_FRAMES) return true;
        } else if (idAt(data + p, "TAGS")) {
            ByteReader chunk(data + p + 4, size - p - 4);
            const size_t length = chunk.u32be();
            const size_t start = p + 4 + chunk.position();
            const size_t end = start + (length < chunk.remaining() ? length : chunk.remaining());
            size_t tags = 0;
            for (size_t q = start; q < end; q += 2)
                if (q + 1 >= end || data[q + 1] == 0) ++tags;
            if (tags > MAX_FUZZ_TAGS) return true;
        }
    }
    return false;
}

// What TextureList::buildAll does, except that a procedure whose picture
// was computed before in this process is not computed again.
void buildTextures(TextureList& textures) {
    static std::set<std::string> computed; // at most one name per procedure the player knows
    auto repeated = [](Texture* t) {
        auto* procedural = dynamic_cast<ProceduralTexture*>(t);
        return procedural && computed.count(procedural->procName) != 0;
    };
    const std::vector<Texture*>& all = textures.all();
    if (std::none_of(all.begin(), all.end(), repeated)) {
        textures.buildAll(nullptr, nullptr);
    } else {
        for (Texture* t : all)
            if (!repeated(t)) t->build();
    }
    // An unknown procedure makes no texture, and leaves the size 0.
    for (Texture* t : all)
        if (auto* procedural = dynamic_cast<ProceduralTexture*>(t))
            if (procedural->width > 0) computed.insert(procedural->procName);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (tooCostly(data, size)) return 0;
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["fuzz.lwo"] = std::vector<uint8_t>(data, data + size);
    MemoryFile memory(files);
    MessageRecorder quiet;
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.emplace_back(scene);
    MetaMesh* mesh = scene->loadObject(&memory, "fuzz.lwo");
    if (!mesh) return 0;
    meta.meshes.emplace_back(mesh);
    for (auto& s : meta.surfaces) assignTexcoords(*s);
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
    buildTextures(meta.textures);
    return 0;
}
