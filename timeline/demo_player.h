#pragma once
// The demo player: opens the archive, reads the event script, picks the sound
// system, and every frame advances the clock from the music, runs the due
// events, draws the current metascene once per eye pass with the screen
// effect over it, and presents. It keeps every loaded metascene in `mts`
// (an entry is empty after "freemeta") and draws only the current one. It
// ends on "stopdemo" or Escape.

#include "app/device_context.h"
#include "app/input_source.h"
#include "demo_music.h"
#include "demo_timeline.h"
#include "effect_drawing.h"
#include "screen_effect.h"
#include "files/archive_file.h"
#include "files/disk_file.h"
#include "files/text_tokenizer.h"
#include "lightwave/meta_scene.h"
#include "metascene_loader.h"
#include "overlay_text.h"
#include "render/metascene_render.h"
#include "render/text_overlay.h"

class LWTextureLayer;
#include "render/scene_preparation.h"
#include "render/scene_renderer.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

class DemoPlayer : private DemoCommands {
public:
    explicit DemoPlayer(DeviceContext& context) : context(context) {}
    ~DemoPlayer() override;
    DemoPlayer(const DemoPlayer&) = delete;
    DemoPlayer& operator=(const DemoPlayer&) = delete;

    void init(DisplaySystem& display);
    // One frame: clock, events, and (with `draw`) the passes and presents.
    void update(bool draw = true);
    void inputStep(InputSource& input);
    void teardown();
    // Re-applies the current metascene's default states after a device reset.
    void restoreDeviceStates();
    // Around a device reset: every default-pool resource goes before it
    // (render targets, shadow maps) and is made again after it, with the
    // states; the next frame draws into them anew.
    void releaseDeviceResources();
    void restoreDeviceResources();
    IDirect3DDevice8* currentDevice() const { return context.device; }

    // When set, makes the clock instead of the settings' choice (the frame
    // capture's deterministic clock).
    SoundSystem* (*soundFactory)() = nullptr;
    std::string archiveName = "moonwell.sar";
    // The scene renderer's parts: drawing one scene, advancing it in a frame
    // that is not shown, and preparing its lights and objects on activation.
    DrawScene drawScene = drawSceneWithRenderer;
    DrawScene advanceScene = advanceSceneWithRenderer; // frames not shown
    PrepareScene prepareScene = prepareSceneForDrawing;
    // Whether a frame may be drawn in one pass when both eye passes would
    // draw the same picture (off: always the eye passes), and how many were.
    bool allowOnePass = true;
    int onePassFrames = 0;

    // The author's loop. Starts the show at demo time `seconds` instead of 0:
    // the events before it run at once, each at its own time (loading,
    // activation, scene and effect state as they would stand there), the
    // music is moved to where it would be, and play goes on from there.
    // False when the demo has ended (or never started).
    bool startAt(double seconds);
    // Re-reads the script, and the metascenes whose files changed (the rest
    // are kept and replayed), and goes on at the same demo time through
    // startAt. A script that cannot be read or has an error leaves the
    // running one as it was; `notice` says why, with the line.
    bool reload();
    // Read loose files before the archive's entries (set before init).
    bool looseFilesFirst = false;
    // The corner overlay (Ctrl+F6), and the last reload's outcome on it.
    bool overlayShown = false;
    std::string notice;
    // The metascenes the last reload kept, and those it read again.
    int metascenesKept = 0, metascenesRead = 0;
    // The overlay's lines for the state now.
    std::vector<std::string> overlayText() const;

    // The first non-empty metascene whose name begins with `name` (as written).
    MetaScene* findMeta(const char* name) const;
    // The current metascene's scene whose name begins with `name` (any case).
    LW6Scene* findScene(const char* name) const;
    // The current metascene's last surface whose key begins with `prefix`.
    LWSurface* findSurface(const char* prefix) const;

    bool done = false;
    DemoTimeline timeline;
    ScreenEffect effect;
    LoadingScreen loadingScreen;
    int cameraBank = 0;
    DemoMusic music;
    std::vector<std::unique_ptr<MetaScene>> mts;
    MetaScene* current = nullptr; // not owned

private:
    void execute(const ScriptEvent& event, int index) override;
    double musicPosition() override;
    void passFrames(double seconds) override;
    // While seeking: the active scenes drawn once at `seconds`, not shown, so
    // that a texture a scene stops drawing into holds its last picture.
    void drawHiddenFrame(double seconds);
    // A metascene loaded by a script command, through the kept ones of a
    // reload when its files are as they were.
    std::unique_ptr<MetaScene> loadMeta(const ScriptEvent& event);
    void stampFiles(const MetaScene& meta, bool binary, const std::vector<std::string>& names);
    // The sound system the settings ask for (or the capture's clock).
    std::unique_ptr<SoundSystem> makeSoundSystem() const;
    bool ended() const override { return done; }
    bool filesUnchanged(const MetaScene& meta);
    // Drops the "setrt" records of a metascene (gone, or put back as loaded).
    void forgetReplaced(const MetaScene* meta);
    void drawOverlay();
    void drawPasses();
    void selectPass(int i, bool onePass);
    int passCount() const;
    // One pass through every channel when the two eye passes are bound to
    // give the same picture: one output, a view shared by both eyes, no
    // per-pass state (streaks, a cross-fade ending between the passes).
    bool onePassSuffices() const;
    static void showProgress(float progress, void* user);
    void runCommand(const ScriptEvent& event);
    void destroyMeta(std::unique_ptr<MetaScene>& meta);
    Texture* renderTargetOf(LW6Scene& scene);
    void endCrossFade();

    DeviceContext& context;
    DiskFile diskPrototype;
    std::unique_ptr<ArchiveFile> archive;
    std::unique_ptr<TextTokenizer> tokenizer;
    DiskFile recorder;
    std::unique_ptr<Texture> white;         // bound for the colour effects
    std::unique_ptr<Texture> secondPicture; // "sglow.jpg", kept until teardown
    std::string scriptName;
    bool noSound = false;
    bool tornDown = false;
    std::chrono::steady_clock::time_point started;
    std::vector<std::vector<LW6Scene*>> drawingIntoTextures; // per metascene, across a reset
    bool first3DFrameLogged = false;

    // What each loaded metascene read, to tell at a reload whether it changed.
    struct LoadStamp {
        const MetaScene* meta;
        bool binary;
        std::vector<std::pair<std::string, FileStamp>> files;
    };
    std::vector<LoadStamp> loadStamps;
    FileStamp archiveStampAtOpen;
    // Metascenes a reload keeps until the replayed script loads them again.
    std::vector<std::unique_ptr<MetaScene>> kept;
    // What "setrt" put into surfaces, undone before a kept metascene replays.
    struct Replaced {
        const MetaScene* meta;
        LWTextureLayer* layer;
        Texture* texture; // the one it held before
    };
    std::vector<Replaced> replaced;
    std::vector<std::unique_ptr<TextOverlay>> overlays; // per output
    FrameRate frameRate;
};
