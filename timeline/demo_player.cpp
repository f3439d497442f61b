#include "demo_player.h"

#include "base/message_box.h"
#include "base/variant.h"
#include "profiler.h"
#include "sound/tmz_sound_system.h"

#include <cstdio>

namespace {

// Event ids (the keyword table's).
enum {
    EV_STOPDEMO = 0,
    EV_LOADMETA = 1,
    EV_LOADMETASCRIPT = 2,
    EV_ACTIVEMETA = 3,
    EV_FREEMETA = 4,
    EV_CAM = 7,
    EV_SETRT = 8,
    EV_HOLD = 9,
    EV_START = 10,
    EV_STOP = 11,
    EV_CLEAR = 12,
    EV_VIEW = 13,
    EV_SETPOS = 15,
    EV_SCREENSHOT = 16,
    EV_CONTINUE = 17,
    EV_BLUR = 19,
    EV_XFADE = 20,
    EV_PICFADEIN = 24,
    EV_PICFADEOUT = 25,
    EV_PICFLASH = 26,
    EV_FADEIN = 21,
    EV_FADEOUT = 22,
    EV_FLASH = 23,
    EV_LIGHTFALLOFF = 34,
    EV_LIGHTFLASH = 35,
    EV_FOV = 36,
};

constexpr int DIK_ESCAPE_CODE = 1;
constexpr int DIK_J_CODE = 0x24;

// Where the loading screen's bar lies, as fractions of the screen.
constexpr float LOADING_BAR[4] = {0.0f, 0.91f, 1.0f, 0.935f};
constexpr uint32_t LOADING_BAR_COLOUR = 0xff606060;
constexpr uint32_t LOADING_BACKGROUND = 0xff000000;

} // namespace

DemoPlayer::~DemoPlayer() {
    teardown();
}

void DemoPlayer::init(DisplaySystem& display) {
    archive = std::make_unique<ArchiveFile>(diskPrototype);
    archive->openArchive(archiveName.c_str()); // without it, loose files serve
    tokenizer = std::make_unique<TextTokenizer>(archive.get());
    const std::string& script = display.settings.scriptFile;
    bool haveScript = tokenizer->load(script.empty() ? "scene.scr" : script.c_str());
    recorder.openWrite("events.scr");

    D3DVIEWPORT8 viewport = {0,    0,   DWORD(context.screenWidth), DWORD(context.screenHeight),
                             0.0f, 1.0f};
    if (context.device) {
        context.device->SetViewport(&viewport);
        context.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        context.present();
        context.device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING,
                                       !(context.hardwareTnL && context.vertexShaders));
        context.createShaderSet();
        context.device->SetRenderState(D3DRS_SOFTWAREVERTEXPROCESSING, !context.hardwareTnL);
    }
    timeline = DemoTimeline{};
    // A script that does not parse has shown its error: the demo ends at once.
    if (haveScript && !parseScript(*tokenizer, timeline.events)) {
        done = true;
        return;
    }
    if (soundFactory)
        music.sound.reset(soundFactory());
    else if (display.settings.noSound)
        music.sound = std::make_unique<SilentSoundSystem>();
    else
        music.sound = std::make_unique<TmzSoundSystem>();
    profiler().clear();
    profiler().registerDemoSections();
    if (context.device) {
        white = createWhiteTexture(&context);
        loadingScreen.setup(&context, archive.get(), "loading.jpg", LOADING_BAR, LOADING_BAR_COLOUR,
                            LOADING_BACKGROUND);
        secondPicture = loadScreenPicture(&context, archive.get(), "sglow.jpg");
        loadingScreen.draw(0, white->texture());
    }
    timeline.time = 0;
}

double DemoPlayer::musicPosition() {
    return music.position();
}

void DemoPlayer::update(bool draw) {
    if (done || !music.sound) return;
    timeline.advance(music.position());
    timeline.runEvents(timeline.now(), *this);
    if (timeline.time >= 0) {
        if (draw) {
            drawPasses();
        } else {
            // A frame that is not shown still moves the effect along as its
            // two passes would.
            for (int i = 0; i < passCount(); ++i) stepEffect(effect, timeline.time);
        }
    }
    music.sound->poll();
}

// Two eye passes a frame; nightloom-prev draws one pass per output.
int DemoPlayer::passCount() const {
    return isPrevBuild() ? context.deviceCount : 2;
}

