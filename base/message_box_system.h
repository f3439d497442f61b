#pragma once
// The platform's own message box, used when no handler is installed.
#include "message_box.h"

void showSystemMessage(void* owner, const std::string& text, const std::string& caption,
                       MessageIcon icon);
