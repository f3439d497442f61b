// The LWO2 object loader: the chunk loop over the whole file, each chunk read
// through a reader bounded by its length, geometry collected per LAYR, and
// at the end one layer object per layer (polygon mesh, progressive mesh,
// point cloud or single particle). Surfaces, clips and envelopes go to the
// metascene's shared lists.

#include "lwo_loader.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "clip_textures.h"
#include "files/virtual_file.h"
#include "images/texture.h"
#include "meshes/mesh_layers.h"
#include "meta_scene.h"
#include "scene.h"
#include "surface.h"

#include <cstdio>
#include <cstring>

LwoLoader::LwoLoader(LW6Scene& scene, VirtualFile* archive, std::string fileName)
    : scene(scene), archive(archive), fileName(std::move(fileName)), envelopes(MAXENVS, nullptr),
      clips(LW6Scene::MAXTEXS, nullptr) {}

LwoLoader::~LwoLoader() {
    for (LWEnvelope* e : envelopes) delete e;
}

LWEnvelope* LwoLoader::envelope(uint32_t index) const {
    return index > 0 && index < envelopes.size() ? envelopes[index] : nullptr;
}

Texture* LwoLoader::clip(uint32_t index) const {
    return index > 0 && index < clips.size() ? clips[index] : nullptr;
}

void LwoLoader::takeEnvelope(LWAnimValue& value, uint32_t index) {
    // Each user gets its own copy: one envelope may serve several channels.
    if (LWEnvelope* e = envelope(index)) value.setEnvelope(new LWEnvelope(*e));
}

LWLayerData* LwoLoader::currentLayer() {
    if (layers.empty()) {
        if (!isPrevBuild()) reportAssertion("0 && \"loadLWO2: missing LAYR chunk!\"");
        return nullptr;
    }
    return layers.back().get();
}

void LwoLoader::readLayer(LwoReader& r) {
    auto layer = std::make_unique<LWLayerData>();
    layer->number = r.u2();
    if (layer->number > highestLayer) highestLayer = layer->number;
    r.u2();
    r.f4(), r.f4(), r.f4();
    layers.push_back(std::move(layer));
}

void LwoLoader::readPoints(LwoReader& r) {
    LWLayerData* layer = currentLayer();
    if (!layer) return;
    layer->numPositions = int(r.length() / 12);
    layer->positions.resize(size_t(layer->numPositions) * 3);
    for (float& v : layer->positions) v = r.f4();
}

void LwoLoader::readPolygons(LwoReader& r) {
    LWLayerData* layer = currentLayer();
    if (!layer) return;
    const uint32_t type = r.id4();
    const size_t start = r.position();
    // First pass: count, so the array is allocated once.
    size_t count = 0;
    while (!r.atEnd() && !r.failed()) {
        const uint16_t n = r.u2();
        for (uint16_t i = 0; i < n && !r.failed(); ++i) r.vx();
        if (!r.failed()) ++count;
    }
    r.seek(start);
    layer->polygons.clear();
    layer->polygons.reserve(count);
    int faces = 0, lines = 0, points = 0, patches = 0, balls = 0, particles = 0;
    bool ballReported = false;
    for (size_t p = 0; p < count; ++p) {
        LWPolygon poly;
        poly.numVertices = r.u2();
        poly.vertices.resize(size_t(poly.numVertices));
        for (uint32_t& v : poly.vertices) v = r.vx();
        if (type == lwoId("FACE")) {
            if (poly.numVertices >= 3)
                ++faces;
            else if (poly.numVertices == 2)
                ++lines;
            else if (poly.numVertices == 1)
                ++points;
        } else if (type == lwoId("PTCH")) {
            ++patches;
        } else if (type == lwoId("MBAL")) {
            ++balls;
            if (poly.numVertices != 1 && !ballReported) {
                reportAssertion("tr == 1");
                ballReported = true;
            }
        } else if (type == lwoId("PTCL")) {
            ++particles;
        }
        layer->polygons.push_back(std::move(poly));
    }
    // A second POLS chunk in the layer replaces the first.
    layer->numFaces = faces;
    layer->numLines = lines;
    layer->numPoints = points;
    layer->numPatches = patches;
    layer->numMBalls = balls;
    layer->numParticles = particles;
}

