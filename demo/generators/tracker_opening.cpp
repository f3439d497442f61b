// The opening tune (act one, "music.mod"): drums, a square bass, a saw lead
// and a triangle pad over A minor, F, C, G, ten patterns that build up and
// fade. Its bytes are fixed: the show's MP3 and timings were made from
// them, so nothing here may change what it writes.

#include "tracker_show.h"
#include "tracker_synth.h"

#include <algorithm>

namespace tracker {
namespace tunes {

namespace {

enum { KICK = 1, SNARE, HAT, BASS, LEAD, PAD };

constexpr int ROWS = 64, CHANNELS = 4;
constexpr int LOW = 48; // the lowest note it plays, ProTracker's C-1

Pattern pattern(int index) {
    Pattern p(ROWS, CHANNELS);
    auto set = [&](int row, int ch, int sample, int note) {
        p.at(row, ch) = play(sample, LOW + note);
    };
    const bool bass = index >= 1, snares = index >= 2, lead = index >= 3 && index <= 6;
    // A minor, then F, C, G: roots per bar of 16 rows.
    const int roots[4] = {9, 5, 0, 7};
    for (int row = 0; row < ROWS; ++row) {
        const int bar = row / 16;
        if (row % 4 == 0) set(row, 0, KICK, 12);
        if (snares && row % 8 == 4) set(row, 0, SNARE, 12);
        if (row % 2 == 1) set(row, 1, HAT, 24);
        if (bass && row % 2 == 0) set(row, 2, BASS, roots[bar] + (row % 8 == 6 ? 12 : 0));
        if (lead && row % 4 == 0) {
            static const int melody[16] = {0, 3, 7, 10, 7, 3, 12, 10, 0, 5, 7, 12, 14, 12, 7, 5};
            const int shift = index == 5 ? 5 : 0;
            set(row, 3, LEAD,
                std::min(35, 12 + roots[bar] % 12 + melody[(row / 4) % 16] % 12 + shift));
        } else if (!lead && row % 16 == 0 && index > 0) {
            set(row, 3, PAD, 12 + roots[bar]);
        }
    }
    if (index == 9) // the ending: the bass fades over the last bars
        for (int row = 32; row < ROWS; row += 4) p.at(row, 2) = volume(64 - (row - 32) * 2);
    return p;
}

} // namespace

Song opening() {
    Song song;
    song.name = "nightloom demo";
    song.channels = CHANNELS;
    synth::Noise noise;
    song.samples.push_back(synth::kick());
    song.samples.push_back(synth::snare(noise));
    song.samples.push_back(synth::hat(noise));
    song.samples.push_back(synth::wave("bass", 0, 48));
    song.samples.push_back(synth::wave("lead", 1, 36));
    song.samples.push_back(synth::wave("pad", 2, 30));
    for (int i = 0; i < 10; ++i) {
        song.patterns.push_back(pattern(i));
        song.orders.push_back(i);
    }
    return song;
}

} // namespace tunes
} // namespace tracker
