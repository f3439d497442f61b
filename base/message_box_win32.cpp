#include "message_box_system.h"

#include <windows.h>

void showSystemMessage(void* owner, const std::string& text, const std::string& caption,
                       MessageIcon icon) {
    UINT type = MB_OK;
    switch (icon) {
    case MessageIcon::Error:
        type |= MB_ICONERROR;
        break;
    case MessageIcon::Warning:
        type |= MB_ICONWARNING;
        break;
    case MessageIcon::Information:
        type |= MB_ICONINFORMATION;
        break;
    case MessageIcon::None:
        break;
    }
    MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), type);
}
