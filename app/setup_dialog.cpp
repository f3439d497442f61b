#include "setup_dialog.h"

#include "base/message_box.h"
#include "resource.h"

#include <cstdio>
#include <string>

namespace {

// Small wrappers over the dialog API.
void enable(HWND d, int id, bool on) {
    EnableWindow(GetDlgItem(d, id), on);
}
void setText(HWND d, int id, const char* text) {
    SetDlgItemTextA(d, id, text);
}
void setInt(HWND d, int id, int value) {
    SetDlgItemInt(d, id, UINT(value), TRUE);
}
int getInt(HWND d, int id) {
    return int(GetDlgItemInt(d, id, nullptr, TRUE));
}
std::string getText(HWND d, int id) {
    char text[1024] = {};
    GetDlgItemTextA(d, id, text, sizeof text);
    return text;
}
void setCheck(HWND d, int id, bool on) {
    CheckDlgButton(d, id, on ? BST_CHECKED : BST_UNCHECKED);
}
bool getCheck(HWND d, int id) {
    return IsDlgButtonChecked(d, id) == BST_CHECKED;
}
void resetList(HWND d, int id) {
    SendDlgItemMessageA(d, id, CB_RESETCONTENT, 0, 0);
}
void addString(HWND d, int id, const char* text) {
    SendDlgItemMessageA(d, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}
void setSelection(HWND d, int id, int index) {
    SendDlgItemMessageA(d, id, CB_SETCURSEL, WPARAM(index), 0);
}
int getSelection(HWND d, int id) {
    LRESULT s = SendDlgItemMessageA(d, id, CB_GETCURSEL, 0, 0);
    return s < 0 ? 0 : int(s);
}
std::string itemText(HWND d, int id, int index) {
    LRESULT length = SendDlgItemMessageA(d, id, CB_GETLBTEXTLEN, WPARAM(index), 0);
    if (length < 0) return "";
    std::string text(size_t(length) + 1, '\0');
    SendDlgItemMessageA(d, id, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(size_t(length));
    return text;
}

const char* const kDevelopmentScript = "C:\\dev\\nightloom\\demo\\demo.scr";

} // namespace

HWND SetupDialog::create(HINSTANCE instance) {
    HWND made =
        CreateDialogParamA(instance, "SETUP", nullptr, dialogProc, reinterpret_cast<LPARAM>(this));
    if (made && made != handle) reportAssertion("handle == hwnd");
    return made;
}

INT_PTR CALLBACK SetupDialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dlg = reinterpret_cast<SetupDialog*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
        dlg->handle = window;
        return dlg->dispatch(message, wParam, lParam);
    }
    auto* dlg = reinterpret_cast<SetupDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!dlg) return FALSE;
    HWND handle = window;
    NL_ASSERT(dlg->handle == handle);
    return dlg->dispatch(message, wParam, lParam);
}

INT_PTR SetupDialog::dispatch(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        initControls();
        return TRUE;
    case WM_COMMAND:
        handleCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            close();
            return TRUE;
        }
        break;
    }
    return FALSE;
}

AdapterInfo& SetupDialog::adapter() {
    if (settings.adapter < 0 || settings.adapter >= int(display.adapters.size()))
        settings.adapter = 0;
    return display.adapters[size_t(settings.adapter)];
}

D3DDEVTYPE SetupDialog::deviceType() const {
    return settings.referenceRasterizer ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
}

void SetupDialog::applyWindowedRule() {
    bool windowed = getCheck(handle, IDC_WINDOWED);
    for (int id = IDC_WIDTH_LABEL; id <= IDC_HEIGHT; ++id) enable(handle, id, windowed);
    for (int id : {IDC_RESOLUTION_LABEL, IDC_MODES, IDC_RATE_LABEL, IDC_RATE, IDC_DISPLAY})
        enable(handle, id, !windowed);
}

void SetupDialog::fillDisplayFormats() {
    resetList(handle, IDC_DISPLAY);
    const AdapterInfo& a = adapter();
    int position = 0, selected = 0;
    for (int i = 0; i < BACKBUFFER_FORMAT_COUNT; ++i) {
        displayPresent[i] = false;
        for (const D3DDISPLAYMODE& m : a.modes)
            if (m.Format == kFormatTable[i].format) displayPresent[i] = true;
        if (!displayPresent[i]) continue;
        if (settings.displayFormat == D3DFMT_UNKNOWN)
            settings.displayFormat = kFormatTable[i].format;
        if (settings.displayFormat == kFormatTable[i].format) selected = position;
        addString(handle, IDC_DISPLAY, kFormatTable[i].name);
        ++position;
    }
    setSelection(handle, IDC_DISPLAY, selected);
}

