// The forge (act two, "forge.xm"): D minor over D, B flat, C, A; struck
// metal on the beat, a chain-like hiss, a plucked bass, an inharmonic bell
// answered by its own echo from the other side, and a drone that swells and
// fades under each bar. Two patterns for the act and a quieter third as its
// tail. The bass, bell and drone carry volume envelopes; the instruments
// are placed across the stereo field.

#include "tracker_show.h"
#include "tracker_synth.h"

#include <cmath>

namespace tracker {
namespace tunes {

namespace {

enum { KICK = 1, HAT, HAMMER, BASS, BELL, DRONE };
enum { CH_KICK, CH_HAT, CH_HAMMER, CH_BASS, CH_BELL, CH_ECHO };

constexpr int ROWS = 64, CHANNELS = 6;
constexpr int BELL_UP = 12; // the bell is made an octave low, so played an octave up
constexpr int WIDE = 12;    // 64-sample cycles sound an octave below their note

// Roots of the four bars (concert octave 2) and the bell's line over them.
const int kRoots[4] = {pitch(D, 2), pitch(B, 1) - 1, pitch(C, 2), pitch(A, 1)};
const int kBellRows[5] = {0, 3, 6, 10, 12};
const int kBell[4][5] = {
    {pitch(D, 5), pitch(F, 5), pitch(A, 5), pitch(G, 5), pitch(F, 5)},
    {pitch(D, 5), pitch(F, 5), pitch(D, 5), pitch(C, 5), pitch(A, 4)},
    {pitch(C, 5), pitch(E, 5), pitch(G, 5), pitch(A, 5), pitch(G, 5)},
    {pitch(E, 5), pitch(C, 5), pitch(A, 4), pitch(C, 5) + 1, pitch(E, 5)},
};

std::vector<Sample> samples() {
    synth::Noise noise;
    noise.state = 0x0F0A6E;
    std::vector<Sample> s;
    s.push_back(synth::drum("forge kick", 180, 48, 0.5, 7, 0.5, noise));
    s.push_back(synth::cymbal("chain hat", 0.14, 28));
    s.back().volume = 44;
    s.back().panning = 88;
    s.push_back(synth::metal("hammer", 220, 1.4142, 5, 14, 0.36));
    s.back().volume = 60;
    s.back().panning = 168;

    s.push_back(synth::cycle("forge bass", 64, 58, [](double x) {
        return 0.55 * (x < 0.25 ? 1 : -0.35) + 0.35 * (1 - 2 * x);
    }));
    s.back().envelope.points = {{0, 64}, {4, 52}, {16, 40}, {48, 24}, {96, 8}};

    s.push_back(synth::metal("anvil bell", synth::toneHz(BELL_UP), 3.5, 2.2, 2.2, 1.4));
    s.back().volume = 52;
    s.back().panning = 156;
    s.back().envelope.points = {{0, 64}, {2, 56}, {30, 30}, {90, 10}, {160, 0}};

    // A ring-modulated cycle: its seventh harmonic against the fundamental.
    s.push_back(synth::cycle("drone", 64, 40, [](double x) {
        return 0.8 * std::sin(2 * synth::PI * x) * (0.6 + 0.4 * std::sin(14 * synth::PI * x));
    }));
    s.back().panning = 104;
    s.back().envelope.points = {{0, 0}, {24, 40}, {48, 34}};
    s.back().envelope.sustain = 2;
    s.back().fadeout = 200;
    return s;
}

// Kick, hammer and hats: the forge's rhythm, the same in every pattern but
// the tail, which keeps only the hats and a hammer a bar.
void rhythm(Pattern& p, bool tail) {
    for (int row = 0; row < ROWS; ++row) {
        const int bar = row / 16, step = row % 16;
        if (!tail && step % 4 == 0) p.at(row, CH_KICK) = play(KICK, pitch(C, 4));
        if (!tail && bar == 3 && step == 14) p.at(row, CH_KICK) = play(KICK, pitch(C, 4), 40);
        if (!tail && (step == 4 || step == 12)) p.at(row, CH_HAMMER) = play(HAMMER, pitch(C, 4));
        if (!tail && bar % 2 == 1 && step == 10)
            p.at(row, CH_HAMMER) = play(HAMMER, pitch(G, 4), 30);
        if (tail && step == 0) p.at(row, CH_HAMMER) = play(HAMMER, pitch(C, 4), 40);
        if (step % 4 == 2)
            p.at(row, CH_HAT) = play(HAT, pitch(C, 5), 48);
        else if (step % 2 == 1)
            p.at(row, CH_HAT) = play(HAT, pitch(C, 5), 20);
    }
}

// The bass riff over each bar's root, a note every two rows; `fade` lowers
// it row by row over the last bar.
void bass(Pattern& p, bool fade) {
    static const int kSteps[8] = {0, 0, 12, 0, 7, 0, 12, 10};
    for (int row = 0; row < ROWS; row += 2) {
        const int root = kRoots[row / 16], step = (row % 16) / 2;
        int level = step == 0 ? 64 : 46;
        if (fade && row >= 48) level = level * (64 - row) / 16;
        p.at(row, CH_BASS) = play(BASS, root + kSteps[step] + WIDE, level);
    }
}

// The drone on each bar's root, released before the bar ends.
void drone(Pattern& p, int channel) {
    for (int bar = 0; bar < 4; ++bar) {
        p.at(bar * 16, channel) = play(DRONE, kRoots[bar] + 12 + WIDE);
        p.at(bar * 16 + 12, channel) = release();
    }
}

// The bell line, and with `echo` its answer three rows later, softer and
// from the left.
void bells(Pattern& p, int transpose, bool echo) {
    for (int bar = 0; bar < 4; ++bar)
        for (int i = 0; i < 5; ++i) {
            const int row = bar * 16 + kBellRows[i];
            const int note = kBell[bar][i] + transpose + BELL_UP;
            p.at(row, CH_BELL) = play(BELL, note);
            if (echo && row + 3 < ROWS) {
                Cell c = play(BELL, note, Effect::SetPanning, 40);
                c.volume = 18;
                p.at(row + 3, CH_ECHO) = c;
            }
        }
}

} // namespace

Song forge() {
    Song song;
    song.name = "nightloom forge";
    song.channels = CHANNELS;
    song.samples = samples();

    Pattern first(ROWS, CHANNELS); // the forge starts: rhythm, bass, drone, one clang
    rhythm(first, false);
    bass(first, false);
    drone(first, CH_ECHO);
    first.at(0, CH_BELL) = play(BELL, pitch(D, 5) + BELL_UP);
    song.patterns.push_back(first);

    Pattern second(ROWS, CHANNELS); // the bell's line and its echo
    rhythm(second, false);
    bass(second, false);
    bells(second, 0, true);
    song.patterns.push_back(second);

    Pattern tail(ROWS, CHANNELS); // the fires die down
    rhythm(tail, true);
    bass(tail, true);
    bells(tail, -12, false);
    drone(tail, CH_ECHO);
    song.patterns.push_back(tail);

    song.orders = {0, 1, 2};
    return song;
}

} // namespace tunes
} // namespace tracker
