// nltool lw: loads a LightWave scene the way the player does and prints what
// the player sees, one record a line: a record word, then key=value fields
// (values with blanks or quotes are quoted, with \" and \\ escaped).

#include "commands.h"
#include "records.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/text.h"
#include "effects/particle_settings.h"
#include "files/archive_file.h"
#include "files/disk_file.h"
#include "images/texture.h"
#include "lightwave/mesh_data.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "meshes/mesh_layers.h"
#include "meshes/progressive_mesh.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace {

const char* kindName(const LWItem* item) {
    if (dynamic_cast<const LWObject*>(item)) return "object";
    if (dynamic_cast<const LWLight*>(item)) return "light";
    if (dynamic_cast<const LWCamera*>(item)) return "camera";
    if (dynamic_cast<const LWBone*>(item)) return "bone";
    return "item";
}

std::string itemRef(const LWItem* item) {
    if (!item) return "none";
    return std::string(kindName(item)) + ":" + std::to_string(item->index);
}

// keys= and the behaviours of an envelope, or keys=0 and the constant.
void animFields(Record& r, LWAnimValue& v) {
    if (v.envelope) {
        r("keys", v.envelope->numKeys)("pre", v.envelope->preBehavior)("post",
                                                                       v.envelope->postBehavior)(
            "first", v.envelope->keys[0].value)("end", v.envelope->endTime);
    } else {
        r("keys", 0)("value", v.value);
    }
}

void printAnim(std::ostream& out, const std::string& item, const char* property, LWAnimValue& v) {
    Record r(out, "channel");
    r("item", item)("channel", property);
    animFields(r, v);
}

void printItem(std::ostream& out, LWItem* item) {
    Record r(out, "item");
    r("kind", kindName(item))("index", item->index)("name", item->name)("parent",
                                                                        itemRef(item->parent));
    r("target", itemRef(item->target))("hController", item->headingController)(
        "pController", item->pitchController)("bController", item->bankController);
    r("lookAhead", item->pathAlignLookAhead)("pivot", triple(item->pivotPosition))(
        "pivotRotation", triple(item->pivotRotation));
    if (auto* o = dynamic_cast<LWObject*>(item)) {
        r("layer", o->layer ? o->layer->name : "none")("shadowOptions", o->shadowOptions)(
            "unaffectedByFog", o->unaffectedByFog);
        std::string excluded;
        for (int l : o->excludedLights)
            excluded += (excluded.empty() ? "" : " ") + std::to_string(l);
        r("excludedLights", excluded.empty() ? "none" : excluded);
        r("volumetric", o->volumetric ? o->volumetric->kind : 0);
    }
}

void printChannels(std::ostream& out, LWItem* item) {
    for (int c = 0; c < CHANNEL_COUNT; ++c) {
        Record r(out, "channel");
        r("item", itemRef(item))("channel", c);
        animFields(r, item->channels[c]);
    }
}

