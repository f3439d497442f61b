// The encoder mirrors decompressMethod1 step by step: the same context tables
// and the same two models, updated in the same order, so the decoder finds
// every candidate the encoder saw.
//
// Where a candidate exists the encoder chooses between a match and a literal
// by their cost in bits under the models' current codes: the match costs the
// flag and the length's code; the literals cost the flag and each byte's code
// (with escapes for bytes not yet in the model). Long matches always win.

#include "method1.h"

#include "adaptive_huffman.h"
#include "bit_stream.h"

#include <memory>

namespace {

constexpr uint32_t kAlwaysMatch = 32;

struct EncoderState {
    MatchContext tables;
    AdaptiveHuffman literals;
    AdaptiveHuffman lengths;
};

int symbolCost(const AdaptiveHuffman& model, int symbol) {
    int length = model.codeLength(symbol);
    if (length >= 0) return length;
    return model.codeLength(AdaptiveHuffman::ESCAPE) + 8;
}

void encodeSymbol(AdaptiveHuffman& model, int symbol, BitWriter& bits) {
    uint8_t path[AdaptiveHuffman::MAX_NODES];
    if (model.has(symbol)) {
        int n = model.code(symbol, path, AdaptiveHuffman::MAX_NODES);
        for (int i = 0; i < n; ++i) bits.putBit(path[i]);
    } else {
        int n = model.code(AdaptiveHuffman::ESCAPE, path, AdaptiveHuffman::MAX_NODES);
        for (int i = 0; i < n; ++i) bits.putBit(path[i]);
        bits.put(uint32_t(symbol), 8);
        model.add(symbol);
    }
    model.update(symbol);
}

bool matchPays(const EncoderState& s, const uint8_t* data, uint32_t pos, uint32_t length) {
    if (length >= kAlwaysMatch) return true;
    int matchBits = 1 + symbolCost(s.lengths, int(length));
    int literalBits = 1;
    for (uint32_t i = 0; i < length && literalBits <= matchBits; ++i)
        literalBits += symbolCost(s.literals, data[pos + i]);
    return matchBits < literalBits;
}

} // namespace

std::vector<uint8_t> compressMethod1(const uint8_t* data, uint32_t size) {
    uint32_t literal = size < 4 ? size : 4;
    std::vector<uint8_t> out(data, data + literal);
    if (size <= 4) return out;

    auto state = std::make_unique<EncoderState>();
    state->tables.clear();
    BitWriter bits(out);
    uint32_t pos = 4;
    while (pos < size) {
        uint32_t candidate;
        if (state->tables.lookupAndStore(data, pos, &candidate)) {
            uint32_t limit = size - pos < 255 ? size - pos : 255;
            uint32_t length = 0;
            while (length < limit && data[candidate + length] == data[pos + length]) ++length;
            if (length > 0 && matchPays(*state, data, pos, length)) {
                bits.putBit(1);
                encodeSymbol(state->lengths, int(length), bits);
                pos += length;
                continue;
            }
            bits.putBit(0);
        }
        encodeSymbol(state->literals, data[pos], bits);
        ++pos;
    }
    bits.flush();
    return out;
}
