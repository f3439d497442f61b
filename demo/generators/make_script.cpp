// Writes the show's event script, timed to the music's beat (125 BPM: a beat
// every 0.48 s, a bar every 1.92 s, a pattern every 7.68 s; about two
// minutes in all), each act under its own tune:
// the music starts and the metascene of "scenes.txt" loads; the screen fades
// in on the night scene, flashes fall on the bars; the show's pictures fade
// and flash in from the panel's surfaces; the dusk scene, drawn into a
// texture, cross-fades in and takes the screen; colour fades and flashes on
// every beat; night returns under a blur of dusk; dawn flies over the hills,
// cutting to a second camera; in the hall a ring casts its shadow over a
// mirror floor beside a chrome ball; sparks fly from a fountain under
// flaring lamps; in the forge the lens widens on the beat, embers flicker
// and a still of the forge stops time for two beats; the storm rains on its
// core, seen in stereo, then the screen goes dark for a pause; night returns
// for the coda, which fades to black, and the show ends itself.
//
//   make_script OUT.scr [--mp3] [--loop]
//
// With --mp3 the first tune plays as "playmp3 music.mp3" (its MP3),
// otherwise as "playmod music.mod". With --loop the show does not end: a
// "restart" mark comes first, and at the end the last metascene is freed
// and "stopsound" jumps back to the mark (for long runs).

#include "show_timing.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using show::BAR_MS;
using show::BEAT_MS;
using show::PATTERN_MS;

const unsigned kColours[] = {0xffffffffu, 0xff60a0ffu, 0xffff9040u,
                             0xffc060ffu, 0xff40ffc0u, 0xffffe060u};

// The script's lines, gathered out of order and written sorted by time
// (lines of the same time keep the order they were given in).
std::vector<std::pair<int, std::string>> lines;

void line(FILE*, int ms, const std::string& command) {
    lines.emplace_back(ms, command);
}

// At `ms` the metascene of `next`.txt loads (the loading screen shows its
// progress) and its scene of that name takes over from `previous`'s, whose
// metascene `freed` is freed.
void handOver(FILE* f, int ms, const std::string& previous, const std::string& next,
              const std::string& freed, const std::string& clearColour) {
    line(f, ms, "stop " + previous);
    line(f, ms, "loadmetascript " + next + ".txt");
    line(f, ms, "activemeta " + next);
    line(f, ms, "freemeta " + freed);
    line(f, ms, "start " + next);
    line(f, ms, "clear " + next + " 3 " + clearColour);
}

// The command that plays tune `i` of the show.
std::string tuneCommand(int i, bool mp3) {
    if (i == 0 && mp3) return "playmp3 music.mp3";
    return std::string(show::kTunes[i].command) + " " + show::kTunes[i].file;
}

std::string colour(unsigned c) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", c);
    return text;
}

// Patterns 10 and 11: the forge, under its own tune (started once its
// metascene is ready).
void forge(FILE* f) {
    const int at = 10 * PATTERN_MS;
    handOver(f, at, "sparks", "forge", "sparks", "0xff100806");
    line(f, at, tuneCommand(1, false));
    line(f, at, "view forge 0 0 1 1");
    line(f, at, "flash 0.48 0xffffd0a0");
    for (int t = at + BAR_MS; t < at + 2 * PATTERN_MS; t += BAR_MS)
        line(f, t, "flash 0.24 " + colour(kColours[(t / BAR_MS) % 6]));
    // The embers flicker and the lights double for the second half.
    line(f, at + 2 * BAR_MS, "lightflash 1");
    line(f, at + 2 * BAR_MS, "lightfalloff 1");
    line(f, at + PATTERN_MS, "lightflash 0");
    line(f, at + PATTERN_MS + 2 * BAR_MS, "lightfalloff 0");
    // The lens widens on two beats of a bar, then returns to the camera's.
    const int wide = at + PATTERN_MS;
    line(f, wide, "fov 1");
    line(f, wide + 2 * BEAT_MS, "fov 2");
    line(f, wide + BAR_MS, "fov 0");
    // A still of the forge as it stood at three seconds, for two beats.
    const int still = at + PATTERN_MS + 2 * BAR_MS;
    line(f, still, "screenshot forge 3000");
    line(f, still, "flash 0.96 0xffffffff");
    line(f, still + 2 * BEAT_MS, "continue forge");
}

// Patterns 12 to 14: the storm, with a cut to its close camera; the second
// half of pattern 14 is a pause in the dark (a binary metascene holds no
// scenes) with a colour on every beat.
void storm(FILE* f) {
    const int at = 12 * PATTERN_MS;
    handOver(f, at, "forge", "storm", "forge", "0xff04060c");
    line(f, at, tuneCommand(2, false));
    line(f, at, "flash 0.48 0xffc0d0ff");
    line(f, at + PATTERN_MS, "cam storm 1");
    line(f, at + PATTERN_MS, "flash 0.24 0xffffffff");
    line(f, at + 2 * PATTERN_MS, "cam storm 0");
    const int pause = at + 2 * PATTERN_MS + 2 * BAR_MS;
    line(f, pause, "stop storm");
    line(f, pause, "loadmeta interlude.kpx");
    line(f, pause, "activemeta interlude");
    line(f, pause, "freemeta storm");
    for (int t = pause, i = 0; t < 15 * PATTERN_MS; t += BEAT_MS, ++i)
        line(f, t, "fadein 0.48 " + colour(kColours[i % 6]));
}

