#include "show_features.h"

#include "base/text.h"
#include "effects/particle_settings.h"
#include "images/texture.h"
#include "lightwave/items.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "meshes/mesh_layers.h"
#include "render/surface_setup.h"
#include "timeline/event_script.h"

#include <algorithm>
#include <set>

namespace {

const char* const kLightTypes[] = {"distant light", "point light", "spot light", "linear light",
                                   "area light"};
const char* const kFalloffs[] = {nullptr, "linear falloff", "inverse distance falloff",
                                 "inverse square falloff"};

// The effector as the particle system moves particles with it: wind and
// gravity push along their direction, or, in the swirl modes, turn
// particles about it (vortex) or pull them in (attractor).
std::string effectorName(const FxEffector& e) {
    if (e.kind == EFFECTOR_COLLISION) return "collision effector";
    if (e.kind != EFFECTOR_GRAVITY && e.kind != EFFECTOR_WIND)
        return "effector " + std::to_string(e.kind);
    const int mode = int(e.values[4]);
    if (mode == SWIRL_VORTEX) return "vortex effector";
    if (mode >= SWIRL_ATTRACTOR) return "attractor effector";
    return e.kind == EFFECTOR_GRAVITY ? "gravity effector" : "wind effector";
}

bool animated(LWAnimValue& v) {
    return v.envelope != nullptr || v.value != 0;
}

std::string pictureFormat(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return "";
    std::string ext = name.substr(dot + 1);
    for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (ext == "jpeg") ext = "jpg";
    if (ext == "jpg" || ext == "bmp" || ext == "tga" || ext == "pcx") return ext + " picture";
    return "";
}

// The texture-stage row the fixed-function program draws a surface with,
// on a device that has MULTIPLYADD. The colour row is named by what it
// maps: the reflection picture, the colour picture, or nothing.
const char* stageRowName(const LWSurface& s) {
    switch (fixedFunctionRow(s, true)) {
    case ROW_TRANSPARENCY:
        return "stage row: transparency layer";
    case ROW_COLOUR_TRANSPARENCY:
        return "stage row: colour and transparency layers";
    case ROW_DIFFUSE:
        return "stage row: diffuse layer";
    case ROW_SPECULAR:
        return "stage row: specular layer";
    case ROW_CUBE_REFLECTION:
        return "stage row: cube reflection";
    case ROW_COLOUR:
        break;
    }
    if (takesSphericalReflection(s)) return "stage row: spherical reflection";
    const LWTextureLayer* colr = enabledLayer(s, "COLR");
    return colr && colr->texture ? "stage row: colour layer" : "stage row: no texture";
}

} // namespace

const std::vector<std::string>& knownFeatures() {
    static const std::vector<std::string> names = {
        "surface program 0", "surface program 2",
        "stage row: transparency layer", "stage row: colour and transparency layers",
        "stage row: diffuse layer", "stage row: specular layer", "stage row: colour layer",
        "stage row: spherical reflection", "stage row: cube reflection", "stage row: no texture",
        "shadow casters", "shadow receivers",
        "distant light", "point light", "spot light", "linear light", "area light",
        "linear falloff", "inverse distance falloff", "inverse square falloff",
        "colour flicker", "light doubling",
        "shadow map", "raytraced shadow", "lens flare",
        "emitter", "gravity effector", "wind effector", "vortex effector", "attractor effector",
        "collision effector",
        "sprite particles", "volume particles",
        "planar mirror", "cube reflection", "progressive mesh", "point cloud", "fog",
        "jpg picture", "bmp picture", "tga picture", "pcx picture",
    };
    return names;
}

void ShowFeatures::addEvent(const ScriptEvent& event) {
    if (const KeywordInfo* k = keywordById(event.id)) ++commands[k->name];
    if (event.id == EV_LIGHTFLASH && event.args[0].i != 0) ++lightFlashOn;
    if (event.id == EV_LIGHTFALLOFF && event.args[0].i != 0) ++lightFalloffOn;
}

