// Raises one message box the way the programs do, so that the watchdog's
// detection of it is itself tested.

#include <windows.h>

#include "base/message_box.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    showMessage(nullptr, "probe text", "Probe caption", MessageIcon::Error);
    return 0;
}
