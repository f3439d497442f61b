#include "base/diag_log.h"
#include "base/message_box.h"
#include "effects/particle_settings.h"
#include "files/disk_file.h"
#include "images/texture.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "support/memory_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kQuickDraw =
    std::string(NL_TESTDATA_DIR) + "/lws/quickdraw/LWS/QuickDraw v.2.2.lws";

struct Loaded {
    std::unique_ptr<MetaScene> meta;
    LW6Scene* scene = nullptr;
    bool ok = false;
};

Loaded loadText(const std::string& text, const std::string& name = "test.lws") {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)[name] = std::vector<uint8_t>(text.begin(), text.end());
    (*files)["ship.lwo"] = {'F', 'O', 'R', 'M'};
    MemoryFile memory(files);
    Loaded l;
    l.meta = std::make_unique<MetaScene>(nullptr);
    l.scene = new LW6Scene(nullptr, l.meta.get());
    l.meta->scenes.emplace_back(l.scene);
    l.ok = l.scene->loadScene(&memory, name.c_str());
    return l;
}

// One channel block with the given keys (value, time) and behaviours.
std::string channel(int number, std::vector<std::pair<float, float>> keys, int pre = 1,
                    int post = 1) {
    std::ostringstream s;
    s << "Channel " << number << "\n{ Envelope\n  " << keys.size() << "\n";
    for (auto& k : keys) s << "  Key " << k.first << " " << k.second << " 0 0 0 0 0 0 0\n";
    s << "  Behaviors " << pre << " " << post << "\n}\n";
    return s.str();
}

// The QuickDraw scene read line by line, independently of the loader: for
// every motion block of every item, each channel's key count and first value.
struct MotionChannel {
    int keys;
    float first;
};
std::vector<std::vector<MotionChannel>> motionsByLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::vector<MotionChannel>> motions;
    std::string line;
    bool inMotion = false;
    while (std::getline(in, line)) {
        std::istringstream w(line);
        std::string first;
        w >> first;
        if (first == "ObjectMotion" || first == "LightMotion" || first == "CameraMotion") {
            motions.emplace_back();
            inMotion = true;
        } else if (inMotion && first == "Channel") {
            std::string brace, count;
            std::getline(in, line); // "{ Envelope"
            std::getline(in, line);
            const int n = std::stoi(line);
            float value = 0;
            for (int k = 0; k < n; ++k) {
                std::getline(in, line);
                std::istringstream kw(line);
                std::string key;
                float v;
                kw >> key >> v;
                if (k == 0) value = v;
            }
            motions.back().push_back({n, value});
        } else if (!first.empty() && first != "NumChannels" && first != "{" && first != "}" &&
                   first != "Behaviors" && first != "Key") {
            inMotion = false;
        }
    }
    return motions;
}

// Runs a test in another folder, as the player runs in its show's folder.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~InFolder() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