void printScene(std::ostream& out, LW6Scene& s) {
    Record(out, "scene")("file", s.fileName)("firstFrame", s.firstFrame)("lastFrame", s.lastFrame)(
        "previewFirstFrame", s.previewFirstFrame)("previewLastFrame", s.previewLastFrame)(
        "framesPerSecond", s.framesPerSecond)("ambientColor", triple(s.ambientColor))(
        "ambientIntensity", s.ambientIntensity.value)("fogType", s.fogType)(
        "fogMinDistance", s.fogMinDistance)("fogMaxDistance", s.fogMaxDistance)(
        "fogColor", triple(s.fogColor))("backdropColor", triple(s.backdropColor))(
        "gridNumber", s.gridNumber)("gridSize", s.gridSize)("objects", double(s.objects.size()))(
        "lights", double(s.lights.size()))("cameras", double(s.cameras.size()))(
        "bones", double(s.bones.size()))("emitters", double(s.fxEmitter.size()))(
        "effectors", double(s.fxEffector.size()))("currentCamera", itemRef(s.currentCamera));
    if (s.ambientIntensity.envelope)
        printAnim(out, "scene", "ambientIntensity", s.ambientIntensity);
    for (LWObject* o : s.objects) {
        printItem(out, o);
        printChannels(out, o);
    }
    for (LWLight* l : s.lights) {
        printItem(out, l);
        printChannels(out, l);
        Record(out, "light")("index", l->index)("name", l->name)("type", l->lightType)(
            "color", number(l->color[0].value) + " " + number(l->color[1].value) + " " +
                         number(l->color[2].value))("intensity", l->intensity.value)(
            "range", l->range.value)("coneAngle", l->coneAngle.value)(
            "edgeAngle", l->edgeAngle.value)("falloffType", l->falloffType)(
            "noDiffuse", l->noDiffuse)("noSpecular", l->noSpecular)("shadowType", l->shadowType)(
            "shadowMapSize", l->shadowMapSize)("lensFlare", l->lensFlare)("lensFlareOptions",
                                                                          l->lensFlareOptions)(
            "lensFlareFade", l->lensFlareFade)("flareNominalDistance", l->flareNominalDistance)(
            "flareIntensity", l->flareIntensity.value)("flareRotationAngle",
                                                       l->flareRotationAngle.value);
        const std::string ref = itemRef(l);
        const char* names[] = {"red", "green", "blue"};
        for (int i = 0; i < 3; ++i)
            if (l->color[i].envelope) printAnim(out, ref, names[i], l->color[i]);
        if (l->intensity.envelope) printAnim(out, ref, "intensity", l->intensity);
        if (l->range.envelope) printAnim(out, ref, "range", l->range);
        if (l->coneAngle.envelope) printAnim(out, ref, "coneAngle", l->coneAngle);
        if (l->edgeAngle.envelope) printAnim(out, ref, "edgeAngle", l->edgeAngle);
    }
    for (LWCamera* c : s.cameras) {
        printItem(out, c);
        printChannels(out, c);
        Record(out, "camera")("index", c->index)("name", c->name)(
            "zoomFactor", c->zoomFactor.value)("eyeSeparation", c->eyeSeparation);
        if (c->zoomFactor.envelope) printAnim(out, itemRef(c), "zoomFactor", c->zoomFactor);
    }
    for (size_t i = 0; i < s.fxEmitter.size(); ++i) {
        FxEmitter* e = s.fxEmitter[i];
        Record(out, "emitter")("index", double(i))("parent", itemRef(e->parent))(
            "size", number(e->sizeX) + " " + number(e->sizeY) + " " + number(e->sizeZ))(
            "particleLimit", e->particleLimit)("birthRate", e->birthRate.value)(
            "birthRateKeys", e->birthRate.envelope ? e->birthRate.envelope->numKeys : 0)(
            "generatorType", e->generatorType)("birthMode", e->birthMode)(
            "lifeTime", e->lifeTime.value)("lifeVariation", e->lifeVariation.value)(
            "velocity", number(e->emitterValue1.value) + " " + number(e->emitterValue2.value) +
                            " " + number(e->emitterValue3.value))(
            "acceleration", number(e->emitterValue5) + " " + number(e->emitterValue6) + " " +
                                number(e->emitterValue7))("explosion", e->emitterValue8.value)(
            "speed", e->emitterValue9)("drag", e->emitterValue10)("maximumSpeed",
                                                                  e->emitterValue15);
    }
    for (size_t i = 0; i < s.fxEffector.size(); ++i) {
        FxEffector* f = s.fxEffector[i];
        std::string values;
        for (int k = 1; k < 18; ++k) values += (k > 1 ? " " : "") + number(f->values[k]);
        Record(out, "effector")("index", double(i))("kind", f->kind == EFFECTOR_GRAVITY ? "gravity"
                                                            : f->kind == EFFECTOR_WIND
                                                                ? "wind"
                                                                : "collision")(
            "parent", itemRef(f->parent))("values", values);
    }
    for (LWObject* o : s.objects) {
        if (!o->volumetric) continue;
        VolumetricSettings* v = o->volumetric;
        Record(out, "volumetric")("object", itemRef(o))("kind", v->kind)("dissolve",
                                                                         v->dissolve.value)(
            "particleSize", v->particleSize.value)("sizeVariation", v->sizeVariation.value)(
            "slices", v->slices)("textures", double(v->textures.size()));
        for (LWTextureLayer* t : v->textures)
            Record(out, "texlayer")("object", itemRef(o))("channel", t->channel)(
                "projection", t->maptype)("axis", t->axis)("texture",
                                                           t->texture ? t->texture->name : "none")(
                "flags", t->texture ? double(t->texture->flags) : 0.0);
    }
}

std::string code(int32_t id) {
    if (id == -1) return "none";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = char((uint32_t(id) >> shift) & 0xFF);
        s += (c >= 32 && c < 127) ? c : '?';
    }
    return s;
}

const char* layerKind(const LWObjectLayer* layer) {
    auto* loaded = dynamic_cast<const LoadedLayer*>(layer);
    if (!loaded) return "layer";
    switch (loaded->kind) {
    case LAYER_POLYGON_MESH:
        return "polygons";
    case LAYER_PROGRESSIVE_MESH:
        return "progressive";
    case LAYER_POINT_CLOUD:
        return "points";
    case LAYER_PARTICLE:
        return "particle";
    }
    return "layer";
}

