// Program entry and main loop. Start-up: window class, display system and
// adapters, settings from the setup dialog's initial state, outputs and
// devices, device context, demo, windows shown, input; then the frame loop
// (update, input step, waiting messages) with the timer at its finest
// resolution, until the demo is done or the quit message arrives.

#include <windows.h>
#include <commctrl.h>

#include "base/diag_log.h"
#include "base/variant.h"
#ifndef NIGHTLOOM_PREV
#define NIGHTLOOM_PREV 0
#endif
#include "device_context.h"
#include "display_system.h"
#include "input_source.h"
#include "resource.h"
#include "setup_dialog.h"
#include "stats_file.h"
#include "base/message_box.h"
#include "timeline/demo_player.h"
#include "timeline/start_options.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char* const kClassName = "Nightloom";

DisplaySystem* displaySystem = nullptr;
DeviceContext* deviceContext = nullptr;
InputSource* input = nullptr;
DemoPlayer* demo = nullptr;

// Menu command that fits the window around a full-screen-sized client area.
constexpr WPARAM SYSCOMMAND_FIT_WINDOW = 101;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != 0 && input) input->activate();
        return 0;
    case WM_ACTIVATEAPP:
        if (displaySystem && demo && wParam) {
            if (demo->currentDevice() &&
                demo->currentDevice()->TestCooperativeLevel() == D3DERR_DEVICENOTRESET) {
                // Reset refuses while default-pool resources live.
                demo->releaseDeviceResources();
                displaySystem->resetAll();
                demo->restoreDeviceResources();
            }
            SetCursor(nullptr);
        }
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SYSCOMMAND_FIT_WINDOW) {
            if (demo && deviceContext) {
                MoveWindow(window, 0, 0, deviceContext->screenWidth + 8,
                           deviceContext->screenHeight + 27, TRUE);
            }
            return 0;
        }
        break;
    }
    if (input) return input->handleMessage(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerWindowClass(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_NIGHTLOOM));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}

int failStartup() {
    delete displaySystem;
    displaySystem = nullptr;
    closeDiagLog();
    return -1;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    setPrevBuild(NIGHTLOOM_PREV != 0);
    // A plain start has no options; an author may start anywhere.
    StartOptions options;
    {
        std::vector<std::string> args(__argv + 1, __argv + __argc);
        std::string error;
        if (!parseStartOptions(args, options, error)) {
            showMessage(nullptr, error.c_str(), "Error", MessageIcon::Error);
            return -1;
        }
    }
    openDiagLog();
    registerWindowClass(instance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    displaySystem = new DisplaySystem;
    if (!displaySystem->enumerateAdapters()) return failStartup();

    // The setup's initial state is the settings: nobody is asked.
    {
        SetupDialog setup(*displaySystem);
        HWND dialog = setup.create(instance);
        if (dialog) {
            setup.readControls();
            DestroyWindow(dialog);
        }
    }

    if (!displaySystem->createOutputs(kClassName, instance)) return failStartup();
    deviceContext = new DeviceContext(*displaySystem);
    demo = new DemoPlayer(*deviceContext);
    for (const RenderOutput& o : displaySystem->outputs) {
        ShowWindow(o.window, SW_SHOW);
        UpdateWindow(o.window);
    }
    const SetupSettings& settings = displaySystem->settings;
    if (!settings.windowed) SetCursor(nullptr);
    HWND mainWindow = displaySystem->outputs[0].window;
    SetFocus(mainWindow);
    if (settings.fullscreen)
        input = new DirectInputSource;
    else
        input = new MessageInputSource;
    input->init(mainWindow);
    demo->looseFilesFirst = options.looseFirst;
    demo->init(*displaySystem);
    if (options.haveStart) demo->startAt(options.startSeconds);

    UINT period = 1;
    if (!isPrevBuild()) {
        TIMECAPS caps;
        if (timeGetDevCaps(&caps, sizeof caps) == TIMERR_NOERROR) period = caps.wPeriodMin;
        timeBeginPeriod(period);
    }

    StatsFile stats;
    bool quit = false;
    while (!demo->done && !quit) {
        demo->update();
        demo->inputStep(*input);
        stats.frame(demo->timeline.time);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                quit = true;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }

    if (!isPrevBuild()) timeEndPeriod(period);
    stats.write(demo->timeline.time);
    demo->teardown();
    delete deviceContext;
    deviceContext = nullptr;
    delete input;
    input = nullptr;
    delete displaySystem;
    displaySystem = nullptr;
    delete demo;
    demo = nullptr;
    closeDiagLog();
    return 0;
}
