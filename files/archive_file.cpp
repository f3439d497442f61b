#include "archive_file.h"

#include "base/byte_reader.h"
#include "base/diag_log.h"
#include "base/text.h"
#include "method1.h"

#include <cstring>
#include <new>

namespace {

// Reads the directory records from `bytes` (everything after the header).
// Returns false, with `why` set, when they are malformed.
bool parseDirectory(ByteReader& in, uint32_t count, uint64_t fileSize,
                    std::vector<ArchiveEntry>* out, uint32_t* dataBase, const char** why) {
    std::vector<ArchiveEntry> entries;
    entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        ArchiveEntry e = {};
        uint8_t length = in.u8();
        if (length > kMaxArchiveName) {
            *why = "entry name longer than 253 bytes";
            return false;
        }
        in.bytes(e.name, length);
        e.method = in.u8();
        e.offset = in.u32le();
        e.stored = in.u32le();
        e.unpacked = in.u32le();
        if (in.failed()) {
            *why = "directory runs past the end of the file";
            return false;
        }
        entries.push_back(e);
    }
    uint32_t base = uint32_t(kArchiveHeaderSize + in.position());
    for (const ArchiveEntry& e : entries) {
        if (uint64_t(base) + e.offset + e.stored > fileSize) {
            *why = "entry data lies outside the file";
            return false;
        }
        if (e.method == METHOD_STORED && e.stored != e.unpacked) {
            *why = "stored entry whose sizes differ";
            return false;
        }
        if (e.method == METHOD_COMPRESSED &&
            (e.unpacked > maxUnpackedSize(e.stored) || (e.unpacked < 4 && e.stored < e.unpacked))) {
            *why = "compressed entry whose sizes do not fit its data";
            return false;
        }
    }
    out->swap(entries);
    *dataBase = base;
    return true;
}

} // namespace

