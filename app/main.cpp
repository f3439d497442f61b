// Program entry. For now the program opens its window, clears it through a
// Direct3D 8 device for a few seconds and exits; the display system, setup and
// demo player replace this body as they land.

#include <windows.h>

#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "clear_frame.h"

namespace {

const char* const kClassName = "Nightloom";
const DWORD kRunMilliseconds = 3000;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    openDiagLog();

    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    const int width = 640, height = 480;
    RECT rect = {0, 0, width, height};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window =
        CreateWindowA(kClassName, kPrevBuild ? "Nightloom (prev)" : "Nightloom",
                      WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                      rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    ClearFrame frame;
    if (!window || !openClearFrame(window, width, height, &frame)) {
        showMessage(window, "Direct3D 8 device cannot be created", "Error", MessageIcon::Error);
        if (window) DestroyWindow(window);
        closeDiagLog();
        return -1;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    DWORD start = timeGetTime();
    bool quit = false;
    while (!quit) {
        DWORD elapsed = timeGetTime() - start;
        if (elapsed >= kRunMilliseconds) break;
        // A slow ramp from deep blue to violet, so a person sees frames change.
        BYTE ramp = static_cast<BYTE>(elapsed * 255 / kRunMilliseconds);
        drawClearFrame(frame, D3DCOLOR_XRGB(ramp / 2, 16, 96 + ramp / 2));
        frame.device->Present(nullptr, nullptr, nullptr, nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                quit = true;
                break;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    closeClearFrame(frame);
    if (IsWindow(window)) DestroyWindow(window);
    closeDiagLog();
    return 0;
}