TEST(LwsLoader, QuickDrawSceneComesOutAsTheFileSays) {
    MessageRecorder messages;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    // Its object names are relative to the scene's folder.
    InFolder folder(std::string(NL_TESTDATA_DIR) + "/lws/quickdraw/LWS");
    DiskFile disk;
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.emplace_back(scene);
    ASSERT_TRUE(scene->loadScene(&disk, kQuickDraw.c_str()));
    EXPECT_EQ(1.0, scene->firstFrame);
    EXPECT_EQ(30.0, scene->lastFrame);
    EXPECT_EQ(30.0, scene->framesPerSecond);
    ASSERT_EQ(20u, scene->objects.size()); // 11 object layers and 9 nulls
    ASSERT_EQ(1u, scene->lights.size());
    ASSERT_EQ(1u, scene->cameras.size());
    EXPECT_EQ(scene->cameras[0], scene->currentCamera);
    EXPECT_EQ("../LWO/LWO2/LWSReferences/QuickDraw--Chasis.lwo", scene->objects[0]->name);
    EXPECT_EQ("Quick", scene->objects[11]->name); // unquoted null names end at the blank
    // Parents as the file gives them (ParentItem 1000000e on the chassis).
    EXPECT_EQ(scene->objects[14], scene->objects[0]->parent);
    EXPECT_EQ(scene->objects[0], scene->objects[1]->parent);
    EXPECT_EQ(scene->objects[4], scene->objects[5]->parent);
    EXPECT_EQ(nullptr, scene->objects[14]->parent);
    int parented = 0;
    for (LWObject* o : scene->objects) parented += o->parent != nullptr;
    EXPECT_EQ(19, parented);

    // Every channel of every motion block: key count and value.
    const auto motions = motionsByLines(kQuickDraw);
    std::vector<LWItem*> items;
    for (LWObject* o : scene->objects) items.push_back(o);
    items.push_back(scene->lights[0]);
    items.push_back(scene->cameras[0]);
    ASSERT_EQ(items.size(), motions.size());
    int envelopes = 0, channels = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        channels += int(motions[i].size());
        ASSERT_GE(motions[i].size(), 6u) << i;
        for (int c = 0; c < int(motions[i].size()); ++c) {
            const MotionChannel& m = motions[i][size_t(c)];
            LWAnimValue& v = items[i]->channels[c];
            if (m.keys >= 2) {
                ASSERT_NE(nullptr, v.envelope) << i << " " << c;
                EXPECT_EQ(m.keys, v.envelope->numKeys);
                EXPECT_FLOAT_EQ(m.first, v.envelope->keys[0].value);
                ++envelopes;
            } else {
                EXPECT_EQ(nullptr, v.envelope);
                EXPECT_FLOAT_EQ(m.first, v.value);
            }
        }
    }
    EXPECT_EQ(195, channels); // every envelope block of the file
    EXPECT_GT(envelopes, 100);
    // Every object layer found its object and layer.
    EXPECT_EQ(0u, messages.count()) << messages.messages()[0].text;
    EXPECT_EQ(11u, meta.meshes.size());
    int withLayer = 0;
    for (LWObject* o : scene->objects) withLayer += o->layer != nullptr;
    EXPECT_EQ(11, withLayer);
    EXPECT_EQ("../LWO/LWO2/LWSReferences/QuickDraw--Chasis.lwo:1", scene->objects[0]->layer->name);
    EXPECT_GT(meta.surfaces.size(), 20u);
}

TEST(LwsLoader, OtherVersionsAndOtherFilesAreRefused) {
    MessageRecorder messages;
    DiskFile disk;
    for (const char* f : {"/lws/move_x/move_x.lws", "/lws/move_x/move_x_oldformat_56.lws"}) {
        LW6Scene scene(nullptr, nullptr);
        EXPECT_FALSE(scene.loadScene(&disk, (std::string(NL_TESTDATA_DIR) + f).c_str())) << f;
    }
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("0 && \"unbekanntes LWS file!!!\"", messages.messages()[0].text);
    EXPECT_EQ("Assertion failed", messages.messages()[0].caption);
    messages.clear();
    EXPECT_FALSE(loadText("LWOB\n3\n").ok);
    EXPECT_EQ("0 && \"not an LWS file!\"", messages.messages().at(0).text);
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    LW6Scene missing(nullptr, nullptr);
    EXPECT_FALSE(missing.loadScene(&disk, "no-such.lws"));
    EXPECT_EQ("File not found!\n", log.str());
}