std::string toArchiveName(const char* name) {
    std::string s(name ? name : "");
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

ArchiveFile::ArchiveFile(const VirtualFile& prototype) : file(prototype.clone()) {}

ArchiveFile::~ArchiveFile() {
    delete[] buffer;
    if (loaded) file->close();
    delete file;
}

bool ArchiveFile::openArchive(const char* name) {
    if (loaded || !name) return false;
    if (!file->openRead(name)) return false;
    uint64_t fileSize = file->size;
    uint8_t header[kArchiveHeaderSize];
    const char* why = nullptr;
    bool ok = false;
    if (file->read(header, sizeof header) != sizeof header) {
        why = "shorter than its header";
    } else if (std::memcmp(header, kArchiveMagic, 4) != 0) {
        why = "no SARC magic";
    } else {
        ByteReader h(header, sizeof header);
        h.skip(8);
        uint32_t count = h.u32le();
        uint64_t rest = fileSize - kArchiveHeaderSize;
        if (uint64_t(count) * kMinArchiveRecord > rest) {
            why = "directory runs past the end of the file";
        } else {
            // The directory is at most 267 bytes a record; read what there is.
            uint64_t want = uint64_t(count) * (kMinArchiveRecord + kMaxArchiveName + 2);
            uint32_t span = uint32_t(want < rest ? want : rest);
            std::vector<uint8_t> bytes(span);
            if (file->read(bytes.data(), span) != span) {
                why = "unreadable directory";
            } else {
                ByteReader in(bytes.data(), bytes.size());
                ok = parseDirectory(in, count, fileSize, &directory, &dataBase, &why);
            }
        }
    }
    if (!ok) {
        diagLog() << name << ": not used as an archive: " << why << "\n";
        directory.clear();
        file->close();
        return false;
    }
    loaded = true;
    archiveName = name;
    return true;
}

VirtualFile* ArchiveFile::clone() const {
    auto* copy = new ArchiveFile(*file);
    if (!archiveName.empty()) copy->openArchive(archiveName.c_str());
    copy->looseFirst = looseFirst;
    return copy;
}

const ArchiveEntry* ArchiveFile::findEntry(const std::string& wanted, bool readable) const {
    if (!loaded) return nullptr;
    for (const ArchiveEntry& e : directory) {
        if (!equalsIgnoreCase(e.name, wanted.c_str())) continue;
        if (readable && e.method != METHOD_STORED && e.method != METHOD_COMPRESSED) continue;
        return &e;
    }
    return nullptr;
}

bool ArchiveFile::exists(const char* name) {
    std::string wanted = toArchiveName(name);
    if (findEntry(wanted, false)) return true;
    VirtualFile* disk = file->clone();
    bool found = disk->exists(wanted.c_str());
    delete disk;
    return found;
}

uint8_t* ArchiveFile::loadEntry(const ArchiveEntry& entry) {
    uint8_t* stored = new (std::nothrow) uint8_t[size_t(entry.stored) + 1];
    if (!stored) return nullptr;
    if (!file->seek(dataBase + entry.offset) || file->read(stored, entry.stored) != entry.stored) {
        delete[] stored;
        return nullptr;
    }
    if (entry.method == METHOD_STORED) return stored;
    uint8_t* unpacked = new (std::nothrow) uint8_t[size_t(entry.unpacked) + 1];
    if (unpacked && !decompressMethod1(stored, entry.stored, unpacked, entry.unpacked)) {
        delete[] unpacked;
        unpacked = nullptr;
    }
    delete[] stored;
    return unpacked;
}

bool ArchiveFile::openLoose(const std::string& wanted) {
    VirtualFile* disk = file->clone();
    bool ok = false;
    if (disk->openRead(wanted.c_str())) {
        uint32_t got = 0;
        buffer = readRemaining(*disk, &got);
        if (buffer) {
            size = got;
            position = 0;
            ok = true;
        }
        disk->close();
    }
    delete disk;
    return ok;
}

bool ArchiveFile::openRead(const char* name) {
    if (buffer) return false;
    std::string wanted = toArchiveName(name);
    if (looseFirst && openLoose(wanted)) return true;
    if (const ArchiveEntry* e = findEntry(wanted, true)) {
        buffer = loadEntry(*e);
        if (!buffer) {
            diagLog() << wanted << ": archive entry is corrupt\n";
            return false;
        }
        size = e->unpacked;
        position = 0;
        return true;
    }
    return !looseFirst && openLoose(wanted);
}

FileStamp ArchiveFile::archiveStamp() const {
    auto* disk = dynamic_cast<const DiskFile*>(file);
    if (!loaded || !disk) return FileStamp{};
    FileStamp stamp = disk->stampOf(archiveName.c_str());
    stamp.archived = true;
    return stamp;
}

FileStamp ArchiveFile::stampOf(const char* name) {
    const std::string wanted = toArchiveName(name);
    auto* disk = dynamic_cast<const DiskFile*>(file);
    FileStamp loose = disk ? disk->stampOf(wanted.c_str()) : FileStamp{};
    if (looseFirst && loose.found) return loose;
    if (findEntry(wanted, true)) return archiveStamp();
    return loose;
}

bool ArchiveFile::openWrite(const char*) {
    return false;
}

uint32_t ArchiveFile::write(const void*, uint32_t) {
    return 0;
}

bool ArchiveFile::close() {
    if (!buffer) return false;
    delete[] buffer;
    buffer = nullptr;
    size = 0;
    position = 0;
    return true;
}

uint32_t ArchiveFile::read(void* out, uint32_t count) {
    if (!buffer) return 0;
    uint32_t n = size - position < count ? size - position : count;
    std::memcpy(out, buffer + position, n);
    position += n;
    return n;
}

bool ArchiveFile::seek(uint32_t p) {
    position = p < size ? p : size;
    return true;
}

bool ArchiveFile::seekRelative(int32_t delta) {
    // Clamped at both ends: a step back past the start stops at 0.
    int64_t p = int64_t(position) + delta;
    position = p < 0 ? 0 : p > int64_t(size) ? size : uint32_t(p);
    return true;
}

uint32_t ArchiveFile::tell() {
    return position;
}
