#pragma once
// The sound library's entry points. They are exported by ordinal only
// (tmz.def); the player imports them the same way through the DLL's import
// library. The configuration block is nine 32-bit words.

#include <windows.h>

#include <cstdint>

#include "tmz_config.h"

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
int tmzSeek(int32_t position);                             // ordinal 22: 1/65536 s; 0 = done
}
