#define DIRECTINPUT_VERSION 0x0800
#include "input_source.h"

#include <dinput.h>

bool DirectInputSource::init(HWND window) {
    if (FAILED(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                  IID_IDirectInput8A, reinterpret_cast<void**>(&directInput),
                                  nullptr)))
        return false;
    DIPROPDWORD buffer = {};
    buffer.diph.dwSize = sizeof buffer;
    buffer.diph.dwHeaderSize = sizeof buffer.diph;
    buffer.diph.dwHow = DIPH_DEVICE;
    buffer.dwData = BUFFER_SIZE;
    const DWORD level = DISCL_EXCLUSIVE | DISCL_FOREGROUND;

    if (FAILED(directInput->CreateDevice(GUID_SysMouse, &mouse, nullptr)) ||
        FAILED(mouse->SetDataFormat(&c_dfDIMouse)) ||
        FAILED(mouse->SetCooperativeLevel(window, level)) ||
        FAILED(mouse->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph)))
        return false;
    if (FAILED(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr)) ||
        FAILED(keyboard->SetDataFormat(&c_dfDIKeyboard)) ||
        FAILED(keyboard->SetCooperativeLevel(window, level)) ||
        FAILED(keyboard->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph)))
        return false;
    bool mouseOk = SUCCEEDED(mouse->Acquire());
    bool keyboardOk = SUCCEEDED(keyboard->Acquire());
    return mouseOk && keyboardOk;
}

void DirectInputSource::activate() {
    if (mouse) mouse->Acquire();
    if (keyboard) keyboard->Acquire();
}

namespace {

// Reads the device's buffered events into `events` (BUFFER_SIZE entries).
// After a failed read the device is acquired again while input is reported
// lost (bounded, so that a device that never comes back cannot stall the
// frame loop), and false is returned.
bool readEvents(IDirectInputDevice8A* device, DIDEVICEOBJECTDATA* events, DWORD* count) {
    *count = DirectInputSource::BUFFER_SIZE;
    if (SUCCEEDED(device->GetDeviceData(sizeof events[0], events, count, 0))) return true;
    for (int tries = 0; tries < 64 && device->Acquire() == DIERR_INPUTLOST; ++tries) {
    }
    return false;
}

} // namespace

bool DirectInputSource::readMouse() {
    DIDEVICEOBJECTDATA events[BUFFER_SIZE];
    DWORD count;
    if (!readEvents(mouse, events, &count)) return false;
    for (DWORD i = 0; i < count; ++i) {
        const DIDEVICEOBJECTDATA& e = events[i];
        switch (e.dwOfs) {
        case DIMOFS_X:
            mouseDx = int32_t(e.dwData);
            break;
        case DIMOFS_Y:
            mouseDy = int32_t(e.dwData);
            break;
        case DIMOFS_Z:
            mouseWheel = int32_t(e.dwData);
            break;
        case DIMOFS_BUTTON0:
            buttons[0] = (e.dwData & 0x80) ? 1 : 0;
            break;
        case DIMOFS_BUTTON1:
            buttons[1] = (e.dwData & 0x80) ? 1 : 0;
            break;
        case DIMOFS_BUTTON2:
            buttons[2] = (e.dwData & 0x80) ? 1 : 0;
            break;
        }
    }
    return true;
}

bool DirectInputSource::readKeyboard() {
    DIDEVICEOBJECTDATA events[BUFFER_SIZE];
    DWORD count;
    if (!readEvents(keyboard, events, &count)) return false;
    for (DWORD i = 0; i < count; ++i) {
        uint8_t code = uint8_t(events[i].dwOfs);
        keys[code] = (events[i].dwData & 0x80) ? 1 : 0;
        lastKey = code;
    }
    return true;
}

void DirectInputSource::poll() {
    // A source whose init failed has no devices and reports no input. A
    // failed read ends the poll for this frame.
    if (mouse && !readMouse()) return;
    if (keyboard) readKeyboard();
}

DirectInputSource::~DirectInputSource() {
    if (mouse) {
        mouse->Unacquire();
        mouse->Release();
    }
    if (keyboard) {
        keyboard->Unacquire();
        keyboard->Release();
    }
    if (directInput) directInput->Release();
}
