#pragma once
// The file interface every loader reads through. DiskFile serves loose files
// through a search path; ArchiveFile serves the entries of the data archive and
// falls back to disk for names it does not hold.
//
// An object holds at most one open file. Code that needs several files at
// once makes clones. Names may use "\" as separator on every platform.

#include <cstdint>

class VirtualFile {
public:
    virtual ~VirtualFile() = default;
    // A new, closed object of the same kind and configuration; owned by the caller.
    virtual VirtualFile* clone() const = 0;
    virtual bool exists(const char* name) = 0;
    virtual bool openRead(const char* name) = 0;
    virtual bool openWrite(const char* name) = 0;
    // False when nothing was open.
    virtual bool close() = 0;
    // Number of bytes read or written.
    virtual uint32_t read(void* buffer, uint32_t count) = 0;
    virtual uint32_t write(const void* buffer, uint32_t count) = 0;
    virtual bool seek(uint32_t position) = 0;
    virtual bool seekRelative(int32_t delta) = 0;
    virtual uint32_t tell() = 0;

    // Size in bytes of the open file.
    uint32_t size = 0;
};

// Reads the whole open file from the current position to its end into a new
// buffer of `file.size` bytes plus a terminating zero (for text). Returns null
// when the file cannot be read completely. Caller frees with delete[].
uint8_t* readRemaining(VirtualFile& file, uint32_t* bytesRead);
