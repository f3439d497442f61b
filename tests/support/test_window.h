#pragma once
// A plain visible window for tests that need one (device creation, input).

#include <windows.h>

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