void SetupDialog::fillBackBufferFormats() {
    resetList(handle, IDC_BACKBUFFER);
    int position = 0, selected = 0;
    for (int i = 0; i < BACKBUFFER_FORMAT_COUNT; ++i) {
        D3DFORMAT f = kFormatTable[i].format;
        backBufferPassed[i] =
            display.d3d &&
            SUCCEEDED(display.d3d->CheckDeviceType(UINT(settings.adapter), deviceType(),
                                                   settings.displayFormat, f, settings.windowed));
        if (!backBufferPassed[i]) continue;
        if (settings.backBufferFormat == D3DFMT_UNKNOWN) settings.backBufferFormat = f;
        if (settings.backBufferFormat == f) selected = position;
        addString(handle, IDC_BACKBUFFER, kFormatTable[i].name);
        ++position;
    }
    setSelection(handle, IDC_BACKBUFFER, selected);
}

void SetupDialog::fillInfoLists() {
    UINT a = UINT(settings.adapter);
    D3DDEVTYPE type = deviceType();
    auto format = [&](int id, int first, int count, DWORD usage, D3DRESOURCETYPE resource,
                      bool matchDepth) {
        resetList(handle, id);
        for (int i = first; i < first + count; ++i) {
            D3DFORMAT f = kFormatTable[i].format;
            if (!display.d3d || FAILED(display.d3d->CheckDeviceFormat(
                                    a, type, settings.displayFormat, usage, resource, f)))
                continue;
            if (matchDepth && FAILED(display.d3d->CheckDepthStencilMatch(
                                  a, type, settings.displayFormat, settings.backBufferFormat, f)))
                continue;
            addString(handle, id, kFormatTable[i].name);
        }
        setSelection(handle, id, 0);
    };
    format(IDC_TEXTURE, FIRST_TEXTURE_FORMAT, TEXTURE_FORMAT_COUNT, 0, D3DRTYPE_TEXTURE, false);
    format(IDC_RENDER_TARGET, FIRST_TEXTURE_FORMAT, TEXTURE_FORMAT_COUNT, D3DUSAGE_RENDERTARGET,
           D3DRTYPE_TEXTURE, false);
    format(IDC_DEPTH_TARGET, FIRST_DEPTH_FORMAT, DEPTH_FORMAT_COUNT, D3DUSAGE_DEPTHSTENCIL,
           D3DRTYPE_TEXTURE, false);
    format(IDC_DNS_BUFFER, FIRST_DEPTH_FORMAT, DEPTH_FORMAT_COUNT, D3DUSAGE_DEPTHSTENCIL,
           D3DRTYPE_SURFACE, true);
    resetList(handle, IDC_INDEX_BUFFER);
    resetList(handle, IDC_VERTEX_BUFFER);
}

void SetupDialog::fillMultisampling() {
    resetList(handle, IDC_MULTISAMPLING);
    addString(handle, IDC_MULTISAMPLING, "No Multisampling");
    sampleCounts.clear();
    int selected = 0;
    for (int count = 2; count <= 16; ++count) {
        if (!display.d3d || FAILED(display.d3d->CheckDeviceMultiSampleType(
                                UINT(settings.adapter), deviceType(), settings.displayFormat,
                                settings.windowed, D3DMULTISAMPLE_TYPE(count))))
            continue;
        sampleCounts.push_back(count);
        char text[32];
        std::snprintf(text, sizeof text, "%d Samples", count);
        addString(handle, IDC_MULTISAMPLING, text);
        if (settings.multiSample != 0 && count <= settings.multiSample)
            selected = int(sampleCounts.size());
    }
    setSelection(handle, IDC_MULTISAMPLING, selected);
}

void SetupDialog::fillModes() {
    resetList(handle, IDC_MODES);
    AdapterInfo& a = adapter();
    int position = 0, selected = 0;
    for (const D3DDISPLAYMODE& m : a.modes) {
        if (m.Format != settings.displayFormat) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%u x %u at %u Hz", m.Width, m.Height, m.RefreshRate);
        addString(handle, IDC_MODES, text);
        if (int(m.Width) == settings.width && int(m.Height) == settings.height) selected = position;
        ++position;
    }
    setSelection(handle, IDC_MODES, selected);
    fillRate();
}

void SetupDialog::fillRate() {
    resetList(handle, IDC_RATE);
    int wanted = getSelection(handle, IDC_MODES), n = 0;
    for (const D3DDISPLAYMODE& m : adapter().modes) {
        if (m.Format != settings.displayFormat) continue;
        if (n++ != wanted) continue;
        char text[32];
        std::snprintf(text, sizeof text, "%u Hz", m.RefreshRate);
        addString(handle, IDC_RATE, text);
        break;
    }
    setSelection(handle, IDC_RATE, 0);
}

