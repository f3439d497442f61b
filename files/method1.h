#pragma once
// Method 1 of the archive: adaptive Huffman coding with one-candidate context
// matches.
//
// The first four bytes are stored as they are. After that, at every position,
// the last four output bytes form a 32-bit context c; the hash
// ((c >> 15) & 0xFFFF) ^ (c & 0xFFFF) indexes two tables holding the last
// position seen with that hash and its full context. When the stored context
// equals c, that position is a match candidate and one flag bit says whether a
// match follows: a length (0..255) coded with the length model, copied byte by
// byte from the candidate (it may overlap its own output). Otherwise a literal
// byte is coded with the literal model. Both models are AdaptiveHuffman.
//
// The decoder is what the player runs; the encoder, used by the archive
// tool, walks the same tables and models and so mirrors it bit for bit.

#include <cstdint>
#include <vector>

// The context tables; cleared at the start of every (de)compression.
struct MatchContext {
    static constexpr uint32_t SIZE = 65536;
    uint32_t position[SIZE];
    uint32_t context[SIZE];

    void clear();
    // Looks up the candidate for output position `pos` (>= 4) of `out`, then
    // records `pos` under its context. Returns true with *candidate set when
    // the stored context matches.
    bool lookupAndStore(const uint8_t* out, uint32_t pos, uint32_t* candidate);
};

// Decompresses `stored` bytes into exactly `unpackedSize` bytes at `out`.
// False when the stream is malformed: it ends early, codes the end symbol,
// adds a symbol twice, or would overflow the tree. Uses tables shared by all
// decompressions, so it runs one at a time (the player is single-threaded).
bool decompressMethod1(const uint8_t* stored, uint32_t storedSize, uint8_t* out,
                       uint32_t unpackedSize);

// Compresses `size` bytes; the result decompresses to them exactly.
std::vector<uint8_t> compressMethod1(const uint8_t* data, uint32_t size);
