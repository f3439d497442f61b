#include "test_window.h"

namespace {

const char* const kTestClass = "NightloomTestWindow";

ATOM registerTestClass() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kTestClass;
    return RegisterClassA(&wc);
}

} // namespace

const char* testWindowClass() {
    static ATOM atom = registerTestClass();
    (void)atom;
    return kTestClass;
}

TestWindow::TestWindow(int clientWidth, int clientHeight) {
    testWindowClass();
    RECT rect = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    window =
        CreateWindowA(kTestClass, "test", WS_OVERLAPPEDWINDOW, 0, 0, rect.right - rect.left,
                      rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) {
        ShowWindow(window, SW_SHOW);
        UpdateWindow(window);
        pump();
    }
}

TestWindow::~TestWindow() {
    if (window) DestroyWindow(window);
    pump();
}

void TestWindow::pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