void LwoLoader::readPolygonTags(LwoReader& r) {
    LWLayerData* layer = currentLayer();
    if (!layer || r.id4() != lwoId("SURF")) return;
    while (!r.atEnd()) {
        const uint32_t polygon = r.vx();
        const uint16_t tag = r.u2();
        if (r.failed()) break;
        if (polygon < layer->polygons.size()) layer->polygons[polygon].srfId = tag;
    }
}

void LwoLoader::readTags(LwoReader& r) {
    while (!r.atEnd()) {
        const std::string tag = r.s0();
        if (tags.size() >= size_t(MAXTAGS)) continue;
        const std::string key = fileName + "@" + tag;
        LWSurface* surface = scene.metaScene ? scene.metaScene->findSurface(key.c_str()) : nullptr;
        if (!surface && scene.metaScene) {
            surface = new LWSurface;
            surface->name = key;
            scene.metaScene->surfaces.emplace_back(surface);
        }
        tags.push_back(surface);
    }
}

void LwoLoader::readVertexMap(LwoReader& r) {
    LWLayerData* layer = currentLayer();
    if (!layer) return;
    const uint32_t type = r.id4();
    r.u2(); // dimension
    const std::string name = r.s0();
    const size_t n = size_t(layer->numPositions);
    const char* prefix = isPrevBuild() ? "" : "layr->";
    char text[128];
    int entries = 0;
    struct Reported {
        LwoReport* report;
        int layer;
        uint32_t type;
        const std::string& name;
        int& entries;
        bool read = false;
        ~Reported() {
            if (!report || !read) return;
            const char t[5] = {char(type >> 24), char(type >> 16), char(type >> 8), char(type), 0};
            report->vertexMaps.push_back({layer, t, name, entries});
        }
    } record{report, layer->number, type, name, entries};
    if (type == lwoId("TXUV")) {
        if (layer->uvMaps.size() >= size_t(MAXMAPS)) {
            std::snprintf(text, sizeof text,
                          "%suv < LWObjectLayer::MAXMAPS && \"maximum number of TXUVs exceeded!\"",
                          prefix);
            reportAssertion(text);
            return;
        }
        auto* map = new LWUVMap(name);
        map->u.assign(n, 0.0f);
        map->v.assign(n, 0.0f);
        while (!r.atEnd()) {
            const uint32_t point = r.vx();
            const float u = r.f4(), v = r.f4();
            if (r.failed()) break;
            ++entries;
            if (point < n) {
                map->u[point] = u;
                map->v[point] = v;
            }
        }
        layer->uvMaps.push_back(map);
        record.read = true;
    } else if (isPrevBuild()) {
        return; // the earlier loader reads UV maps only
    } else if (type == lwoId("RGB ") || type == lwoId("RGBA")) {
        if (layer->colorMaps.size() >= size_t(MAXMAPS)) {
            reportAssertion(
                "layr->cr < LWObjectLayer::MAXMAPS && \"maximum number of RGBAs exceeded!\"");
            return;
        }
        const bool alpha = type == lwoId("RGBA");
        auto* map = new LWColorMap(name);
        map->rgba.assign(n * 4, 0.0f);
        while (!r.atEnd()) {
            const uint32_t point = r.vx();
            float c[4] = {r.f4(), r.f4(), r.f4(), 1.0f};
            if (alpha) c[3] = r.f4();
            if (r.failed()) break;
            ++entries;
            if (point < n)
                for (int k = 0; k < 4; ++k) map->rgba[point * 4 + size_t(k)] = c[k];
        }
        layer->colorMaps.push_back(map);
        record.read = true;
    } else if (type == lwoId("MORF")) {
        if (layer->morphMaps.size() >= size_t(MAXMAPS)) {
            reportAssertion(
                "layr->mf < LWObjectLayer::MAXMAPS && \"maximum number of MORFs exceeded!\"");
            return;
        }
        auto* map = new LWMorphMap(name);
        map->offsets.assign(n * 3, 0.0f);
        bool reported = false;
        while (!r.atEnd()) {
            const uint32_t point = r.vx();
            const float d[3] = {r.f4(), r.f4(), r.f4()};
            if (r.failed()) break;
            ++entries;
            if (point > n && !reported) {
                reportAssertion("v <= layr->numPositions");
                reported = true;
            }
            // Index n itself passes the check but lies past the table: ignored too.
            if (point < n)
                for (int k = 0; k < 3; ++k) map->offsets[point * 3 + size_t(k)] = d[k];
        }
        map->filled = 1;
        layer->morphMaps.push_back(map);
        record.read = true;
    }
}

