#pragma once
// The show's beat grid and its tunes, shared by the music and the script
// generators: every tune runs at speed 6 / 125 BPM (a beat every 4 rows =
// 0.48 s), and each act of the show starts its own tune on a pattern
// boundary, so cuts and flashes fall on the music's beat throughout.

namespace show {

constexpr int BEAT_MS = 480;
constexpr int BAR_MS = 4 * BEAT_MS;
constexpr int PATTERN_MS = 4 * BAR_MS; // 64 rows

struct Tune {
    const char* file;     // in the archive
    const char* command;  // the script command that plays it
    int startPattern;     // of the show, where the tune starts
    int actPatterns;      // patterns of the show it plays under
    int patterns;         // patterns it has (one more than the act: a tail)
};

// In show order. The first is also encoded as an MP3 when lame is at hand,
// and then played with "playmp3 music.mp3".
constexpr Tune kTunes[] = {
    {"music.mod", "playmod", 0, 10, 10},
    {"forge.xm", "playxm", 10, 2, 3},
    {"storm.it", "playit", 12, 3, 4},
    {"coda.mod", "playmod", 15, 1, 2},
};
constexpr int TUNE_COUNT = sizeof kTunes / sizeof kTunes[0];

// The show ends a little after its last pattern.
constexpr int SHOW_PATTERNS = 16;
constexpr int END_MS = SHOW_PATTERNS * PATTERN_MS + 60;

} // namespace show
