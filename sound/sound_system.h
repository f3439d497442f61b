#pragma once
// The music and the demo clock. The demo player advances its timeline by the
// change of the music position each frame. SilentSoundSystem plays nothing
// and reports wall-clock time since play; TmzSoundSystem plays through the
// sound library tmz.dll.

#include "files/virtual_file.h"

#include <cstdint>
#include <vector>

class SoundSystem {
public:
    virtual ~SoundSystem() = default;
    // A handle for the tune; 0 is failure (for the library system).
    virtual int load(const char* name, VirtualFile* source) = 0;
    virtual bool play(int handle) = 0;
    virtual bool stop(int handle) = 0;
    // Play position in seconds.
    virtual double position(int handle) = 0;
    // Once per frame.
    virtual void poll() = 0;
    // The tune of `handle` continues from `seconds` (>= 0) of its start,
    // playing or not; position() reports from there on. False when refused.
    virtual bool seek(int handle, double seconds) = 0;
};

// Milliseconds of a steady system clock.
using TickSource = uint32_t (*)();
uint32_t systemTickMilliseconds();

class SilentSoundSystem : public SoundSystem {
public:
    explicit SilentSoundSystem(TickSource tick = systemTickMilliseconds) : tick(tick) {}

    // A new, not playing timer; its handle is the new timer count (1-based).
    int load(const char* name, VirtualFile* source) override;
    bool play(int handle) override;
    bool stop(int handle) override;
    // Keeps running after stop.
    double position(int handle) override;
    void poll() override {}
    // The timer reads `seconds` now and runs on; a timer not playing starts
    // from there at its next play.
    bool seek(int handle, double seconds) override;

protected:
    struct TimerItem {
        bool playing;
        double start;       // seconds
        double from = 0;    // where the next play starts (a seek before it)
    };
    bool valid(int handle) const { return handle >= 1 && handle <= int(timers.size()); }

    TickSource tick;
    std::vector<TimerItem> timers;
};

// The library's type code for a music file name, from its ending
// (case-insensitive): ".mod" 1, ".xm" 2, ".it" 4, ".mp3" 5, else 0.
int tuneTypeOf(const char* name);
