// The LWS scene loader. The file is split into words and scanned: every word
// is a possible keyword; a keyword consumes its values, anything else is
// passed over. A first pass counts the items so that item identifiers
// (0x1nnnnnnn object n, 0x2... light, 0x3... camera) can be resolved while
// reading; the keyword pass then fills the scene. Plug-in blocks for
// particles and HyperVoxels are read by position.

#include "scene.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/text.h"
#include "clip_textures.h"
#include "app/device_context_base.h"
#include "wrap_mode.h"
#include "effects/particle_settings.h"
#include "files/virtual_file.h"
#include "lws_words.h"
#include "mesh_data.h"
#include "meta_scene.h"
#include "surface.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr float DEGREES = 0.017453292519943295f;

bool is(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

enum CurrentKind { CURRENT_NONE, CURRENT_OBJECT, CURRENT_LIGHT, CURRENT_CAMERA };

class SceneReader {
public:
    SceneReader(LW6Scene& scene, VirtualFile* archive)
        : scene(scene), archive(archive), in(scene.words, scene.word) {}

    void countItems();
    void keywordPass();
    void finishCounts();

private:
    bool firstTable(const char* k);
    bool secondTable(const char* k);
    void readAnimValue(LWAnimValue& value, float scale = 1.0f);
    void readEnvelope(LWAnimValue& value);
    void readMotion(LWItem* item);
    LWItem* resolve(const char* identifier) const;
    LWItem* currentItem() const;
    LWObject* object() const {
        return objectIndex >= 0 ? scene.objects[size_t(objectIndex)] : nullptr;
    }
    LWLight* light() const { return lightIndex >= 0 ? scene.lights[size_t(lightIndex)] : nullptr; }
    LWCamera* camera() const {
        return cameraIndex >= 0 ? scene.cameras[size_t(cameraIndex)] : nullptr;
    }
    bool nextObject();
    void loadObjectLayer();
    void plugin();
    void motionMixer();
    void emitter();
    void gravity(bool wind);
    void collision();
    void storeEffector(FxEffector* effector, bool keep);
    void hyperVoxels();
    void hyperVoxelObject();
    void hyperVoxelChannels();
    void hyperVoxelTextures();
    void textureBlock(LWTextureLayer* layer);

    LW6Scene& scene;
    VirtualFile* archive;
    WordReader in;
    int objectIndex = -1, lightIndex = -1, cameraIndex = -1;
    CurrentKind current = CURRENT_NONE;
    size_t numEmitters = 0, numEffectors = 0;
    size_t storedEmitters = 0, storedEffectors = 0;
    bool emitterOverflow = false, effectorOverflow = false;
    VolumetricSettings* volumetric = nullptr; // the HyperVoxel renderer being read
};

void SceneReader::countItems() {
    size_t objects = 0, lights = 0, bones = 0, cameras = 0;
    for (const char* w : scene.words) {
        if (equalsIgnoreCase(w, "LoadObject") || equalsIgnoreCase(w, "LoadObjectLayer") ||
            equalsIgnoreCase(w, "AddNullObject"))
            ++objects;
        else if (equalsIgnoreCase(w, "AddLight"))
            ++lights;
        else if (equalsIgnoreCase(w, "AddBone"))
            ++bones;
        else if (equalsIgnoreCase(w, "CameraMotion"))
            ++cameras;
        else if (equalsIgnoreCase(w, "FX_Emitter"))
            ++numEmitters;
        else if (equalsIgnoreCase(w, "FX_Collision") || equalsIgnoreCase(w, "FX_Gravity") ||
                 equalsIgnoreCase(w, "FX_Wind"))
            ++numEffectors;
    }
    for (size_t i = 0; i < objects; ++i) scene.objects.push_back(new LWObject(scene.context));
    for (size_t i = 0; i < bones; ++i) scene.bones.push_back(new LWBone(scene.context));
    for (size_t i = 0; i < lights; ++i) scene.lights.push_back(new LWLight(scene.context));
    for (size_t i = 0; i < cameras; ++i) scene.cameras.push_back(new LWCamera(scene.context));
    for (size_t i = 0; i < objects; ++i) scene.objects[i]->index = int(i);
    for (size_t i = 0; i < cameras; ++i) scene.cameras[i]->index = int(i);
    scene.fxEmitter.assign(numEmitters, nullptr);
    scene.fxEffector.assign(numEffectors, nullptr);
}

LWItem* SceneReader::resolve(const char* identifier) const {
    const unsigned long id = std::strtoul(identifier, nullptr, 16);
    if (id >= 0x40000000ul) return nullptr;
    const size_t n = id & 0x0FFFFFFFul;
    switch (id >> 28) {
    case 1:
        return n < scene.objects.size() ? scene.objects[n] : nullptr;
    case 2:
        return n < scene.lights.size() ? scene.lights[n] : nullptr;
    case 3:
        return n < scene.cameras.size() ? scene.cameras[n] : nullptr;
    default:
        return nullptr;
    }
}

LWItem* SceneReader::currentItem() const {
    switch (current) {
    case CURRENT_OBJECT:
        return object();
    case CURRENT_LIGHT:
        return light();
    case CURRENT_CAMERA:
        return camera();
    default:
        return nullptr;
    }
}

// An envelope block: "{" "Envelope" n, n keys of a word and nine numbers,
// a behaviours word and two numbers, "}". With fewer than two keys the value
// is the first key's, without an envelope.
void SceneReader::readEnvelope(LWAnimValue& value) {
    in.next(); // "{"
    in.next(); // "Envelope"
    long n = std::atol(in.next());
    // A count beyond what the file still holds is cut to it.
    const long most = long(in.remaining() / 10) + 1;
    if (n < 0) n = 0;
    if (n > most) n = most;
    std::unique_ptr<LWEnvelope> envelope(n >= 2 ? new LWEnvelope(int(n)) : nullptr);
    float first = 0;
    for (long i = 0; i < n; ++i) {
        in.next(); // "Key"
        const float v = in.nextFloat(), t = in.nextFloat();
        const int shape = int(in.nextFloat());
        const float tension = in.nextFloat(), continuity = in.nextFloat(), bias = in.nextFloat();
        in.next();
        in.next();
        in.next();
        if (i == 0) first = v;
        if (envelope) envelope->setKey(int(i), v, t, shape, tension, continuity, bias);
    }
    in.next(); // "Behaviors"
    const int pre = in.nextInt(), post = in.nextInt();
    in.next(); // "}"
    if (envelope) {
        envelope->finish(pre, post);
        value.setEnvelope(envelope.release());
    } else {
        value.setEnvelope(nullptr);
        value.value = first;
    }
}

// A number, or "(envelope)" and an envelope block; a number is scaled
// (degrees to radians), envelope values are kept as written.
void SceneReader::readAnimValue(LWAnimValue& value, float scale) {
    if (equalsIgnoreCase(in.peek(), "(envelope)")) {
        in.next();
        readEnvelope(value);
    } else {
        value.setEnvelope(nullptr);
        value.value = in.nextFloat() * scale;
    }
}

void SceneReader::readMotion(LWItem* item) {
    in.next(); // "NumChannels"
    long channels = std::atol(in.next());
    if (channels < 0) channels = 0;
    for (long c = 0; c < channels && !in.atEnd(); ++c) {
        in.next(); // "Channel"
        const int number = in.nextInt();
        LWAnimValue dropped;
        readEnvelope(item && number >= 0 && number < CHANNEL_COUNT ? item->channels[number]
                                                                   : dropped);
    }
}

bool SceneReader::nextObject() {
    if (size_t(objectIndex + 1) >= scene.objects.size()) return false;
    ++objectIndex;
    current = CURRENT_OBJECT;
    return true;
}

void SceneReader::loadObjectLayer() {
    const int layer = in.nextInt() - 1;
    if (in.atEnd()) return;
    char* name = scene.words[scene.word++];
    // Unquoted names with blanks were cut into words: join them again until
    // the name ends in ".lwo".
    auto endsLwo = [](const char* s) {
        const size_t n = std::strlen(s);
        return n >= 4 && equalsIgnoreCase(s + n - 4, ".lwo");
    };
    // The next word lies later in the same buffer, so replacing this word's
    // terminator by a blank makes the string run on through it.
    while (!endsLwo(name) && !in.atEnd()) {
        name[std::strlen(name)] = ' ';
        ++scene.word;
    }
    std::string fileName = name;
    if (fileName.size() >= 2 && fileName[1] == ':') fileName.insert(2, "\\");
    if (!nextObject()) return;
    LWObject* o = object();
    o->name = fileName;
    MetaMesh* mesh = scene.metaScene ? scene.metaScene->findMesh(fileName.c_str()) : nullptr;
    if (!mesh) {
        mesh = scene.loadObject(archive, fileName.c_str());
        if (!mesh) {
            mesh = new MetaMesh;
            mesh->name = fileName;
        }
        if (scene.metaScene)
            scene.metaScene->meshes.emplace_back(mesh);
        else
            delete mesh, mesh = nullptr;
    }
    const bool valid =
        mesh && layer >= 0 && size_t(layer) < mesh->layer.size() && mesh->layer[size_t(layer)];
    if (!valid)
        reportAssertion("layer < metamesh->layer.size() && metamesh->layer[layer] && \"invalid LWO "
                        "layer number!\"");
    o->layer = valid ? mesh->layer[size_t(layer)] : nullptr;
}

bool SceneReader::firstTable(const char* k) {
    LWObject* o = object();
    LWLight* l = light();
    if (is(k, "FirstFrame")) {
        scene.firstFrame = in.nextInt();
    } else if (is(k, "LastFrame")) {
        scene.lastFrame = in.nextInt();
    } else if (is(k, "PreviewFirstFrame")) {
        scene.previewFirstFrame = in.nextInt();
    } else if (is(k, "PreviewLastFrame")) {
        scene.previewLastFrame = in.nextInt();
    } else if (is(k, "FramesPerSecond")) {
        scene.framesPerSecond = in.nextFloat();
    } else if (is(k, "AmbientColor")) {
        for (int i = 0; i < 3; ++i) scene.ambientColor[i] = in.nextFloat();
    } else if (is(k, "AmbientIntensity")) {
        readAnimValue(scene.ambientIntensity);
    } else if (is(k, "LoadObjectLayer")) {
        loadObjectLayer();
    } else if (is(k, "AddNullObject")) {
        const char* name = in.next();
        if (nextObject()) object()->name = name;
    } else if (is(k, "ObjectMotion")) {
        readMotion(o);
    } else if (is(k, "HController") || is(k, "PController") || is(k, "BController")) {
        const int value = in.nextInt();
        if (LWItem* item = currentItem()) {
            if (k[0] == 'H') item->headingController = value;
            if (k[0] == 'P') item->pitchController = value;
            if (k[0] == 'B') item->bankController = value;
        }
    } else if (is(k, "PathAlignLookAhead")) {
        const float value = in.nextFloat();
        if (LWItem* item = currentItem()) item->pathAlignLookAhead = value;
    } else if (is(k, "UnaffectedByFog")) {
        const int value = in.nextInt();
        if (o) o->unaffectedByFog = value != 0;
    } else if (is(k, "ShadowOptions")) {
        const int value = in.nextInt();
        if (o) o->shadowOptions = value;
    } else if (is(k, "PivotPosition")) {
        if (current == CURRENT_OBJECT && o)
            for (float& v : o->pivotPosition) v = in.nextFloat();
    } else if (is(k, "PivotRotation")) {
        if (current == CURRENT_OBJECT && o) {
            const float h = in.nextFloat(), p = in.nextFloat(), b = in.nextFloat();
            o->pivotRotation[0] = p * DEGREES;
            o->pivotRotation[1] = h * DEGREES;
            o->pivotRotation[2] = b * DEGREES;
        }
    } else if (is(k, "ParentItem")) {
        LWItem* parent = resolve(in.next());
        LWItem* item = currentItem();
        if (item && parent && parent != item) item->parent = parent;
    } else if (is(k, "AffectDiffuse")) {
        const int value = in.nextInt();
        if (l) l->noDiffuse = value == 0;
    } else if (is(k, "AffectSpecular")) {
        const int value = in.nextInt();
        if (l) l->noSpecular = value == 0;
    } else if (is(k, "LightType")) {
        const int value = in.nextInt();
        if (l) l->lightType = value;
    } else if (is(k, "LightConeAngle") || is(k, "LightEdgeAngle")) {
        LWAnimValue dropped;
        readAnimValue(!l ? dropped : k[5] == 'C' ? l->coneAngle : l->edgeAngle, DEGREES);
    } else if (is(k, "AddLight")) {
        if (size_t(lightIndex + 1) < scene.lights.size()) {
            ++lightIndex;
            light()->index = lightIndex;
            light()->id = lightIndex;
            current = CURRENT_LIGHT;
        }
    } else if (is(k, "LightName")) {
        const char* name = in.next();
        if (l) l->name = name;
    } else if (is(k, "ExcludeLight")) {
        const unsigned long id = std::strtoul(in.next(), nullptr, 16);
        if (o && id != 0x21000000ul && id != 0x22000000ul)
            o->excludedLights.push_back(int(long(id) - 0x20000000l));
    } else if (is(k, "LightMotion")) {
        readMotion(l);
    } else if (is(k, "LightColor")) {
        LWAnimValue dropped[3];
        LWAnimValue* c = l ? l->color : dropped;
        if (equalsIgnoreCase(in.peek(), "(envelope)")) {
            in.next();
            for (int i = 0; i < 3; ++i) readEnvelope(c[i]);
        } else {
            for (int i = 0; i < 3; ++i) {
                c[i].setEnvelope(nullptr);
                c[i].value = in.nextFloat();
            }
        }
        if (l) l->colorAlpha = 1.0f;
    } else if (is(k, "LightFalloffType")) {
        const int value = in.nextInt();
        if (l) l->falloffType = value;
    } else if (is(k, "LightRange") || is(k, "LightIntensity") || is(k, "FlareIntensity") ||
               is(k, "FlareRotationAngle")) {
        LWAnimValue dropped;
        LWAnimValue* target = &dropped;
        if (l) {
            if (is(k, "LightRange")) target = &l->range;
            if (is(k, "LightIntensity")) target = &l->intensity;
            if (is(k, "FlareIntensity")) target = &l->flareIntensity;
            if (is(k, "FlareRotationAngle")) target = &l->flareRotationAngle;
        }
        readAnimValue(*target);
    } else if (is(k, "ShadowType")) {
        const int value = in.nextInt();
        if (l) l->shadowType = value;
    } else if (is(k, "ShadowMapSize")) {
        const int value = in.nextInt();
        if (l) l->shadowMapSize = value;
    } else if (is(k, "LensFlare")) {
        const int value = in.nextInt();
        if (l) l->lensFlare = value != 0;
    } else if (is(k, "LensFlareOptions")) {
        const int value = in.nextInt();
        if (l) l->lensFlareOptions = value;
    } else if (is(k, "FlareNominalDistance")) {
        const float value = in.nextFloat();
        if (l) l->flareNominalDistance = value;
    } else if (is(k, "LensFlareFade")) {
        const int value = in.nextInt();
        if (l) l->lensFlareFade = value;
    } else if (is(k, "AddCamera")) {
        if (size_t(cameraIndex + 1) < scene.cameras.size()) {
            ++cameraIndex;
            camera()->index = cameraIndex;
            current = CURRENT_CAMERA;
        }
    } else if (is(k, "CameraName")) {
        const char* name = in.next();
        if (camera()) camera()->name = name;
    } else {
        return false;
    }
    return true;
}

bool SceneReader::secondTable(const char* k) {
    LWCamera* c = camera();
    if (is(k, "CameraMotion")) {
        readMotion(c);
    } else if (is(k, "TargetItem")) {
        LWItem* target = resolve(in.next());
        LWItem* item = currentItem();
        if (item && target && target != item) item->target = target;
    } else if (is(k, "ZoomFactor")) {
        LWAnimValue dropped;
        readAnimValue(c ? c->zoomFactor : dropped);
    } else if (is(k, "EyeSeparation")) {
        const float value = in.nextFloat();
        if (c) c->eyeSeparation = value;
    } else if (is(k, "FogType")) {
        const int value = in.nextInt();
        scene.fogType = value == 1   ? FOG_LINEAR
                        : value == 2 ? FOG_EXP
                        : value == 3 ? FOG_EXP2
                                     : FOG_NONE;
    } else if (is(k, "FogMinDistance")) {
        scene.fogMinDistance = in.nextFloat();
    } else if (is(k, "FogMaxDistance")) {
        scene.fogMaxDistance = in.nextFloat();
    } else if (is(k, "FogColor")) {
        for (int i = 0; i < 3; ++i) scene.fogColor[i] = in.nextFloat();
        scene.fogColor[3] = 1;
    } else if (is(k, "BackdropColor")) {
        for (int i = 0; i < 3; ++i) scene.backdropColor[i] = in.nextFloat();
        scene.backdropColor[3] = 1;
    } else if (is(k, "BackdropFog")) {
        if (in.nextInt() != 0)
            for (int i = 0; i < 4; ++i) scene.fogColor[i] = scene.backdropColor[i];
    } else if (is(k, "GridNumber")) {
        scene.gridNumber = in.nextInt();
    } else if (is(k, "GridSize")) {
        scene.gridSize = in.nextFloat();
    } else if (is(k, "Plugin")) {
        plugin();
    } else {
        return false;
    }
    return true;
}

void SceneReader::keywordPass() {
    scene.word = 2;
    while (!in.atEnd()) {
        const char* k = in.next();
        if (!firstTable(k)) secondTable(k);
    }
}

void SceneReader::plugin() {
    const char* kind = in.next();
    if (is(kind, "MasterHandler")) {
        in.next();
        // The motion mixer's block stores nothing: walk it to its end.
        if (is(in.next(), "MotionMixer")) motionMixer();
    } else if (is(kind, "DisplacementHandler")) {
        in.next();
        if (is(in.next(), "MD_Plug"))
            for (int i = 0; i < 3; ++i) in.next();
    } else if (is(kind, "CustomObjHandler")) {
        in.next();
        const char* server = in.next();
        if (is(server, "FX_Emitter")) emitter();
        if (is(server, "FX_Gravity")) gravity(false);
        if (is(server, "FX_Wind")) gravity(true);
        if (is(server, "FX_Collision")) collision();
    } else if (is(kind, "VolumetricHandler")) {
        in.next();
        in.next();
        if (is(in.nextKeyword(), "HyperVoxelData")) hyperVoxels();
    }
}

void SceneReader::motionMixer() {
    while (!in.atEnd() && !is(in.peek(), "EndPlugin")) in.next();
}

void SceneReader::emitter() {
    LWObject* o = object();
    auto* e = new FxEmitter(o ? o->layer : nullptr);
    auto F = [&] { return in.nextFloat(); };
    in.next();
    in.nextInt();
    in.next();
    e->sizeX = F();
    e->sizeY = F();
    e->sizeZ = F();
    if (is(in.next(), "p0")) in.next();
    F(), F(), F();
    e->particleLimit = in.nextInt();
    F();
    in.next();
    e->emitterValue1.value = F();
    e->emitterValue2.value = F();
    e->emitterValue3.value = F();
    e->emitterValue4 = F();
    F(), F();
    in.next();
    e->emitterValue5 = F();
    e->emitterValue6 = F();
    e->emitterValue7 = F();
    in.nextInt();
    in.next();
    F();
    e->birthRate.value = F();
    e->generatorType = int(F());
    F();
    e->birthMode = int(F());
    e->lifeTime.value = F() * (1.0f / 30);
    e->lifeVariation.value = F() * (1.0f / 30);
    e->emitterValue8.value = F();
    F();
    in.nextInt();
    for (int i = 0; i < 9; ++i) F();
    in.next();
    e->emitterValue9 = F();
    e->emitterValue10 = F();
    e->emitterValue11 = F();
    e->emitterValue12 = F();
    F(), F(), F();
    e->emitterValue13 = F();
    e->emitterValue14 = F();
    F(), F();
    e->emitterValue15 = F();
    F(), F(), F();
    while (!in.atEnd()) {
        const char* w = in.next();
        if (is(w, "EndPlugin")) break;
        if (is(w, "VariantParameter")) {
            in.nextInt();
            in.nextInt();
            in.next();
            e->birthRate.value = F();
            in.nextInt();
            readEnvelope(e->birthRate);
            in.next();
            in.next();
            in.next(); // after every entry one word
        }
    }
    const bool disabled = equalsIgnoreCase(in.peek(), "PluginEnabled");
    if (disabled) {
        delete e;
        return;
    }
    e->parent = o;
    if (storedEmitters < scene.fxEmitter.size()) {
        scene.fxEmitter[storedEmitters++] = e;
    } else {
        emitterOverflow = true;
        delete e;
    }
}

void SceneReader::storeEffector(FxEffector* effector, bool keep) {
    if (!keep) {
        delete effector;
        return;
    }
    effector->parent = object();
    if (storedEffectors < scene.fxEffector.size()) {
        scene.fxEffector[storedEffectors++] = effector;
    } else {
        effectorOverflow = true;
        delete effector;
    }
}

void SceneReader::gravity(bool wind) {
    auto* f = new FxEffector(wind ? EFFECTOR_WIND : EFFECTOR_GRAVITY);
    float* v = f->values;
    in.next();
    in.nextInt();
    in.next();
    if (!wind) {
        v[1] = float(in.nextInt());
        v[2] = in.nextFloat();
        v[3] = in.nextFloat();
        v[4] = float(in.nextInt());
        v[5] = float(in.nextInt());
        if (is(in.next(), "g0")) in.next();
        v[6] = in.nextFloat();
        v[7] = in.nextFloat();
        v[8] = in.nextFloat();
        in.next();
    } else {
        v[1] = float(in.nextInt());
        v[2] = in.nextFloat();
        v[3] = in.nextFloat();
        v[4] = float(in.nextInt());
        v[5] = float(in.nextInt());
        v[6] = float(in.nextInt());
        in.next();
        for (int i = 7; i <= 9; ++i) v[i] = in.nextFloat();
        in.next();
        in.next();
        for (int i = 10; i <= 14; ++i) v[i] = in.nextFloat();
        in.next();
        for (int i = 15; i <= 17; ++i) v[i] = in.nextFloat();
        in.next();
    }
    // Disabled when the second word after the data says so.
    const bool disabled = scene.word + 1 < scene.words.size() &&
                          equalsIgnoreCase(scene.words[scene.word + 1], "PluginEnabled");
    storeEffector(f, !disabled);
}

void SceneReader::collision() {
    auto* f = new FxEffector(EFFECTOR_COLLISION);
    float* v = f->values;
    in.next();
    in.nextInt();
    in.next();
    v[1] = float(in.nextInt());
    v[2] = in.nextFloat();
    v[3] = in.nextFloat();
    v[4] = float(in.nextInt());
    v[5] = in.nextInt() == 1 ? 1.0f : 0.0f;
    v[6] = in.nextFloat();
    v[7] = in.nextFloat();
    if (is(in.next(), "collision")) in.next();
    v[8] = in.nextFloat();
    v[9] = in.nextFloat();
    for (int i = 0; i < 6; ++i) in.nextFloat();
    f->enabled = !(scene.word + 1 < scene.words.size() &&
                   equalsIgnoreCase(scene.words[scene.word + 1], "PluginEnabled"));
    storeEffector(f, true);
}

void SceneReader::hyperVoxels() {
    volumetric = nullptr;
    while (!in.endOfBlock()) {
        const char* w = in.next();
        if (is(w, "HVFlags")) {
            for (int i = 0; i < 4; ++i) in.next();
        } else if (is(w, "HVBlendingGroups")) {
            long n = std::atol(in.next());
            for (long i = 0; i < n && !in.atEnd(); ++i) in.next();
        } else if (is(w, "HVObject")) {
            hyperVoxelObject();
        }
    }
}

void SceneReader::hyperVoxelObject() {
    if (is(in.peek(), "{")) in.next();
    while (!in.endOfBlock()) {
        const char* w = in.next();
        if (is(w, "HVFlags")) {
            const std::string name = in.next();
            for (int i = 0; i < 3; ++i) in.next();
            const int kind = in.nextInt();
            for (int i = 0; i < 4; ++i) in.next();
            volumetric = nullptr;
            LWObject* target = nullptr;
            for (LWObject* o : scene.objects)
                if (o->name == name) {
                    target = o;
                    break;
                }
            if (kind != 1 && kind != 2) {
                reportAssertion("0");
            } else if (target) {
                delete target->volumetric;
                target->volumetric = new VolumetricSettings(kind);
                volumetric = target->volumetric;
            }
        } else if (is(w, "HVChannels")) {
            hyperVoxelChannels();
        } else if (is(w, "HVTextures")) {
            hyperVoxelTextures();
        } else if (is(w, "{")) {
            in.skipBlock();
        }
    }
}

void SceneReader::hyperVoxelChannels() {
    if (is(in.peek(), "{")) in.next();
    VolumetricSettings* v = volumetric;
    LWAnimValue dropped[3];
    auto value = [&](LWAnimValue& target) {
        target.setEnvelope(nullptr);
        target.value = in.nextFloat();
        if (equalsIgnoreCase(in.peek(), "(envelope)")) {
            in.next();
            readEnvelope(target);
        }
    };
    auto triple = [&](LWAnimValue* target) {
        for (int i = 0; i < 3; ++i) target[i].value = in.nextFloat();
        if (equalsIgnoreCase(in.peek(), "(envelope)")) {
            in.next();
            for (int i = 0; i < 3; ++i) readEnvelope(target[i]);
        }
    };
    auto flag = [&](bool& target) { target = !is(in.next(), "0"); };
    bool droppedFlag = false;
    int droppedInt = 0;
    while (!in.endOfBlock()) {
        const char* p = in.next();
        struct Named {
            const char* name;
            LWAnimValue VolumetricSettings::*field;
        };
        static const Named floats[] = {
            {"Dissolve", &VolumetricSettings::dissolve},
            {"ParticleSize", &VolumetricSettings::particleSize},
            {"SizeVariation", &VolumetricSettings::sizeVariation},
            {"VDensity", &VolumetricSettings::vDensity},
            {"VOpacity", &VolumetricSettings::vOpacity},
            {"VLuminosity", &VolumetricSettings::vLuminosity},
            {"NearClip", &VolumetricSettings::nearClip},
            {"StretchAmount", &VolumetricSettings::stretchAmount},
            {"TextureAmplitude", &VolumetricSettings::textureAmplitude},
        };
        bool done = false;
        for (const Named& n : floats)
            if (is(p, n.name)) {
                value(v ? v->*n.field : dropped[0]);
                done = true;
            }
        if (done) continue;
        if (is(p, "VColor")) {
            triple(v ? v->color : dropped);
        } else if (is(p, "Color")) {
            triple(dropped);
        } else if (is(p, "BlendingMode") || is(p, "BlendingGroup") || is(p, "StretchDirection") ||
                   is(p, "Slices")) {
            const int x = in.nextInt();
            int& target = !v                       ? droppedInt
                          : is(p, "BlendingMode")  ? v->blendingMode
                          : is(p, "BlendingGroup") ? v->blendingGroup
                          : is(p, "Slices")        ? v->slices
                                                   : v->stretchDirection;
            target = x;
        } else if (is(p, "UseAllLights") || is(p, "AlignToPath") || is(p, "MaintainVolume")) {
            flag(!v                      ? droppedFlag
                 : is(p, "UseAllLights") ? v->useAllLights
                 : is(p, "AlignToPath")  ? v->alignToPath
                                         : v->maintainVolume);
        } else if (is(p, "VAmbientColor") || is(p, "VAmbientIntensity") || is(p, "DiffuseSharp") ||
                   is(p, "VThickness") || is(p, "VSmoothness") || is(p, "VShadowStrength")) {
            value(dropped[0]);
        } else if (is(p, "VRenderQuality") || is(p, "VShadowQuality") ||
                   is(p, "VolumetricShadows") || is(p, "VIllumination") || is(p, "TextureEffect") ||
                   is(p, "EffectSpeed") || is(p, "TextureShadows") || is(p, "VLight1") ||
                   is(p, "VLight2")) {
            in.next();
        } else if (is(in.peek(), "{")) {
            in.next();
            in.skipBlock();
        }
    }
}

void SceneReader::hyperVoxelTextures() {
    if (is(in.peek(), "{")) in.next();
    while (!in.endOfBlock()) {
        const char* w = in.next();
        if (is(w, "TextureBlock")) {
            auto* layer = new LWTextureLayer;
            textureBlock(layer);
            if (volumetric)
                volumetric->textures.push_back(layer);
            else
                delete layer;
        } else if (is(w, "{")) {
            in.skipBlock();
        }
    }
}

void SceneReader::textureBlock(LWTextureLayer* t) {
    if (is(in.peek(), "{")) in.next();
    auto triple = [&](LWAnimValue* target) {
        for (int i = 0; i < 3; ++i) target[i].value = in.nextFloat();
        if (equalsIgnoreCase(in.peek(), "(envelope)")) {
            in.next();
            for (int i = 0; i < 3; ++i) readEnvelope(target[i]);
        }
    };
    auto open = [&] {
        if (is(in.peek(), "{")) in.next();
    };
    while (!in.endOfBlock()) {
        const char* w = in.next();
        if (is(w, "Texture")) {
            open();
            const char* type = in.next();
            if (is(type, "Procedural")) t->type = fourCC("PROC");
            if (is(type, "ImageMap")) t->type = fourCC("IMAP");
            if (is(type, "Gradient")) t->type = fourCC("GRAD");
            in.next(); // its name
            while (!in.endOfBlock()) {
                const char* e = in.next();
                if (is(e, "Channel")) {
                    t->channel = in.nextInt();
                } else if (is(e, "Opacity")) {
                    t->opacityType = in.nextInt();
                    t->opacity.value = in.nextFloat();
                    if (equalsIgnoreCase(in.peek(), "(envelope)")) {
                        in.next();
                        readEnvelope(t->opacity);
                    }
                } else if (is(e, "Enable")) {
                    t->enabled = !is(in.next(), "0");
                } else if (is(e, "Negative")) {
                    t->negative = !is(in.next(), "0");
                } else if (is(e, "{")) {
                    in.skipBlock();
                }
            }
        } else if (is(w, "TextureMap")) {
            open();
            while (!in.endOfBlock()) {
                const char* e = in.next();
                if (is(e, "Center"))
                    triple(t->center);
                else if (is(e, "Size"))
                    triple(t->size);
                else if (is(e, "Rotation"))
                    triple(t->rotation);
                else if (is(e, "RefObject") || is(e, "Coordinates"))
                    in.next();
                else if (is(e, "{"))
                    in.skipBlock();
            }
        } else if (is(w, "Projection")) {
            t->maptype = in.nextInt();
        } else if (is(w, "Axis")) {
            t->axis = in.nextInt();
        } else if (is(w, "Image")) {
            open();
            while (!in.endOfBlock()) {
                const char* e = in.next();
                if (is(e, "Clip")) {
                    open();
                    while (!in.endOfBlock()) {
                        const char* c = in.next();
                        if (is(c, "Still")) {
                            t->texture = stillTexture(scene, archive, in.next());
                        } else if (is(c, "{")) {
                            in.skipBlock();
                        }
                    }
                } else if (is(e, "{")) {
                    in.skipBlock();
                }
            }
        } else if (is(w, "WrapOptions")) {
            const int width = in.nextInt(), height = in.nextInt();
            layerAddressModes(width, height, t->maptype,
                              scene.context ? scene.context->textureAddressCaps : 0, &t->addressU,
                              &t->addressV);
        } else if (is(w, "WidthWrap")) {
            t->widthRepeat = in.nextFloat();
            in.next();
        } else if (is(w, "HeightWrap")) {
            t->heightRepeat = in.nextFloat();
            in.next();
        } else if (is(w, "AntiAliasing")) {
            if (!is(in.next(), "0")) t->antialiasStrength = in.nextFloat();
        } else if (is(w, "PixelBlending")) {
            t->pixelBlending = !is(in.next(), "0");
        } else if (is(w, "TextureValue")) {
            in.next();
        } else if (is(w, "{")) {
            in.skipBlock();
        }
    }
}

void SceneReader::finishCounts() {
    if (emitterOverflow || storedEmitters > numEmitters)
        reportAssertion("numEmitters <= fxEmitter.size()");
    if (effectorOverflow || storedEffectors > numEffectors)
        reportAssertion("numEffectors <= fxEffector.size()");
    scene.fxEmitter.resize(storedEmitters);
    scene.fxEffector.resize(storedEffectors);
    scene.currentCamera = scene.cameras.empty() ? nullptr : scene.cameras[0];
}

} // namespace

