#pragma once
// The data archive "SARC". All integers are little-endian.
//
//   offset 0   4 bytes  magic "SARC"
//   offset 4   4 bytes  reserved, not interpreted
//   offset 8   4 bytes  entry count N
//   offset 12  N directory records:
//                1 byte   name length L (at most kMaxArchiveName)
//                L bytes  name, no terminator, "\" as path separator
//                1 byte   method (0 stored, 1 compressed)
//                4 bytes  data offset, counted from the first byte after the directory
//                4 bytes  stored size
//                4 bytes  unpacked size
//   then the entry data.

#include <cstdint>

constexpr char kArchiveMagic[4] = {'S', 'A', 'R', 'C'};
constexpr uint32_t kArchiveHeaderSize = 12;
constexpr uint32_t kMaxArchiveName = 253;
// Smallest directory record: an empty name.
constexpr uint32_t kMinArchiveRecord = 1 + 1 + 4 + 4 + 4;

enum ArchiveMethod : uint8_t {
    METHOD_STORED = 0,
    METHOD_COMPRESSED = 1,
};

struct ArchiveEntry {
    char name[kMaxArchiveName + 1]; // zero-terminated
    uint8_t method;
    uint32_t offset;   // from the data base
    uint32_t stored;   // bytes in the archive
    uint32_t unpacked; // bytes after decompression
};

// The most bytes a compressed entry of `stored` bytes can unpack to: four
// literal bytes, then at best a 255-byte match per two bits of stream.
inline uint64_t maxUnpackedSize(uint32_t stored) {
    if (stored <= 4) return stored;
    return 4 + uint64_t(stored - 4) * 8 / 2 * 255;
}