void LwoLoader::readDiscontinuousMap(LwoReader& r) {
    LWLayerData* layer = currentLayer();
    if (!layer || r.id4() != lwoId("TXUV")) return;
    r.u2();
    const std::string name = r.s0();
    LWUVMap* map = nullptr;
    for (LWUVMap* m : layer->uvMaps)
        if (m->name == name) map = m;
    if (!map) return;
    while (!r.atEnd()) {
        const uint32_t point = r.vx(), polygon = r.vx();
        const float u = r.f4(), v = r.f4();
        if (r.failed()) break;
        map->vmadPoint.push_back(int(point));
        map->vmadPolygon.push_back(int(polygon));
        map->vmadU.push_back(u);
        map->vmadV.push_back(v);
    }
}

void LwoLoader::readEnvelope(LwoReader& r) {
    const uint32_t index = r.vx();
    if (index >= uint32_t(MAXENVS)) {
        reportAssertion("envnum < MAXENVS && \"more envelopes than defined in MAXENVS. specify "
                        "higher number!\"");
        return;
    }
    const size_t start = r.position();
    int keys = 0;
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        r.sub(r.u2());
        if (id == lwoId("KEY ")) ++keys;
    }
    r.seek(start);
    auto* e = new LWEnvelope(keys);
    int pre = BEHAVIOR_CONSTANT, post = BEHAVIOR_CONSTANT, filled = 0;
    float keyTime = 0, keyValue = 0;
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        LwoReader sub = r.sub(r.u2());
        if (id == lwoId("PRE ")) {
            pre = sub.u2();
        } else if (id == lwoId("POST")) {
            post = sub.u2();
        } else if (id == lwoId("KEY ")) {
            keyTime = sub.f4();
            keyValue = sub.f4();
        } else if (id == lwoId("NAME")) {
            e->name = sub.s0();
        } else if (id == lwoId("TYPE")) {
            e->type = sub.u2();
        } else if (id == lwoId("SPAN")) {
            const uint32_t shape = sub.id4();
            if (shape == lwoId("TCB ")) {
                previousSpanShape = SHAPE_TCB;
                for (float& p : previousSpan) p = sub.f4();
            } else if (shape == lwoId("LINE")) {
                previousSpanShape = SHAPE_LINEAR;
            } else if (shape == lwoId("STEP")) {
                previousSpanShape = SHAPE_STEPPED;
            }
            // Other shapes (Hermite, Bezier) keep the previous span's.
            e->setKey(filled++, keyValue, keyTime, previousSpanShape, previousSpan[0],
                      previousSpan[1], previousSpan[2]);
        }
    }
    e->finish(pre, post);
    delete envelopes[index];
    envelopes[index] = e;
    if (report) report->envelopes.push_back({int(index), keys, e->name});
}

