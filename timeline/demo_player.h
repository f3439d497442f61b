#pragma once
// The demo player: opens the archive, reads the event script, picks the sound
// system, and every frame advances the clock from the music, runs the due
// events, draws the eye passes and presents. It ends on "stopdemo" or Escape.
//
// Not here yet: metascenes and scenes (their commands report the missing
// target, and so do the picture, cross-fade and blur effects that need them),
// and the viewer controls beyond Escape and J.

#include "app/device_context.h"
#include "app/input_source.h"
#include "demo_music.h"
#include "demo_timeline.h"
#include "effect_drawing.h"
#include "screen_effect.h"
#include "files/archive_file.h"
#include "files/disk_file.h"
#include "files/text_tokenizer.h"

#include <memory>
#include <string>

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
    // Re-applies device states after a reset (the metascene's, once they exist).
    void restoreDeviceStates() {}
    IDirect3DDevice8* currentDevice() const { return context.device; }

    // When set, makes the clock instead of the settings' choice (the frame
    // capture's deterministic clock).
    SoundSystem* (*soundFactory)() = nullptr;
    std::string archiveName = "moonwell.sar";

    bool done = false;
    DemoTimeline timeline;
    ScreenEffect effect;
    LoadingScreen loadingScreen;
    int cameraBank = 0;
    DemoMusic music;

private:
    void execute(const ScriptEvent& event, int index) override;
    double musicPosition() override;
    void drawPasses();
    int passCount() const;
    void flashKey();

    DeviceContext& context;
    DiskFile diskPrototype;
    std::unique_ptr<ArchiveFile> archive;
    std::unique_ptr<TextTokenizer> tokenizer;
    DiskFile recorder;
    std::unique_ptr<Texture> white;         // bound for the colour effects
    std::unique_ptr<Texture> secondPicture; // "sglow.jpg", kept until teardown
    bool tornDown = false;
};
