// The real sound library, imported by ordinal through tmz.dll's import library.

#include "tmz_sound_system.h"

#include "tmz/tmz_api.h"

namespace {
void openForForegroundWindow(int32_t* config) {
    tmzOpen(GetForegroundWindow(), config);
}
} // namespace

const TmzLibrary& tmzLibrary() {
    static const TmzLibrary library = {tmzInit,   tmzShutdown, openForForegroundWindow,
                                       tmzLoad,   tmzStop,     tmzPlay,
                                       tmzRewind, tmzPosition, tmzPoll,
                                       tmzSeek};
    return library;
}
