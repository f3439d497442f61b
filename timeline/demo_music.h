#pragma once
// The script's music commands over the sound system, and the clock's reading
// of the music: the four play commands load the named tune through the
// demo's files and play it (the sound library picks the format from the
// name's ending), "stopsound" stops it.
//
// While the timeline seeks, the commands are only noted (`cueing`): which
// tune would be playing, since when, and whether it was stopped. `resume`
// then loads that one tune and puts it where it would stand.

#include "event_script.h"
#include "files/virtual_file.h"
#include "sound/sound_system.h"

#include <memory>
#include <string>

struct DemoMusic {
    // Carries out a play command or "stopsound"; false for any other event.
    bool execute(const ScriptEvent& event, VirtualFile* files);
    // Seconds, of the last tune loaded (0 without a sound system).
    double position();
    // After a seek: loads the cued tune and moves it to where it stands at
    // demo time `seconds` (a stopped one is left stopped there). Without a
    // cue nothing plays, as before any play command.
    void resume(double seconds, VirtualFile* files);

    std::unique_ptr<SoundSystem> sound;
    int handle = 0; // of the last tune loaded

    bool cueing = false;
    struct Cue {
        std::string name; // empty: no tune
        double since = 0; // demo seconds of its play command
        bool stopped = false;
    } cue;
};
