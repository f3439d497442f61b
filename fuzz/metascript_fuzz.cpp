// Metascripts on untrusted bytes, with the scenes and the object they name:
// the input is split at its first two NUL bytes into the metascript, a scene
// "a.lws" and an object "b.lwo" (a missing part is an empty file). The
// metascene is loaded, activated without a device and freed, as the player
// would with "loadmetascript", "activemeta" and "freemeta".

#include "base/diag_log.h"
#include "base/message_box.h"
#include "tests/support/memory_file.h"
#include "timeline/metascene_loader.h"

#include <cstring>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* names[3] = {"meta.txt", "a.lws", "b.lwo"};
    auto files = std::make_shared<MemoryFile::Files>();
    size_t start = 0;
    for (int part = 0; part < 3; ++part) {
        size_t end = start;
        while (end < size && (part == 2 || data[end] != 0)) ++end;
        (*files)[names[part]] = std::vector<uint8_t>(data + start, data + end);
        start = end < size ? end + 1 : size;
    }
    MemoryFile memory(files);
    MessageRecorder quiet;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    std::unique_ptr<MetaScene> meta = loadMetascript(nullptr, &memory, "meta.txt");
    if (meta) activateMetaScene(*meta, Activation{});
    return 0;
}
