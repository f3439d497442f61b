// The LWS scene loader on untrusted bytes, through the file interface as the
// player reads it, with one object file present so that object loading runs.
// Afterwards every item's matrices are computed once, which walks parent and
// target links as the renderer would.

#include "base/message_box.h"
#include "lightwave/meta_scene.h"
#include "lightwave/scene.h"
#include "tests/support/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["fuzz.lws"] = std::vector<uint8_t>(data, data + size);
    (*files)["ship.lwo"] = {'F', 'O', 'R', 'M'};
    MemoryFile memory(files);
    MessageRecorder quiet;
    MetaScene meta(nullptr);
    auto* scene = new LW6Scene(nullptr, &meta);
    meta.scenes.emplace_back(scene);
    if (!scene->loadScene(&memory, "fuzz.lws")) return 0;
    for (LWObject* o : scene->objects) o->getInvMatrix(0.5);
    for (LWCamera* c : scene->cameras) c->getMatrix(0.5);
    return 0;
}
