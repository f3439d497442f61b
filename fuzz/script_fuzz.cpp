// The event script parser on arbitrary text; errors are recorded, not shown.

#include "base/message_box.h"
#include "timeline/event_script.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MessageRecorder quiet;
    TextTokenizer t(nullptr);
    t.loadText(reinterpret_cast<const char*>(data), uint32_t(size));
    std::vector<ScriptEvent> events;
    parseScript(t, events);
    return 0;
}
