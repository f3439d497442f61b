#include "method1.h"

#include "adaptive_huffman.h"
#include "bit_stream.h"

#include <cstring>

void MatchContext::clear() {
    std::memset(position, 0, sizeof position);
    std::memset(context, 0, sizeof context);
}

bool MatchContext::lookupAndStore(const uint8_t* out, uint32_t pos, uint32_t* candidate) {
    const uint8_t* p = out + pos - 4;
    uint32_t c = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    uint32_t h = ((c >> 15) & 0xFFFF) ^ (c & 0xFFFF);
    bool valid = context[h] == c;
    *candidate = position[h];
    position[h] = pos;
    context[h] = c;
    return valid;
}

namespace {

struct DecoderState {
    MatchContext tables;
    AdaptiveHuffman literals;
    AdaptiveHuffman lengths;
};

// Decodes one symbol; -1 on a malformed stream.
int decodeSymbol(AdaptiveHuffman& model, BitReader& bits) {
    int n = 0;
    while (!model.node(n).leaf) {
        n = model.node(n).child + int(bits.take(1));
        if (bits.failed() || n >= model.nodeCount()) return -1;
    }
    int symbol = model.node(n).child;
    if (symbol == AdaptiveHuffman::END) return -1; // never written: the size says where to stop
    if (symbol == AdaptiveHuffman::ESCAPE) {
        symbol = int(bits.take(8));
        if (bits.failed() || !model.add(symbol)) return -1;
    }
    if (!model.update(symbol)) return -1;
    return symbol;
}

} // namespace

bool decompressMethod1(const uint8_t* stored, uint32_t storedSize, uint8_t* out,
                       uint32_t unpackedSize) {
    static DecoderState state; // 512 KiB of tables, shared by every call
    uint32_t literal = unpackedSize < 4 ? unpackedSize : 4;
    if (storedSize < literal) return false;
    if (literal) std::memcpy(out, stored, literal);
    if (unpackedSize <= 4) return true;
    // A zero-length match at the same context leads to a copy from the
    // current position: make that read defined.
    std::memset(out + 4, 0, unpackedSize - 4);

    state.tables.clear();
    state.literals.reset();
    state.lengths.reset();
    BitReader bits(stored + 4, storedSize - 4);
    uint32_t pos = 4;
    while (pos < unpackedSize) {
        uint32_t candidate;
        if (state.tables.lookupAndStore(out, pos, &candidate)) {
            uint32_t flag = bits.take(1);
            if (bits.failed()) return false;
            if (flag) {
                int length = decodeSymbol(state.lengths, bits);
                if (length < 0 || length > 255) return false;
                uint32_t n = uint32_t(length);
                if (n > unpackedSize - pos) n = unpackedSize - pos;
                for (uint32_t i = 0; i < n; ++i) out[pos + i] = out[candidate + i];
                pos += n;
                continue;
            }
        }
        int byte = decodeSymbol(state.literals, bits);
        if (byte < 0 || byte > 255) return false;
        out[pos++] = uint8_t(byte);
    }
    return true;
}