TEST(LwsLoader, SceneSettingsFogAndBackdrop) {
    MessageRecorder messages;
    auto l = loadText("LWSC\n3\nFramesPerSecond 25\nAmbientColor 0.5 0.25 1\n"
                      "AmbientIntensity 0.75\nFogType 2\nFogMinDistance 3\nFogMaxDistance 9\n"
                      "BackdropColor 0.1 0.2 0.3\nBackdropFog 1\nGridNumber 12\nGridSize 0.5\n");
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(25.0, l.scene->framesPerSecond);
    EXPECT_FLOAT_EQ(0.25f, l.scene->ambientColor[1]);
    EXPECT_FLOAT_EQ(0.75f, l.scene->ambientIntensity.value);
    EXPECT_EQ(FOG_EXP, l.scene->fogType);
    EXPECT_FLOAT_EQ(0.3f, l.scene->fogColor[2]);
    EXPECT_FLOAT_EQ(1.0f, l.scene->fogColor[3]);
    EXPECT_EQ(12, l.scene->gridNumber);
    for (auto [written, stored] : {std::pair{1, 3}, {2, 1}, {3, 2}, {0, 0}, {7, 0}}) {
        auto f = loadText("LWSC\n3\nFogType " + std::to_string(written) + "\n");
        EXPECT_EQ(stored, f.scene->fogType) << written;
    }
    EXPECT_EQ(nullptr, l.scene->currentCamera);
}

TEST(LwsLoader, LightsConesEnvelopesAndCaseSensitiveKeywords) {
    MessageRecorder messages;
    auto l = loadText("LWSC\n3\nAddLight\nLightName \"Key light\"\nLightConeAngle 30\n"
                      "LightEdgeAngle (envelope)\n{ Envelope\n  1\n  Key 30 5 0 0 0 0 0 0 0\n"
                      "  Behaviors 1 1\n}\nlightcolor 0.5 0.5 0.5\nLightIntensity 0.8\n"
                      "AffectDiffuse 0\nLightType 2\nShadowMapSize 1024\nLensFlare 1\n"
                      "AddLight\nLightColor (envelope)\n" +
                      std::string("{ Envelope\n 2\n Key 1 0 0 0 0 0 0 0 0\n Key 0 1 0 0 0 0 0 0 0\n"
                                  " Behaviors 1 1\n}\n{ Envelope\n 1\n Key 0.5 0 0 0 0 0 0 0 0\n"
                                  " Behaviors 1 1\n}\n{ Envelope\n 2\n Key 0 0 0 0 0 0 0 0 0\n"
                                  " Key 1 2 0 0 0 0 0 0 0\n Behaviors 1 1\n}\nLightRange 7\n"));
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(2u, l.scene->lights.size());
    LWLight* a = l.scene->lights[0];
    EXPECT_EQ("Key light", a->name);
    EXPECT_NEAR(0.5235988, a->coneAngle.value, 1e-6);
    EXPECT_EQ(nullptr, a->edgeAngle.envelope);
    EXPECT_FLOAT_EQ(30.0f, a->edgeAngle.value); // one key: a constant as written
    EXPECT_FLOAT_EQ(0.0f, a->color[0].value);   // lower-case keyword: not read
    EXPECT_FLOAT_EQ(0.8f, a->intensity.value);
    EXPECT_TRUE(a->noDiffuse);
    EXPECT_EQ(2, a->lightType);
    EXPECT_EQ(1024, a->shadowMapSize);
    EXPECT_TRUE(a->lensFlare);
    EXPECT_EQ(0, a->index);
    LWLight* b = l.scene->lights[1];
    EXPECT_EQ(1, b->id);
    ASSERT_NE(nullptr, b->color[0].envelope);
    EXPECT_EQ(nullptr, b->color[1].envelope);
    EXPECT_FLOAT_EQ(0.5f, b->color[1].value);
    ASSERT_NE(nullptr, b->color[2].envelope);
    EXPECT_FLOAT_EQ(2.0f, b->color[2].envelope->endTime);
    EXPECT_FLOAT_EQ(7.0f, b->range.value); // reading went on after the three blocks
    EXPECT_EQ(0u, messages.count());
}