void LwoLoader::readClip(LwoReader& r) {
    const uint32_t index = r.u4();
    if (index >= uint32_t(LW6Scene::MAXTEXS)) {
        reportAssertion(
            "texn < MAXTEXS && \"ERROR: more textures than defined in LW6Scene::MAXTEXS!\"");
        return;
    }
    MetaScene* meta = scene.metaScene;
    Texture* current = nullptr;
    while (r.remaining() >= 6) {
        const uint32_t id = r.id4();
        LwoReader sub = r.sub(r.u2());
        if (id == lwoId("STIL")) {
            current = stillTexture(scene, archive, sub.s0().c_str());
            clips[index] = current;
        } else if (id == lwoId("ISEQ") && meta) {
            const int digits = sub.u1();
            sub.u1();
            const int offset = sub.u2();
            sub.u2();
            const int first = sub.u2(), last = sub.u2();
            const std::string prefix = sub.s0(), suffix = sub.s0();
            char format[16];
            std::snprintf(format, sizeof format, "%%0%dd", digits > 9 ? 9 : digits);
            Texture* found = meta->findTexture(prefix.c_str(), TEXTURE_COMPRESS | TEXTURE_MIPMAPS);
            if (!found) {
                auto* sequence = new SequenceTexture(scene.context);
                sequence->name = prefix;
                sequence->flags = TEXTURE_COMPRESS | TEXTURE_MIPMAPS;
                sequence->firstFrame = first;
                sequence->lastFrame = last;
                sequence->frameOffset = offset;
                meta->textures.addTexture(sequence);
                for (int f = first; f <= last; ++f) {
                    char number[16];
                    std::snprintf(number, sizeof number, format, f);
                    const std::string frameName = fixDriveName((prefix + number + suffix).c_str());
                    auto* frame = new ImageTexture(scene.context);
                    frame->load(archive, frameName.c_str(), 1);
                    frame->flags = TEXTURE_COMPRESS;
                    sequence->frames.push_back(frame);
                }
                found = sequence;
            }
            scene.framesPerSecond = 30.0;
            current = found;
            clips[index] = found;
        } else if (id == lwoId("XREF")) {
            const uint32_t other = sub.u4();
            const std::string name = sub.s0();
            Texture* source = other < clips.size() ? clips[other] : nullptr;
            Texture* reference = nullptr;
            if (source && meta) {
                reference = source->createReference(name.c_str());
                meta->textures.addTexture(reference);
            }
            clips[index] = reference;
        } else if (id == lwoId("AMOD")) {
            const int mode = sub.u2();
            if (current) current->alphaMode = mode;
        } else if (id == lwoId("TIME")) {
            sub.u4();
            sub.u4();
            // The third value holds the frame rate as float bits.
            const float rate = sub.f4();
            sub.u4();
            sub.u4();
            if (current) current->frameRate = rate;
        }
    }
}

void LwoLoader::reportClips() {
    if (!report) return;
    for (size_t i = 1; i < clips.size(); ++i)
        if (clips[i]) report->clips.push_back({int(i), clips[i]->name, clips[i]->flags});
}

bool LwoLoader::readSurfaceChunk(LwoReader& r) {
    const std::string name = r.s0();
    r.s0(); // source
    const std::string key = fileName + "@" + name;
    LWSurface* surface = scene.metaScene ? scene.metaScene->findSurface(key.c_str()) : nullptr;
    if (!surface) {
        diagLog() << "LoadLWO2: ERROR - surface not found!\n";
        return false;
    }
    if (surface->loaded) return true;
    readSurface(*this, *surface, r);
    surface->loaded = true;
    return true;
}

bool LwoLoader::chunk(uint32_t id, LwoReader& r) {
    if (id == lwoId("LAYR"))
        readLayer(r);
    else if (id == lwoId("PNTS"))
        readPoints(r);
    else if (id == lwoId("POLS"))
        readPolygons(r);
    else if (id == lwoId("PTAG"))
        readPolygonTags(r);
    else if (id == lwoId("TAGS"))
        readTags(r);
    else if (id == lwoId("VMAP"))
        readVertexMap(r);
    else if (id == lwoId("VMAD"))
        readDiscontinuousMap(r);
    else if (id == lwoId("ENVL"))
        readEnvelope(r);
    else if (id == lwoId("CLIP"))
        readClip(r);
    else if (id == lwoId("SURF"))
        return readSurfaceChunk(r);
    return true;
}

