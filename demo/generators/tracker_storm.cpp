// The storm (act three, "storm.it"): E minor over E minor, C, D, B minor at
// full drive: a kick on every beat, a snare on two and four, sixteenth hats,
// an eighth-note octave bass, arpeggiated chord stabs on the off-beats, a
// saw lead with vibrato on its held notes, a pad and crashes. Three
// patterns for the act (the second brings the lead, the third climbs and
// rolls into the fourth) and a fourth as its tail, which thins out and
// fades.

#include "tracker_show.h"
#include "tracker_synth.h"

#include <cmath>

namespace tracker {
namespace tunes {

namespace {

enum { KICK = 1, SNARE, HAT, OPEN_HAT, BASS, STAB, LEAD, PAD, CRASH, TOM };
enum { CH_KICK, CH_SNARE, CH_HAT, CH_BASS, CH_STAB, CH_LEAD, CH_PAD, CH_CRASH };

constexpr int ROWS = 64, CHANNELS = 8;
constexpr int WIDE = 12;                  // 64-sample cycles sound an octave below their note
constexpr int MINOR = 0x37, MAJOR = 0x47; // arpeggios: +3 +7, +4 +7

struct Chord {
    int root; // concert octave 3
    int arpeggio;
};
const Chord kChords[4] = {
    {pitch(E, 3), MINOR}, {pitch(C, 3), MAJOR}, {pitch(D, 3), MAJOR}, {pitch(B, 2), MINOR}};

// The lead, a note a beat (NOTE_NONE holds the one before), concert octave 5.
constexpr int H = NOTE_NONE;
const int kLead[2][16] = {
    {pitch(E, 5), H, pitch(G, 5), pitch(B, 5), pitch(C, 6), H, pitch(B, 5), pitch(G, 5),
     pitch(A, 5), H, pitch(F, 5) + 1, pitch(D, 5), pitch(F, 5) + 1, H, H, pitch(B, 4)},
    {pitch(G, 5), pitch(A, 5), pitch(B, 5), H, pitch(E, 6), H, pitch(D, 6), pitch(C, 6),
     pitch(D, 6), H, pitch(A, 5), pitch(F, 5) + 1, pitch(B, 5), H, pitch(D, 6), pitch(F, 6) + 1},
};

std::vector<Sample> samples() {
    synth::Noise noise;
    noise.state = 0x5707;
    std::vector<Sample> s;
    s.push_back(synth::drum("storm kick", 200, 50, 0.36, 10, 0.7, noise));
    s.push_back(synth::noiseHit("storm snare", 0.3, 14, 190, 0.35, noise));
    s.back().volume = 52;
    s.push_back(synth::cymbal("storm hat", 0.08, 45));
    s.back().volume = 36;
    s.back().panning = 96;
    s.push_back(synth::cymbal("open hat", 0.4, 8));
    s.back().volume = 28;
    s.back().panning = 96;
    s.push_back(synth::cycle("storm bass", 32, 50, [](double x) {
        return 0.7 * (1 - 2 * x) + 0.25 * (x < 0.5 ? 1 : -1);
    }));
    s.push_back(synth::cycle("stab", 32, 30, [](double x) { return x < 0.3 ? 0.8 : -0.5; }));
    s.back().panning = 168;
    s.push_back(synth::cycle("storm lead", 64, 34, [](double x) {
        return 0.6 * (1 - 2 * x) + 0.3 * std::sin(4 * synth::PI * x);
    }));
    s.back().panning = 112;
    s.push_back(synth::cycle("storm pad", 64, 22, [](double x) {
        const double tri = x < 0.5 ? 4 * x - 1 : 3 - 4 * x;
        return 0.6 * tri + 0.3 * std::sin(6 * synth::PI * x);
    }));
    s.back().panning = 152;
    s.push_back(synth::cymbal("crash", 1.2, 2.5));
    s.back().volume = 40;
    s.back().panning = 144;
    s.push_back(synth::drum("tom", 260, 110, 0.3, 9, 0.2, noise));
    s.back().volume = 50;
    return s;
}

void drums(Pattern& p, bool fill, bool roll, bool thin) {
    for (int row = 0; row < ROWS; ++row) {
        const int bar = row / 16, step = row % 16;
        if (step % 4 == 0 || (bar % 2 == 1 && step == 10))
            p.at(row, CH_KICK) = play(KICK, pitch(C, 4), thin && bar == 3 ? 40 - step * 2 : 64);
        if (step == 4 || step == 12) p.at(row, CH_SNARE) = play(SNARE, pitch(C, 4));
        if (thin && bar == 3) continue;
        if (step % 4 == 2)
            p.at(row, CH_HAT) = play(OPEN_HAT, pitch(C, 5));
        else
            p.at(row, CH_HAT) = play(HAT, pitch(C, 5), step % 2 ? 22 : 40);
    }
    if (fill) { // a falling tom run into the next pattern
        const int toms[4] = {pitch(C, 5), pitch(G, 4), pitch(E, 4), pitch(C, 4)};
        for (int i = 0; i < 4; ++i) p.at(56 + 2 * i, CH_SNARE) = play(TOM, toms[i]);
    }
    if (roll) { // the snare rolls faster and faster
        for (int row = 48; row < ROWS; row += 2)
            p.at(row, CH_SNARE) = play(SNARE, pitch(C, 4), Effect::Retrigger, row < 56 ? 3 : 2);
    }
}

void bass(Pattern& p, bool fade) {
    for (int row = 0; row < ROWS; row += 2) {
        const int root = kChords[row / 16].root - 12, step = (row % 16) / 2;
        const int note = root + (step % 2 ? 12 : 0) + (step == 6 ? 7 : 0);
        int level = step % 2 ? 44 : 60;
        if (fade && row >= 32) level = level * (ROWS - row) / 32;
        p.at(row, CH_BASS) = play(BASS, note, level);
    }
}

void stabs(Pattern& p) {
    for (int row = 2; row < ROWS; row += 4) {
        const Chord& c = kChords[row / 16];
        p.at(row, CH_STAB) = play(STAB, c.root + 12, Effect::Arpeggio, c.arpeggio);
    }
}

void pad(Pattern& p) {
    for (int bar = 0; bar < 4; ++bar) p.at(bar * 16, CH_PAD) = play(PAD, kChords[bar].root + WIDE);
}

// The lead, with vibrato on the beats it holds a note through.
void lead(Pattern& p, const int (&line)[16]) {
    for (int beat = 0; beat < 16; ++beat) {
        const int row = beat * 4;
        if (line[beat] != NOTE_NONE) {
            p.at(row, CH_LEAD) = play(LEAD, line[beat] + WIDE);
        } else {
            for (int r = row; r < row + 4; ++r) p.at(r, CH_LEAD) = command(Effect::Vibrato, 0x46);
        }
    }
}

} // namespace

Song storm() {
    Song song;
    song.name = "nightloom storm";
    song.channels = CHANNELS;
    song.samples = samples();

    Pattern first(ROWS, CHANNELS); // the storm breaks: drums, bass, pad, stabs
    drums(first, true, false, false);
    bass(first, false);
    pad(first);
    stabs(first);
    first.at(0, CH_CRASH) = play(CRASH, pitch(C, 4));
    song.patterns.push_back(first);

    Pattern second(ROWS, CHANNELS); // the lead comes in
    drums(second, false, false, false);
    bass(second, false);
    pad(second);
    stabs(second);
    lead(second, kLead[0]);
    second.at(0, CH_CRASH) = play(CRASH, pitch(C, 4));
    song.patterns.push_back(second);

    Pattern third(ROWS, CHANNELS); // higher, and a roll into the tail
    drums(third, false, true, false);
    bass(third, false);
    pad(third);
    stabs(third);
    lead(third, kLead[1]);
    third.at(0, CH_CRASH) = play(CRASH, pitch(C, 4));
    third.at(32, CH_CRASH) = play(CRASH, pitch(D, 4), 30);
    song.patterns.push_back(third);

    Pattern tail(ROWS, CHANNELS); // the storm passes
    drums(tail, false, false, true);
    bass(tail, true);
    tail.at(0, CH_CRASH) = play(CRASH, pitch(C, 4));
    tail.at(0, CH_PAD) = play(PAD, kChords[0].root + WIDE);
    song.patterns.push_back(tail);

    song.orders = {0, 1, 2, 3};
    return song;
}

} // namespace tunes
} // namespace tracker
