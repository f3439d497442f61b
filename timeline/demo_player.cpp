#include "demo_player.h"

#include "base/color.h"
#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "demo_controls.h"
#include "lightwave/scene.h"
#include "lightwave/surface.h"
#include "meshes/mesh_layers.h"
#include "profiler.h"
#include "render/scene_renderer.h"
#include "render/surface_programs.h"
#include "sound/tmz_sound_system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

// Where the loading screen's bar lies, as fractions of the screen.
constexpr float LOADING_BAR[4] = {0.0f, 0.91f, 1.0f, 0.935f};
constexpr uint32_t LOADING_BAR_COLOUR = 0xff606060;
constexpr uint32_t LOADING_BACKGROUND = 0xff000000;

} // namespace

DemoPlayer::~DemoPlayer() {
    teardown();
}

void DemoPlayer::init(DisplaySystem& display) {
    started = std::chrono::steady_clock::now();
    archive = std::make_unique<ArchiveFile>(diskPrototype);
    archive->openArchive(archiveName.c_str()); // without it, loose files serve
    archive->looseFirst = looseFilesFirst;
    archiveStampAtOpen = archive->archiveStamp();
    tokenizer = std::make_unique<TextTokenizer>(archive.get());
    const std::string& script = display.settings.scriptFile;
    scriptName = script.empty() ? "scene.scr" : script;
    bool haveScript = tokenizer->load(scriptName.c_str());
    recorder.openWrite("events.scr");

    D3DVIEWPORT8 viewport = {0,    0,   DWORD(context.screenWidth), DWORD(context.screenHeight),
                             0.0f, 1.0f};
    if (context.device) {
        context.device->SetViewport(&viewport);
        context.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        context.present();
        context.device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING,
                                       !(context.hardwareTnL && context.vertexShaders));
        createSurfacePrograms(context);
        context.device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, !context.hardwareTnL);
    }
    timeline = DemoTimeline{};
    // A script that does not parse has shown its error: the demo ends at once.
    if (haveScript && !parseScript(*tokenizer, timeline.events)) {
        done = true;
        return;
    }
    noSound = display.settings.noSound;
    music.sound = makeSoundSystem();
    profiler().clear();
    profiler().registerDemoSections();
    if (context.device) {
        white = createWhiteTexture(&context);
        loadingScreen.setup(&context, archive.get(), STARTUP_PICTURES[0], LOADING_BAR,
                            LOADING_BAR_COLOUR, LOADING_BACKGROUND);
        secondPicture = loadScreenPicture(&context, archive.get(), STARTUP_PICTURES[1]);
        loadingScreen.draw(0, white->texture());
    }
    timeline.time = 0;
}

std::unique_ptr<SoundSystem> DemoPlayer::makeSoundSystem() const {
    if (soundFactory) return std::unique_ptr<SoundSystem>(soundFactory());
    if (noSound) return std::make_unique<SilentSoundSystem>();
    return std::make_unique<TmzSoundSystem>();
}

double DemoPlayer::musicPosition() {
    return music.position();
}

