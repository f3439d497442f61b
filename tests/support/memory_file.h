#pragma once
// A VirtualFile over named byte buffers in memory, for tests and fuzz
// targets that must not touch the disk. Clones share the same files.

#include "files/virtual_file.h"

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

class MemoryFile : public VirtualFile {
public:
    using Files = std::map<std::string, std::vector<uint8_t>>;

    explicit MemoryFile(std::shared_ptr<Files> files) : files(std::move(files)) {}

    VirtualFile* clone() const override { return new MemoryFile(files); }
    bool exists(const char* name) override { return files->count(name) != 0; }
    bool openRead(const char* name) override {
        if (open || !exists(name)) return false;
        open = &(*files)[name];
        size = uint32_t(open->size());
        position = 0;
        return true;
    }
    bool openWrite(const char*) override { return false; }
    bool close() override {
        bool was = open != nullptr;
        open = nullptr;
        size = 0;
        return was;
    }
    uint32_t read(void* buffer, uint32_t count) override {
        if (!open) return 0;
        uint32_t n = size - position < count ? size - position : count;
        if (n) std::memcpy(buffer, open->data() + position, n);
        position += n;
        return n;
    }
    uint32_t write(const void*, uint32_t) override { return 0; }
    bool seek(uint32_t p) override {
        if (!open || p > size) return false;
        position = p;
        return true;
    }
    bool seekRelative(int32_t d) override {
        int64_t p = int64_t(position) + d;
        if (!open || p < 0 || p > int64_t(size)) return false;
        position = uint32_t(p);
        return true;
    }
    uint32_t tell() override { return position; }

private:
    std::shared_ptr<Files> files;
    std::vector<uint8_t>* open = nullptr;
    uint32_t position = 0;
};
