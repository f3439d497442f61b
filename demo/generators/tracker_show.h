#pragma once
// The show's four tunes, one an act, all on one beat grid (speed 6 at 125
// beats a minute: a row is 0.12 s, a beat 4 rows, a 64-row pattern 7.68 s)
// and in related keys: the opening in A minor, the forge in D minor, the
// storm in E minor, the coda back in A minor.

#include "tracker_song.h"

namespace tracker {
namespace tunes {

Song opening(); // four channels, ProTracker: drums, bass, lead, pad
Song forge();   // six channels, FastTracker II: struck metal, bells, a drone
Song storm();   // eight channels, Impulse Tracker: driving drums, bass, stabs
Song coda();    // four channels, ProTracker: a quiet closing theme

// A tune, the file it is written to and the writer for that file's format.
struct TuneFile {
    const char* file;
    Song (*compose)();
    Written (*write)(const Song&);
};

// In show order.
extern const TuneFile kShowTunes[4];

// Cells as the composers write them.
inline Cell play(int instrument, int note, int volume = VOLUME_NONE) {
    Cell c;
    c.instrument = instrument;
    c.note = note;
    c.volume = volume;
    return c;
}

inline Cell play(int instrument, int note, Effect effect, int param) {
    Cell c = play(instrument, note);
    c.effect = effect;
    c.param = param;
    return c;
}

inline Cell command(Effect effect, int param) {
    Cell c;
    c.effect = effect;
    c.param = param;
    return c;
}

inline Cell volume(int v) {
    Cell c;
    c.volume = v;
    return c;
}

inline Cell release() {
    Cell c;
    c.note = NOTE_OFF;
    return c;
}

// Semitones above C in the names of notes.
enum { C = 0, D = 2, E = 4, F = 5, G = 7, A = 9, B = 11 };

// A note in concert octaves (4 holds middle C, which is note 60).
constexpr int pitch(int semitone, int octave) {
    return 12 * (octave + 1) + semitone;
}

} // namespace tunes
} // namespace tracker