void DemoPlayer::update(bool draw) {
    if (done || !music.sound) return;
    frameRate.frame(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    timeline.advance(music.position());
    timeline.runEvents(timeline.now(), *this);
    if (timeline.time >= 0) {
        if (draw) {
            drawPasses();
        } else {
            // A frame that is not shown still moves the scenes and the effect
            // along as its passes would.
            const bool onePass = onePassSuffices();
            const int passes = onePass ? 1 : passCount();
            for (int i = 0; i < passes; ++i) {
                // Each pass looks through its own eye, as a drawn one would:
                // a point cloud keeps where each eye last saw its points.
                selectPass(i, onePass);
                if (current) advanceMetaScene(*current, context, timeline.time, advanceScene);
                if (stepEffect(effect, timeline.time).crossFadeEnded) endCrossFade();
            }
        }
    }
    music.sound->poll();
}

// Two eye passes a frame; nightloom-prev draws one pass per output.
int DemoPlayer::passCount() const {
    return isPrevBuild() ? context.deviceCount : 2;
}

bool DemoPlayer::onePassSuffices() const {
    if (!allowOnePass || isPrevBuild() || context.deviceCount > 1) return false;
    // A cross-fade that ends in this frame hands the screen over between
    // the two eye passes.
    ScreenEffect probe = effect;
    if (stepEffect(probe, timeline.time).crossFadeEnded) return false;
    if (!current) return true;
    const float stereoScale = context.stereoParams[0];
    bool screenSceneDrawn = false;
    for (const std::unique_ptr<LW6Scene>& scene : current->scenes) {
        if (!scene->active) continue;
        // A scene drawing into a texture after a scene that may show that
        // texture: the second eye would show the first eye's half-drawn one.
        if (scene->renderSurface && screenSceneDrawn) return false;
        if (!scene->renderSurface) screenSceneDrawn = true;
        // Each eye looks from its own side of the camera unless the
        // camera's eyes coincide (lights have no eyes).
        LWItem* camera = viewingCamera(*scene, context);
        const LWCamera* eyes = camera ? dynamic_cast<const LWCamera*>(camera)
                                      : dynamic_cast<const LWCamera*>(
                                            &sceneRenderer(context).freeCameraItem());
        if (eyes && eyes->eyeSeparation * stereoScale != 0) return false;
        // A point cloud's streaks run from where each eye last saw its
        // points: one pass would leave the right eye's places behind.
        for (const LWObject* o : scene->objects)
            if (auto* layer = dynamic_cast<const LoadedLayer*>(o->layer))
                if (layer->kind == LAYER_POINT_CLOUD) return false;
    }
    return true;
}

// Output, device, eye and colour mask of pass `i` of a frame.
void DemoPlayer::selectPass(int i, bool onePass) {
    const bool twoOutputs = context.deviceCount > 1;
    context.currentOutput = twoOutputs ? i : 0;
    context.device = context.devices[size_t(context.currentOutput)];
    if (isPrevBuild()) {
        context.eye = twoOutputs ? 2 + i : -1;
        context.colorWriteMask = COLOR_WRITE_ALL;
    } else {
        context.colorWriteMask = onePass  ? COLOR_WRITE_ALL
                                 : i == 1 ? COLOR_WRITE_RIGHT_EYE
                                          : COLOR_WRITE_LEFT_EYE;
        context.eye = i;
        context.stereoParams[1] = context.stereoParams[2];
    }
}

void DemoPlayer::drawPasses() {
    const bool twoOutputs = context.deviceCount > 1;
    const bool onePass = onePassSuffices();
    const int passes = onePass ? 1 : passCount();
    if (onePass) ++onePassFrames;
    for (int i = 0; i < passes; ++i) {
        profiler().begin(PROFILE_COMPLETE_RENDER_TIME);
        selectPass(i, onePass);
        // The clear is the metascene's; with none, the first pass of a frame
        // clears (and so defines) the frame.
        const bool firstEye = i == 0 || twoOutputs || isPrevBuild();
        if (!current && firstEye)
            clearAllChannels(context, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f);
        // Each eye draws only its own channels: with one output the two
        // passes together cover every channel once.
        context.device->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));
        if (current)
            renderMetaScene(*current, context, timeline.time, firstEye, isPrevBuild(), drawScene);
        if (!first3DFrameLogged && context.renderer && context.renderer->objectsDrawn > 0) {
            // How long a viewer waits for the first picture of a scene.
            first3DFrameLogged = true;
            const auto waited = std::chrono::steady_clock::now() - started;
            diagLog() << "first 3D frame at demo time " << timeline.time << " s, "
                      << std::chrono::duration_cast<std::chrono::milliseconds>(waited).count()
                      << " ms after start-up\n";
        }
        profiler().end(PROFILE_COMPLETE_RENDER_TIME);
        const EffectStep step =
            drawScreenEffect(context, effect, timeline.time, white ? white->texture() : nullptr);
        if (step.crossFadeEnded) endCrossFade();
        if (isPrevBuild() || i == passes - 1 || twoOutputs) {
            if (overlayShown) drawOverlay();
            profiler().begin(PROFILE_PRESENT);
            context.present();
            profiler().end(PROFILE_PRESENT);
        }
    }
}

void DemoPlayer::execute(const ScriptEvent& e, int) {
    if (music.execute(e, archive.get())) return;
    if (music.cueing && e.id == EV_STOP) {
        // Seeking: a scene drawing into a texture leaves its last picture there.
        LW6Scene* scene = findScene(e.args[0].word);
        if (scene && scene->active && scene->renderSurface) drawHiddenFrame(timeline.time);
    }
    runCommand(e);
}

namespace {

void missingTarget(int id, char what) {
    reportAssertion(missingTargetText(id, what).c_str());
}

Texture* firstLayerTexture(LWSurface* surface) {
    return surface->textureLayers.empty() ? nullptr : surface->textureLayers[0]->texture;
}

} // namespace

