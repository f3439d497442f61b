#include "input_source.h"

bool InputSource::init(HWND) {
    return true;
}

LRESULT InputSource::handleMessage(HWND, UINT, WPARAM, LPARAM) {
    return 1;
}

bool InputSource::keyPressed(int code) {
    if (code < 0 || code > 255 || !keys[code]) return false;
    keys[code] = 0;
    return true;
}

int InputSource::takeLastKey() {
    int key = lastKey;
    lastKey = NO_KEY;
    return key;
}

bool InputSource::keyDown(int code) {
    return code >= 0 && code <= 255 && keys[code] != 0;
}

bool InputSource::button(int index) {
    return index >= 0 && index < 3 && buttons[index] != 0;
}

int InputSource::takeMouseDx() {
    int v = mouseDx;
    mouseDx = 0;
    return v;
}

int InputSource::takeMouseDy() {
    int v = mouseDy;
    mouseDy = 0;
    return v;
}

int InputSource::takeMouseWheel() {
    int v = mouseWheel;
    mouseWheel = 0;
    return v;
}