TEST(LwsLoader, ObjectsNamesPivotsExcludesAndIdentifiers) {
    MessageRecorder messages;
    auto l = loadText("LWSC\n3\nAddLight\nAddLight\nAddLight\n"
                      "LoadObjectLayer 1 \"my ship.lwo\"\nPivotPosition 1 2 3\n"
                      "PivotRotation 90 45 0\nExcludeLight 20000002\nExcludeLight 21000000\n"
                      "ExcludeLight 22000000\nShadowOptions 3\nUnaffectedByFog 1\n"
                      "LoadObjectLayer 2 big cargo ship.lwo\nParentItem 10000000\n"
                      "TargetItem 20000001\nLoadObjectLayer 1 c:ship.lwo\n"
                      "AddNullObject Handle\nParentItem 40000000\nHController 1\n"
                      "LOADOBJECTLAYER 1 ship.lwo\nAddCamera\nCameraMotion\nNumChannels 1\n" +
                      channel(1, {{2, 0}, {4, 1}}) +
                      "TargetItem 10000003\nPController 2\n"
                      "ZoomFactor 2.5\nEyeSeparation 0.1\n");
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(5u, l.scene->objects.size()); // the upper-case keyword is counted
    LWObject* first = l.scene->objects[0];
    EXPECT_EQ("my ship.lwo", first->name);
    EXPECT_FLOAT_EQ(3.0f, first->pivotPosition[2]);
    EXPECT_NEAR(0.7853982, first->pivotRotation[0], 1e-6); // pitch first
    EXPECT_NEAR(1.5707963, first->pivotRotation[1], 1e-6);
    ASSERT_EQ(1u, first->excludedLights.size());
    EXPECT_EQ(2, first->excludedLights[0]);
    EXPECT_EQ(3, first->shadowOptions);
    EXPECT_TRUE(first->unaffectedByFog);
    LWObject* second = l.scene->objects[1];
    EXPECT_EQ("big cargo ship.lwo", second->name); // unquoted words joined again
    EXPECT_EQ(first, second->parent);
    EXPECT_EQ(l.scene->lights[1], second->target);
    EXPECT_EQ("c:\\ship.lwo", l.scene->objects[2]->name);
    LWObject* handle = l.scene->objects[3];
    EXPECT_EQ("Handle", handle->name);
    EXPECT_EQ(nullptr, handle->parent); // bones and beyond are not resolved
    EXPECT_EQ(1, handle->headingController);
    EXPECT_EQ("", l.scene->objects[4]->name); // counted, never handled
    LWCamera* cam = l.scene->cameras[0];
    EXPECT_EQ(handle, cam->target);
    EXPECT_EQ(2, cam->pitchController);
    EXPECT_FLOAT_EQ(2.5f, cam->zoomFactor.value);
    EXPECT_FLOAT_EQ(0.1f, cam->eyeSeparation);
    ASSERT_NE(nullptr, cam->channels[1].envelope);
    EXPECT_NEAR(3.0, cam->channels[1].evaluate(0.5), 1e-5);
    // Three object layers; each reports its layer (objects are not read yet).
    EXPECT_EQ(3u, messages.count());
    EXPECT_EQ(3u, l.meta->meshes.size());
}