void DemoPlayer::runCommand(const ScriptEvent& e) {
    const double seconds = timeline.time;
    switch (e.id) {
    case EV_STOPDEMO:
        if (!context.freeFlight) done = true;
        return;
    case EV_LOADMETA:
        mts.push_back(loadMeta(e));
        return;
    case EV_LOADMETASCRIPT: {
        std::unique_ptr<MetaScene> meta = loadMeta(e);
        if (!meta) missingTarget(e.id, 'm');
        mts.push_back(std::move(meta));
        return;
    }
    case EV_ACTIVEMETA: {
        MetaScene* meta = findMeta(e.args[0].word);
        if (!meta) {
            missingTarget(e.id, 'm');
            return;
        }
        current = meta;
        Activation activation;
        activation.progress = context.device ? showProgress : nullptr;
        activation.prepareScene = prepareScene;
        activation.user = this;
        activation.fixedFiles = {scriptName, STARTUP_PICTURES[0], STARTUP_PICTURES[1]};
        activateMetaScene(*meta, activation);
        applyDefaultStates(context);
        return;
    }
    case EV_FREEMETA: {
        const MetaScene* meta = findMeta(e.args[0].word);
        for (std::unique_ptr<MetaScene>& entry : mts) {
            if (meta && entry.get() == meta) {
                if (entry.get() == current) current = nullptr;
                destroyMeta(entry);
                return;
            }
        }
        missingTarget(e.id, 'm');
        return;
    }
    case EV_RESTART:
        return; // the timeline keeps the mark
    case EV_LIGHTFALLOFF:
        context.lightFalloff = e.args[0].i != 0;
        return;
    case EV_LIGHTFLASH:
        context.lightFlash = e.args[0].i != 0;
        return;
    case EV_FOV:
        context.fovMode = e.args[0].i;
        return;
    case EV_FADEIN:
        startEffect(effect, EFFECT_FADE_IN, seconds, e.args[0].f, uint32_t(e.args[1].i));
        return;
    case EV_FADEOUT:
        startEffect(effect, EFFECT_FADE_OUT, seconds, e.args[0].f, uint32_t(e.args[1].i));
        return;
    case EV_FLASH:
        startEffect(effect, EFFECT_FLASH_RISING, seconds, e.args[0].f, uint32_t(e.args[1].i));
        return;
    case EV_PICFADEIN:
    case EV_PICFADEOUT:
    case EV_PICFLASH: {
        LWSurface* surface = findSurface(e.args[1].word);
        if (!surface) {
            missingTarget(e.id, 'f');
            return;
        }
        const int kind = e.id == EV_PICFADEIN    ? EFFECT_FADE_IN
                         : e.id == EV_PICFADEOUT ? EFFECT_FADE_OUT
                                                 : EFFECT_FLASH_RISING;
        startEffect(effect, kind, seconds, e.args[0].f, 0xFFFFFFFF, firstLayerTexture(surface));
        return;
    }
    default:
        break;
    }

    // The rest act on a scene of the current metascene, named by the first word.
    if (!isSceneCommand(e.id)) return;
    LW6Scene* scene = findScene(e.args[0].word);
    if (!scene) {
        missingTarget(e.id, 's');
        return;
    }
    switch (e.id) {
    case EV_CAM: {
        const int k = e.args[1].i;
        if (k >= 0 && size_t(k) < scene->cameras.size())
            scene->currentCamera = scene->cameras[size_t(k)];
        cameraBank = k / 10;
        return;
    }
    case EV_SETRT: {
        LWSurface* surface = findSurface(e.args[1].word);
        if (!surface) {
            missingTarget(e.id, 'f');
            return;
        }
        Texture* target = renderTargetOf(*scene);
        // The texture it replaces stays in the metascene's list, which owns it.
        if (target && !surface->textureLayers.empty()) {
            LWTextureLayer* layer = surface->textureLayers[0];
            // The first replacement keeps what the load put there (a looping
            // show sets the same layer every turn).
            const bool noted = std::any_of(replaced.begin(), replaced.end(),
                                           [layer](const Replaced& r) { return r.layer == layer; });
            if (!noted) replaced.push_back(Replaced{current, layer, layer->texture});
            layer->texture = target;
        }
        return;
    }
    case EV_HOLD:
        scene->active = true;
        scene->hold = true;
        scene->startTime = seconds;
        return;
    case EV_START:
        scene->active = true;
        scene->hold = false;
        scene->startTime = e.time / 1000.0;
        return;
    case EV_STOP:
        scene->active = false;
        if (context.device)
            for (size_t i = 0; i < scene->lights.size(); ++i)
                context.device->LightEnable(DWORD(i), FALSE);
        return;
    case EV_CLEAR: {
        scene->clearFlags = e.args[1].i & 3;
        unpackColor(uint32_t(e.args[2].i), scene->clearColor);
        return;
    }
    case EV_SETPOS:
        scene->startTime = seconds - e.args[1].f / 1000.0;
        return;
    case EV_SCREENSHOT:
        scene->active = true;
        scene->hold = true;
        scene->startTime = e.args[1].f / 1000.0;
        return;
    case EV_CONTINUE:
        scene->active = true;
        if (scene->hold) scene->startTime = seconds - scene->startTime;
        scene->hold = false;
        return;
    case EV_BLUR:
        startBlur(effect, seconds, e.args[1].f, e.args[2].f, renderTargetOf(*scene));
        return;
    case EV_XFADE:
        startCrossFade(effect, seconds, e.args[1].f, renderTargetOf(*scene), e.args[0].word);
        return;
    default:
        return; // "view" only checks that the scene exists
    }
}

