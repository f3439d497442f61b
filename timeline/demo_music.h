#pragma once
// The script's music commands over the sound system, and the clock's reading
// of the music: the four play commands load the named tune through the
// demo's files and play it (the sound library picks the format from the
// name's ending), "stopsound" stops it.

#include "event_script.h"
#include "files/virtual_file.h"
#include "sound/sound_system.h"

#include <memory>

struct DemoMusic {
    // Carries out a play command or "stopsound"; false for any other event.
    bool execute(const ScriptEvent& event, VirtualFile* files);
    // Seconds, of the last tune loaded (0 without a sound system).
    double position();

    std::unique_ptr<SoundSystem> sound;
    int handle = 0; // of the last tune loaded
};
