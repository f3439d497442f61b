#pragma once
// A stand-in for the sound library that keeps time as tmz.dll does without a
// device: a tune accepted by "load" is not playing and at 0; "play" runs the
// position on from where it stood; "stop" holds it; "rewind" (after every
// stop) sets it back to 0; "seek" moves it, playing or not, and refuses a
// negative time. Time comes from `fakeTmzNow` (milliseconds), which
// tests also hand to the sound system as its tick.

#include "sound/tmz_sound_system.h"

#include <cstdint>

namespace fake_tmz {

inline uint32_t now = 0;
inline bool playing = false;
inline double heldAt = 0; // seconds while not playing, or where play began
inline uint32_t playedFrom = 0;
inline int loads = 0;
inline bool refuseNext = false;
inline const uint8_t* lastData = nullptr; // the tune it reads from
inline int32_t lastSize = 0;
inline int32_t lastSeek = -1; // the last position "seek" was given, 1/65536 s

inline uint32_t tick() {
    return now;
}
inline double seconds() {
    return playing ? heldAt + (now - playedFrom) * 0.001 : heldAt;
}
inline void reset() {
    playing = false;
    heldAt = 0;
    loads = 0;
    refuseNext = false;
    lastData = nullptr;
    lastSize = 0;
    lastSeek = -1;
}

inline const TmzLibrary& library() {
    static const TmzLibrary table = {
        [](int32_t*) {},
        [] { reset(); },
        [](int32_t*) {},
        [](const void* data, int32_t size, int32_t) {
            if (!data || size <= 0 || refuseNext) {
                refuseNext = false;
                return -1;
            }
            ++loads;
            lastData = static_cast<const uint8_t*>(data);
            lastSize = size;
            playing = false; // a new tune replaces the old one, from its start
            heldAt = 0;
            return 0;
        },
        [] {
            heldAt = seconds();
            playing = false;
        },
        [] {
            if (playing) return;
            playedFrom = now;
            playing = true;
        },
        [] {
            heldAt = 0;
            playing = false;
        },
        [] { return int32_t(seconds() * 65536.0); },
        [] {},
        [](int32_t position) {
            lastSeek = position;
            if (position < 0) return -1;
            heldAt = position / 65536.0;
            playedFrom = now;
            return 0;
        },
    };
    return table;
}

} // namespace fake_tmz
