// The archive reader on untrusted bytes: the directory, then every entry.

#include "files/archive_file.h"
#include "tests/support/memory_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)["moonwell.sar"] = std::vector<uint8_t>(data, data + size);
    MemoryFile memory(files);
    ArchiveFile archive(memory);
    if (!archive.openArchive("moonwell.sar")) return 0;
    std::vector<ArchiveEntry> entries = archive.entries();
    uint8_t sink[64];
    for (const ArchiveEntry& e : entries) {
        if (!archive.openRead(e.name)) continue;
        while (archive.read(sink, sizeof sink)) {
        }
        archive.close();
    }
    return 0;
}