// Pattern 15: night again under the coda's tune; after two bars the fade to
// black, and the end (or, looping, the jump back to the start).
void coda(FILE* f, bool loop) {
    const int at = 15 * PATTERN_MS;
    line(f, at, "loadmetascript scenes.txt");
    line(f, at, "activemeta scenes");
    line(f, at, "freemeta interlude");
    line(f, at, "start night");
    line(f, at, "clear night 3 0xff0a1428");
    line(f, at, tuneCommand(3, false));
    line(f, at, "fadein 1.92 0xffffffff");
    line(f, at + 2 * BAR_MS, "fadeout 3.84 0xff000000");
    if (loop) {
        line(f, show::END_MS, "stop night");
        line(f, show::END_MS, "freemeta scenes");
        line(f, show::END_MS, "stopsound");
    } else {
        line(f, show::END_MS, "stopdemo");
    }
}

} // namespace

int main(int argc, char** argv) {
    bool loop = false, mp3 = false, usage = argc < 2;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--loop")
            loop = true;
        else if (option == "--mp3")
            mp3 = true;
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: make_script OUT.scr [--mp3] [--loop]\n");
        return 2;
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    std::fprintf(f, "; Nightloom's bundled show. Made by demo/generators/make_script.cpp:\n"
                    "; edit the generator, not this file.\n");
    if (loop) line(f, 0, "restart");
    line(f, 0, tuneCommand(0, mp3));
    line(f, 0, "loadmetascript scenes.txt");
    line(f, 0, "activemeta scenes");
    line(f, 0, "start night");
    line(f, 0, "clear night 3 0xff0a1428");
    line(f, 0, "start dusk");
    line(f, 0, "clear dusk 3 0xffe07030");
    line(f, 0, "setrt dusk panel.lwo@Screen"); // dusk draws into a texture
    line(f, 0, "fadein 3.84 " + colour(0xff102050u));
    // Pattern 1: a white flash on every bar.
    for (int t = PATTERN_MS; t < 2 * PATTERN_MS; t += BAR_MS) line(f, t, "flash 0.48 0xffffffff");
    // Pattern 2: the pictures of the panel's surfaces, one format after another.
    const int pictures = 2 * PATTERN_MS;
    line(f, pictures, "picfadein 1.92 panel.lwo@Bands");
    line(f, pictures + BAR_MS, "picflash 0.96 panel.lwo@Stripes");
    line(f, pictures + BAR_MS + 2 * BEAT_MS, "picflash 0.96 panel.lwo@Moons");
    line(f, pictures + 2 * BAR_MS, "picflash 1.92 panel.lwo@Flare");
    line(f, pictures + 3 * BAR_MS, "picfadeout 1.92 panel.lwo@Moons");
    // Pattern 3: dusk cross-fades in over its first bar and keeps the screen.
    line(f, 3 * PATTERN_MS, "xfade dusk 1920");
    // Its ring stops on the third bar and turns on from there a bar later.
    line(f, 3 * PATTERN_MS + 2 * BAR_MS, "hold dusk");
    line(f, 3 * PATTERN_MS + 3 * BAR_MS, "continue dusk");
    // Pattern 5: night again, under a blur of dusk for two bars; then dusk
    // is no longer shown and stops drawing.
    line(f, 5 * PATTERN_MS, "start night");
    line(f, 5 * PATTERN_MS, "blur dusk 3.84 0.3");
    line(f, 5 * PATTERN_MS + 2 * BAR_MS, "stop dusk");
    // Pattern 6: dawn over the hills takes over from night; pattern 7 cuts
    // to its second camera, looking back along the flight.
    // Dawn's metascene loads (the loading screen shows its progress) and
    // takes over; the first one is freed.
    handOver(f, 6 * PATTERN_MS, "night", "dawn", "scenes", "0xffe6a070");
    line(f, 7 * PATTERN_MS, "cam dawn 1");
    // With the cut the flight jumps ahead to where the hills are highest.
    line(f, 7 * PATTERN_MS, "setpos dawn 12000");
    // The last bar of night's return: the lamp doubles and flickers.
    line(f, 5 * PATTERN_MS + 3 * BAR_MS, "lightfalloff 1");
    line(f, 5 * PATTERN_MS + 3 * BAR_MS, "lightflash 1");
    line(f, 6 * PATTERN_MS, "lightflash 0");
    line(f, 6 * PATTERN_MS, "lightfalloff 0");
    // Patterns 3 to 6: a colour fade at each pattern, a flash on every beat,
    // except while the cross-fade and the blur run.
    for (int p = 3; p <= 6; ++p) {
        const int start = p * PATTERN_MS;
        const int quiet = p == 3 ? BAR_MS + BEAT_MS : p == 5 ? 2 * BAR_MS : 0;
        for (int t = start + quiet, i = quiet / BEAT_MS; t < start + PATTERN_MS;
             t += BEAT_MS, ++i) {
            if (i % 16 == 0)
                line(f, t, "fadein 1.92 " + colour(kColours[(p + i / 16) % 6]));
            else
                line(f, t, "flash 0.24 " + colour(kColours[(p + i) % 6]));
        }
    }
    // Pattern 7: flashes on the cut's bar.
    for (int t = 7 * PATTERN_MS; t < 7 * PATTERN_MS + BAR_MS; t += BEAT_MS)
        line(f, t, "flash 0.24 0xffffffff");
    // Pattern 8: the hall's metascene loads and takes over from dawn.
    handOver(f, 8 * PATTERN_MS, "dawn", "hall", "dawn", "0xff180e24");
    line(f, 8 * PATTERN_MS, "flash 0.48 0xffffffff");
    // Pattern 9: the sparks take over from the hall.
    handOver(f, 9 * PATTERN_MS, "hall", "sparks", "hall", "0xff060812");
    forge(f);
    storm(f);
    coda(f, loop);
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [ms, command] : lines)
        std::fprintf(f, "%d.%03d %s\n", ms / 1000, ms % 1000, command.c_str());
    return std::fclose(f) == 0 ? 0 : 1;
}
