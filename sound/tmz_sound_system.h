#pragma once
// Music through the sound library tmz.dll, bound by ordinal.

#include "sound_system.h"

#include <cstdint>

class TmzSoundSystem : public SilentSoundSystem {
public:
    // Starts the library for the current foreground window.
    TmzSoundSystem();
    ~TmzSoundSystem() override;

    // Reads the whole file from `source` and hands it to the library; 1 when
    // the library accepts it, 0 otherwise (also when the file cannot be read,
    // without calling the library).
    int load(const char* name, VirtualFile* source) override;
    bool play(int handle) override;
    bool stop(int handle) override;
    double position(int handle) override;
    void poll() override;

private:
    int32_t config[9] = {};
    // Tunes handed to the library stay alive until destruction: the library
    // reads them while it plays.
    std::vector<uint8_t*> musicData;
};
