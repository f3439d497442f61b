// The real sound library, imported by ordinal through tmz.dll's import library.

#include "tmz_sound_system.h"

#include "tmz/tmz_api.h"

namespace {
void openForForegroundWindow(int32_t* config) {
    tmzOpen(GetForegroundWindow(), config);
}

// The seek (ordinal 22) came later than the ordinals the player always
// needed: it is looked up when first used, so that a library without it
// still plays the show (a start at a time then refuses to move the tune).
int seekIfOffered(int32_t position) {
    using Seek = int (*)(int32_t);
    static const Seek seek = [] {
        HMODULE library = GetModuleHandleA("tmz.dll");
        FARPROC found = library ? GetProcAddress(library, MAKEINTRESOURCEA(22)) : nullptr;
        return reinterpret_cast<Seek>(reinterpret_cast<void*>(found));
    }();
    return seek ? seek(position) : -1;
}
} // namespace

const TmzLibrary& tmzLibrary() {
    static const TmzLibrary library = {tmzInit,   tmzShutdown, openForForegroundWindow,
                                       tmzLoad,   tmzStop,     tmzPlay,
                                       tmzRewind, tmzPosition, tmzPoll,
                                       seekIfOffered};
    return library;
}
