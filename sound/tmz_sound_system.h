#pragma once
// Music through the sound library tmz.dll, bound by ordinal.
//
// The library stops and rewinds on "stop", so its position falls to 0 and
// stands there; the demo clock must not stand with it. After a stop this
// system therefore reports the position it had, counting on by the clock, as
// the silent system does; a play hands the position back to the library.

#include "sound_system.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The library's entry points the system calls, in the order of their
// ordinals. `tmzLibrary()` is the real one (Windows); tests pass their own.
struct TmzLibrary {
    void (*init)(int32_t* config);                             // 1
    void (*shutdown)();                                        // 2
    void (*open)(int32_t* config);                             // 4, for the foreground window
    int (*load)(const void* data, int32_t size, int32_t type); // 5: 0 = accepted
    void (*stop)();                                            // 8
    void (*play)();                                            // 9
    void (*rewind)();                                          // 10
    int32_t (*position)();                                     // 13: 1/65536 s
    void (*poll)();                                            // 21
    int (*seek)(int32_t position);                             // 22: 1/65536 s; 0 = done
};

#ifdef _WIN32
const TmzLibrary& tmzLibrary();
#endif

class TmzSoundSystem : public SilentSoundSystem {
public:
#ifdef _WIN32
    // Starts the library for the current foreground window.
    TmzSoundSystem() : TmzSoundSystem(tmzLibrary()) {}
#endif
    explicit TmzSoundSystem(const TmzLibrary& library, TickSource tick = systemTickMilliseconds);
    ~TmzSoundSystem() override;

    // Reads the whole file from `source` and hands it to the library; 1 when
    // the library accepts it, 0 otherwise (also when the file cannot be read,
    // without calling the library).
    int load(const char* name, VirtualFile* source) override;
    bool play(int handle) override;
    bool stop(int handle) override;
    double position(int handle) override;
    void poll() override;
    // Moves the library's tune; after a stop, the clock that counts on
    // moves with it. True when the library did it.
    bool seek(int handle, double seconds) override;
    // The tune buffers it holds: the one the library reads, none before.
    std::size_t tunesKept() const { return musicData.size(); }

private:
    const TmzLibrary& library;
    int32_t config[9] = {}; // TMZ_CONFIG_WORDS
    // The tune the library last accepted stays alive until the next one is
    // accepted, or destruction: the library reads it while it plays.
    std::vector<uint8_t*> musicData;
    // Set by stop until the next play: the clock then runs on from
    // `stoppedPosition` (seconds), counted from `stoppedTick` (milliseconds).
    bool stopped = false;
    double stoppedPosition = 0;
    uint32_t stoppedTick = 0;
};
