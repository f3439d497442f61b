// Drives the bounded reader with operations chosen by the input itself: no
// sequence of reads, skips and seeks may read outside the buffer.

#include "base/byte_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    size_t split = data[0] % (size + 1);
    // Program in the first part, the buffer being read in the rest, copied so
    // that ASan sees its exact bounds.
    std::vector<uint8_t> buffer(data + split, data + size);
    ByteReader reader(buffer.data(), buffer.size());
    uint8_t sink[16];
    for (size_t i = 1; i < split; ++i) {
        uint8_t op = data[i];
        switch (op & 7) {
        case 0:
            reader.u8();
            break;
        case 1:
            reader.u16le();
            break;
        case 2:
            reader.u32be();
            break;
        case 3:
            reader.f32le();
            break;
        case 4:
            reader.skip(op >> 3);
            break;
        case 5:
            reader.seek(op >> 3);
            break;
        case 6:
            reader.bytes(sink, (op >> 3) % sizeof sink);
            break;
        case 7: {
            const uint8_t* p = reader.view(op >> 4);
            if (p && (op >> 4)) sink[0] = p[(op >> 4) - 1];
            break;
        }
        }
        if (reader.position() > buffer.size()) __builtin_trap();
    }
    return 0;
}
