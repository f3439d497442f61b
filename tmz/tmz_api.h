#pragma once
// The sound library's entry points. They are exported by ordinal only
// (tmz.def); the player imports them the same way through the DLL's import
// library. The configuration block is nine 32-bit words.

#include <windows.h>

#include <cstdint>

constexpr int TMZ_CONFIG_WORDS = 9;
// Word 6: milliseconds of sound buffered ahead; word 7: milliseconds per block.
constexpr int TMZ_CONFIG_BUFFER_MS = 6;
constexpr int TMZ_CONFIG_BLOCK_MS = 7;

extern "C" {
void tmzInit(int32_t* config);                             // ordinal 1
void tmzShutdown();                                        // ordinal 2
void tmzOpen(HWND window, int32_t* config);                // ordinal 4
int tmzLoad(const void* data, int32_t size, int32_t type); // ordinal 5: 0 = accepted
void tmzStop();                                            // ordinal 8
void tmzPlay();                                            // ordinal 9
void tmzRewind();                                          // ordinal 10
int32_t tmzPosition();                                     // ordinal 13: 1/65536 s
void tmzPoll();                                            // ordinal 21
}