void SetupDialog::initControls() {
    resetList(handle, IDC_ADAPTER);
    for (const AdapterInfo& a : display.adapters)
        addString(handle, IDC_ADAPTER, a.identifier.Description);
    setSelection(handle, IDC_ADAPTER, settings.adapter);
    setCheck(handle, IDC_WINDOWED, settings.windowed);
    applyWindowedRule();
    if (display.adapters.empty()) return;
    fillDisplayFormats();
    fillBackBufferFormats();
    fillInfoLists();
    fillMultisampling();
    fillModes();
    setInt(handle, IDC_WIDTH, settings.windowWidth);
    setInt(handle, IDC_HEIGHT, settings.windowHeight);
    setCheck(handle, IDC_STEREO, settings.stereo);
    setCheck(handle, IDC_REFERENCE, settings.referenceRasterizer);
    setCheck(handle, IDC_SOFTWARE_VP, settings.softwareVertexProcessing);
    setCheck(handle, IDC_NOSOUND, settings.noSound);
    setCheck(handle, IDC_GUI, false);
    enable(handle, IDC_GUI, false);
    resetList(handle, IDC_SCRIPTFILE);
    addString(handle, IDC_SCRIPTFILE, "scene.scr");
    addString(handle, IDC_SCRIPTFILE, kDevelopmentScript);
    setSelection(handle, IDC_SCRIPTFILE, 0);
    if (!settings.scriptFile.empty()) setText(handle, IDC_SCRIPTFILE, settings.scriptFile.c_str());
    setInt(handle, IDC_BREAK_ALLOC, settings.breakAlloc);
    setCheck(handle, IDC_PURE_DEVICE, settings.pureDevice);
    enable(handle, IDC_PURE_DEVICE, (adapter().caps.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0);
}

void SetupDialog::readControls() {
    settings.adapter = getSelection(handle, IDC_ADAPTER);
    settings.windowed = getCheck(handle, IDC_WINDOWED);
    settings.fullscreen = !settings.windowed;
    if (!display.adapters.empty()) {
        std::string display = itemText(handle, IDC_DISPLAY, getSelection(handle, IDC_DISPLAY));
        for (int i = 0; i < BACKBUFFER_FORMAT_COUNT; ++i)
            if (displayPresent[i] && display == kFormatTable[i].name)
                settings.displayFormat = kFormatTable[i].format;
        std::string back = itemText(handle, IDC_BACKBUFFER, getSelection(handle, IDC_BACKBUFFER));
        for (int i = 0; i < BACKBUFFER_FORMAT_COUNT; ++i)
            if (backBufferPassed[i] && back == kFormatTable[i].name)
                settings.backBufferFormat = kFormatTable[i].format;
        AdapterInfo& a = adapter();
        int wanted = getSelection(handle, IDC_MODES), n = 0;
        for (int m = 0; m < int(a.modes.size()); ++m) {
            if (a.modes[size_t(m)].Format != settings.displayFormat) continue;
            if (n++ != wanted) continue;
            a.selectedMode = m;
            settings.width = int(a.modes[size_t(m)].Width);
            settings.height = int(a.modes[size_t(m)].Height);
            break;
        }
    }
    settings.windowWidth = getInt(handle, IDC_WIDTH);
    settings.windowHeight = getInt(handle, IDC_HEIGHT);
    settings.stereo = getCheck(handle, IDC_STEREO);
    settings.gui = getCheck(handle, IDC_GUI);
    settings.referenceRasterizer = getCheck(handle, IDC_REFERENCE);
    settings.scriptFile = getText(handle, IDC_SCRIPTFILE);
    int selection = getSelection(handle, IDC_MULTISAMPLING);
    settings.multiSample = selection == 0 || selection > int(sampleCounts.size())
                               ? 0
                               : sampleCounts[size_t(selection - 1)];
    settings.breakAlloc = getInt(handle, IDC_BREAK_ALLOC);
    settings.softwareVertexProcessing = getCheck(handle, IDC_SOFTWARE_VP);
    settings.pureDevice = getCheck(handle, IDC_PURE_DEVICE);
    settings.noSound = getCheck(handle, IDC_NOSOUND);
}

void SetupDialog::handleCommand(int id, int code) {
    switch (id) {
    case IDC_START:
        readControls();
        result = 0;
        EndDialog(handle, 0);
        break;
    case IDC_EXIT:
        result = -1;
        EndDialog(handle, -1);
        break;
    case IDC_ADAPTER:
        if (code != CBN_SELENDOK) break;
        readControls();
        fillDisplayFormats();
        fillModes();
        enable(handle, IDC_PURE_DEVICE, (adapter().caps.DevCaps & D3DDEVCAPS_PUREDEVICE) != 0);
        break;
    case IDC_WINDOWED:
        applyWindowedRule();
        break;
    case IDC_MODES:
        if (code == CBN_SELENDOK) fillRate();
        break;
    case IDC_DISPLAY:
    case IDC_BACKBUFFER:
        if (code != CBN_SELENDOK) break;
        readControls();
        fillModes();
        break;
    case IDC_STEREO: {
        bool on = getCheck(handle, IDC_STEREO);
        int w = getInt(handle, IDC_WIDTH), h = getInt(handle, IDC_HEIGHT);
        setInt(handle, IDC_WIDTH, on ? w / 2 : w * 2);
        setInt(handle, IDC_HEIGHT, on ? h / 2 : h * 2);
        break;
    }
    }
}

void SetupDialog::close() {
    result = -1;
    EndDialog(handle, -1);
}
