#include "capture.h"

#include "app/device_context.h"
#include "app/display_system.h"
#include "app/readback.h"
#include "base/message_box.h"
#include "sound/sound_system.h"
#include "timeline/demo_player.h"
#include "tools/png_write.h"

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

constexpr uint32_t FRAME_MS = 10;
constexpr uint32_t CLOCK_BASE_MS = 1000;

uint32_t gClockMs = CLOCK_BASE_MS;

uint32_t captureClock() {
    return gClockMs;
}

SoundSystem* makeCaptureClock() {
    return new SilentSoundSystem(captureClock);
}

struct Grab {
    bool wanted = false;
    bool every = false; // keep the last of several presents (start-up)
    bool done = false;
    Readback frame;
};

// One grab per output; a present is read into the grab of its device's
// output (with stereo, output 0 shows the left eye and output 1 the right).
struct Grabs {
    const DisplaySystem* display = nullptr;
    Grab output[2];

    void want(bool every) {
        for (Grab& g : output) {
            g.wanted = true;
            g.every = every;
            g.done = false;
        }
    }
    void stop() {
        for (Grab& g : output) g.wanted = g.every = false;
    }
};

void grabBeforePresent(IDirect3DDevice8* device, void* user) {
    auto* grabs = static_cast<Grabs*>(user);
    for (size_t i = 0; i < grabs->display->outputs.size() && i < 2; ++i) {
        Grab& grab = grabs->output[i];
        if (grabs->display->outputs[i].device != device || !grab.wanted) continue;
        grab.done = readBackBuffer(device, &grab.frame);
        grab.wanted = grab.every;
    }
}

const char* registerCaptureClass() {
    static const char* name = "NightloomCapture";
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return name;
}

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool save(const Grab& grab, const std::string& path, std::ostream& err) {
    if (!grab.done) {
        err << "nightloom-capture: no frame to write for " << path << "\n";
        return false;
    }
    if (!writePng(path, grab.frame.pixels.data(), int(grab.frame.width), int(grab.frame.height))) {
        err << "nightloom-capture: cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int runCapture(const CaptureOptions& options, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path outDir = fs::absolute(options.outDir, ec);
    fs::create_directories(outDir, ec);
    std::string archiveName = "moonwell.sar";
    if (!options.archive.empty()) {
        const fs::path archive = fs::absolute(options.archive, ec);
        archiveName = archive.filename().string();
        fs::current_path(archive.parent_path(), ec);
        if (ec) {
            err << "nightloom-capture: cannot enter the folder of " << options.archive << "\n";
            return 1;
        }
    }

    // The random sequence as a fresh program starts it (light flicker and
    // noise textures draw from it), so that every capture, also a second
    // one in the same process, shows the frames the player would.
    std::srand(1);
    MessageRecorder messages;
    DisplaySystem display;
    if (!display.enumerateAdapters()) {
        err << "nightloom-capture: no Direct3D 8 adapter\n";
        return 1;
    }
    SetupSettings& s = display.settings;
    s.windowed = true;
    // Windowed stereo: two windows side by side on one adapter.
    s.stereo = options.stereo;
    RECT frame = {0, 0, options.width, options.height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    s.windowWidth = frame.right - frame.left;
    s.windowHeight = frame.bottom - frame.top;
    s.displayFormat = s.backBufferFormat = D3DFMT_X8R8G8B8;
    s.noSound = true;
    if (!display.createOutputs(registerCaptureClass(), GetModuleHandleA(nullptr))) {
        err << "nightloom-capture: cannot open a Direct3D 8 device\n";
        return 1;
    }
    // The windows may not fit the screen: the back buffers get the asked size.
    for (RenderOutput& output : display.outputs) {
        ShowWindow(output.window, SW_SHOWNOACTIVATE);
        output.presentParameters.BackBufferWidth = UINT(options.width);
        output.presentParameters.BackBufferHeight = UINT(options.height);
    }
    display.resetAll();
    DeviceContext context(display);
    context.screenWidth = options.width;
    context.screenHeight = options.height;
    Grabs grabs;
    grabs.display = &display;
    context.beforePresent = grabBeforePresent;
    context.beforePresentUser = &grabs;

    int status = 0;
    {
        DemoPlayer demo(context);
        demo.soundFactory = makeCaptureClock;
        demo.archiveName = archiveName;
        demo.allowOnePass = !options.eyePasses;
        gClockMs = CLOCK_BASE_MS;
        grabs.want(true);
        demo.init(display);
        grabs.stop();
        // The loading screen shows on the first output.
        if (!save(grabs.output[0], (outDir / "frame_loading.png").string(), err)) status = 1;
        const int lastEvent = demo.timeline.events.empty() ? 0 : demo.timeline.events.back().time;
        const std::vector<int> times = captureTimes(options, lastEvent);
        // Demo time starts at --from; the clock counts from its base there.
        const uint32_t startMs = uint32_t(startMilliseconds(options));
        if (startMs > 0) demo.startAt(startMs / 1000.0);
        uint32_t now = startMs; // ms of demo time
        bool first = true;
        for (int target : times) {
            // Frames as a player would run them, up to the capture time.
            while (!demo.done && (first || now + FRAME_MS < uint32_t(target))) {
                if (!first) now += FRAME_MS;
                first = false;
                gClockMs = CLOCK_BASE_MS + now - startMs;
                demo.update(false);
                pump();
            }
            if (demo.done) {
                out << "the show ended at " << demo.timeline.time << " s; no frame at "
                    << target / 1000.0 << " s\n";
                break;
            }
            now = uint32_t(target);
            gClockMs = CLOCK_BASE_MS + now - startMs;
            grabs.want(false);
            demo.update(true);
            pump();
            for (int eye = 0; eye < (options.stereo ? 2 : 1); ++eye) {
                const std::string path = options.stereo
                                             ? eyeFrameFileName(outDir.string(), target, eye)
                                             : frameFileName(outDir.string(), target);
                if (!save(grabs.output[eye], path, err))
                    status = 1;
                else
                    out << path << "  t=" << demo.timeline.time << " s\n";
            }
        }
        out << "frames drawn in one pass: " << demo.onePassFrames << "\n";
        demo.teardown();
    }
    for (const Message& m : messages.messages())
        out << "message: [" << m.caption << "] " << m.text << "\n";
    return status;
}
