#include "message_box_system.h"

#include <cstdio>

// Native builds have no window system to show a box in: the message goes to
// standard error so that it is still seen.
void showSystemMessage(void*, const std::string& text, const std::string& caption, MessageIcon) {
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
}
