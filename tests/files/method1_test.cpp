#include "files/adaptive_huffman.h"
#include "files/method1.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Bytes from a written-out bit string ("1 0100..."), most significant bit
// first, zero-padded: an encoding written by hand, independent of the encoder.
std::vector<uint8_t> bitsToBytes(const std::string& prefix, const std::string& bits) {
    std::vector<uint8_t> out(prefix.begin(), prefix.end());
    int used = 0;
    uint8_t current = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        current = uint8_t(current << 1 | (c - '0'));
        if (++used == 8) {
            out.push_back(current);
            used = 0;
            current = 0;
        }
    }
    if (used) out.push_back(uint8_t(current << (8 - used)));
    return out;
}

bool decode(const std::vector<uint8_t>& stored, uint32_t unpacked, std::vector<uint8_t>* out) {
    out->assign(unpacked, 0xEE);
    return decompressMethod1(stored.data(), uint32_t(stored.size()), out->data(), unpacked);
}

std::vector<uint8_t> roundTrip(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> packed = compressMethod1(data.data(), uint32_t(data.size()));
    std::vector<uint8_t> back;
    EXPECT_TRUE(decode(packed, uint32_t(data.size()), &back));
    EXPECT_EQ(back, data);
    return packed;
}

struct Lcg {
    uint32_t state;
    uint32_t next() { return state = state * 1664525u + 1013904223u; }
};

std::vector<uint8_t> bytesOf(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::string wordSoup(size_t words, uint32_t seed) {
    static const char* vocabulary[] = {
        "loadmetascript", "flash", "fade", "0xFFFFFFFF", "cam",        "start",  "stop",
        "scene",          "\n",    " ",    "1:30.250",   "tunnel.lws", "playxm", "picture"};
    Lcg rng{seed};
    std::string s;
    for (size_t i = 0; i < words; ++i) s += vocabulary[(rng.next() >> 16) % 14];
    return s;
}

} // namespace

TEST(Method1Decode, HandWrittenStreams) {
    std::vector<uint8_t> out;
    // "ABCD" literally, then escape (1) and 'E' in 8 bits.
    ASSERT_TRUE(decode(bitsToBytes("ABCD", "1 01000101"), 5, &out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "ABCDE");

    // Four zero bytes match the cleared tables' zero context: candidate 0.
    // Flag 1, length escape (1) and 3: three more zeros.
    ASSERT_TRUE(decode(bitsToBytes(std::string(4, '\0'), "1 1 00000011"), 7, &out));
    EXPECT_EQ(out, std::vector<uint8_t>(7, 0));

    // A match of length 0 writes nothing; the loop goes on (now with the
    // candidate at the current position) and a literal follows.
    ASSERT_TRUE(decode(bitsToBytes(std::string(4, '\0'), "1 1 00000000  0  1 01011010"), 5, &out));
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 0, 0, 'Z'}));

    // After 'E' was added the literal tree is root{node1{ESCAPE, 'E'}, END}:
    // "01" codes 'E' again.
    ASSERT_TRUE(decode(bitsToBytes("ABCD", "1 01000101  01"), 6, &out));
    EXPECT_EQ(std::string(out.begin(), out.end()), "ABCDEE");
}

TEST(Method1Decode, ShortEntriesAreCopiedWithoutReadingAStream) {
    std::vector<uint8_t> out;
    for (uint32_t n = 0; n <= 4; ++n) {
        std::vector<uint8_t> stored = bytesOf(std::string("wxyz").substr(0, n));
        ASSERT_TRUE(decode(stored, n, &out)) << n;
        EXPECT_EQ(out, stored);
    }
    EXPECT_FALSE(decode(bytesOf("wx"), 3, &out)); // fewer stored bytes than the literal start
}

TEST(Method1Decode, MalformedStreamsFailCleanly) {
    std::vector<uint8_t> out;
    // The stream ends inside the escaped byte.
    EXPECT_FALSE(decode(bitsToBytes("ABCD", "1 0100"), 5, &out));
    // Nothing after the literal start although a byte is due.
    EXPECT_FALSE(decode(bytesOf("ABCD"), 5, &out));
    // Bit 0 at the root codes the end symbol, which is never written.
    EXPECT_FALSE(decode(bitsToBytes("ABCD", "0"), 5, &out));
    // Escaping 'E' a second time would add a symbol that is present.
    EXPECT_FALSE(decode(bitsToBytes("ABCD", "1 01000101  00 01000101"), 6, &out));
    // Padding bits run out before the output is full.
    EXPECT_FALSE(decode(bitsToBytes("ABCD", "1 01000101"), 400, &out));
}

