#pragma once
// The sound library's configuration block, as the player and the library
// both read it: nine 32-bit words.

constexpr int TMZ_CONFIG_WORDS = 9;
// Word 6: milliseconds of sound buffered ahead; word 7: milliseconds per block.
constexpr int TMZ_CONFIG_BUFFER_MS = 6;
constexpr int TMZ_CONFIG_BLOCK_MS = 7;
