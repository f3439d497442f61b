#pragma once
// Loose files through the C runtime's descriptor calls. A name that does not
// open as given is tried again, without any drive prefix, behind each entry of
// the search path in turn (default ".\;..\": beside the program, then one
// folder up).

#include "virtual_file.h"

#include <cstdint>
#include <string>
#include <vector>

// What a loose file looks like on disk, to tell whether it changed.
struct FileStamp {
    bool found = false;
    uint64_t size = 0;
    int64_t modified = 0; // ticks of the file system's clock
    bool archived = false; // an entry of the archive: the stamp is the archive's
    bool operator==(const FileStamp& o) const {
        return found == o.found && size == o.size && modified == o.modified &&
               archived == o.archived;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

class DiskFile : public VirtualFile {
public:
    static constexpr const char* kDefaultSearchPath = ".\\;..\\";

    DiskFile() = default;
    ~DiskFile() override;
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    VirtualFile* clone() const override;
    bool exists(const char* name) override;
    bool openRead(const char* name) override;
    bool openWrite(const char* name) override;
    bool close() override;
    uint32_t read(void* buffer, uint32_t count) override;
    uint32_t write(const void* buffer, uint32_t count) override;
    bool seek(uint32_t position) override;
    bool seekRelative(int32_t delta) override;
    uint32_t tell() override;
    // Replaces the search path with a copy of `path` (entries separated by ";").
    virtual void setSearchPath(const char* path);

    const std::string& searchPath() const { return path; }
    // The file `openRead(name)` would open, found the same way.
    FileStamp stampOf(const char* name) const;
    // Bytes written since the file was opened for writing.
    uint32_t bytesWritten() const { return written; }

private:
    // The host paths openRead tries for `name`, in order.
    std::vector<std::string> candidates(const std::string& name) const;

    int fd = -1;
    std::string path = kDefaultSearchPath;
    uint32_t written = 0;
};
