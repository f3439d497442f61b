// The real sound library, imported by ordinal through tmz.dll's import library.

#include "tmz_sound_system.h"

#include "tmz/tmz_api.h"

static_assert(TMZ_CONFIG_BUFFER_MS == 6 && TMZ_CONFIG_BLOCK_MS == 7,
              "the player sets the library's buffer words by position");

namespace {
void openForForegroundWindow(int32_t* config) {
    tmzOpen(GetForegroundWindow(), config);
}
} // namespace

const TmzLibrary& tmzLibrary() {
    static const TmzLibrary library = {tmzInit,   tmzShutdown, openForForegroundWindow,
                                       tmzLoad,   tmzStop,     tmzPlay,
                                       tmzRewind, tmzPosition, tmzPoll};
    return library;
}