void DemoPlayer::drawPasses() {
    const bool twoOutputs = context.deviceCount > 1;
    const int passes = passCount();
    for (int i = 0; i < passes; ++i) {
        profiler().begin(PROFILE_COMPLETE_RENDER_TIME);
        context.currentOutput = twoOutputs ? i : 0;
        context.device = context.devices[size_t(context.currentOutput)];
        if (isPrevBuild()) {
            context.eye = twoOutputs ? 2 + i : -1;
            context.colorWriteMask = 15;
        } else {
            context.colorWriteMask = i == 1 ? 14 : 9;
            context.eye = i;
            context.stereoParams[1] = context.stereoParams[2];
        }
        // No metascene draws yet; the first pass of a frame clears it, so the
        // frame is defined.
        if (i == 0 || twoOutputs || isPrevBuild()) {
            context.device->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
            context.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f,
                                  0);
        }
        // Each eye draws only its own channels: with one output the two
        // passes together cover every channel once.
        context.device->SetRenderState(D3DRS_COLORWRITEENABLE, DWORD(context.colorWriteMask));
        profiler().end(PROFILE_COMPLETE_RENDER_TIME);
        // A cross-fade's end would hand the screen to its target scene; scenes
        // cannot be loaded yet, so no cross-fade ever starts.
        drawScreenEffect(context, effect, timeline.time, white ? white->texture() : nullptr);
        if (isPrevBuild() || i == 1 || twoOutputs) {
            profiler().begin(PROFILE_PRESENT);
            context.present();
            profiler().end(PROFILE_PRESENT);
        }
    }
}

void DemoPlayer::execute(const ScriptEvent& e, int) {
    switch (e.id) {
    case EV_STOPDEMO:
        if (!context.freeFlight) done = true;
        break;
    case EV_LOADMETA:
        break; // metascenes cannot be loaded yet
    case EV_LOADMETASCRIPT:
        // Metascenes cannot be loaded yet: the load fails as a missing file would.
        reportAssertion("metascene != NULL && \"Failed loading metascript!\"");
        break;
    case EV_ACTIVEMETA:
        reportAssertion("m != mts.size() && \"activemeta: Name nicht vorhanden\"");
        break;
    case EV_FREEMETA:
        reportAssertion("m != mts.size() && \"freemeta: Name nicht vorhanden\"");
        break;
    case EV_CAM:
        reportAssertion("scene != NULL && \"cam: Name nicht vorhanden\"");
        break;
    case EV_STOP:
        reportAssertion("scene != NULL && \"stop: Name nicht vorhanden\"");
        break;
    case EV_START:
        reportAssertion("scene != NULL && \"start: Name nicht vorhanden\"");
        break;
    case EV_CLEAR:
        reportAssertion("scene != NULL && \"clear: Name nicht vorhanden\"");
        break;
    case EV_VIEW:
        reportAssertion("scene != NULL && \"view: Name nicht vorhanden\"");
        break;
    case EV_SETPOS:
        reportAssertion("scene != NULL && \"setpos: Name nicht vorhanden\"");
        break;
    case EV_SCREENSHOT:
        reportAssertion("scene != NULL && \"screenshot: scenename nicht vorhanden\"");
        break;
    case EV_HOLD:
        reportAssertion("scene != NULL && \"hold: Name nicht vorhanden\"");
        break;
    case EV_CONTINUE:
        reportAssertion("scene != NULL && \"continue: Name nicht vorhanden\"");
        break;
    case EV_SETRT:
        reportAssertion("scene != NULL && \"setrt: Name nicht vorhanden\"");
        break;
    case EV_BLUR:
        reportAssertion("scene != NULL && \"blur: Name nicht vorhanden\"");
        break;
    case EV_XFADE:
        reportAssertion("scene != NULL && \"xfade: Name nicht vorhanden\"");
        break;
    case EV_PICFADEIN:
    case EV_PICFADEOUT:
    case EV_PICFLASH:
        reportAssertion("surface != NULL && \"picture fader: Surface nicht vorhanden\"");
        break;
    case EV_FADEIN:
        startEffect(effect, EFFECT_FADE_IN, timeline.time, e.args[0].f, uint32_t(e.args[1].i));
        break;
    case EV_FADEOUT:
        startEffect(effect, EFFECT_FADE_OUT, timeline.time, e.args[0].f, uint32_t(e.args[1].i));
        break;
    case EV_FLASH:
        startEffect(effect, EFFECT_FLASH_RISING, timeline.time, e.args[0].f, uint32_t(e.args[1].i));
        break;
    case EV_LIGHTFALLOFF:
        context.lightFalloff = e.args[0].i != 0;
        break;
    case EV_LIGHTFLASH:
        context.lightFlash = e.args[0].i != 0;
        break;
    case EV_FOV:
        context.fovMode = e.args[0].i;
        break;
    default:
        music.execute(e, archive.get());
        break;
    }
}

void DemoPlayer::inputStep(InputSource& input) {
    input.poll();
    if (input.keyPressed(DIK_ESCAPE_CODE)) done = true;
    if (input.keyPressed(DIK_J_CODE)) flashKey();
}

// A white flash chosen live, recorded as a script line to paste into the timeline.
void DemoPlayer::flashKey() {
    startEffect(effect, EFFECT_FLASH_RISING, timeline.time, 0.1, 0xFFFFFFFF);
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%06d  flash 0.1 0xffffff \r\n",
                                int(timeline.time * 1000));
    if (n > 0) recorder.write(line, uint32_t(n));
}

void DemoPlayer::teardown() {
    if (tornDown) return;
    tornDown = true;
    music.sound.reset();
    secondPicture.reset();
    loadingScreen.release();
    white.reset();
    effect = ScreenEffect{};
    if (!profiler().all().empty()) profiler().report();
    recorder.close();
}