TEST(Method1RoundTrip, VariedData) {
    roundTrip({});
    roundTrip({7});
    roundTrip({1, 2});
    roundTrip({1, 2, 3});
    roundTrip({1, 2, 3, 4});
    roundTrip({1, 2, 3, 4, 5});
    roundTrip(std::vector<uint8_t>(10000, 0));
    roundTrip(std::vector<uint8_t>(10000, 0xAB));
    roundTrip(bytesOf("abababababababababababababababababababab")); // overlapping matches

    std::vector<uint8_t> all;
    for (int i = 0; i < 256 * 8; ++i) all.push_back(uint8_t(i * 37 + i / 256));
    roundTrip(all);

    std::vector<uint8_t> noise(70000);
    Lcg rng{12345};
    for (uint8_t& b : noise) b = uint8_t(rng.next() >> 24);
    std::vector<uint8_t> packed = roundTrip(noise);
    EXPECT_GT(packed.size(), noise.size() * 98 / 100); // incompressible stays about its size
}

TEST(Method1RoundTrip, RepetitiveTextCompressesWell) {
    std::vector<uint8_t> text = bytesOf(wordSoup(20000, 7));
    std::vector<uint8_t> packed = roundTrip(text);
    EXPECT_LT(packed.size() * 3, text.size()) << text.size() << " -> " << packed.size();

    std::string lines;
    for (int i = 0; i < 2000; ++i)
        lines += "0:" + std::to_string(i % 60) + ".250 flash 0xFFFFFFFF\n";
    std::vector<uint8_t> linesPacked = roundTrip(bytesOf(lines));
    EXPECT_LT(linesPacked.size() * 5, lines.size());
}

TEST(Method1RoundTrip, BothModelsPassTheirRebuildThreshold) {
    // Small alphabet, thousands of literals: the literal model's root weight
    // reaches the rebuild point many times.
    std::vector<uint8_t> literals(20000);
    Lcg rng{99};
    for (uint8_t& b : literals) b = uint8_t('a' + (rng.next() >> 16) % 9);
    roundTrip(literals);
    // Thousands of short matches of varying length drive the length model.
    roundTrip(bytesOf(wordSoup(60000, 3)));
    // Sizes straddling 1024 coded symbols.
    for (size_t n : {1020u, 1024u, 1025u, 1027u, 1030u}) {
        std::vector<uint8_t> d(n);
        for (size_t i = 0; i < n; ++i) d[i] = uint8_t(i * 7 % 13);
        roundTrip(d);
    }
}

TEST(AdaptiveHuffman, TreeKeepsItsOrderAndLinksThroughUpdatesAndRebuilds) {
    AdaptiveHuffman model;
    Lcg rng{5};
    for (int step = 0; step < 20000; ++step) {
        int symbol = int((rng.next() >> 16) % 40) * ((step / 3000) % 3 + 1);
        if (!model.has(symbol)) {
            ASSERT_TRUE(model.add(symbol));
        }
        ASSERT_TRUE(model.update(symbol));
        if (step % 97 != 0) continue;
        ASSERT_LE(model.node(0).weight, AdaptiveHuffman::kRebuildWeight);
        for (int i = 1; i < model.nodeCount(); ++i) {
            const AdaptiveHuffman::Node& n = model.node(i);
            ASSERT_LE(n.weight, model.node(i - 1).weight) << "order at " << i;
            ASSERT_LT(n.parent, i);
            const AdaptiveHuffman::Node& p = model.node(n.parent);
            ASSERT_FALSE(p.leaf);
            ASSERT_TRUE(p.child == i || p.child + 1 == i);
        }
        for (int i = 0; i < model.nodeCount(); ++i) {
            const AdaptiveHuffman::Node& n = model.node(i);
            if (!n.leaf) {
                EXPECT_EQ(n.weight, model.node(n.child).weight + model.node(n.child + 1).weight);
            }
        }
    }
    EXPECT_FALSE(model.add(0)); // present already
}

TEST(AdaptiveHuffman, FullTreeRefusesMoreSymbols) {
    AdaptiveHuffman model;
    for (int s = 0; s < 256; ++s) {
        ASSERT_TRUE(model.add(s));
        ASSERT_TRUE(model.update(s));
    }
    EXPECT_EQ(model.nodeCount(), AdaptiveHuffman::MAX_NODES);
    EXPECT_FALSE(model.add(256));
    uint8_t bits[600];
    for (int s = 0; s < 256; ++s) EXPECT_GT(model.code(s, bits, 600), 0);
}
