// A test DLL: the two clicks a person would make in the setup dialog to play
// the show in stereo in windows, "Windowed" then "Stereo".
//
// The program never waits for the dialog: it reads the controls back as soon
// as the dialog's initialisation has run. The clicks are therefore made from
// a window-procedure hook, right after the dialog has handled WM_INITDIALOG.
// The hook is installed for the whole desktop by stereo_setup_e2e.exe; it
// acts only in a process whose environment has NL_SETUP_CLICK_STEREO set (the
// one that runner starts) and only on a dialog with both check boxes.

#include "app/resource.h"

#include <windows.h>

namespace {

void clickUnlessChecked(HWND dialog, int id) {
    HWND box = GetDlgItem(dialog, id);
    if (box && IsDlgButtonChecked(dialog, id) != BST_CHECKED) SendMessageA(box, BM_CLICK, 0, 0);
}

bool wanted() {
    char value[8];
    return GetEnvironmentVariableA("NL_SETUP_CLICK_STEREO", value, sizeof value) > 0;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    setupClicks(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (sent->message == WM_INITDIALOG && GetDlgItem(sent->hwnd, IDC_WINDOWED) &&
            GetDlgItem(sent->hwnd, IDC_STEREO) && wanted()) {
            clickUnlessChecked(sent->hwnd, IDC_WINDOWED);
            clickUnlessChecked(sent->hwnd, IDC_STEREO);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