TEST(LwsLoader, ParticlePluginsAndTheDisabledRule) {
    MessageRecorder messages;
    const std::string emitterData =
        "Plugin CustomObjHandler 1 FX_Emitter\n w 1 w 2 3 4 p1 0 0 0 500 0 w 0.1 0.2 0.3 0.4 0 0 "
        "w 0.5 0.6 0.7 0 w 0 250 1 0 1 60 30 9 0 0 1 2 3 4 5 6 7 8 9 w 1.5 4.5 0.25 0.75 0 0 0 "
        "40 10 0 0 99 0 0 0\n";
    std::string text = "LWSC\n3\nLoadObjectLayer 1 ship.lwo\n" + emitterData + "EndPlugin\n" +
                       emitterData + "EndPlugin\nPluginEnabled 0\n" +
                       "Plugin CustomObjHandler 1 FX_Gravity\n w 1 w 1 2.5 3.5 4 5 g1 6 7 8 w\n"
                       "EndPlugin\nPlugin CustomObjHandler 1 FX_Collision\n w 1 w 1 2 3 4 1 5 6 "
                       "c 8 9 0 0 0 0 0 0\nEndPlugin\n"
                       "Plugin CustomObjHandler 1 FX_Collision\n w 1 w 1 2 3 4 1 5 6 "
                       "c 8 9 0 0 0 0 0 0\nEndPlugin\nPluginEnabled 0\n";
    auto l = loadText(text);
    ASSERT_TRUE(l.ok);
    ASSERT_EQ(1u, l.scene->fxEmitter.size()); // the second one was disabled
    FxEmitter* e = l.scene->fxEmitter[0];
    EXPECT_FLOAT_EQ(2.0f, e->sizeX);
    EXPECT_FLOAT_EQ(4.0f, e->sizeZ);
    EXPECT_EQ(500, e->particleLimit);
    EXPECT_FLOAT_EQ(0.1f, e->emitterValue1.value);
    EXPECT_FLOAT_EQ(0.4f, e->emitterValue4);
    EXPECT_FLOAT_EQ(0.7f, e->emitterValue7);
    EXPECT_FLOAT_EQ(250.0f, e->birthRate.value);
    EXPECT_EQ(1, e->generatorType);
    EXPECT_EQ(1, e->birthMode);
    EXPECT_FLOAT_EQ(2.0f, e->lifeTime.value); // 60 frames
    EXPECT_FLOAT_EQ(1.0f, e->lifeVariation.value);
    EXPECT_FLOAT_EQ(9.0f, e->emitterValue8.value);
    EXPECT_FLOAT_EQ(1.5f, e->emitterValue9);
    EXPECT_FLOAT_EQ(0.75f, e->emitterValue12);
    EXPECT_FLOAT_EQ(40.0f, e->emitterValue13);
    EXPECT_FLOAT_EQ(99.0f, e->emitterValue15);
    EXPECT_EQ(l.scene->objects[0], e->parent);
    ASSERT_EQ(3u, l.scene->fxEffector.size()); // a collision is kept even when off
    FxEffector* g = l.scene->fxEffector[0];
    EXPECT_EQ(EFFECTOR_GRAVITY, g->kind);
    EXPECT_FLOAT_EQ(2.5f, g->values[2]);
    EXPECT_FLOAT_EQ(8.0f, g->values[8]);
    FxEffector* c = l.scene->fxEffector[1];
    EXPECT_EQ(EFFECTOR_COLLISION, c->kind);
    EXPECT_FLOAT_EQ(1.0f, c->values[5]);
    EXPECT_FLOAT_EQ(9.0f, c->values[9]);
    EXPECT_TRUE(c->enabled);
    FxEffector* off = l.scene->fxEffector[2];
    EXPECT_EQ(EFFECTOR_COLLISION, off->kind);
    EXPECT_FALSE(off->enabled) << "switched off: kept, but it does not act";
    // ship.lwo is no LWO2 file here: that, and so the object's missing layer.
    ASSERT_EQ(2u, messages.count());
    EXPECT_EQ("0 && \"not an LWO2 file!!!\"", messages.messages()[0].text);
}

