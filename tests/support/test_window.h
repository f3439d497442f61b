#pragma once
// A plain visible window for tests that need one (device creation, input).

#include <windows.h>

// A registered window class with the default procedure, for code under test
// that creates its own windows.
const char* testWindowClass();

class TestWindow {
public:
    TestWindow(int clientWidth, int clientHeight);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND handle() const { return window; }
    // Dispatches every waiting message.
    void pump();

private:
    HWND window = nullptr;
};
