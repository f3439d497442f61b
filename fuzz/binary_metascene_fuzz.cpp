// Binary metascenes on untrusted bytes: the magic, the two counts, and
// whatever follows or is missing.

#include "fuzz_filter.h"
#include "tests/support/memory_file.h"
#include "timeline/metascene_loader.h"

namespace {

// Tens of thousands of default surfaces teach nothing that a few hundred do
// not, and would make every such input slow.
NL_FUZZ_FILTER bool worthRunning(const uint8_t* data, size_t size) {
    if (size < 8) return true;
    return (uint32_t(data[6]) | uint32_t(data[7]) << 8) <= 256;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!worthRunning(data, size)) return 0;
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["fuzz.kpx"] = std::vector<uint8_t>(data, data + size);
    MemoryFile memory(files);
    std::unique_ptr<MetaScene> meta = loadBinaryMetascene(nullptr, &memory, "fuzz.kpx");
    if (meta) activateMetaScene(*meta, Activation{});
    return 0;
}
