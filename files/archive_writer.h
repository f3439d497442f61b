#pragma once
// Writing SARC archives (the archive tool's side of the format). Each entry
// is compressed with method 1 when that saves space and stored otherwise.

#include "archive_format.h"

#include <cstdint>
#include <string>
#include <vector>

struct ArchiveInput {
    std::string name; // as stored: "\" separators
    std::vector<uint8_t> data;
};

struct PackedEntry {
    std::string name; // "\" separators
    uint8_t method = METHOD_STORED;
    uint32_t unpacked = 0;
    std::vector<uint8_t> bytes; // as stored
};

// Chooses the method for one entry and produces its stored bytes.
PackedEntry packEntry(const std::string& name, const std::vector<uint8_t>& data);

// Serialises a whole archive. False (with `error` set) when a name is too
// long or the archive would exceed 4 GiB.
bool buildArchive(const std::vector<PackedEntry>& entries, std::vector<uint8_t>* out,
                  std::string* error);