void printObject(std::ostream& out, MetaMesh& mesh, const LwoReport& report) {
    // The object's own surfaces, in tag order, each once.
    std::vector<LWSurface*> surfaces;
    for (LWSurface* s : mesh.srfs)
        if (s && std::find(surfaces.begin(), surfaces.end(), s) == surfaces.end())
            surfaces.push_back(s);
    Record(out, "object")("file", mesh.name)("layers", double(mesh.layer.size()))(
        "tags", mesh.numTags)("surfaces", double(surfaces.size()));
    for (size_t i = 0; i < mesh.layer.size(); ++i) {
        LWObjectLayer* l = mesh.layer[i];
        if (!l) {
            Record(out, "layer")("number", double(i))("kind", "none")("name", "")("points",
                                                                                  0)("polygons", 0);
            continue;
        }
        auto* loaded = dynamic_cast<LoadedLayer*>(l);
        Record(out, "layer")("number", l->number)("kind", layerKind(l))("name", l->name)(
            "points", loaded ? loaded->numPositions
                             : 0)("polygons", loaded ? double(loaded->polygons.size()) : 0)(
            "faces", loaded ? loaded->numFaces : 0)("transparency", l->hasTransparency);
        if (auto* p = dynamic_cast<ProgressiveMeshLayer*>(l)) {
            const int maxRes = weldedPointCount(*p);
            int levels[5];
            levelResolutions(p->minRes, maxRes, levels);
            std::string list;
            for (int r : levels) list += (list.empty() ? "" : " ") + std::to_string(r);
            Record(out, "progressive")("layer", l->number)("minRes", p->minRes)("maxRes", maxRes)(
                "levels", list)("priorities", double(p->file.basePermutation.size()))(
                "collapseEntries", double(p->file.baseCollapseMap.size()));
        }
    }
    for (const auto& m : report.vertexMaps)
        Record(out, "vmap")("layer", m.layer)("type", m.type)("name", m.name)("entries", m.entries);
    for (const auto& c : report.clips)
        Record(out, "clip")("index", c.index)("name", c.name)("flags", double(c.flags));
    for (const auto& e : report.envelopes)
        Record(out, "envelope")("index", e.index)("keys", e.keys)("name", e.name);
    for (LWSurface* s : surfaces) {
        Record(out, "surface")("key", s->name)("loaded", s->loaded)(
            "color", number(s->color[0].value) + " " + number(s->color[1].value) + " " +
                         number(s->color[2].value))("diffuse", s->diffuse.value)(
            "luminosity", s->luminosity.value)("specularity", s->specularity.value)(
            "glossiness", s->glossiness.value)("reflection", s->reflection.value)(
            "transparency", s->transparency.value)("bump", s->bump.value)(
            "doubleSided", s->doubleSided)("smoothing", s->smoothing)(
            "transparent", s->transparent)("reflectionOptions", s->reflectionOptions)(
            "textureLayers", double(s->textureLayers.size()));
        for (LWTextureLayer* t : s->textureLayers)
            Record(out, "texlayer")("surface", s->name)("type", code(t->type))(
                "channel", code(t->channel))("projection", t->maptype)("axis", t->axis)(
                "enabled", t->enabled)("texture", t->texture ? t->texture->name : "none")(
                "flags", t->texture ? double(t->texture->flags) : 0.0)(
                "uvMaps", double(t->layerUVMaps.size()))("procedure", t->procName);
    }
}

void printMessages(std::ostream& out, const MessageRecorder& messages, const std::string& log) {
    for (const Message& m : messages.messages())
        Record(out, "message")("caption", m.caption)("text", m.text);
    std::istringstream lines(log);
    std::string line;
    while (std::getline(lines, line)) Record(out, "log")("text", line);
}

} // namespace

int lwCommand(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args.size() > 2) {
        err << "usage: nltool lw FILE.lws|FILE.lwo [ARCHIVE.sar]\n";
        return 2;
    }
    const std::string& file = args[0];
    const bool isScene =
        file.size() >= 4 && equalsIgnoreCase(file.c_str() + file.size() - 4, ".lws");
    DiskFile disk;
    ArchiveFile archive(disk);
    if (args.size() == 2 && !archive.openArchive(args[1].c_str())) {
        err << "nltool: " << args[1] << ": not a valid SARC archive\n";
        return 1;
    }
    MessageRecorder messages;
    std::ostringstream log;
    bool ok;
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.emplace_back(scene);
    if (isScene) {
        {
            DiagLogRedirect redirect(log);
            ok = scene->loadScene(&archive, file.c_str());
        }
        if (ok) {
            printScene(out, *scene);
            LwoReport none;
            for (const auto& mesh : meta.meshes) printObject(out, *mesh, none);
        }
    } else {
        LwoReport report;
        MetaMesh* mesh;
        {
            DiagLogRedirect redirect(log);
            mesh = scene->loadObject(&archive, file.c_str(), &report);
        }
        ok = mesh != nullptr;
        if (mesh) {
            meta.meshes.emplace_back(mesh);
            printObject(out, *mesh, report);
        }
    }
    printMessages(out, messages, log.str());
    return ok ? 0 : 1;
}