LW6Scene::LW6Scene(DeviceContextBase* context, MetaScene* metaScene)
    : context(context), metaScene(metaScene) {}

LW6Scene::~LW6Scene() {
    if (releaseTargets) releaseTargets(*this);
    for (LWCamera* c : cameras) delete c;
    for (LWObject* o : objects) delete o;
    for (LWLight* l : lights) delete l;
    for (LWBone* b : bones) delete b;
    for (FxEmitter* e : fxEmitter) delete e;
    for (FxEffector* e : fxEffector) delete e;
}

bool LW6Scene::loadScene(VirtualFile* archive, const char* name) {
    std::unique_ptr<VirtualFile> file(archive ? archive->clone() : nullptr);
    if (!file || !file->openRead(name)) {
        diagLog() << "File not found!\n";
        return false;
    }
    fileName = name;
    const uint32_t size = file->size;
    std::unique_ptr<char[]> buffer(new char[size_t(size) + 128]());
    const uint32_t got = file->read(buffer.get(), size);
    file->close();
    buffer[got] = 0;
    buffer[size_t(got) + 1] = 0;
    splitWords(buffer.get(), got, words);
    word = 0;

    if (words.empty() || std::strncmp(words[0], "LWSC", 4) != 0) {
        reportAssertion("0 && \"not an LWS file!\"");
        words.clear();
        return false;
    }
    if (words.size() < 2 || std::atoi(words[1]) != 3) {
        reportAssertion("0 && \"unbekanntes LWS file!!!\"");
        words.clear();
        return false;
    }
    SceneReader reader(*this, archive);
    reader.countItems();
    reader.keywordPass();
    reader.finishCounts();
    words.clear();
    return true;
}
