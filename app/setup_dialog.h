#pragma once
// The setup dialog: turns the adapter data and the built-in defaults into the
// SetupSettings. The program creates it modelessly from the "SETUP" template,
// lets its initialisation fill every control, reads the controls back at once
// and destroys it: its initial state is the source of the settings. It still
// handles its commands completely, for when it is shown.

#include "display_system.h"
#include "formats.h"

#include <vector>

class SetupDialog {
public:
    explicit SetupDialog(DisplaySystem& display) : display(display), settings(display.settings) {}
    virtual ~SetupDialog() = default;
    virtual INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void initControls();
    virtual void handleCommand(int id, int code);
    virtual void close();
    virtual void readControls();

    // Creates the dialog from the "SETUP" template of `instance`, modeless;
    // its initialisation has run when this returns. Null on failure.
    HWND create(HINSTANCE instance);

    HWND handle = nullptr;
    int result = 0; // 0 after Start, -1 after Exit or close

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    AdapterInfo& adapter();
    D3DDEVTYPE deviceType() const;
    void applyWindowedRule();
    void fillDisplayFormats();
    void fillBackBufferFormats();
    void fillInfoLists();
    void fillMultisampling();
    void fillModes();
    void fillRate();

    DisplaySystem& display;
    SetupSettings& settings;
    // Per table entry 0-9: present among the adapter's modes / passed the check.
    bool displayPresent[BACKBUFFER_FORMAT_COUNT] = {};
    bool backBufferPassed[BACKBUFFER_FORMAT_COUNT] = {};
    std::vector<int> sampleCounts; // supported counts, in list order after "No Multisampling"
};
