// The coda (the close, "coda.mod"): back in A minor, quiet and slow: a soft
// pad on each half bar, a bell theme on the opening's intervals answered by
// a faint echo, and a low bass, over A minor, F, C, E. One pattern for the
// close and a tail that settles on A minor and fades to nothing.

#include "tracker_show.h"
#include "tracker_synth.h"

#include <cmath>

namespace tracker {
namespace tunes {

namespace {

enum { PAD = 1, BELL, BASS };
enum { CH_PAD, CH_BELL, CH_BASS, CH_ECHO };

constexpr int ROWS = 64, CHANNELS = 4;
constexpr int WIDE = 12; // 64-sample cycles sound an octave below their note

const int kRoots[4] = {pitch(A, 3), pitch(F, 3), pitch(C, 4), pitch(E, 3)};
const int kFifths[4] = {pitch(E, 4), pitch(C, 4), pitch(G, 4), pitch(B, 3)};
// The theme: rows within the bar and notes (concert octave 4 and 5).
const int kThemeRows[3] = {0, 6, 8};
const int kTheme[4][3] = {
    {pitch(A, 4), pitch(C, 5), pitch(E, 5)},
    {pitch(F, 4), pitch(A, 4), pitch(C, 5)},
    {pitch(G, 4), pitch(E, 4), pitch(C, 5)},
    {pitch(B, 4), pitch(G, 4) + 1, pitch(E, 4)},
};
constexpr int ECHO_ROWS = 3, ECHO_LEVEL = 10;

std::vector<Sample> samples() {
    std::vector<Sample> s;
    s.push_back(synth::cycle("soft pad", 32, 26, [](double x) {
        return 0.7 * std::sin(2 * synth::PI * x) + 0.15 * std::sin(4 * synth::PI * x);
    }));
    // A glass-like bell: the fundamental with a faint, slightly sharp octave.
    const double hz = synth::toneHz(0);
    s.push_back(synth::oneShot("glass bell", 1.6, [hz](double t) {
        const double a = std::sin(2 * synth::PI * hz * t);
        const double b = 0.25 * std::sin(2 * synth::PI * hz * 2.01 * t) * std::exp(-t * 3);
        return 0.8 * (a + b) * std::exp(-t * 2.2);
    }));
    s.back().volume = 30;
    s.push_back(synth::cycle("soft bass", 64, 30,
                             [](double x) { return x < 0.5 ? 3.2 * x - 0.8 : 2.4 - 3.2 * x; }));
    return s;
}

Pattern closing() {
    Pattern p(ROWS, CHANNELS);
    for (int bar = 0; bar < 4; ++bar) {
        const int row = bar * 16;
        p.at(row, CH_PAD) = play(PAD, kRoots[bar]);
        p.at(row + 8, CH_PAD) = play(PAD, kFifths[bar]);
        p.at(row, CH_BASS) = play(BASS, kRoots[bar] - 12 + WIDE);
        p.at(row + 10, CH_BASS) = play(BASS, kRoots[bar] - 12 + WIDE, 20);
        for (int i = 0; i < 3; ++i) {
            p.at(row + kThemeRows[i], CH_BELL) = play(BELL, kTheme[bar][i]);
            p.at(row + kThemeRows[i] + ECHO_ROWS, CH_ECHO) = play(BELL, kTheme[bar][i], ECHO_LEVEL);
        }
    }
    return p;
}

// A minor held, the bell rising through its chord, then every voice
// sliding down to silence.
Pattern settle() {
    Pattern p(ROWS, CHANNELS);
    p.at(0, CH_PAD) = play(PAD, pitch(A, 3));
    p.at(0, CH_BASS) = play(BASS, pitch(A, 2) + WIDE);
    const int rise[3] = {pitch(A, 4), pitch(E, 5), pitch(A, 5)};
    for (int i = 0; i < 3; ++i) {
        p.at(i * 8, CH_BELL) = play(BELL, rise[i]);
        p.at(i * 8 + ECHO_ROWS, CH_ECHO) = play(BELL, rise[i], ECHO_LEVEL);
    }
    for (int row = 32; row < ROWS; ++row) {
        p.at(row, CH_PAD) = command(Effect::VolumeSlide, 0x01);
        p.at(row, CH_BASS) = command(Effect::VolumeSlide, 0x01);
    }
    return p;
}

} // namespace

Song coda() {
    Song song;
    song.name = "nightloom coda";
    song.channels = CHANNELS;
    song.samples = samples();
    song.patterns = {closing(), settle()};
    song.orders = {0, 1};
    return song;
}

} // namespace tunes
} // namespace tracker
