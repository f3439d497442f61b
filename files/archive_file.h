#pragma once
// The data archive as a VirtualFile. Entries are read whole into memory (and
// decompressed) when opened, then served by copying. Names the archive does
// not hold are read from disk through a clone of the underlying file, so a
// missing archive simply means running from loose files.
//
// Names may use "/" or "\"; they match entry names case-insensitively.
// One entry is open per object at a time; use clones for more.

#include "archive_format.h"
#include "disk_file.h"
#include "virtual_file.h"

#include <string>
#include <vector>

class ArchiveFile : public VirtualFile {
public:
    // Clones `prototype` as the underlying file.
    explicit ArchiveFile(const VirtualFile& prototype);
    ~ArchiveFile() override;
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    // Loads the directory of archive `name`. Fails when one is loaded already,
    // the file is missing, the magic is wrong or the directory is malformed
    // (records past the end, names over 253 bytes, data outside the file,
    // sizes that cannot match their method); the object then has no directory.
    bool openArchive(const char* name);

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

    bool hasDirectory() const { return loaded; }
    // Where `name` is read from now, to tell later whether it changed: a
    // loose file's own stamp, or the archive file's for an entry.
    FileStamp stampOf(const char* name);
    // The archive file's stamp (not found without an archive).
    FileStamp archiveStamp() const;

    // Loose files before the archive's entries: an author's edits beside the
    // program win over the packed show.
    bool looseFirst = false;
    const std::vector<ArchiveEntry>& entries() const { return directory; }
    // File offset of the first byte after the directory.
    uint32_t dataOffset() const { return dataBase; }
    // The open entry's bytes (null when closed).
    const uint8_t* data() const { return buffer; }

private:
    // The first entry of that name (with `readable`, of a method it can unpack).
    const ArchiveEntry* findEntry(const std::string& wanted, bool readable) const;
    bool openLoose(const std::string& wanted);
    // Reads and unpacks one entry; null when it cannot be read or is corrupt.
    uint8_t* loadEntry(const ArchiveEntry& entry);

    VirtualFile* file;
    bool loaded = false;
    std::vector<ArchiveEntry> directory;
    std::string archiveName;
    uint32_t dataBase = 0;
    uint8_t* buffer = nullptr;
    uint32_t position = 0;
};

// "/" becomes "\", as entry names are stored.
std::string toArchiveName(const char* name);
