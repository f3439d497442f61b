// Method 1 both ways: arbitrary bytes must survive compression and
// decompression unchanged, and arbitrary streams must decode or fail cleanly.

#include "files/method1.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    std::vector<uint8_t> packed = compressMethod1(data, uint32_t(size));
    std::vector<uint8_t> back(size + 1);
    if (!decompressMethod1(packed.data(), uint32_t(packed.size()), back.data(), uint32_t(size)) ||
        (size && std::memcmp(back.data(), data, size) != 0))
        __builtin_trap();

    // The input as a stream: the first two bytes choose the unpacked size.
    if (size >= 2) {
        uint32_t unpacked = uint32_t(data[0]) | uint32_t(data[1]) << 8;
        std::vector<uint8_t> out(unpacked + 1);
        decompressMethod1(data + 2, uint32_t(size - 2), out.data(), unpacked);
    }
    return 0;
}
