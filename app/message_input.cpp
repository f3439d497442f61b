#include "input_source.h"

#include "base/message_box.h"

namespace {

struct KeyPair {
    unsigned virtualKey;
    uint8_t dik;
};

const KeyPair kKeyPairs[] = {
    {VK_BACK, 14},    {VK_TAB, 15},      {VK_RETURN, 28},    {VK_SHIFT, 42},
    {VK_CONTROL, 29}, {VK_MENU, 56},     {VK_PAUSE, 197},    {VK_CAPITAL, 58},
    {VK_KANJI, 148},  {VK_ESCAPE, 1},    {VK_CONVERT, 121},  {VK_NONCONVERT, 123},
    {VK_SPACE, 57},   {VK_PRIOR, 201},   {VK_NEXT, 209},     {VK_END, 207},
    {VK_HOME, 199},   {VK_LEFT, 203},    {VK_UP, 200},       {VK_RIGHT, 205},
    {VK_DOWN, 208},   {VK_PRINT, 183},   {VK_INSERT, 210},   {VK_DELETE, 211},
    {'0', 11},        {'1', 2},          {'2', 3},           {'3', 4},
    {'4', 5},         {'5', 6},          {'6', 7},           {'7', 8},
    {'8', 9},         {'9', 10},         {'A', 30},          {'B', 48},
    {'C', 46},        {'D', 32},         {'E', 18},          {'F', 33},
    {'G', 34},        {'H', 35},         {'I', 23},          {'J', 36},
    {'K', 37},        {'L', 38},         {'M', 50},          {'N', 49},
    {'O', 24},        {'P', 25},         {'Q', 16},          {'R', 19},
    {'S', 31},        {'T', 20},         {'U', 22},          {'V', 47},
    {'W', 17},        {'X', 45},         {'Y', 21},          {'Z', 44},
    {VK_LWIN, 219},   {VK_RWIN, 220},    {VK_APPS, 221},     {VK_NUMPAD0, 82},
    {VK_NUMPAD1, 79}, {VK_NUMPAD2, 80},  {VK_NUMPAD3, 81},   {VK_NUMPAD4, 75},
    {VK_NUMPAD5, 76}, {VK_NUMPAD6, 77},  {VK_NUMPAD7, 71},   {VK_NUMPAD8, 72},
    {VK_NUMPAD9, 73}, {VK_MULTIPLY, 55}, {VK_ADD, 78},       {VK_SUBTRACT, 74},
    {VK_DECIMAL, 83}, {VK_DIVIDE, 181},  {VK_F1, 59},        {VK_F2, 60},
    {VK_F3, 61},      {VK_F4, 62},       {VK_F5, 63},        {VK_F6, 64},
    {VK_F7, 65},      {VK_F8, 66},       {VK_F9, 67},        {VK_F10, 68},
    {VK_F11, 87},     {VK_F12, 88},      {VK_F13, 100},      {VK_F14, 101},
    {VK_F15, 102},    {VK_NUMLOCK, 69},  {VK_SCROLL, 70},    {VK_LSHIFT, 42},
    {VK_RSHIFT, 54},  {VK_LCONTROL, 29}, {VK_RCONTROL, 157}, {VK_LMENU, 56},
    {VK_RMENU, 184},
};

struct Table {
    uint8_t dik[256];
    Table() {
        for (uint8_t& d : dik) d = NO_KEY;
        for (const KeyPair& p : kKeyPairs) dik[p.virtualKey] = p.dik;
    }
};

} // namespace

MessageInputSource::MessageInputSource() = default;

uint8_t MessageInputSource::translate(unsigned virtualKey) {
    static const Table table;
    return virtualKey < 256 ? table.dik[virtualKey] : NO_KEY;
}

LRESULT MessageInputSource::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    mouseDx = 0;
    mouseDy = 0;
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        // Virtual keys are below 256; anything else has no entry and is ignored.
        if (NL_ASSERT(wParam < 256)) {
            uint8_t code = translate(unsigned(wParam));
            keys[code] = message == WM_KEYDOWN ? 1 : 0;
            if (message == WM_KEYDOWN) lastKey = code;
        }
        break;
    case WM_MOUSEMOVE: {
        float x = float(LOWORD(lParam)), y = float(HIWORD(lParam));
        mouseDx = int32_t(x - lastX);
        mouseDy = int32_t(y - lastY);
        mouseWheel = HIWORD(wParam);
        lastX = x;
        lastY = y;
        break;
    }
    case WM_LBUTTONDOWN:
        buttons[0] = 1;
        break;
    case WM_LBUTTONUP:
        buttons[0] = 0;
        break;
    case WM_RBUTTONDOWN:
        buttons[1] = 1;
        break;
    case WM_RBUTTONUP:
        buttons[1] = 0;
        break;
    case WM_MBUTTONDOWN:
        buttons[2] = 1;
        break;
    case WM_MBUTTONUP:
        buttons[2] = 0;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
