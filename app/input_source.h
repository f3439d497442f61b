#pragma once
// Keyboard and mouse for the player's interactive controls. Both sources
// report keys as DirectInput key codes (DIK values 0..255), so the controls
// see one vocabulary: DirectInputSource (full screen) reads buffered
// DirectInput 8 data each frame; MessageInputSource (windowed) is fed by the
// window procedure's messages.

#include <windows.h>

#include <cstdint>

constexpr uint8_t NO_KEY = 255;

class InputSource {
public:
    // Sets up for the main window. The base succeeds.
    virtual bool init(HWND window);
    // The main window was activated.
    virtual void activate() {}
    // Every message the window procedure does not handle itself; the result
    // goes back to Windows. The base answers 1 without default processing.
    virtual LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Once per frame before keys are queried.
    virtual void poll() {}
    // True once per press: clears the key's entry.
    virtual bool keyPressed(int code);
    // The most recent key's code, then NO_KEY until the next key event.
    virtual int takeLastKey();
    virtual bool keyDown(int code);
    // 0 left, 1 right, 2 middle.
    virtual bool button(int index);
    virtual int takeMouseDx();
    virtual int takeMouseDy();
    virtual int takeMouseWheel();
    virtual ~InputSource() = default;

    int32_t mouseDx = 0;
    int32_t mouseDy = 0;
    int32_t mouseWheel = 0;
    uint8_t buttons[3] = {};
    uint8_t keys[256] = {};
    uint8_t lastKey = NO_KEY;
};

class MessageInputSource : public InputSource {
public:
    MessageInputSource();
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Virtual-key code to DIK code, NO_KEY where unmapped.
    static uint8_t translate(unsigned virtualKey);

private:
    float lastX = 0;
    float lastY = 0;
};

struct IDirectInput8A;
struct IDirectInputDevice8A;

class DirectInputSource : public InputSource {
public:
    // Buffered events per device and frame.
    static constexpr DWORD BUFFER_SIZE = 1023;

    bool init(HWND window) override;
    void activate() override;
    void poll() override;
    ~DirectInputSource() override;

private:
    bool readMouse();
    bool readKeyboard();

    IDirectInput8A* directInput = nullptr;
    IDirectInputDevice8A* mouse = nullptr;
    IDirectInputDevice8A* keyboard = nullptr;
};