void DemoPlayer::showProgress(float progress, void* user) {
    auto* demo = static_cast<DemoPlayer*>(user);
    if (demo->context.device && demo->white)
        demo->loadingScreen.draw(progress, demo->white->texture());
}

MetaScene* DemoPlayer::findMeta(const char* name) const {
    return findMetaByPrefix(mts, name);
}

LW6Scene* DemoPlayer::findScene(const char* name) const {
    return current ? current->findScene(name) : nullptr;
}

LWSurface* DemoPlayer::findSurface(const char* prefix) const {
    return current ? findSurfaceByPrefix(*current, prefix) : nullptr;
}

Texture* DemoPlayer::renderTargetOf(LW6Scene& scene) {
    return current ? sceneRenderTarget(*current, scene, context) : nullptr;
}

// The cross-fade has handed the screen to its scene: the others stop, and the
// scene draws to the screen again.
void DemoPlayer::endCrossFade() {
    if (!current || !effect.sceneName) return;
    LW6Scene* target = current->findScene(effect.sceneName);
    for (const std::unique_ptr<LW6Scene>& scene : current->scenes)
        if (scene.get() != target) scene->active = false;
    if (target && target->releaseTargets) {
        target->releaseTargets(*target);
        target->releaseTargets = nullptr;
    }
}

void DemoPlayer::destroyMeta(std::unique_ptr<MetaScene>& meta) {
    if (!meta) return;
    // A running effect must not keep a texture of the metascene that goes.
    for (const Texture* t : meta->textures.all())
        if (effect.texture == t) effect = ScreenEffect{};
    const MetaScene* gone = meta.get();
    loadStamps.erase(std::remove_if(loadStamps.begin(), loadStamps.end(),
                                    [gone](const LoadStamp& s) { return s.meta == gone; }),
                     loadStamps.end());
    forgetReplaced(gone);
    meta.reset();
    unbindTextureStages(context);
}

void DemoPlayer::forgetReplaced(const MetaScene* meta) {
    replaced.erase(std::remove_if(replaced.begin(), replaced.end(),
                                  [meta](const Replaced& r) { return r.meta == meta; }),
                   replaced.end());
}

void DemoPlayer::restoreDeviceStates() {
    if (current) applyDefaultStates(context);
}

void DemoPlayer::releaseDeviceResources() {
    unbindTextureStages(context);
    drawingIntoTextures.assign(mts.size(), {});
    for (size_t i = 0; i < mts.size(); ++i)
        if (mts[i]) drawingIntoTextures[i] = releaseDefaultPool(*mts[i]);
}

void DemoPlayer::restoreDeviceResources() {
    for (size_t i = 0; i < mts.size() && i < drawingIntoTextures.size(); ++i)
        if (mts[i]) restoreDefaultPool(*mts[i], context, drawingIntoTextures[i]);
    drawingIntoTextures.clear();
    restoreDeviceStates();
}

void DemoPlayer::inputStep(InputSource& input) {
    DemoControlState state{
        context,        done,
        timeline.speed, cameraBank,
        timeline.time,  effect,
        &recorder,      current && !current->scenes.empty() ? current->scenes[0].get() : nullptr};
    runControls(input, state);
    if (state.overlayToggled) overlayShown = !overlayShown;
    if (state.reloadAsked) {
        reload();
        overlayShown = true; // the outcome is shown there
    }
}

void DemoPlayer::teardown() {
    if (tornDown) return;
    tornDown = true;
    current = nullptr;
    for (std::unique_ptr<MetaScene>& meta : mts) destroyMeta(meta);
    mts.clear();
    for (std::unique_ptr<MetaScene>& meta : kept) destroyMeta(meta);
    kept.clear();
    overlays.clear();
    music.sound.reset();
    secondPicture.reset();
    loadingScreen.release();
    white.reset();
    effect = ScreenEffect{};
    profiler().report();
    recorder.close();
}