MetaMesh* LwoLoader::load(const uint8_t* data, size_t size) {
    LwoReader file(data, size);
    while (file.remaining() >= 8) {
        const uint32_t id = file.id4();
        LwoReader body = file.sub(file.u4());
        if (!chunk(id, body)) {
            reportClips();
            return nullptr;
        }
    }
    reportClips();
    return buildMesh();
}

MetaMesh* LwoLoader::buildMesh() {
    auto* mesh = new MetaMesh;
    mesh->name = fileName;
    mesh->layer.assign(size_t(highestLayer + 1), nullptr);
    mesh->srfs = tags;
    mesh->numTags = int(tags.size());
    for (auto& data : layers) {
        LWLayerData& d = *data;
        if (isPrevBuild()) {
            if (d.numLines != 0) reportAssertion("numLines == 0");
            if (d.numPatches != 0) reportAssertion("numPatches == 0");
            if (d.numMBalls != 0) reportAssertion("numMBalls == 0");
        } else {
            if (d.numLines != 0)
                reportAssertion("it->numLines == 0 && \"loadLWO2: lines not yet supported!\"");
            if (d.numMBalls != 0)
                reportAssertion(
                    "it->numMBalls == 0 && \"loadLWO2: meta balls not yet supported!\"");
        }
        LoadedLayer* built = nullptr;
        if (d.numParticles == 1) {
            built = new ParticleLayer(scene.context, mesh);
        } else if (d.numFaces > 0 && d.numPoints == 0) {
            const std::string pmName = fileName + "." + std::to_string(d.number + 1) + ".pm";
            std::unique_ptr<VirtualFile> pm(archive ? archive->clone() : nullptr);
            if (pm && pm->openRead(pmName.c_str())) {
                uint32_t got = 0;
                std::unique_ptr<uint8_t[]> bytes(readRemaining(*pm, &got));
                pm->close();
                ProgressiveFile file;
                if (bytes && readProgressiveFile(bytes.get(), got, file)) {
                    built = new ProgressiveMeshLayer(scene.context, mesh, std::move(file));
                } else {
                    // A file cut short: the layer is drawn whole instead.
                    const std::string text = "wrong progressive mesh file " + pmName;
                    showMessage(nullptr, text.c_str(), "Error", MessageIcon::Error);
                }
            }
            if (!built) built = new PolygonMeshLayer(scene.context, mesh);
        } else if (d.numFaces == 0 && d.numPoints > 0) {
            built = new PointCloudLayer(scene.context, mesh);
        }
        if (!built && (d.numFaces || d.numPoints || d.numParticles) && !isPrevBuild())
            reportAssertion("mesh && \"loadLWO2: unsupported point/poly combination!\"");
        if (built) {
            built->number = d.number;
            built->name = fileName + ":" + std::to_string(d.number + 1);
            built->hasTransparency = transparency;
            built->numFaces = d.numFaces;
            built->numPositions = d.numPositions;
            built->polygons = std::move(d.polygons);
            built->positions = std::move(d.positions);
            // The morph target must outlive the load for the mesh builder.
            built->keepMorphMaps(d.morphMaps);
            LWObjectLayer*& slot = mesh->layer[size_t(d.number)];
            delete slot; // a layer number given twice: the later one stands
            slot = built;
        }
    }
    layers.clear(); // releases the layer data's references on its maps
    return mesh;
}

MetaMesh* LW6Scene::loadObject(VirtualFile* archive, const char* name, LwoReport* report) {
    std::unique_ptr<VirtualFile> file(archive ? archive->clone() : nullptr);
    if (!file || !file->openRead(name)) {
        diagLog() << name << " missing!\n";
        return nullptr;
    }
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data(readRemaining(*file, &size));
    file->close();
    if (!data || size < 12 || std::memcmp(data.get() + 8, "LWO2", 4) != 0) {
        reportAssertion("0 && \"not an LWO2 file!!!\"");
        return nullptr;
    }
    LwoLoader loader(*this, archive, name);
    loader.report = report;
    return loader.load(data.get() + 12, size - 12);
}