void ShowFeatures::addMetaScene(const MetaScene& meta) {
    std::set<const LWSurface*> surfaces;
    for (const auto& scene : meta.scenes) {
        LW6Scene& s = *scene;
        if (s.fogType == FOG_LINEAR) ++features["fog"];
        const LWLight* first = s.lights.empty() ? nullptr : s.lights[0];
        const bool shadowMapped =
            first && first->lightType == LIGHT_SPOT && first->shadowType == SHADOW_MAP;
        for (const LWLight* l : s.lights) {
            if (l->lightType >= 0 && l->lightType < 5) ++features[kLightTypes[l->lightType]];
            if (l->falloffType >= 1 && l->falloffType <= 3) ++features[kFalloffs[l->falloffType]];
            if (l->shadowType == SHADOW_MAP) ++features["shadow map"];
            if (l->shadowType == SHADOW_RAYTRACE) ++features["raytraced shadow"];
            if (l->lensFlare) ++features["lens flare"];
        }
        for (FxEmitter* e : s.fxEmitter)
            if (e) ++features["emitter"];
        for (FxEffector* e : s.fxEffector)
            if (e) ++features[effectorName(*e)];
        for (const LWObject* o : s.objects) {
            if (o->volumetric)
                ++features[o->volumetric->kind == 2 ? "volume particles" : "sprite particles"];
            const auto* layer = dynamic_cast<const LoadedLayer*>(o->layer);
            if (!layer) continue;
            if (layer->kind == LAYER_PROGRESSIVE_MESH) ++features["progressive mesh"];
            if (layer->kind == LAYER_POINT_CLOUD) ++features["point cloud"];
            if (shadowMapped && (o->shadowOptions & 2)) ++features["shadow casters"];
            if (shadowMapped && (o->shadowOptions & 4)) ++features["shadow receivers"];
            if (!layer->metamesh) continue;
            for (LWSurface* surface : layer->metamesh->srfs)
                if (surface && surfaces.insert(surface).second) {
                    const int program = surfaceProgramIndex(*surface);
                    ++features["surface program " + std::to_string(program)];
                    // The per-pixel bump program has no stage table.
                    if (program == 0) ++features[stageRowName(*surface)];
                    if (animated(surface->reflection)) {
                        if (surface->reflectionOptions == 3) ++features["cube reflection"];
                        if (surface->reflectionOptions == 0) ++features["planar mirror"];
                    }
                }
        }
    }
    for (const Texture* t : meta.textures.all()) {
        const std::string format = pictureFormat(t->name);
        if (!format.empty()) ++features[format];
    }
}

std::map<std::string, int> ShowFeatures::found() const {
    std::map<std::string, int> all = features;
    // The flicker changes point lights only.
    if (lightFlashOn && features.count("point light")) all["colour flicker"] = lightFlashOn;
    if (lightFalloffOn) all["light doubling"] = lightFalloffOn;
    return all;
}

void ShowFeatures::print(std::ostream& out) const {
    std::string used, unused;
    for (const KeywordInfo* k = kKeywords; k->name; ++k) {
        const auto it = commands.find(k->name);
        if (it != commands.end())
            used += std::string(used.empty() ? "" : ", ") + k->name + " " + std::to_string(it->second);
        else
            unused += std::string(unused.empty() ? "" : ", ") + k->name;
    }
    out << "commands used: " << (used.empty() ? "none" : used) << "\n";
    out << "commands never used: " << (unused.empty() ? "none" : unused) << "\n";
    const std::map<std::string, int> all = found();
    std::string present, absent;
    for (const std::string& name : knownFeatures()) {
        const auto it = all.find(name);
        if (it != all.end())
            present += (present.empty() ? "" : ", ") + name + " " + std::to_string(it->second);
        else
            absent += (absent.empty() ? "" : ", ") + name;
    }
    out << "features found: " << (present.empty() ? "none" : present) << "\n";
    out << "features not found: " << (absent.empty() ? "none" : absent) << "\n";
}

std::vector<std::string> ShowFeatures::missing(const std::vector<std::string>& required) const {
    const std::map<std::string, int> all = found();
    std::vector<std::string> out;
    for (const std::string& name : required)
        if (!all.count(name) && !commands.count(name)) out.push_back(name);
    return out;
}
