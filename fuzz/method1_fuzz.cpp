// Method 1 both ways: arbitrary bytes must survive compression and
// decompression unchanged, and arbitrary streams must decode or fail cleanly.
//
// The first byte says which: odd for a round trip of the bytes after it, even
// for a stream. Every compression allocates and clears 512 KiB of tables,
// which under the address sanitizer costs as much as decoding a small stream
// ten times; when every input did both, every input paid for that.

#include "files/method1.h"

#include <cstring>
#include <vector>

namespace {

// Decoding cost grows with the declared size (the output is cleared, and a
// few bits can copy 255 bytes), while no path needs more than a few
// thousand bytes of output: larger sizes wrap.
constexpr uint32_t MAX_FUZZ_UNPACKED = 8192;
// Largest round trip: compression of larger inputs walks the same paths.
constexpr size_t MAX_FUZZ_ROUND_TRIP = 1 << 16;

void roundTrip(const uint8_t* data, size_t size) {
    if (size > MAX_FUZZ_ROUND_TRIP) return;
    std::vector<uint8_t> packed = compressMethod1(data, uint32_t(size));
    std::vector<uint8_t> back(size + 1);
    if (!decompressMethod1(packed.data(), uint32_t(packed.size()), back.data(), uint32_t(size)) ||
        (size && std::memcmp(back.data(), data, size) != 0))
        __builtin_trap();
}

// The first two bytes choose the unpacked size, the rest is the stream.
void decodeStream(const uint8_t* data, size_t size) {
    if (size < 2) return;
    const uint32_t unpacked = (uint32_t(data[0]) | uint32_t(data[1]) << 8) % MAX_FUZZ_UNPACKED;
    std::vector<uint8_t> out(unpacked + 1);
    decompressMethod1(data + 2, uint32_t(size - 2), out.data(), unpacked);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    if (data[0] & 1)
        roundTrip(data + 1, size - 1);
    else
        decodeStream(data + 1, size - 1);
    return 0;
}
