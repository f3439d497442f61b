#pragma once
// Sample synthesis for the show's tunes: drums, single-cycle waves that loop
// (their pitch comes from the note) and one-shot metal and bell tones built
// by frequency modulation. Samples are made at the base rate (note 60 plays
// them as made); every length is even, as ProTracker counts in words.
// Everything is deterministic: noise comes from a seeded generator.

#include "tracker_song.h"

#include <functional>

namespace tracker {
namespace synth {

constexpr double PI = 3.14159265358979323846;

// The linear congruential noise the opening tune's drums were made with.
struct Noise {
    uint32_t state = 12345;
    double next() { // -1..1
        state = state * 1103515245u + 12345u;
        return double((state >> 16) & 0x7FFF) / 16384.0 - 1.0;
    }
};

int8_t clip(double v); // -1..1 to -127..127, saturating

// A sample of `seconds` (rounded to an even count) whose value at time t
// (seconds) is f(t), -1..1.
Sample oneShot(const char* name, double seconds, const std::function<double(double)>& f);

// One cycle of `length` samples (even) that loops; f(x) for x in 0..1.
Sample cycle(const char* name, int length, int volume, const std::function<double(double)>& f);

// The frequency in Hz to make a one-shot tone at so that, played
// `transpose` semitones above the base note, each note sounds at its concert
// pitch (note 60 = middle C, 261.63 Hz).
double toneHz(int transpose);

// The opening tune's samples, as first composed (their bytes are kept).
Sample kick();
Sample snare(Noise& noise);
Sample hat(Noise& noise);
Sample wave(const char* name, int kind, int volume); // 0 square, 1 saw, 2 triangle

// A metallic strike: a carrier at `hz` modulated at `ratio` times it (an
// inharmonic ratio rings like metal), the index and the level decaying.
Sample metal(const char* name, double hz, double ratio, double index, double decay, double seconds);

// Six detuned square waves through a crude high-pass, decaying: a
// cymbal-like hiss with a metallic edge.
Sample cymbal(const char* name, double seconds, double decay);

// A kick drum: a sine falling from `fromHz` to `toHz`, with a click.
Sample drum(const char* name, double fromHz, double toHz, double seconds, double decay,
            double click, Noise& noise);

// A noise burst decaying at `decay` (1/s), mixed with a tone at `hz`.
Sample noiseHit(const char* name, double seconds, double decay, double hz, double tone,
                Noise& noise);

} // namespace synth
} // namespace tracker
