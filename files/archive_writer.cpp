#include "archive_writer.h"

#include "method1.h"

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

} // namespace

PackedEntry packEntry(const std::string& name, const std::vector<uint8_t>& data) {
    PackedEntry p;
    p.name = name;
    for (char& c : p.name)
        if (c == '/') c = '\\';
    p.unpacked = uint32_t(data.size());
    std::vector<uint8_t> packed = compressMethod1(data.data(), uint32_t(data.size()));
    if (packed.size() < data.size()) {
        p.method = METHOD_COMPRESSED;
        p.bytes.swap(packed);
    } else {
        p.method = METHOD_STORED;
        p.bytes = data;
    }
    return p;
}

bool buildArchive(const std::vector<PackedEntry>& entries, std::vector<uint8_t>* out,
                  std::string* error) {
    std::vector<uint8_t> a(kArchiveMagic, kArchiveMagic + 4);
    putU32(a, 0);
    putU32(a, uint32_t(entries.size()));
    uint64_t offset = 0;
    for (const PackedEntry& p : entries) {
        if (p.name.size() > kMaxArchiveName) {
            *error = "name longer than 253 bytes: " + p.name;
            return false;
        }
        a.push_back(uint8_t(p.name.size()));
        a.insert(a.end(), p.name.begin(), p.name.end());
        a.push_back(p.method);
        putU32(a, uint32_t(offset));
        putU32(a, uint32_t(p.bytes.size()));
        putU32(a, p.unpacked);
        offset += p.bytes.size();
    }
    if (a.size() + offset > 0xFFFFFFFFull) {
        *error = "archive would exceed 4 GiB";
        return false;
    }
    for (const PackedEntry& p : entries) a.insert(a.end(), p.bytes.begin(), p.bytes.end());
    out->swap(a);
    return true;
}