TEST(LwsLoader, HyperVoxelSettingsAndTextures) {
    MessageRecorder messages;
    auto l = loadText(
        "LWSC\n3\nAddNullObject Cloud\nAddNullObject Other\n"
        "Plugin VolumetricHandler 1 HyperVoxelsFilter\n{ HyperVoxelData\n HVFlags 0 0 0 0\n"
        " HVBlendingGroups 2 a b\n HVObject\n { HVFlags Cloud 1 2 3 2 4 5 6 7\n"
        "  HVChannels\n  { Dissolve 0.5\n    ParticleSize 2 (envelope)\n"
        "    { Envelope\n 2\n Key 1 0 0 0 0 0 0 0 0\n Key 3 1 0 0 0 0 0 0 0\n Behaviors 1 1\n }\n"
        "    VColor 0.1 0.2 0.3\n    Slices 12\n    UseAllLights 1\n    AlignToPath 0\n"
        "    Mystery { a b { c } }\n    VRenderQuality high\n  }\n"
        "  HVTextures\n  { TextureBlock\n    { Texture { ImageMap \"img\" Channel 2 Enable 1 "
        "Negative 0 }\n      TextureMap { Center 1 2 3 Size 4 5 6 RefObject none }\n"
        "      Projection 1\n      Axis 2\n      Image { Clip { Still c:smoke_nodxt.tga } }\n"
        "      WidthWrap 3 0\n      PixelBlending 0\n    }\n  }\n }\n HVObject\n"
        " { HVFlags Other 1 2 3 7 4 5 6 7\n }\n}\nGridNumber 5\n");
    ASSERT_TRUE(l.ok);
    VolumetricSettings* v = l.scene->objects[0]->volumetric;
    ASSERT_NE(nullptr, v);
    EXPECT_EQ(2, v->kind);
    EXPECT_FLOAT_EQ(0.5f, v->dissolve.value);
    ASSERT_NE(nullptr, v->particleSize.envelope);
    EXPECT_FLOAT_EQ(0.3f, v->color[2].value);
    EXPECT_EQ(12, v->slices);
    EXPECT_TRUE(v->useAllLights);
    EXPECT_FALSE(v->alignToPath);
    ASSERT_EQ(1u, v->textures.size());
    LWTextureLayer* t = v->textures[0];
    EXPECT_EQ(fourCC("IMAP"), t->type);
    EXPECT_EQ(2, t->channel);
    EXPECT_FLOAT_EQ(6.0f, t->size[2].value);
    EXPECT_EQ(1, t->maptype);
    EXPECT_EQ(2, t->axis);
    EXPECT_FLOAT_EQ(3.0f, t->widthRepeat);
    EXPECT_FALSE(t->pixelBlending);
    ASSERT_NE(nullptr, t->texture);
    EXPECT_EQ("c:/smoke_nodxt.tga", t->texture->name);
    EXPECT_EQ(uint32_t(TEXTURE_MIPMAPS), t->texture->flags); // "_nodxt": not compressed
    EXPECT_EQ(1u, l.meta->textures.all().size());
    // The second object's renderer kind 7 is refused.
    EXPECT_EQ(nullptr, l.scene->objects[1]->volumetric);
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("0", messages.messages()[0].text);
    EXPECT_EQ(5, l.scene->gridNumber); // scanning went on after the block
}

TEST(LwsLoader, MalformedScenesStayInsideTheWords) {
    MessageRecorder messages;
    const std::vector<std::string> bad = {
        "LWSC\n3\nObjectMotion\nNumChannels 9\nChannel 0\n{ Envelope\n 2000000000\n Key 1",
        "LWSC\n3\nAddLight\nLightColor (envelope)\n{ Envelope\n",
        "LWSC\n3\nPlugin VolumetricHandler 1 H\n{ HyperVoxelData\n HVObject\n { HVChannels\n {",
        "LWSC\n3\nPlugin CustomObjHandler 1 FX_Emitter\n",
        "LWSC\n3\nPlugin MasterHandler 1 MotionMixer\n{ Actor",
        "LWSC\n3\nLoadObjectLayer 1 never ends",
        "LWSC\n3\nParentItem\nTargetItem ffffffff\nExcludeLight",
        "LWSC\n3\nAddNullObject a\nParentItem 10000000\n",
        "\"LWSC\n3",
    };
    // Each is read to its end without reading past the words (the sanitizers
    // watch), and the header decides the result.
    for (size_t i = 0; i + 1 < bad.size(); ++i) EXPECT_TRUE(loadText(bad[i]).ok) << i;
    EXPECT_FALSE(loadText(bad.back()).ok);
    // A key count far beyond the words present is cut to what is there.
    auto huge = loadText(bad[0]);
    EXPECT_EQ(0u, huge.scene->objects.size()); // motion without an object goes nowhere
    auto light = loadText("LWSC\n3\nAddLight\nLightMotion\nNumChannels 1\nChannel 0\n"
                          "{ Envelope\n 2000000000\n Key 1 0 0 0 0 0 0 0 0\n Key 2 1");
    ASSERT_NE(nullptr, light.scene->lights[0]->channels[0].envelope);
    EXPECT_LE(light.scene->lights[0]->channels[0].envelope->numKeys, 3);
}

} // namespace
