#pragma once
// A file that notes every name read or looked for through it and through its
// clones (which loaders make for each file they open), so that a load can
// tell afterwards which files it depended on, found or not.

#include "virtual_file.h"

#include <memory>
#include <string>
#include <vector>

class RecordingFile : public VirtualFile {
public:
    using Names = std::vector<std::string>;
    // Reads through a clone of `inner`; names go to `names` (shared by clones).
    RecordingFile(const VirtualFile& inner, std::shared_ptr<Names> names);
    ~RecordingFile() override;
    RecordingFile(const RecordingFile&) = delete;
    RecordingFile& operator=(const RecordingFile&) = delete;

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

    // Each name once, in the order first met.
    const Names& names() const { return *recorded; }

private:
    void note(const char* name);

    VirtualFile* file; // owned
    std::shared_ptr<Names> recorded;
};
